// The saver's frame loop: one frame and one buffer swap per period, X events
// and stop signals handled while it waits.
#pragma once

#include "x11/options.h"
#include "x11/pacing.h"

// Counters of the frames drawn so far, read by the benchmark.
extern long frames_drawn;
extern frame_meter meter;  // what -fps shows
// When positive, the loop ends with exit code 0 after this many
// microseconds (the benchmark's runs); 0 means until told to stop.
extern long long run_limit_us;
// The benchmark's steady state: frames that start at least measure_after_us
// after the loop began (past the renderer's first compilations), their busy
// time, and the time from the first of them to the end of the loop.
extern long long measure_after_us;
extern long measured_frames;
extern long long measured_busy_us;
extern long long measured_span_us;

// Blocks SIGTERM, SIGINT and SIGHUP so that they are read between frames.
// Call first, before any other thread (Mesa's) exists.
bool block_stop_signals();
// Runs the saver as the options say. Returns the exit code, or does not
// return when a stop signal ends the process by that same signal.
int run_saver(const saver_options* options);
