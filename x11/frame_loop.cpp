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
#include "x11/fps_overlay.h"
#include "x11/glx_window.h"

long frames_drawn;
frame_meter meter;
long long run_limit_us;
long long measure_after_us;
long measured_frames;
long long measured_busy_us;
long long measured_span_us;

static sigset_t stop_signals;
static int signal_fd = -1;
static int stop_signal;  // the signal that ends the run, 0 for none

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
  return stop_signal || window_gone || quit_requested || unexpected_x_error;
}

// Waits up to `timeout_us` for X input or a stop signal, handling both.
static void wait_for_input(long long timeout_us) {
  fd_set readable;
  FD_ZERO(&readable);
  int x_fd = ConnectionNumber(display);
  FD_SET(x_fd, &readable);
  FD_SET(signal_fd, &readable);
  timeval timeout;
  timeout.tv_sec = (time_t)(timeout_us / 1000000);
  timeout.tv_usec = (suseconds_t)(timeout_us % 1000000);
  int n = select((x_fd > signal_fd ? x_fd : signal_fd) + 1, &readable, nullptr, nullptr, &timeout);
  if (n > 0 && FD_ISSET(signal_fd, &readable)) read_stop_signal();
  handle_pending_events();
}

static void draw_one_frame(bool overlay) {
  if (size_changed) {
    resize_scene(window_width, window_height);
    size_changed = false;
  }
  draw_frame();
  if (overlay) {
    char line1[32], line2[32];
    format_meter(&meter, line1, sizeof line1, line2, sizeof line2);
    overlay_draw(window_width, window_height, line1, line2);
  }
  if (double_buffered)
    glXSwapBuffers(display, target_window);
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

int run_saver(const saver_options* options) {
  keep_freed_heap();
  if (!open_target(options)) return window_gone ? 0 : 1;
  init_scene(window_width, window_height);
  bool overlay = false;
  if (options->show_fps) {
    overlay = overlay_open(display, window_width >= 480 ? overlay_fonts : small_overlay_fonts);
    if (!overlay) std::fprintf(stderr, "korvanthel: no font for the -fps overlay; running without it\n");
  }
  meter_reset(&meter);
  long long period = options->delay_us;
  long long run_start = monotonic_us();
  handle_pending_events();
  read_stop_signal();
  long long measure_start = -1;
  long long period_start = monotonic_us();
  while (!should_stop()) {
    long long start = monotonic_us();
    if (measure_start >= 0) measured_span_us = start - measure_start;
    if (run_limit_us > 0 && start - run_start >= run_limit_us) break;
    meter_frame_start(&meter, start);
    draw_one_frame(overlay);
    long long end = monotonic_us();
    meter_frame_end(&meter, start, end);
    frames_drawn++;
    if (start - run_start >= measure_after_us) {
      if (measure_start < 0) measure_start = start;
      measured_frames++;
      measured_busy_us += end - start;
    }

    // Events and signals are read at least once per frame, also when no
    // time is left; then the rest of the period is slept in select().
    read_stop_signal();
    handle_pending_events();
    long long next = next_period_start(period_start, period, monotonic_us());
    for (;;) {
      if (should_stop()) break;
      long long left = time_left_us(period_start, period, monotonic_us());
      if (left <= 0) break;
      wait_for_input(left);
    }
    period_start = next;
    if (unexpected_x_error && !window_gone && !target_exists()) window_gone = true;
  }

  int code = 0;
  if (window_gone) {
    unexpected_x_error = false;  // errors of a vanished window are its end
  } else if (unexpected_x_error) {
    report_x_error();
    code = 1;
  }
  if (overlay) overlay_close(display);
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
