// The Wayland host's frame loop: one step of the animation per period, shown
// on every view whose last frame the compositor has shown, Wayland events
// and stop signals handled while it waits.
#pragma once

#include "linux/options.h"

// Runs the Linux program on Wayland as the options say: the saver on every
// output (-overlay) or a window of its own. Returns the exit code, or does
// not return when a stop signal ends the process by that same signal. The
// stop signals are blocked first (block_stop_signals).
int run_wayland_saver(const saver_options* options);
