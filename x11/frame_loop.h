// The X11 host's frame loop: one frame and one buffer swap per period, X
// events and stop signals handled while it waits.
#pragma once

#include "linux/options.h"

// Runs the Linux program on X11 as the options say. Returns the exit code,
// or does not return when a stop signal ends the process by that same
// signal. The stop signals are blocked first (block_stop_signals).
int run_x11_saver(const saver_options* options);
