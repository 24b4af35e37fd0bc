// lighting_reference: the lighting cases (lighting_cases.h) drawn by Mesa
// through OSMesa, as lines "R G B NAME" of the pixel each covers.
#include <GL/gl.h>
#include <GL/osmesa.h>

#include <cstdio>
#include <vector>

#include "tests/web/lighting_cases.h"

int main() {
  std::vector<unsigned char> pixels(LIGHTING_VIEW * LIGHTING_VIEW * 4);
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  if (!context ||
      !OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, LIGHTING_VIEW, LIGHTING_VIEW)) {
    std::fprintf(stderr, "lighting_reference: no OSMesa context\n");
    return 1;
  }
  glEnable(GL_DEPTH_TEST);
  draw_lighting_cases();
  glFinish();
  int count = 0;
  const lighting_case* cases = lighting_cases(&count);
  for (int k = 0; k < count; k++) {
    // OSMesa's rows run from the bottom, as OpenGL's do.
    const unsigned char* p = &pixels[4 * (cases[k].y * LIGHTING_VIEW + cases[k].x)];
    std::printf("%d %d %d %s\n", p[0], p[1], p[2], cases[k].name);
  }
  OSMesaDestroyContext(context);
  return 0;
}
