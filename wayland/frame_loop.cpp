// The Wayland host's frame loop. A frame is drawn only into a view whose
// last frame the compositor has shown (its frame callback came), so that an
// output that is off or a surface that is hidden costs nothing; at most one
// step of the animation per -delay period, the same step on every view; a
// view that could not show a step when it was made shows it as soon as it
// can. The periods, the meter and the benchmark's seam are the frame loop's
// policy (linux/frame_policy.h).
#include "wayland/frame_loop.h"

#include <GL/gl.h>
#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "linux/frame_policy.h"
#include "linux/meter_font.h"
#include "linux/meter_overlay.h"
#include "linux/stop_signals.h"
#include "scene/scene.h"
#include "scene/surface_mesh.h"
#include "wayland/connection.h"
#include "wayland/egl_context.h"
#include "wayland/seat_input.h"
#include "wayland/views.h"

static bool scene_ready;     // init_scene has run in the context
static bool show_meter;      // -fps
static long long step;       // the animation's steps so far
static bool drawing_failed;  // the context could not be made current on a view (said on stderr)

static bool should_stop() {
  return stop_signal() || input_ends_run() || window_closed() || view_failed() || drawing_failed;
}

static bool any_view_ready() {
  for (int i = 0; i < max_views; i++)
    if (view_ready(i)) return true;
  return false;
}

// The scene is set up in the context the first time a view can draw, with
// that view current; the meter's font is sized for it.
static void set_up_scene(int i) {
  const view_state& v = view_at(i);
  if (!make_current(v.egl_surface)) return;  // draw_view tells
  init_scene(v.width * v.scale, v.height * v.scale);
  if (show_meter) {
    set_meter_font_pixel_size((v.width >= 480 ? 2 : 1) * v.scale);
    meter_overlay_open(paint_in_meter_font);
  }
  scene_ready = true;
}

// Draws the current step into view `i` and shows it.
static void draw_view(int i) {
  const view_state& v = view_at(i);
  if (!make_current(v.egl_surface)) {
    std::fprintf(stderr, "korvanthel: cannot make the OpenGL context current on a surface (EGL error 0x%x)\n",
                 eglGetError());
    drawing_failed = true;
    return;
  }
  int width = v.width * v.scale, height = v.height * v.scale;
  // One context for every view: each switch sets the view's viewport and
  // projection again.
  place_scene_view(0, 0, width, height);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw_stepped_frame(draw_surface_mesh);
  if (show_meter) {
    char line1[32], line2[32];
    meter_lines(line1, sizeof line1, line2, sizeof line2);
    meter_overlay_draw(width, height, line1, line2);
  }
  frame_shown(i, step);
  swap_egl(v.egl_surface);
}

// Views that have not shown the current step and now can: a view made or
// shown again within the period, or one whose output shows frames later.
static void catch_up() {
  for (int i = 0; i < max_views; i++) {
    if (!view_ready(i) || view_at(i).shown_step == step || step == 0) continue;
    long long start = monotonic_us();
    draw_view(i);
    frame_busy(start, monotonic_us());
  }
}

// Waits until `wake_us` (without a limit when it is negative) for Wayland
// events or a stop signal, and handles what came. A broken connection ends
// the process (connection_failed).
static void wait_for_events(long long wake_us) {
  wl_display* display = wayland.display;
  while (wl_display_prepare_read(display) != 0)
    if (wl_display_dispatch_pending(display) < 0) connection_failed();
  short display_events = POLLIN;
  if (wl_display_flush(display) < 0) {
    if (errno != EAGAIN) {
      wl_display_cancel_read(display);
      connection_failed();
    }
    display_events |= POLLOUT;  // the socket is full: wait until it takes the rest
  }
  pollfd fds[2] = {{wl_display_get_fd(display), display_events, 0}, {stop_signal_fd(), POLLIN, 0}};
  timespec timeout = {0, 0};
  if (wake_us >= 0) {
    long long left = wake_us - monotonic_us();
    if (left > 0) timeout = {(time_t)(left / 1000000), (long)(left % 1000000) * 1000};
  }
  ppoll(fds, 2, wake_us >= 0 ? &timeout : nullptr, nullptr);
  if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
    if (wl_display_read_events(display) < 0) connection_failed();
  } else {
    wl_display_cancel_read(display);
  }
  if (wl_display_dispatch_pending(display) < 0) connection_failed();
  if (fds[1].revents & POLLIN) read_stop_signal();
}

static void close_everything() {
  for (int i = 0; i < max_views && scene_ready; i++) {
    if (!view_at(i).used || view_at(i).egl_surface == EGL_NO_SURFACE) continue;
    // The overlay's texture and the mesh's buffers, while their context is
    // current.
    if (make_current(view_at(i).egl_surface)) {
      meter_overlay_close();
      release_surface_mesh();
    }
    break;
  }
  close_views();
  close_egl();
  disconnect_compositor();
}

int run_wayland_saver(const saver_options* options) {
  keep_freed_heap();
  if (!connect_compositor()) return 1;
  if (!open_egl(wayland.display)) {
    disconnect_compositor();
    return 1;
  }
  set_gl_function_lookup(egl_function);
  bool own_window = options->target != target_overlay;
  if (!(own_window ? open_own_view(options->width, options->height) : open_saver_views())) {
    close_egl();
    disconnect_compositor();
    return 1;
  }
  set_input_rule(own_window ? end_on_close_keys : end_on_any_input);
  show_meter = options->show_fps;
  read_stop_signal();
  frames_begin(options->delay_us);
  long long wake = monotonic_us();
  while (!should_stop()) {
    sync_views();
    if (any_view_ready() && monotonic_us() >= wake) {
      for (int i = 0; i < max_views && !scene_ready; i++)
        if (view_ready(i)) set_up_scene(i);
      long long start;
      if (!frame_begins(&start)) break;
      step_frame();
      step++;
      for (int i = 0; i < max_views && !drawing_failed; i++)
        if (view_ready(i)) draw_view(i);
      frame_ends(start);
      wake = next_frame_wake();
    } else {
      catch_up();
    }
    wait_for_events(any_view_ready() ? wake : -1);
  }
  bool failed = view_failed() || drawing_failed;
  close_everything();
  end_by_stop_signal();
  return failed ? 1 : 0;
}
