// The saver's frame loop: one frame and one buffer swap per period, X events
// and stop signals handled while it waits.
#pragma once

#include "x11/options.h"
#include "x11/pacing.h"

// Counters of the frames drawn so far, read by the benchmark.
extern long frames_drawn;
extern long long busy_us_total;  // time spent in frames, swaps included
extern frame_meter meter;        // what -fps shows
// When positive, the loop ends with exit code 0 after this many
// microseconds (the benchmark's runs); 0 means until told to stop.
extern long long run_limit_us;

// Blocks SIGTERM, SIGINT and SIGHUP so that they are read between frames.
// Call first, before any other thread (Mesa's) exists.
bool block_stop_signals();
// Runs the saver as the options say. Returns the exit code, or does not
// return when a stop signal ends the process by that same signal.
int run_saver(const saver_options* options);
