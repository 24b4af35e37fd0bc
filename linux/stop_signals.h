// The stop signals of the Linux program, SIGTERM (the xscreensaver daemon's
// and the preview's stop), SIGINT and SIGHUP: blocked from the start and
// read from a descriptor between frames, so that the frame in progress ends
// and the window system's resources are released before the process ends by
// that same signal.
#pragma once

// Blocks the three signals and opens the descriptor that reads them. Call
// first, before any other thread (Xlib's, Mesa's) exists.
bool block_stop_signals();
// The descriptor that becomes readable when a stop signal is pending, for
// the frame loop's select() or poll().
int stop_signal_fd();
// Takes every pending stop signal off the descriptor; the first one stays
// as the signal that ends the run.
void read_stop_signal();
// The signal that ends the run, 0 while none has come.
int stop_signal();
// When a stop signal has come: ends the process by that same signal, with
// its default action, so that whoever sent it sees the death it asked for.
// Returns only when none has come.
void end_by_stop_signal();
