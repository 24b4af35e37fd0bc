// Steps of the animation per animation frame.
#include "web/pacing.h"

#include <cmath>

void reset_step_clock(step_clock* clock) {
  clock->started = false;
  clock->last_ms = 0;
  clock->carried_ms = 0;
}

int take_steps(step_clock* clock, double now_ms) {
  if (!clock->started) {
    clock->started = true;
    clock->last_ms = now_ms;
    clock->carried_ms = 0;
    return 1;
  }
  double elapsed = now_ms - clock->last_ms + clock->carried_ms;
  clock->last_ms = now_ms;
  // A clock seen going back starts over from here. (Not a number too.)
  if (!(elapsed >= 0)) {
    clock->carried_ms = 0;
    return 0;
  }
  double whole = std::floor(elapsed / step_ms);
  if (whole > max_steps_per_frame) {
    clock->carried_ms = 0;
    return max_steps_per_frame;
  }
  clock->carried_ms = elapsed - whole * step_ms;
  return (int)whole;
}
