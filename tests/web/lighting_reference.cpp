// lighting_reference: the lighting cases (lighting_cases.h) drawn by Mesa
// in the native programs' offscreen context (tools/offscreen.h), as lines
// "R G B NAME" of the pixel each covers.
#include <GL/gl.h>

#include <cstdio>

#include "tests/web/lighting_cases.h"
#include "tools/offscreen.h"

int main() {
  if (!offscreen_open(LIGHTING_VIEW, LIGHTING_VIEW)) return 1;
  glEnable(GL_DEPTH_TEST);
  draw_lighting_cases();
  glFinish();
  int count = 0;
  const lighting_case* cases = lighting_cases(&count);
  for (int k = 0; k < count; k++) {
    // The context's rows run from the bottom, as OpenGL's do.
    const unsigned char* p = offscreen_pixels() + 4 * (cases[k].y * LIGHTING_VIEW + cases[k].x);
    std::printf("%d %d %d %s\n", p[0], p[1], p[2], cases[k].name);
  }
  offscreen_close();
  return 0;
}
