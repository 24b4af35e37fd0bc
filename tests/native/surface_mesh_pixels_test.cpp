// Frames drawn with the surface mesh against draw_frame's, pixel by pixel, at
// frames across the animation: the mesh from buffer objects differs from the
// immediate grid in at most one pixel in 10,000, and the mesh from
// client-side arrays gives the same pixels as from buffer objects. Built once
// per size (VIEW_WIDTH x VIEW_HEIGHT: the full screen and the settings
// dialog's preview), since a test program keeps one context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "scene/scene.h"
#include "scene/surface_mesh.h"
#include "tests/native/gl_test_support.h"
#include "tools/offscreen.h"

namespace {

const int width = VIEW_WIDTH;
const int height = VIEW_HEIGHT;

void send_nothing() {}

struct Angles {
  float tilt, spin, light;
};

Angles angles_now() {
  return {tilt_angle, spin_angle, light_angle};
}

// Sets the scene up as at program start and advances it to just before frame
// `frame` (the frame-th drawn); the frames before are drawn without their
// surface, which changes nothing of the animation.
Angles angles_before(int frame) {
  use_context(width, height);
  reset_matrices();
  light_angle = 0;
  init_scene(width, height);
  for (int k = 1; k < frame; k++) draw_frame_with(send_nothing);
  return angles_now();
}

// Draws one frame from `before` with `send_grid`, the mesh made afresh
// through `lookup`, and returns its pixels.
std::vector<unsigned char> frame_pixels(Angles before, void (*send_grid)(), gl_function_lookup lookup) {
  release_surface_mesh();
  set_gl_function_lookup(lookup);
  tilt_angle = before.tilt;
  spin_angle = before.spin;
  light_angle = before.light;
  draw_frame_with(send_grid);
  glFinish();
  const unsigned char* p = offscreen_pixels();
  return std::vector<unsigned char>(p, p + (size_t)width * height * 4);
}

int differing_pixels(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  int n = 0;
  for (size_t k = 0; k < a.size(); k += 4) n += std::memcmp(&a[k], &b[k], 3) != 0;
  return n;
}

TEST(SurfaceMeshPixels, MeshFramesLookLikeTheImmediateFrames) {
  const int allowed = width * height / 10000;
  for (int frame : {1, 75, 500, 2000}) {
    Angles before = angles_before(frame);
    auto immediate = frame_pixels(before, draw_surface_grid, nullptr);
    auto from_buffers = frame_pixels(before, draw_surface_mesh, offscreen_function);
    EXPECT_TRUE(surface_mesh_in_buffers());
    auto from_arrays = frame_pixels(before, draw_surface_mesh, nullptr);
    EXPECT_FALSE(surface_mesh_in_buffers());
    int differing = differing_pixels(immediate, from_buffers);
    std::printf("%d x %d, frame %d: %d of %d pixels differ from the immediate frame (at most %d allowed)\n",
                width, height, frame, differing, width * height, allowed);
    EXPECT_LE(differing, allowed) << "frame " << frame;
    EXPECT_EQ(differing_pixels(from_buffers, from_arrays), 0) << "frame " << frame;
    // Not a blank frame on both sides: the surface is there.
    int lit = 0;
    for (size_t k = 0; k < immediate.size(); k += 4) lit += immediate[k + 1] > 50 || immediate[k + 2] > 50;
    EXPECT_GT(lit, width * height / 20) << "frame " << frame;
  }
  release_surface_mesh();
}

}  // namespace
