// The command line of the Linux program: which window system and display,
// where it draws, how often, and whether it shows its frame rate. Pure
// functions: no X, no Wayland, no GL, no output.
#pragma once

#include <cstddef>

enum draw_target {
  target_own_window,  // a window of its own, mapped by the program
  target_root,        // X11: XSCREENSAVER_WINDOW, or the root window when it is unset
  target_window_id,   // X11: an existing window named on the command line
  target_overlay      // Wayland: the saver, a full-screen overlay on every output
};

// The window system that a run takes.
enum saver_road { road_x11, road_wayland };

struct saver_options {
  draw_target target;
  unsigned long window_id;  // target_window_id only
  long delay_us;            // period of one frame, in microseconds
  bool show_fps;
  int width, height;         // size of the program's own window
  const char* display_name;  // -display (a pointer into argv); null: $DISPLAY
  bool help;                 // -help: print the usage line and end
  // The first option given that only one window system has (-root,
  // -window-id, -display for X11; -overlay for Wayland), as given; null
  // when there is none.
  const char* x11_option;
  const char* wayland_option;
};

const long default_delay_us = 10000;  // the Windows saver's 10 ms timer
const long max_delay_us = 10000000;   // ten seconds
const int default_width = 1024;
const int default_height = 768;
const int max_window_side = 16384;
// X resource ids keep their top three bits zero; 0 is None.
const unsigned long max_window_id = 0x1fffffffUL;
// Room for the usage line and its terminating zero.
const size_t usage_size = 256;

// Reads argv[1] .. argv[argc - 1]. Options take one or two leading dashes.
// Returns true with *out filled in, or false with one line (no newline; the
// control characters of an argument it quotes are shown as '?') saying what
// is wrong in `error`, and *out untouched. An option of X11 and one of
// Wayland together are wrong.
bool parse_options(int argc, const char* const* argv, saver_options* out, char* error, size_t error_size);

// The usage line, "usage: korvanthel [-root] [-window-id ID] ...", one
// bracket per option in the order of the option table, into `out` (cut to
// `size` and always terminated when size > 0). Returns the length of the
// whole line, as snprintf does.
size_t format_usage(char* out, size_t size);

// A window id: hexadecimal with 0x or 0X, or decimal (leading zeros are still
// decimal), from 1 to max_window_id, nothing else around it.
bool parse_window_id(const char* text, unsigned long* id);

// A decimal count without sign or spaces, at most `max`.
bool parse_count(const char* text, long max, long* value);

// WIDTHxHEIGHT, each from 1 to max_window_side.
bool parse_geometry(const char* text, int* width, int* height);

// The road a run takes: X11 when an option of X11 is given (the xscreensaver
// daemon's -root, its settings dialog's -window-id, X's -display), Wayland
// when -overlay is; otherwise Wayland when `wayland_display` (the value of
// WAYLAND_DISPLAY, null when unset) names a compositor, X11 when not.
saver_road choose_road(const saver_options* options, const char* wayland_display);

// The lines that -help prints after the usage line: how the road is chosen.
extern const char* const road_help;

// The window that -root draws into: the value of XSCREENSAVER_WINDOW
// (`env_value`, null when unset). Returns true with *id set, 0 meaning the
// root window; false with a line in `error` when the value is no window id.
bool root_target_window(const char* env_value, unsigned long* id, char* error, size_t error_size);
