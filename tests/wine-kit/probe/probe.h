// korv_probe: the Win32 helper of the Windows system tests. Each command does
// one thing on the Windows side (find a window, open a test parent window,
// post a message, start a program and watch its windows...) and prints its
// findings on stdout, one fact per line, so that shell tests can read them.
//
// Conventions, the same for every command:
//   - window handles are decimal numbers, as the saver's command line takes them;
//   - other numbers are decimal or 0x hex;
//   - a class or title of "-" stands for any;
//   - exit code 0: done or found; 1: not found, timed out or refused; 2: usage error;
//   - a command that finds nothing prints nothing.
// `korv_probe help` lists the commands and their arguments.
//
// Commands live in groups, one .cpp file per group; a group registers its
// table with PROBE_COMMANDS(table) and the build picks up every .cpp file in
// this directory, so a new group needs no edit anywhere else.
#pragma once
#include <windows.h>

#include "tests/wine-kit/win_wait.h"

struct ProbeCommand {
  const char* name;
  const char* usage;                  // arguments, shown by "korv_probe help"
  int (*run)(int argc, char** argv);  // argv[0] is the command's name
};

int probe_register(const ProbeCommand* commands, int count);
#define PROBE_COMMANDS(table) \
  static const int probe_registered_##table = probe_register(table, (int)(sizeof(table) / sizeof(table[0])))

// Helpers shared by the groups.
HWND probe_parse_window(const char* text);            // decimal handle
unsigned long long probe_window_number(HWND window);  // handle as the decimal the saver parses
void probe_print_window(HWND window);                 // the handle and a newline
const char* probe_null_if_dash(const char* text);     // "-" stands for no string
unsigned long probe_parse_number(const char* text);   // decimal or 0x hex
int probe_usage_error(const char* name);              // prints usage, answers 2

// A plain visible top-level window of the probe's own class (gray, with a
// caption), at x, y.
HWND probe_make_window(const char* title, int x, int y, int width, int height);
// Dispatches this thread's messages for ms milliseconds.
void probe_pump(DWORD ms);
// The body of a command "NAME HWND TIMEOUT_MS" that waits until done(window)
// (poll_until, tests/wine-kit/win_wait.h): exit 0 once it is, 1 when the time
// is up, 2 on a usage error.
int probe_wait_for_window(int argc, char** argv, bool (*done)(void* window));
