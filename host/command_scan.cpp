// The command-line scan of the saver.  Pure text logic: no Windows calls, so
// that it builds and is tested natively as well.
#include "host/command_scan.h"

const char* next_byte(const char* position) {
  return *position ? position + 1 : position;
}

const char* command_tail(const char* command_line, next_char_fn next_char) {
  const char* p = command_line;
  if (*p == '"') {
    // Quoted program name: up to the closing quote, or the end of the line.
    do {
      p = next_char(p);
    } while (*p != '\0' && *p != '"');
    if (*p == '"') ++p;
  } else if ((unsigned char)*p > ' ') {
    while ((unsigned char)*p > ' ') p = next_char(p);
  }
  while (*p != '\0' && (unsigned char)*p <= ' ') p = next_char(p);
  return p;
}

static const char* skip_blanks(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

command_scan_result scan_command(const char* tail) {
  command_scan_result result = {command_unknown, nullptr};
  const char* p = tail;
  for (;; ++p) {
    signed char c = (signed char)*p;
    switch (c) {
    case ' ':
    case '-':
    case '/':
      continue;
    case '\0':
      result.command = command_configure;
      return result;
    case 's':
    case 'S':
      result.command = command_fullscreen;
      return result;
    case 'p':
    case 'P':
    case 'l':
    case 'L':
      result.command = command_preview;
      result.argument = skip_blanks(p + 1);
      return result;
    case 'c':
    case 'C':
      result.command = command_configure_parent;
      if (p[1] == ':') result.argument = p + 2;
      return result;
    case 'a':
    case 'A':
      result.command = command_change_password;
      result.argument = skip_blanks(p + 1);
      return result;
    case 'i':
    case 'I':
      result.command = command_install_copy;
      return result;
    default:
      return result;
    }
  }
}

unsigned int parse_decimal(const char* text) {
  unsigned int value = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p) value = value * 10u + (unsigned int)(*p - '0');
  return value;
}
