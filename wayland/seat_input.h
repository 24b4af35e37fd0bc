// The seat's keyboard, pointer and touch, bound and released as the seat's
// capabilities come and go (virtual devices make them come and go), and the
// rule that turns their input into the end of the run.
#pragma once

#include <cstdint>

struct wl_seat;

enum input_rule {
  // The saver: any key, button or touch ends it, and pointer motion of more
  // than 4 pixels summed over both axes from the first position it learns,
  // or onto another of its surfaces; the pointer is hidden over it.
  end_on_any_input,
  // A window of its own: the keys q, Q and Escape end it.
  end_on_close_keys,
};

// The rule for the run; end_on_close_keys until set.
void set_input_rule(input_rule rule);
// Takes the seat that the registry announced (under `name`); a second seat
// is released at once: the saver follows the first.
void use_seat(wl_seat* seat, uint32_t name);
// The registry's global `name` was removed: when it is the seat, its devices
// are released.
void seat_removed(uint32_t name);
// True once input has asked for the end of the run.
bool input_ends_run();
// Releases the devices and the seat.
void release_seat();
