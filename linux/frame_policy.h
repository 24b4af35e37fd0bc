// The frame loop's policy, which the X11 and the Wayland hosts' loops both
// follow: at most one frame per -delay period, paced by pace_frame from the
// start of each period; the frame rate and load that -fps shows counted over
// every frame; and the one seam through which the benchmark ends a run and
// times its frames (loop_hooks.h). Each host waits for its window system's
// events and the stop signals itself, until the time this policy gives.
#pragma once

// Microseconds on the monotonic clock.
long long monotonic_us();

// Mesa's software renderer allocates and frees its per-frame working memory
// on the heap every frame; by default the C library gives the freed top of
// the heap back to the kernel each time and the next frame faults in fresh
// zeroed pages (about a fifth of the process's time in the kernel, measured
// at 1024 x 768). Keeps up to 64 MB of freed heap instead. Call once, before
// the first frame.
void keep_freed_heap();

// The run's first period starts now, `period_us` long, with the meter empty.
void frames_begin(long long period_us);
// A frame is about to start: sets *start_us to now and counts the frame for
// the meter. False when the run ends here instead, without drawing it (the
// benchmark's limit; the program's runs never end so).
bool frame_begins(long long* start_us);
// The frame that began at `start_us` has been drawn and shown.
void frame_ends(long long start_us);
// Time spent drawing outside a counted frame (a view that shows a step it
// missed), added to the load that -fps shows.
void frame_busy(long long start_us, long long end_us);
// When the next frame may start, after the frame and the events that
// followed it: pace_frame from the current period's start and now. Moves the
// period on.
long long next_frame_wake();
// The meter's two lines, "FPS: 99.8" and "Load: 71.2%", for -fps.
void meter_lines(char* line1, int size1, char* line2, int size2);
