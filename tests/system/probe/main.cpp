// Dispatcher of korv_probe: finds the subcommand by name and runs it.
// Exit codes: what the subcommand answers (0 success / found, 1 not found or
// failed), 2 for a usage error.
#include "probe.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const ProbeCommand* groups[32];
static int group_sizes[32];
static int group_count;

int probe_register(const ProbeCommand* commands, int count) {
  if (group_count < 32) {
    groups[group_count] = commands;
    group_sizes[group_count] = count;
    group_count++;
  }
  return group_count;
}

HWND probe_parse_window(const char* text) {
  return (HWND)(UINT_PTR)strtoul(text, nullptr, 10);
}

unsigned long probe_window_number(HWND window) {
  return (unsigned long)(UINT_PTR)window;
}

const char* probe_null_if_dash(const char* text) {
  return strcmp(text, "-") == 0 ? nullptr : text;
}

unsigned long probe_parse_number(const char* text) {
  return strtoul(text, nullptr, 0);
}

static const ProbeCommand* find_command(const char* name) {
  for (int g = 0; g < group_count; g++)
    for (int i = 0; i < group_sizes[g]; i++)
      if (strcmp(groups[g][i].name, name) == 0) return &groups[g][i];
  return nullptr;
}

int probe_usage_error(const char* name) {
  const ProbeCommand* command = find_command(name);
  fprintf(stderr, "usage: korv_probe %s %s\n", name, command ? command->usage : "");
  return 2;
}

static void list_commands(FILE* out) {
  for (int g = 0; g < group_count; g++)
    for (int i = 0; i < group_sizes[g]; i++)
      fprintf(out, "  %s %s\n", groups[g][i].name, groups[g][i].usage);
}

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2 || strcmp(argv[1], "help") == 0) {
    fprintf(argc < 2 ? stderr : stdout, "korv_probe SUBCOMMAND ARGS...\n");
    list_commands(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const ProbeCommand* command = find_command(argv[1]);
  if (!command) {
    fprintf(stderr, "korv_probe: unknown subcommand %s\n", argv[1]);
    list_commands(stderr);
    return 2;
  }
  return command->run(argc - 1, argv + 1);
}
