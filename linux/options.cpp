// Option and window-id parsing of the Linux program, and its road.
#include "linux/options.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

static int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Digits in `base` (10 or 16) up to the end of the text, at least one, with a
// value of at most `max`.
static bool parse_digits(const char* text, int base, unsigned long max, unsigned long* value) {
  if (!*text) return false;
  unsigned long v = 0;
  for (const char* p = text; *p; p++) {
    int d = hex_digit(*p);
    if (d < 0 || d >= base) return false;
    // v * base + d <= max, asked without overflow: a digit larger than the
    // maximum fails at once (max - d would wrap round).
    if ((unsigned long)d > max || v > (max - (unsigned long)d) / (unsigned long)base) return false;
    v = v * base + d;
  }
  *value = v;
  return true;
}

bool parse_window_id(const char* text, unsigned long* id) {
  if (!text) return false;
  unsigned long v;
  bool ok;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    ok = parse_digits(text + 2, 16, max_window_id, &v);
  else
    ok = parse_digits(text, 10, max_window_id, &v);
  if (!ok || v == 0) return false;
  *id = v;
  return true;
}

bool parse_count(const char* text, long max, long* value) {
  unsigned long v;
  if (!text || max < 0 || !parse_digits(text, 10, (unsigned long)max, &v)) return false;
  *value = (long)v;
  return true;
}

bool parse_geometry(const char* text, int* width, int* height) {
  if (!text) return false;
  const char* x = std::strchr(text, 'x');
  if (!x || x == text) return false;
  char w_text[16];
  size_t n = (size_t)(x - text);
  if (n >= sizeof w_text) return false;
  std::memcpy(w_text, text, n);
  w_text[n] = '\0';
  long w, h;
  if (!parse_count(w_text, max_window_side, &w) || !parse_count(x + 1, max_window_side, &h)) return false;
  if (w < 1 || h < 1) return false;
  *width = (int)w;
  *height = (int)h;
  return true;
}

static bool is_control(char c) {
  return (unsigned char)c < ' ' || c == 0x7f;
}

// Shows every control character of the text in `error` as '?', so that
// an argument with a newline in it still makes one line.
static void keep_one_line(char* error, size_t error_size) {
  if (!error || !error_size) return;
  for (char* p = error; *p; p++)
    if (is_control(*p)) *p = '?';
}

// Writes one line about what is wrong into `error` and answers false.
__attribute__((format(printf, 3, 4))) static bool fail(char* error, size_t error_size, const char* format,
                                                       ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(error, error_size, format, args);
  va_end(args);
  keep_one_line(error, error_size);
  return false;
}

bool root_target_window(const char* env_value, unsigned long* id, char* error, size_t error_size) {
  if (!env_value) {
    *id = 0;
    return true;
  }
  if (parse_window_id(env_value, id)) return true;
  return fail(error, error_size, "XSCREENSAVER_WINDOW is not a window id: '%s'", env_value);
}

// How each option's value is read into the options; false when it is
// malformed. Options without a value are given null.

static bool read_root(const char*, saver_options* o) {
  // A window named on the command line wins over -root, in either order.
  if (o->target != target_window_id) o->target = target_root;
  return true;
}

static bool read_window_id(const char* value, saver_options* o) {
  if (!parse_window_id(value, &o->window_id)) return false;
  o->target = target_window_id;
  return true;
}

static bool read_overlay(const char*, saver_options* o) {
  o->target = target_overlay;
  return true;
}

static bool read_delay(const char* value, saver_options* o) {
  return parse_count(value, max_delay_us, &o->delay_us);
}

static bool read_fps(const char*, saver_options* o) {
  o->show_fps = true;
  return true;
}

static bool read_geometry(const char* value, saver_options* o) {
  return parse_geometry(value, &o->width, &o->height);
}

// An X display name has a colon before its display number (":0",
// "host:0.1"); Xlib opens nothing without one. Control characters are
// refused, since the name is told in error messages.
static bool read_display(const char* value, saver_options* o) {
  if (!std::strchr(value, ':')) return false;
  for (const char* p = value; *p; p++)
    if (is_control(*p)) return false;
  o->display_name = value;
  return true;
}

static bool read_help(const char*, saver_options* o) {
  o->help = true;
  return true;
}

// Which window system an option belongs to, when only one has it.
enum option_road { either_road, x11_only, wayland_only };

