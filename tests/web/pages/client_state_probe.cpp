// The subset's client attribute stack on WebGL 2: a triangle in client
// memory (the left half of the view) is set as the vertex array and saved
// with glPushClientAttrib; in between, a buffer holding another triangle
// (the right half) is bound and set, the array switched off and an element
// buffer bound; glPopClientAttrib must bring the first back, so that the
// next draw from client indices fills the left half only. Then the stack's
// ends. Results on the page as lines "NAME VALUE" (window.clientStateResult).
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <webgl/webgl1.h>

#include <cstdio>
#include <string>

#include "web/gl_subset.h"

// clang-format off
EM_JS(void, publish_result, (const char* text), { window.clientStateResult = UTF8ToString(text); });
// clang-format on

static const int view = 64;
static const float left_triangle[] = {-1, -1, 0, 0, -1, 0, -1, 1, 0};
static const float right_triangle[] = {0.1f, -1, 0, 1, -1, 0, 1, 1, 0};
static const unsigned short first_three[] = {0, 1, 2};

static std::string result;

static void say(const char* name, long value) {
  char line[96];
  std::snprintf(line, sizeof line, "%s %ld\n", name, value);
  result += line;
}

// The red channel at (x, y) of the view.
static int red_at(int x, int y) {
  unsigned char pixel[4] = {0, 0, 0, 0};
  emscripten_glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  return pixel[0];
}

int main() {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.antialias = EM_FALSE;
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#probe", &attributes);
  if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
      !start_gl_subset()) {
    publish_result("no context");
    return 0;
  }
  emscripten_set_canvas_element_size("#probe", view, view);
  glViewport(0, 0, view, view);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 0, 0);

  GLuint buffers[2];
  glGenBuffers(2, buffers);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  glBufferData(GL_ARRAY_BUFFER, sizeof right_triangle, right_triangle, GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof first_three, first_three, GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

  glVertexPointer(3, GL_FLOAT, 0, left_triangle);
  glEnableClientState(GL_VERTEX_ARRAY);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
  glDisableClientState(GL_VERTEX_ARRAY);
  glPopClientAttrib();
  glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, first_three);
  finish_gl_frame();
  say("error_after_draw", (long)glGetError());
  say("left_red", red_at(view / 8, view / 2));
  say("right_red", red_at(view - view / 8, view / 2));

  glPopClientAttrib();
  say("error_popping_empty", (long)glGetError());
  int pushed = 0;
  while (pushed < 100 && glGetError() == GL_NO_ERROR) {
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    if (glGetError() != GL_NO_ERROR) break;
    pushed++;
  }
  say("pushes_that_fit", pushed);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  say("error_pushing_full", (long)glGetError());
  publish_result(result.c_str());
  return 0;
}
