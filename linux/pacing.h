// Frame-period arithmetic of the Linux program (and the browser's meter):
// when the next frame starts, and the frame rate and load that -fps shows.
// Pure functions on microsecond times of a monotonic clock.
#pragma once

// The frame loop's pacing step, when a frame of the period that began at
// `period_start_us` (`period_us` long) has ended at `now_us`.
struct frame_pace {
  // When the next frame starts: the end of the period, or now when the frame
  // took the whole period or longer (the next frame then starts at once).
  // Never more than one period after now, even when the clock is seen going
  // backwards.
  long long wake_us;
  // Where the next frame's period begins: one period on, so that a sleep that
  // overran is taken off the next period instead of piling up; or now, when
  // the frame took the whole period or longer (no catching up in a burst) or
  // the clock is seen going backwards.
  long long next_period_start_us;
};
frame_pace pace_frame(long long period_start_us, long long period_us, long long now_us);

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
// Drawing from `start_us` to `end_us` that belongs to no frame of its own
// (one output showing a step that it missed): counted in the load only.
void meter_busy(frame_meter* m, long long start_us, long long end_us);

// The overlay's two lines, "FPS: 99.8" and "Load: 71.2%" (or "FPS: ..." before
// the first figures), into `line1` and `line2`.
void format_meter(const frame_meter* m, char* line1, int size1, char* line2, int size2);
