// The Linux program's frame loop for a fixed time, on the road its options
// pick as the program's do (X11, or Wayland with -overlay or
// WAYLAND_DISPLAY): the frame rate achieved against the rate the delay asks
// for, the load that -fps shows, the mean time of one frame with its buffer
// swap, and the CPU time that the process (all its threads, the renderer's
// too) used. -fps's load is the part of each period spent in the frame,
// waits on the window system and on the renderer's threads included; the
// CPU time is what the machine spent, in user space and in the kernel.
// Prints figures, asserts nothing. The loop's hooks (linux/loop_hooks.h) are
// defined here: they end the run and time its frames.
//
//   bench_linux SECONDS [korvanthel options...]
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <sys/resource.h>

#include "linux/loop_hooks.h"
#include "linux/options.h"
#include "linux/stop_signals.h"
#include "wayland/frame_loop.h"
#include "x11/frame_loop.h"

// Frames that start at least this long after the first (past the renderer's
// first compilations) are the steady state that is measured.
static const long long warm_up_us = 2000000;
static long long run_limit_us;  // the run ends at the first frame this long after the first

static long long first_start_us = -1;
static long frames_drawn;
static long long measure_start_us = -1;  // start of the first measured frame
static long measured_frames;
static long long measured_busy_us;
static long long measured_span_us;  // from measure_start_us to the loop's last question whether to end
static frame_meter last_meter;
static double cpu_at_measure_start, cpu_at_last_question;  // seconds of CPU

// The process's CPU time so far, user and kernel, all threads.
static double process_cpu_seconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

bool loop_hook_end_run(long long start_us) {
  if (first_start_us < 0) first_start_us = start_us;
  if (measure_start_us >= 0) {
    measured_span_us = start_us - measure_start_us;
    cpu_at_last_question = process_cpu_seconds();
  }
  return start_us - first_start_us >= run_limit_us;
}

void loop_hook_frame_drawn(long long start_us, long long end_us, const frame_meter* meter) {
  frames_drawn++;
  last_meter = *meter;
  if (start_us - first_start_us < warm_up_us) return;
  if (measure_start_us < 0) {
    measure_start_us = start_us;
    cpu_at_measure_start = process_cpu_seconds();
  }
  measured_frames++;
  measured_busy_us += end_us - start_us;
}

static double now_seconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

int main(int argc, char** argv) {
  if (argc < 2 || std::atof(argv[1]) <= 0) {
    std::fprintf(stderr, "usage: bench_linux SECONDS [korvanthel options...]\n");
    return 2;
  }
  double seconds = std::atof(argv[1]);
  if (!block_stop_signals()) return 1;
  saver_options options;
  char error[256];
  // The options start after SECONDS; parse_options skips its argv[0].
  if (!parse_options(argc - 1, argv + 1, &options, error, sizeof error)) {
    std::fprintf(stderr, "bench_linux: %s\n", error);
    return 2;
  }
  run_limit_us = (long long)(seconds * 1e6);
  double start = now_seconds();
  bool wayland = choose_road(&options, std::getenv("WAYLAND_DISPLAY")) == road_wayland;
  int code = wayland ? run_wayland_saver(&options) : run_x11_saver(&options);
  double elapsed = now_seconds() - start;
  if (code != 0 || frames_drawn == 0) return 1;
  if (measured_frames < 2 || measured_span_us <= 0) {
    std::fprintf(stderr, "bench_linux: run longer than the 2 s warm-up\n");
    return 1;
  }
  double asked = options.delay_us > 0 ? 1e6 / options.delay_us : 0;
  double achieved = measured_frames * 1e6 / measured_span_us;
  std::printf("%s %s %d x %d, delay %ld us, %.1f s, %ld frames; measured after the first 2 s: %ld frames\n",
              wayland ? "Wayland" : "X11", options.target == target_overlay ? "overlay" : "window",
              options.width, options.height, options.delay_us, elapsed, frames_drawn, measured_frames);
  if (asked > 0)
    std::printf("  asked %.1f fps, achieved %.1f fps (%.3f of asked)\n", asked, achieved, achieved / asked);
  else
    std::printf("  asked: as fast as it goes, achieved %.1f fps\n", achieved);
  std::printf("  mean frame with swap %.3f ms (%.0f %% of the period)\n",
              measured_busy_us / 1000.0 / measured_frames,
              options.delay_us > 0 ? measured_busy_us * 100.0 / measured_frames / options.delay_us : 100.0);
  std::printf("  process CPU time %.1f %% of one core (%.3f ms per frame)\n",
              (cpu_at_last_question - cpu_at_measure_start) * 1e8 / measured_span_us,
              (cpu_at_last_question - cpu_at_measure_start) * 1e3 / measured_frames);
  if (last_meter.has_figures)
    std::printf("  -fps shows FPS: %.1f  Load: %.1f%%\n", last_meter.fps, last_meter.load * 100);
  return 0;
}
