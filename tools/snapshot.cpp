// snapshot: renders frame N of the scene (init_scene, then N frames, of
// which only the last is drawn: the ones before it are skipped with
// advance_frames, which gives the same frame) at width x height offscreen and
// writes it to a PNG. The surface is drawn from its mesh, as the Linux edition
// draws it; with --immediate it is sent as the Windows program sends it,
// polygon by polygon, for comparison. The numbers are plain positional
// arguments, each optional after the ones before it:
//   snapshot [--immediate] OUT.png [FRAME [WIDTH [HEIGHT]]]
//   (FRAME 0 to 100000000, default 75; WIDTH and HEIGHT 1 to 16384, default 1024 and 768)
#include <GL/gl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene/scene.h"
#include "scene/surface_mesh.h"
#include "tools/offscreen.h"

static bool parse_count(const char* text, long low, long high, long* value) {
  char* end = nullptr;
  errno = 0;
  long n = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || n < low || n > high) return false;
  *value = n;
  return true;
}

int main(int argc, char** argv) {
  bool immediate = argc > 1 && !std::strcmp(argv[1], "--immediate");
  if (immediate) {
    argc--;
    argv++;
  }
  long frame = 75, width = 1024, height = 768;
  if (argc < 2 || argc > 5 || (argc > 2 && !parse_count(argv[2], 0, 100000000, &frame)) ||
      (argc > 3 && !parse_count(argv[3], 1, 16384, &width)) ||
      (argc > 4 && !parse_count(argv[4], 1, 16384, &height))) {
    std::fprintf(
        stderr,
        "usage: snapshot [--immediate] out.png [frame >= 0, default 75] [width 1..16384, default 1024]"
        " [height 1..16384, default 768]\n");
    return 2;
  }
  if (!offscreen_open((int)width, (int)height)) return 1;
  set_gl_function_lookup(offscreen_function);
  init_scene((int)width, (int)height);
  // Frame 0 is the cleared screen before the first frame is drawn.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (frame > 0) {
    advance_frames(frame - 1);
    draw_frame_with(immediate ? draw_surface_grid : draw_surface_mesh);
  }
  glFinish();
  bool ok = write_png(argv[1], offscreen_pixels(), (int)width, (int)height);
  release_surface_mesh();  // its buffer objects live in the context
  offscreen_close();
  if (!ok) return 1;
  std::printf("%s: frame %ld at %ld x %ld\n", argv[1], frame, width, height);
  return 0;
}
