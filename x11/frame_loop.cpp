// The frame loop: draws, swaps, sleeps what is left of the period while it
// handles X events, and ends on a stop signal, the window's end or the
// close keys.
#include "x11/frame_loop.h"

#include <GL/gl.h>
#include <malloc.h>
#include <sys/select.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "scene/scene.h"
#include "scene/surface_mesh.h"
#include "x11/fps_overlay.h"
#include "x11/glx_window.h"
#include "x11/loop_hooks.h"
#include "x11/pacing.h"

static frame_meter meter;  // what -fps shows
static sigset_t stop_signals;
static int signal_fd = -1;
static int stop_signal;  // the signal that ends the run, 0 for none

// The mesh's buffer-object functions, as GLX finds them.
static gl_function glx_function(const char* name) {
  return glXGetProcAddress((const GLubyte*)name);
}

static long long monotonic_us() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

bool block_stop_signals() {
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGHUP);
  if (sigprocmask(SIG_BLOCK, &stop_signals, nullptr) != 0) return false;
  signal_fd = signalfd(-1, &stop_signals, SFD_NONBLOCK | SFD_CLOEXEC);
  return signal_fd >= 0;
}

// Takes a pending stop signal off the descriptor, if there is one.
static void read_stop_signal() {
  signalfd_siginfo info;
  while (read(signal_fd, &info, sizeof info) == (ssize_t)sizeof info)
    if (!stop_signal) stop_signal = (int)info.ssi_signo;
}

static bool should_stop() {
  return stop_signal || target_done();
}

// Waits up to `timeout_us` for X input or a stop signal, handling both.
static void wait_for_input(long long timeout_us) {
  fd_set readable;
  FD_ZERO(&readable);
  int x_fd = ConnectionNumber(target.display);
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
    format_meter(&meter, line1, sizeof line1, line2, sizeof line2);
    overlay_draw(target.width, target.height, line1, line2);
  }
  if (target.double_buffered)
    glXSwapBuffers(target.display, target.window);
  else
    glFinish();
}

// Mesa's software renderer allocates and frees its per-frame working memory
// on the heap every frame; by default the C library gives the freed top of
// the heap back to the kernel each time and the next frame faults in fresh
// zeroed pages (about a fifth of the process's time in the kernel, measured
// at 1024 x 768). Keeping up to 64 MB of freed heap avoids that.
static void keep_freed_heap() {
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 16 << 20);
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
  meter_reset(&meter);
  handle_pending_events();
  read_stop_signal();
  long long period_start = monotonic_us();
  while (!should_stop()) {
    long long start = monotonic_us();
    if (loop_hook_end_run(start)) break;
    meter_frame_start(&meter, start);
    draw_one_frame(overlay);
    long long end = monotonic_us();
    meter_frame_end(&meter, start, end);
    loop_hook_frame_drawn(start, end, &meter);

    // Events and signals are read at least once per frame, also when no
    // time is left; then the rest of the period is slept in select().
    read_stop_signal();
    handle_pending_events();
    frame_pace pace = pace_frame(period_start, options->delay_us, monotonic_us());
    wait_until(pace.wake_us);
    period_start = pace.next_period_start_us;
  }

  int code = target_exit_code();
  if (overlay) overlay_close();
  release_surface_mesh();  // while its context is still current
  close_target();
  if (stop_signal) {
    // End by the same signal, with its default action, so that whoever sent
    // it sees the death it asked for.
    std::signal(stop_signal, SIG_DFL);
    std::fflush(nullptr);
    raise(stop_signal);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, stop_signal);
    sigprocmask(SIG_UNBLOCK, &one, nullptr);
  }
  return code;
}
