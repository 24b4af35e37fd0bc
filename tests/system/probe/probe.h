// korv_probe: a small Win32 helper for the system tests. Each subcommand does
// one thing on the Windows side (find a window, make a parent window, send a
// message, read the registry...) and prints its findings on stdout, one fact
// per line, so that shell tests can read them.
//
// Subcommands live in groups, one .cpp file per group; a group registers its
// table with PROBE_COMMANDS(table) and the build picks up every .cpp file in
// this directory, so a new group needs no edit anywhere else.
#pragma once
#include <windows.h>

struct ProbeCommand {
  const char* name;
  const char* usage;   // arguments, shown by "korv_probe help"
  int (*run)(int argc, char** argv);  // argv[0] is the subcommand's name
};

int probe_register(const ProbeCommand* commands, int count);
#define PROBE_COMMANDS(table) \
  static const int probe_registered_##table = \
      probe_register(table, (int)(sizeof(table) / sizeof(table[0])))

// Helpers shared by the groups.
HWND probe_parse_window(const char* text);       // decimal handle
unsigned long probe_window_number(HWND window);  // handle as the decimal the saver parses
const char* probe_null_if_dash(const char* text);  // "-" stands for no string
unsigned long probe_parse_number(const char* text);  // decimal or 0x hex
int probe_usage_error(const char* name);         // prints usage, answers 2
