// The saver's command line, read without any Windows call: the tail after the
// program name, the command it selects, and decimal window handles.
#pragma once

// Moves from one character of the command line to the next, staying on the
// terminating NUL (CharNextA on Windows, a one-byte step elsewhere).
typedef const char* (*next_char_fn)(const char* position);

// The text after the program name and the blanks and control bytes that
// follow it.  A program name in double quotes ends at the closing quote; an
// unterminated quote takes the whole line, so the tail is empty.
const char* command_tail(const char* command_line, next_char_fn next_char);

// One step of next_char_fn for single-byte text.
const char* next_byte(const char* position);

enum saver_command {
  command_configure,         // empty tail: configuration dialog without a parent
  command_configure_parent,  // c: dialog with the handle after "c:" or, failing that, the foreground window
  command_fullscreen,        // s: full-screen run
  command_preview,           // p or l: preview inside the window named by the argument
  command_change_password,   // a: password change with the window named by the argument
  command_install_copy,      // i: the installer's file steps alone, which the installer runs with
                             // administrator rights: no window, no setting, the result as exit code
  command_unknown            // anything else: -1
};

// What the tail asks for.  argument is where the command's handle is written
// (after p/l/a: past the letter and the blanks after it; after c: right past
// "c:", or null when no colon follows the letter), null for the others.
struct command_scan_result {
  saver_command command;
  const char* argument;
};

command_scan_result scan_command(const char* tail);

// Reads the decimal digits at text as a 32-bit unsigned value that wraps
// silently; stops at the first byte that is not a digit; no digits give 0.
unsigned int parse_decimal(const char* text);
