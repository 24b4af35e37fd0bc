// app_icon: the browser edition's app icons, drawn from the scene: frame 75
// (the page's still picture) in a square, rendered offscreen at four times
// the icon's size and averaged down, four by four pixels, so that its edges
// stay smooth at a launcher's small sizes. It writes into FOLDER
//   icon-192.png       192 x 192
//   icon-512.png       512 x 512
//   icon-maskable.png  512 x 512, the scene seen with a view wider by 1/0.8:
//                      the same picture at 80 % of the width in the middle,
//                      the scene going on around it, so that the mask of a
//                      launcher (which keeps at least the central circle of
//                      80 % of the width) keeps the cone and the light's marker
// The page's copies are web/icon-*.png (app_icon web writes them afresh).
//   app_icon FOLDER
#include <GL/gl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene/surface_mesh.h"
#include "tools/offscreen.h"

static const int icon_frame = 75;
static const int oversampling = 4;
static const float maskable_scale = 0.8f;

static const int largest_icon = 512;

// Frame icon_frame at size x size (times oversampling) in the lower left
// corner of the offscreen buffer, which is made once for the largest icon
// (the shapes' display lists live in that one context).
static void render_frame(int size, float view_scale) {
  int drawn = size * oversampling;
  init_scene(drawn, drawn);  // the camera as the program starts it
  light_angle = 0.0f;        // which init_scene leaves alone
  // The projection, scaled in clip space: a scale below 1 shows the scene
  // smaller and more of it around.
  glViewport(0, 0, drawn, drawn);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glScalef(view_scale, view_scale, 1.0f);
  apply_scene_projection(drawn, drawn);
  glMatrixMode(GL_MODELVIEW);
  advance_frames(icon_frame - 1);
  draw_frame_with(draw_surface_mesh);
  glFinish();
}

// The rendered pixels averaged down by oversampling in both directions
// (RGBA, bottom row first, as write_png takes them).
static std::vector<unsigned char> averaged_down(int size) {
  const unsigned char* drawn = offscreen_pixels();
  int stride = offscreen_width();
  const int samples = oversampling * oversampling;
  std::vector<unsigned char> icon((size_t)size * size * 4);
  for (int y = 0; y < size; y++) {
    for (int x = 0; x < size; x++) {
      for (int c = 0; c < 4; c++) {
        int sum = 0;
        for (int dy = 0; dy < oversampling; dy++) {
          const unsigned char* row =
              drawn + 4 * ((size_t)(y * oversampling + dy) * stride + x * oversampling);
          for (int dx = 0; dx < oversampling; dx++) sum += row[4 * dx + c];
        }
        icon[4 * ((size_t)y * size + x) + c] = (unsigned char)((sum + samples / 2) / samples);
      }
    }
  }
  return icon;
}

static bool write_icon(const std::string& path, int size, float view_scale) {
  render_frame(size, view_scale);
  std::vector<unsigned char> icon = averaged_down(size);
  if (!write_png(path.c_str(), icon.data(), size, size)) return false;
  std::printf("%s: frame %d at %d x %d\n", path.c_str(), icon_frame, size, size);
  return true;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: app_icon FOLDER (writes icon-192.png, icon-512.png, icon-maskable.png)\n");
    return 2;
  }
  std::string folder = argv[1];
  int drawn = largest_icon * oversampling;
  if (!offscreen_open(drawn, drawn)) return 1;
  set_gl_function_lookup(offscreen_function);
  bool ok = write_icon(folder + "/icon-192.png", 192, 1.0f) &&
            write_icon(folder + "/icon-512.png", 512, 1.0f) &&
            write_icon(folder + "/icon-maskable.png", 512, maskable_scale);
  offscreen_close();
  return ok ? 0 : 1;
}
