// The lighting cases (tests/web/lighting_cases.h) drawn by the browser's
// OpenGL subset on WebGL 2, read back and put on the page as lines
// "R G B NAME" (window.lightingResult), as lighting_reference prints Mesa's.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>
#include <webgl/webgl1.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/web/lighting_cases.h"
#include "web/gl_subset.h"

// clang-format off
EM_JS(void, publish_result, (const char* text), { window.lightingResult = UTF8ToString(text); });
// clang-format on

int main() {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.antialias = EM_FALSE;
  attributes.depth = EM_TRUE;
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#probe", &attributes);
  if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
      !start_gl_subset()) {
    publish_result("no context");
    return 0;
  }
  emscripten_set_canvas_element_size("#probe", LIGHTING_VIEW, LIGHTING_VIEW);
  emscripten_glEnable(GL_DEPTH_TEST);
  draw_lighting_cases();
  finish_gl_frame();
  std::vector<unsigned char> pixels(LIGHTING_VIEW * LIGHTING_VIEW * 4);
  emscripten_glReadPixels(0, 0, LIGHTING_VIEW, LIGHTING_VIEW, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  int count = 0;
  const lighting_case* cases = lighting_cases(&count);
  std::string text;
  for (int k = 0; k < count; k++) {
    const unsigned char* p = &pixels[4 * (cases[k].y * LIGHTING_VIEW + cases[k].x)];
    char line[160];
    std::snprintf(line, sizeof line, "%d %d %d %s\n", p[0], p[1], p[2], cases[k].name);
    text += line;
  }
  publish_result(text.c_str());
  return 0;
}
