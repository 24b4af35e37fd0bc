// Fuzz target: any byte string as the Linux edition's command line (the
// arguments are the pieces between NUL bytes; the first byte sizes the
// error buffer), and each argument as a window id, as the value of
// XSCREENSAVER_WINDOW and as a count. Every buffer is allocated to its exact
// size, so that a read or write past one is caught; the parsers must keep
// their promises about what they accept and what they write.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "linux/options.h"

static void require(bool condition) {
  if (!condition) abort();
}

static char* copy_of(const char* text, size_t size) {
  char* copy = (char*)malloc(size + 1);
  memcpy(copy, text, size);
  copy[size] = '\0';
  return copy;
}

// The error text stays inside its buffer, terminated, on one line.
static void require_one_line(const char* error, size_t size) {
  if (!size) return;
  const char* end = (const char*)memchr(error, '\0', size);
  require(end != nullptr);
  for (const char* p = error; p < end; p++) require((unsigned char)*p >= ' ' && *p != 0x7f);
}

// `text` without its leading zeros (but one zero left of an all-zero text).
static const char* without_leading_zeros(const char* text) {
  while (text[0] == '0' && text[1]) text++;
  return text;
}

static bool same_ignoring_case(const char* a, const char* b) {
  for (; *a && *b; a++, b++) {
    char x = *a >= 'A' && *a <= 'Z' ? (char)(*a - 'A' + 'a') : *a;
    if (x != *b) return false;
  }
  return *a == *b;
}

// A window id that was accepted reads back as the text it came from.
static void check_window_id(const char* text) {
  unsigned long id = 0;
  bool ok = parse_window_id(text, &id);
  if (ok) {
    require(id >= 1 && id <= max_window_id);
    char back[32];
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    snprintf(back, sizeof back, hex ? "%lx" : "%lu", id);
    require(same_ignoring_case(without_leading_zeros(hex ? text + 2 : text), back));
  }
  // XSCREENSAVER_WINDOW takes the same ids, and tells a bad one in one line.
  const size_t sizes[] = {0, 1, 17, 200};
  for (size_t size : sizes) {
    char* error = (char*)malloc(size ? size : 1);
    unsigned long root_id = 0;
    bool root_ok = root_target_window(text, &root_id, error, size);
    require(root_ok == ok);
    if (root_ok)
      require(root_id == id);
    else
      require_one_line(error, size);
    free(error);
  }
}

// A count that was accepted is at most its maximum and reads back as the
// text it came from.
static void check_count(const char* text, long max) {
  long value = -1;
  if (!parse_count(text, max, &value)) return;
  require(value >= 0 && value <= max);
  char back[32];
  snprintf(back, sizeof back, "%ld", value);
  require(!strcmp(without_leading_zeros(text), back));
}

// What parse_options reports for `argc` arguments with an error buffer of
// `error_size` bytes.
static void check_options(int argc, char** argv, size_t error_size) {
  char* error = (char*)malloc(error_size ? error_size : 1);
  saver_options out, untouched;
  memset(&out, 0xa5, sizeof out);
  memcpy(&untouched, &out, sizeof out);
  if (parse_options(argc, argv, &out, error, error_size)) {
    require(out.target == target_own_window || out.target == target_root || out.target == target_window_id ||
            out.target == target_overlay);
    // One road's options only: -overlay alone says Wayland, and each named
    // option is an argument as given.
    require(!(out.x11_option && out.wayland_option));
    require((out.target == target_overlay) == (out.wayland_option != nullptr));
    const char* named[] = {out.x11_option, out.wayland_option};
    for (const char* option : named) {
      bool from_argv = !option;
      for (int i = 1; i < argc; i++) from_argv |= option == argv[i];
      require(from_argv);
    }
    if (out.target == target_window_id) require(out.window_id >= 1 && out.window_id <= max_window_id);
    require(out.delay_us >= 0 && out.delay_us <= max_delay_us);
    require(out.width >= 1 && out.width <= max_window_side);
    require(out.height >= 1 && out.height <= max_window_side);
    if (out.display_name) {
      bool from_argv = false;
      for (int i = 1; i < argc; i++) from_argv |= out.display_name == argv[i];
      require(from_argv);
      require(strchr(out.display_name, ':') != nullptr);
      require_one_line(out.display_name, strlen(out.display_name) + 1);
    }
  } else {
    require(!memcmp(&out, &untouched, sizeof out));
    require_one_line(error, error_size);
  }

  size_t length = format_usage(error, error_size);
  require(length > 0 && length < usage_size);
  if (error_size) {
    require(strlen(error) == (length < error_size ? length : error_size - 1));
    require(!strncmp(error, "usage: korvanthel", strlen(error) < 17 ? strlen(error) : 17));
  }
  free(error);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t error_size = data[0] % 96;
  const char* text = (const char*)data + 1;
  size_t left = size - 1;

  const int max_args = 12;
  char* argv[max_args + 2];
  int argc = 0;
  argv[argc++] = copy_of("korvanthel", 10);
  while (argc <= max_args) {
    const char* nul = (const char*)memchr(text, '\0', left);
    size_t n = nul ? (size_t)(nul - text) : left;
    argv[argc++] = copy_of(text, n);
    if (!nul) break;
    text = nul + 1;
    left -= n + 1;
  }
  argv[argc] = nullptr;

  check_options(argc, argv, error_size);
  for (int i = 1; i < argc; i++) {
    check_window_id(argv[i]);
    // Maximums of one digit too, where a digit can exceed the maximum.
    check_count(argv[i], data[0] % 12);
    check_count(argv[i], max_delay_us);
  }
  unsigned long id = 1;
  char error[8];
  require(root_target_window(nullptr, &id, error, sizeof error) && id == 0);

  for (int i = 0; i < argc; i++) free(argv[i]);
  return 0;
}
