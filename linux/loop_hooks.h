// The one seam between the frame loop and the benchmark that measures it.
// The shipped program compiles each hook below as an empty inline function,
// which leaves no code behind; bench_x11 compiles the frame loop once more
// with KORV_LOOP_HOOKS and defines the hooks itself, to end the run after a
// fixed time and to time the frames.
#pragma once

#include "linux/pacing.h"

#ifdef KORV_LOOP_HOOKS

// Asked before each frame, about to start at `start_us` (monotonic clock, in
// microseconds): true ends the run there, with exit code 0.
bool loop_hook_end_run(long long start_us);
// A frame was drawn and shown from `start_us` to `end_us`; `meter` holds
// what -fps shows after it.
void loop_hook_frame_drawn(long long start_us, long long end_us, const frame_meter* meter);

#else

inline bool loop_hook_end_run(long long) {
  return false;
}
inline void loop_hook_frame_drawn(long long, long long, const frame_meter*) {}

#endif
