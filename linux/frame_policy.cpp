// The frame loop's policy: periods, the -fps meter and the benchmark's seam.
// The program compiles the hooks of loop_hooks.h empty; the benchmark
// compiles this file once more with hooks of its own.
#include "linux/frame_policy.h"

#include <malloc.h>

#include <ctime>

#include "linux/loop_hooks.h"
#include "linux/pacing.h"

static frame_meter meter;  // what -fps shows
static long long period_us;
static long long period_start_us;

long long monotonic_us() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

void keep_freed_heap() {
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 16 << 20);
}

void frames_begin(long long period) {
  meter_reset(&meter);
  period_us = period;
  period_start_us = monotonic_us();
}

bool frame_begins(long long* start_us) {
  *start_us = monotonic_us();
  if (loop_hook_end_run(*start_us)) return false;
  meter_frame_start(&meter, *start_us);
  return true;
}

void frame_ends(long long start_us) {
  long long end_us = monotonic_us();
  meter_frame_end(&meter, start_us, end_us);
  loop_hook_frame_drawn(start_us, end_us, &meter);
}

void frame_busy(long long start_us, long long end_us) {
  meter_busy(&meter, start_us, end_us);
}

long long next_frame_wake() {
  frame_pace pace = pace_frame(period_start_us, period_us, monotonic_us());
  period_start_us = pace.next_period_start_us;
  return pace.wake_us;
}

void meter_lines(char* line1, int size1, char* line2, int size2) {
  format_meter(&meter, line1, size1, line2, size2);
}
