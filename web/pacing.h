// The browser edition's pace: the animation takes one step per 10 ms of
// real time, the saver's nominal rate, whatever the display's refresh rate;
// the steps due are taken at the browser's animation frames, at most a few
// per frame, so that a tab that comes back after a long time does not race
// to catch up. Pure arithmetic on the frames' times in milliseconds.
#pragma once

const double step_ms = 10.0;
const int max_steps_per_frame = 4;

struct step_clock {
  bool started;
  double last_ms;     // time of the last animation frame
  double carried_ms;  // time since the last step that is not yet a whole step
};

void reset_step_clock(step_clock* clock);
// The steps due at the animation frame of time `now_ms`: one at the first
// frame (the scene shows at once), then one per whole 10 ms since, the rest
// carried to the next frame. More than max_steps_per_frame are cut to that
// many and nothing is carried; a time earlier than the last gives none.
int take_steps(step_clock* clock, double now_ms);
