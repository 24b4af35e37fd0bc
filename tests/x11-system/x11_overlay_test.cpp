// The -fps overlay on a real GLX window: its text lands in the lower left
// corner and nowhere else, it leaves the OpenGL state of the scene as it
// found it, and a font the server does not have is reported, not fatal.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "scene/scene.h"
#include "tests/kit/scene_colours.h"
#include "x11/fps_overlay.h"
#include "x11/glx_window.h"

namespace {

const int width = 320, height = 240;

// One window and context for the whole program: the shape cache's display
// lists belong to the context that compiled them.
void open_window() {
  if (target.display) return;
  saver_options o = {};
  o.target = target_own_window;
  o.width = width;
  o.height = height;
  o.delay_us = default_delay_us;
  ASSERT_TRUE(open_target(&o));
  init_scene(width, height);
}

struct counts {
  int white_inside, white_outside, black_inside;
};

// Reads the back buffer: white and black pixels (tests/kit/scene_colours.h)
// inside the lower left box of `box_w` x `box_h` pixels and white pixels
// outside it.
counts read_back(int box_w, int box_h) {
  std::vector<unsigned char> rgba((size_t)width * height * 4);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  counts c = {0, 0, 0};
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      const unsigned char* p = &rgba[4 * ((size_t)y * width + x)];
      scene_colour colour = classify_scene_colour(p[0], p[1], p[2]);
      bool white = colour == colour_white, black = colour == colour_black;
      bool inside = x < box_w && y < box_h;  // OpenGL counts rows from the bottom
      if (white && inside) c.white_inside++;
      if (white && !inside) c.white_outside++;
      if (black && inside) c.black_inside++;
    }
  return c;
}

TEST(X11Overlay, FontsTheServerLacksAreReported) {
  open_window();
  const char* const missing[] = {"-korvanthel-no-such-font-r-normal--99-*-*-*-*-*-*-*", "nonexistent-font",
                                 nullptr};
  EXPECT_FALSE(overlay_open(target.display, missing));
  const char* const none[] = {nullptr};
  EXPECT_FALSE(overlay_open(target.display, none));
  // Without a font the overlay draws nothing.
  glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  overlay_draw(width, height, "FPS: 99.9", "Load: 70.0%");
  counts c = read_back(width, height);
  EXPECT_EQ(c.white_inside, 0);
}

TEST(X11Overlay, TextInTheLowerLeftCornerOnly) {
  open_window();
  for (const char* const* fonts : {overlay_fonts, small_overlay_fonts}) {
    ASSERT_TRUE(overlay_open(target.display, fonts));
    glClearColor(0.2f, 0.2f, 0.6f, 1.0f);  // neither white nor black
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    overlay_draw(width, height, "FPS: 99.9", "Load: 70.0%");
    counts c = read_back(160, 60);
    EXPECT_GT(c.white_inside, 60);  // two lines of glyphs
    EXPECT_GT(c.black_inside, 60);  // and their outline
    EXPECT_EQ(c.white_outside, 0);
    overlay_close(target.display);
  }
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);  // the scene's own
}

TEST(X11Overlay, LeavesTheScenesStateAsItFound) {
  open_window();
  ASSERT_TRUE(overlay_open(target.display, overlay_fonts));
  draw_frame();
  double projection_before[16], modelview_before[16], projection_after[16], modelview_after[16];
  GLint viewport_before[4], viewport_after[4], mode;
  GLfloat colour_before[4], colour_after[4];
  glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
  glGetDoublev(GL_PROJECTION_MATRIX, projection_before);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview_before);
  glGetIntegerv(GL_VIEWPORT, viewport_before);
  glGetFloatv(GL_CURRENT_COLOR, colour_before);
  overlay_draw(width, height, "FPS: 12.3", "Load: 45.6%");
  glGetDoublev(GL_PROJECTION_MATRIX, projection_after);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview_after);
  glGetIntegerv(GL_VIEWPORT, viewport_after);
  glGetFloatv(GL_CURRENT_COLOR, colour_after);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  for (int k = 0; k < 16; k++) {
    EXPECT_EQ(projection_after[k], projection_before[k]);
    EXPECT_EQ(modelview_after[k], modelview_before[k]);
  }
  for (int k = 0; k < 4; k++) {
    EXPECT_EQ(viewport_after[k], viewport_before[k]);
    EXPECT_EQ(colour_after[k], colour_before[k]);
  }
  EXPECT_EQ(mode, GL_MODELVIEW);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  overlay_close(target.display);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  int code = RUN_ALL_TESTS();
  close_target();
  return code;
}
