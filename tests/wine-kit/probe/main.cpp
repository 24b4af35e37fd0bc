// Dispatcher of korv_probe: finds the command by name and runs it; the
// helpers that the command groups share.
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
  return (HWND)(UINT_PTR)strtoull(text, nullptr, 10);
}

unsigned long long probe_window_number(HWND window) {
  return (unsigned long long)(UINT_PTR)window;
}

void probe_print_window(HWND window) {
  printf("%llu\n", probe_window_number(window));
}

const char* probe_null_if_dash(const char* text) {
  return strcmp(text, "-") == 0 ? nullptr : text;
}

unsigned long probe_parse_number(const char* text) {
  return strtoul(text, nullptr, 0);
}

static LRESULT CALLBACK plain_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND probe_make_window(const char* title, int x, int y, int width, int height) {
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = plain_window_proc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
  window_class.lpszClassName = "KorvProbeWindow";
  RegisterClassA(&window_class);
  return CreateWindowExA(0, window_class.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width,
                         height, nullptr, nullptr, window_class.hInstance, nullptr);
}

void probe_pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

int probe_wait_for_window(int argc, char** argv, bool (*done)(void* window)) {
  if (argc != 3) return probe_usage_error(argv[0]);
  return poll_until(done, probe_parse_window(argv[1]), probe_parse_number(argv[2])) ? 0 : 1;
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
    for (int i = 0; i < group_sizes[g]; i++) fprintf(out, "  %s %s\n", groups[g][i].name, groups[g][i].usage);
}

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2 || strcmp(argv[1], "help") == 0) {
    FILE* out = argc < 2 ? stderr : stdout;
    fprintf(out, "korv_probe COMMAND ARGS...\n");
    list_commands(out);
    return argc < 2 ? 2 : 0;
  }
  const ProbeCommand* command = find_command(argv[1]);
  if (!command) {
    fprintf(stderr, "korv_probe: unknown command %s\n", argv[1]);
    list_commands(stderr);
    return 2;
  }
  return command->run(argc - 1, argv + 1);
}