// One option of the command line: its name without dashes; the name of its
// value in the usage line, null when it takes none; how it is read; for a
// malformed value, what it wants ("-delay wants WANTS, not '...'"), a
// format that may show the number `bound`; and its window system.
struct option_entry {
  const char* name;
  const char* value_name;
  bool (*read)(const char* value, saver_options* o);
  const char* wants;
  long bound;
  option_road road;
};

// Every option, in the order of the usage line.
static const option_entry option_table[] = {
    {"root", nullptr, read_root, nullptr, 0, x11_only},
    {"window-id", "ID", read_window_id, "a window id (0x... or decimal)", 0, x11_only},
    {"overlay", nullptr, read_overlay, nullptr, 0, wayland_only},
    {"delay", "MICROSECONDS", read_delay, "microseconds from 0 to %ld", max_delay_us, either_road},
    {"fps", nullptr, read_fps, nullptr, 0, either_road},
    {"geometry", "WxH", read_geometry, "WIDTHxHEIGHT from 1 to %ld", max_window_side, either_road},
    {"display", "NAME", read_display, "an X display name (:N or HOST:N)", 0, x11_only},
    {"help", nullptr, read_help, nullptr, 0, either_road},
};

const char* const road_help =
    "X11 with -root, -window-id or -display (the xscreensaver daemon's, its settings dialog's\n"
    "and X's own options); Wayland with -overlay (the saver an idle daemon starts: every\n"
    "output, ended by input). Otherwise Wayland when WAYLAND_DISPLAY is set, X11 when not.";

saver_road choose_road(const saver_options* options, const char* wayland_display) {
  if (options->x11_option) return road_x11;
  if (options->wayland_option) return road_wayland;
  return wayland_display && *wayland_display ? road_wayland : road_x11;
}

static const option_entry* find_option(const char* name) {
  for (const option_entry& entry : option_table)
    if (!std::strcmp(entry.name, name)) return &entry;
  return nullptr;
}

// The option's name without its one or two leading dashes, or null when the
// argument is no option.
static const char* option_name(const char* arg) {
  if (arg[0] != '-') return nullptr;
  const char* name = arg[1] == '-' ? arg + 2 : arg + 1;
  return *name ? name : nullptr;
}

bool parse_options(int argc, const char* const* argv, saver_options* out, char* error, size_t error_size) {
  saver_options o = {};
  o.target = target_own_window;
  o.delay_us = default_delay_us;
  o.width = default_width;
  o.height = default_height;
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    const char* name = option_name(arg);
    if (!name) return fail(error, error_size, "unexpected argument '%s'", arg);
    const option_entry* entry = find_option(name);
    if (!entry) return fail(error, error_size, "unknown option '%s'", arg);
    const char* value = nullptr;
    if (entry->value_name) {
      if (i + 1 >= argc) return fail(error, error_size, "option %s needs a value", arg);
      value = argv[++i];
    }
    if (!entry->read(value, &o)) {
      char wants[80];
      std::snprintf(wants, sizeof wants, entry->wants, entry->bound);
      return fail(error, error_size, "%s wants %s, not '%s'", arg, wants, value);
    }
    if (entry->road == x11_only && !o.x11_option) o.x11_option = arg;
    if (entry->road == wayland_only && !o.wayland_option) o.wayland_option = arg;
  }
  if (o.x11_option && o.wayland_option)
    return fail(error, error_size, "%s is for X11 and %s for Wayland: give options of one of them",
                o.x11_option, o.wayland_option);
  *out = o;
  return true;
}

// Appends `text` to the line in `out`, as much as fits with its terminating
// zero, and counts all of it in *length.
static void append(char* out, size_t size, size_t* length, const char* text) {
  for (const char* p = text; *p; p++, ++*length)
    if (*length + 1 < size) out[*length] = *p;
  if (size) out[*length < size ? *length : size - 1] = '\0';
}

size_t format_usage(char* out, size_t size) {
  size_t length = 0;
  append(out, size, &length, "usage: korvanthel");
  for (const option_entry& entry : option_table) {
    append(out, size, &length, " [-");
    append(out, size, &length, entry.name);
    if (entry.value_name) {
      append(out, size, &length, " ");
      append(out, size, &length, entry.value_name);
    }
    append(out, size, &length, "]");
  }
  return length;
}
