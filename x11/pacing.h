// Frame-period arithmetic of the Linux edition: how long to sleep after a
// frame, and the frame rate and load that -fps shows. Pure functions on
// microsecond times of a monotonic clock.
#pragma once

// What is left of the period that began at `frame_start_us` when it is
// `now_us`: the time to sleep before the next frame, 0 when the frame took
// the whole period or longer (the next frame then starts at once).
long long time_left_us(long long frame_start_us, long long period_us, long long now_us);

// Where the period after the one that began at `period_start_us` begins,
// seen when a frame has ended at `now_us`: one period later, so that a sleep
// that overran is taken off the next period instead of piling up; or now,
// when the frame took the whole period or longer (no catching up in a burst).
long long next_period_start(long long period_start_us, long long period_us, long long now_us);

// Frames and busy time counted over windows of at least `meter_window_us`.
struct frame_meter {
  long long window_start_us;  // start of the first frame of the window; -1 before any frame
  long long busy_us;          // time spent drawing frames started in this window
  long frames;                // frames started in this window
  double fps;                 // figures of the last finished window
  double load;                // share of the time spent drawing, 0 to 1
  bool has_figures;           // false until one window has finished
};

const long long meter_window_us = 1000000;

void meter_reset(frame_meter* m);
// A frame starts at `now_us`. When the window has lasted meter_window_us or
// more, computes its figures, starts a new window here and returns true.
bool meter_frame_start(frame_meter* m, long long now_us);
// The frame that started at `start_us` has ended at `end_us`.
void meter_frame_end(frame_meter* m, long long start_us, long long end_us);

// The overlay's two lines, "FPS: 99.8" and "Load: 71.2%" (or "FPS: ..." before
// the first figures), into `line1` and `line2`.
void format_meter(const frame_meter* m, char* line1, int size1, char* line2, int size2);
