// Pixels of rendered frames at 1024 x 768 (llvmpipe): the blue and dark green
// checkerboard, the red cone, the white marker, the black background, and a
// marker that hides the surface behind it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "scene/scene.h"
#include "tests/kit/scene_colours.h"
#include "tests/native/gl_test_support.h"
#include "tools/offscreen.h"

namespace {

struct Probe {
  const char* what;
  int x, y;  // from the top left, as in an image viewer
  int r, g, b;
};

// Renders frame `frame` from program start (light angle 0, a fresh setup).
void render_frame_number(int frame) {
  use_context(1024, 768);
  reset_matrices();
  light_angle = 0;
  init_scene(1024, 768);
  for (int k = 0; k < frame; k++) draw_frame();
  glFinish();
}

void expect_probes(const Probe* probes, int count, int frame) {
  const int tolerance = 8;
  for (int k = 0; k < count; k++) {
    const Probe& p = probes[k];
    unsigned char rgba[4];
    offscreen_pixel(p.x, p.y, rgba);
    bool near = std::abs(rgba[0] - p.r) <= tolerance && std::abs(rgba[1] - p.g) <= tolerance &&
                std::abs(rgba[2] - p.b) <= tolerance;
    EXPECT_TRUE(near) << "frame " << frame << ", " << p.what << " at (" << p.x << "," << p.y << "): got "
                      << (int)rgba[0] << "," << (int)rgba[1] << "," << (int)rgba[2] << " want " << p.r << ","
                      << p.g << "," << p.b;
  }
}

// The frame's pixels by the scene's colour classes (tests/kit/scene_colours.h).
scene_colour_counts count_colours() {
  return count_scene_colours(offscreen_pixels(), offscreen_width(), offscreen_height(), 4,
                             (long)offscreen_width() * 4);
}

TEST(FramePixels, Frame75ShowsSurfaceConeAndMarker) {
  render_frame_number(75);
  const Probe probes[] = {
      {"marker", 390, 85, 255, 255, 255},
      {"cone, lit side", 512, 330, 229, 61, 61},
      {"cone, near its base", 510, 370, 208, 47, 47},
      {"surface, blue front", 720, 200, 23, 23, 255},
      {"surface, dark green back", 700, 100, 23, 69, 23},
      {"surface, dark green back", 660, 300, 23, 69, 23},
      {"background", 100, 100, 0, 0, 0},
      {"background", 900, 600, 0, 0, 0},
      {"background beside the cone", 440, 330, 0, 0, 0},
  };
  expect_probes(probes, sizeof probes / sizeof probes[0], 75);
  scene_colour_counts n = count_colours();
  EXPECT_GT(n.of[colour_white], 1000);  // the marker: about 45 pixels across
  EXPECT_LT(n.of[colour_white], 4000);
  EXPECT_GT(n.of[colour_red], 3000);    // the cone
  EXPECT_GT(n.of[colour_blue], 20000);  // the checkerboard's two colours
  EXPECT_GT(n.of[colour_green], 20000);
  EXPECT_GT(n.of[colour_black], 1024 * 768 / 2);
}

TEST(FramePixels, Frame150MarkerHidesTheSurfaceBehindIt) {
  render_frame_number(150);
  const Probe probes[] = {
      // The marker is drawn first; the surface drawn after it lies behind.
      {"marker over the surface", 783, 562, 255, 255, 255},
      {"background", 200, 200, 0, 0, 0},
      // Here the light falls on the back side: green lit, blue by ambient light only.
      {"surface, lit green back", 900, 450, 23, 185, 23},
      {"surface, dark blue front", 850, 520, 23, 23, 69},
  };
  expect_probes(probes, sizeof probes / sizeof probes[0], 150);
  // Around the marker the surface shows.
  unsigned char rgba[4];
  offscreen_pixel(783, 620, rgba);
  EXPECT_TRUE(rgba[1] > 50 || rgba[2] > 50) << (int)rgba[0] << "," << (int)rgba[1] << "," << (int)rgba[2];
  EXPECT_LT(rgba[0], 40);
}

TEST(FramePixels, Frame60ShowsOnlyTheSurface) {
  // The sheets near the singular corner sweep across the view and hide the
  // cone and the marker.
  render_frame_number(60);
  scene_colour_counts n = count_colours();
  EXPECT_EQ(n.of[colour_red], 0);
  EXPECT_EQ(n.of[colour_white], 0);
  EXPECT_GT(n.of[colour_blue] + n.of[colour_green], 1024 * 768 / 3);
}

}  // namespace
