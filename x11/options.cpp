// Option and window-id parsing of the Linux edition.
#include "x11/options.h"

#include <cstdio>
#include <cstring>

const char usage_line[] =
    "usage: korvanthel [-root] [-window-id ID] [-delay MICROSECONDS] [-fps] [-geometry WxH] [-help]";

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
    if (v > (max - (unsigned long)d) / (unsigned long)base) return false;
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

bool root_target_window(const char* env_value, unsigned long* id, char* error, size_t error_size) {
  if (!env_value) {
    *id = 0;
    return true;
  }
  if (parse_window_id(env_value, id)) return true;
  std::snprintf(error, error_size, "XSCREENSAVER_WINDOW is not a window id: '%s'", env_value);
  return false;
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
  bool root = false, window_id = false;
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    const char* name = option_name(arg);
    if (!name) {
      std::snprintf(error, error_size, "unexpected argument '%s'", arg);
      return false;
    }
    bool takes_value =
        !std::strcmp(name, "window-id") || !std::strcmp(name, "delay") || !std::strcmp(name, "geometry");
    const char* value = nullptr;
    if (takes_value) {
      if (i + 1 >= argc) {
        std::snprintf(error, error_size, "option %s needs a value", arg);
        return false;
      }
      value = argv[++i];
    }
    if (!std::strcmp(name, "root")) {
      root = true;
    } else if (!std::strcmp(name, "fps")) {
      o.show_fps = true;
    } else if (!std::strcmp(name, "help")) {
      o.help = true;
    } else if (!std::strcmp(name, "window-id")) {
      if (!parse_window_id(value, &o.window_id)) {
        std::snprintf(error, error_size, "%s wants a window id (0x... or decimal), not '%s'", arg, value);
        return false;
      }
      window_id = true;
    } else if (!std::strcmp(name, "delay")) {
      if (!parse_count(value, max_delay_us, &o.delay_us)) {
        std::snprintf(error, error_size, "%s wants microseconds from 0 to %ld, not '%s'", arg, max_delay_us,
                      value);
        return false;
      }
    } else if (!std::strcmp(name, "geometry")) {
      if (!parse_geometry(value, &o.width, &o.height)) {
        std::snprintf(error, error_size, "%s wants WIDTHxHEIGHT from 1 to %d, not '%s'", arg, max_window_side,
                      value);
        return false;
      }
    } else {
      std::snprintf(error, error_size, "unknown option '%s'", arg);
      return false;
    }
  }
  // A window named on the command line wins over -root.
  if (window_id)
    o.target = target_window_id;
  else if (root)
    o.target = target_root;
  *out = o;
  return true;
}
