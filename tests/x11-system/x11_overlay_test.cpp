// The -fps overlay on a real GLX window: its text lands in the lower left
// corner and nowhere else, it leaves the OpenGL state of the scene as it
// found it, a font the server does not have is reported, not fatal, and
// opened again it keeps no font or texture of the first opening.
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
    overlay_close();
  }
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);  // the scene's own
}

// The lower left box's pixels after drawing the overlay with these lines
// over a plain background.
std::vector<unsigned char> overlay_pixels(const char* line1, const char* line2) {
  glClearColor(0.2f, 0.2f, 0.6f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  overlay_draw(width, height, line1, line2);
  std::vector<unsigned char> rgb(160 * 60 * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 160, 60, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  return rgb;
}

// The text is drawn once into a picture and reused while it stays the same:
// new figures must show at once, and the same figures the same way.
TEST(X11Overlay, NewTextShowsAtOnceAndTheSameTextTheSameWay) {
  open_window();
  ASSERT_TRUE(overlay_open(target.display, overlay_fonts));
  std::vector<unsigned char> first = overlay_pixels("FPS: 11.1", "Load: 1.0%");
  std::vector<unsigned char> changed_fps = overlay_pixels("FPS: 99.9", "Load: 1.0%");
  std::vector<unsigned char> changed_load = overlay_pixels("FPS: 99.9", "Load: 70.0%");
  std::vector<unsigned char> again = overlay_pixels("FPS: 11.1", "Load: 1.0%");
  EXPECT_NE(first, changed_fps);
  EXPECT_NE(changed_fps, changed_load);
  EXPECT_EQ(first, again);
  // Bytes outside printable ASCII are shown as '?', never as nothing.
  std::vector<unsigned char> odd = overlay_pixels("FPS: \x01\x7f", "Load: \n");
  std::vector<unsigned char> marks = overlay_pixels("FPS: ??", "Load: ?");
  EXPECT_EQ(odd, marks);
  // Reopened, it starts with no picture of the old text.
  overlay_close();
  ASSERT_TRUE(overlay_open(target.display, small_overlay_fonts));
  std::vector<unsigned char> small = overlay_pixels("FPS: 11.1", "Load: 1.0%");
  EXPECT_NE(small, first);
  overlay_close();
}

// The texture names of the context in use (among the first thousand).
int textures_in_use() {
  int n = 0;
  for (GLuint name = 1; name <= 1000; name++) n += glIsTexture(name);
  return n;
}

int ignore_x_error(Display*, XErrorEvent*) {
  return 0;
}

// The next resource id of this client: Xlib hands out one id per request
// made, so a request (XSync) comes first.
XID next_resource_id() {
  XSync(target.display, False);
  return XAllocID(target.display);
}

// The fonts this client has open among the resource ids it allocated
// between `first` and `last` (a font's id comes from the same sequence).
int fonts_open_between(XID first, XID last) {
  XSync(target.display, False);
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(ignore_x_error);
  int n = 0;
  for (XID id = first + 1; id < last; id++) {
    XFontStruct* info = XQueryFont(target.display, id);
    if (info) n++;
    if (info) XFreeFontInfo(nullptr, info, 1);
  }
  XSync(target.display, False);
  XSetErrorHandler(previous);
  return n;
}

// Opened again while open (with a font, or with none the server has), the
// overlay lets go of the font and the texture it held: after it is closed
// no font and no texture of it is left, and nothing is drawn without a font.
TEST(X11Overlay, OpenedAgainItLetsGoOfWhatItHeld) {
  open_window();
  const char* const missing[] = {"-korvanthel-no-such-font-r-normal--99-*-*-*-*-*-*-*", nullptr};
  struct {
    const char* name;
    const char* const* second;
    bool opens;
  } cases[] = {{"the same fonts", overlay_fonts, true},
               {"the small fonts", small_overlay_fonts, true},
               {"no font the server has", missing, false}};
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    int textures = textures_in_use();
    XID first = next_resource_id();
    ASSERT_TRUE(overlay_open(target.display, overlay_fonts));
    overlay_pixels("FPS: 11.1", "Load: 1.0%");  // the text's texture made
    EXPECT_EQ(overlay_open(target.display, c.second), c.opens);
    glClearColor(0.2f, 0.2f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    overlay_draw(width, height, "FPS: 22.2", "Load: 2.0%");
    int white = read_back(width, height).white_inside;
    if (c.opens)
      EXPECT_GT(white, 60) << "no text drawn";
    else
      EXPECT_EQ(white, 0) << "text drawn without a font";
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    overlay_close();
    XID last = next_resource_id();
    EXPECT_EQ(fonts_open_between(first, last), 0);
    EXPECT_EQ(textures_in_use(), textures);
  }
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
  // Its texture and the way it draws it stay its own.
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
  GLint bound = -1, alignment = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(bound, 0);
  EXPECT_EQ(alignment, 4);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  overlay_close();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  int code = RUN_ALL_TESTS();
  close_target();
  return code;
}
