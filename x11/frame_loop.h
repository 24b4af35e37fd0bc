// The saver's frame loop: one frame and one buffer swap per period, X events
// and stop signals handled while it waits.
#pragma once

#include "x11/options.h"

// Blocks SIGTERM, SIGINT and SIGHUP so that they are read between frames.
// Call first, before any other thread (Mesa's) exists.
bool block_stop_signals();
// Runs the Linux edition as the options say. Returns the exit code, or does
// not return when a stop signal ends the process by that same signal.
int run_x11_saver(const saver_options* options);
