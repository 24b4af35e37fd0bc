// The X11 host's frame loop: draws, swaps, sleeps what is left of the period
// while it handles X events, and ends on a stop signal, the window's end or
// the close keys. The periods, the meter and the benchmark's seam are the
// frame loop's policy (linux/frame_policy.h).
#include "x11/frame_loop.h"

#include <GL/gl.h>
#include <sys/select.h>

#include <cstdio>

#include "linux/frame_policy.h"
#include "linux/stop_signals.h"
#include "scene/scene.h"
#include "scene/surface_mesh.h"
#include "x11/fps_overlay.h"
#include "x11/glx_window.h"

// The mesh's buffer-object functions, as GLX finds them.
static gl_function glx_function(const char* name) {
  return glXGetProcAddress((const GLubyte*)name);
}

static bool should_stop() {
  return stop_signal() || target_done();
}

// Waits up to `timeout_us` for X input or a stop signal, handling both.
static void wait_for_input(long long timeout_us) {
  fd_set readable;
  FD_ZERO(&readable);
  int x_fd = ConnectionNumber(target.display), signal_fd = stop_signal_fd();
  FD_SET(x_fd, &readable);
  FD_SET(signal_fd, &readable);
  timeval timeout;
  timeout.tv_sec = (time_t)(timeout_us / 1000000);
  timeout.tv_usec = (suseconds_t)(timeout_us % 1000000);
  int n = select((x_fd > signal_fd ? x_fd : signal_fd) + 1, &readable, nullptr, nullptr, &timeout);
  if (n > 0 && FD_ISSET(signal_fd, &readable)) read_stop_signal();
  handle_pending_events();
}

// Sleeps until `wake_us` on the monotonic clock, handling X input and stop
// signals meanwhile; returns early when the run should stop.
static void wait_until(long long wake_us) {
  while (!should_stop()) {
    long long left = wake_us - monotonic_us();
    if (left <= 0) break;
    wait_for_input(left);
  }
}

static void draw_one_frame(bool overlay) {
  if (take_size_change()) resize_scene(target.width, target.height);
  // The surface from the mesh made once: the frame looks as the immediate
  // one, at a small part of the CPU time.
  draw_frame_with(draw_surface_mesh);
  if (overlay) {
    char line1[32], line2[32];
    meter_lines(line1, sizeof line1, line2, sizeof line2);
    overlay_draw(target.width, target.height, line1, line2);
  }
  if (target.double_buffered)
    glXSwapBuffers(target.display, target.window);
  else
    glFinish();
}

int run_x11_saver(const saver_options* options) {
  keep_freed_heap();
  if (!open_target(options)) return target_gone() ? 0 : 1;
  set_gl_function_lookup(glx_function);
  init_scene(target.width, target.height);
  bool overlay = false;
  if (options->show_fps) {
    overlay = overlay_open(target.display, target.width >= 480 ? overlay_fonts : small_overlay_fonts);
    if (!overlay) std::fprintf(stderr, "korvanthel: no font for the -fps overlay; running without it\n");
  }
  handle_pending_events();
  read_stop_signal();
  frames_begin(options->delay_us);
  while (!should_stop()) {
    long long start;
    if (!frame_begins(&start)) break;
    draw_one_frame(overlay);
    frame_ends(start);

    // Events and signals are read at least once per frame, also when no
    // time is left; then the rest of the period is slept in select().
    read_stop_signal();
    handle_pending_events();
    wait_until(next_frame_wake());
  }

  int code = target_exit_code();
  if (overlay) overlay_close();
  release_surface_mesh();  // while its context is still current
  close_target();
  end_by_stop_signal();
  return code;
}
