#include "tests/native/gl_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tools/offscreen.h"

void use_context(int width, int height) {
  if (offscreen_width() == width && offscreen_height() == height) return;
  ASSERT_EQ(offscreen_width(), 0) << "a test program keeps a single context";
  ASSERT_TRUE(offscreen_open(width, height));
}

std::vector<FeedbackPrimitive> capture_feedback(GLenum type, int capacity,
                                                const std::function<void()>& draw) {
  std::vector<GLfloat> buffer(capacity);
  std::vector<FeedbackPrimitive> out;
  const int per_vertex = type == GL_3D_COLOR ? 7 : 3;
  glFeedbackBuffer(capacity, type, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  int used = glRenderMode(GL_RENDER);
  EXPECT_GE(used, 0) << "feedback buffer overflowed";
  auto read_vertex = [&](int at) {
    FeedbackVertex v = {buffer[at], buffer[at + 1], buffer[at + 2], {1, 1, 1, 1}};
    if (per_vertex == 7)
      for (int c = 0; c < 4; c++) v.rgba[c] = buffer[at + 3 + c];
    return v;
  };
  int at = 0;
  while (at < used) {
    FeedbackPrimitive prim;
    prim.token = buffer[at++];
    int count = 0;
    if (prim.token == GL_POLYGON_TOKEN)
      count = (int)buffer[at++];
    else if (prim.token == GL_LINE_TOKEN || prim.token == GL_LINE_RESET_TOKEN)
      count = 2;
    else if (prim.token == GL_POINT_TOKEN || prim.token == GL_BITMAP_TOKEN ||
             prim.token == GL_DRAW_PIXEL_TOKEN || prim.token == GL_COPY_PIXEL_TOKEN)
      count = 1;
    else if (prim.token == GL_PASS_THROUGH_TOKEN) {
      at++;
      continue;
    } else {
      ADD_FAILURE() << "unknown feedback token " << prim.token;
      break;
    }
    for (int k = 0; k < count; k++, at += per_vertex) prim.vertices.push_back(read_vertex(at));
    out.push_back(prim);
  }
  return out;
}

void reset_matrices() {
  GLint depth = 0;
  glMatrixMode(GL_PROJECTION);
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  while (depth-- > 1) glPopMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  while (depth-- > 1) glPopMatrix();
  glLoadIdentity();
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Death tests re-execute the test program instead of forking it: a forked
  // child of a process with an llvmpipe context crashes or hangs on exit.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  int result = RUN_ALL_TESTS();
  return result;
}
