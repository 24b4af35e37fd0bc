// The foreground window: which one it is, making a window the foreground
// window, waiting until one is, and another program's window taking the
// foreground for a while and handing it back.
#include "probe.h"
#include <stdio.h>

// foreground: prints the handle of the foreground window.
static int foreground_cmd(int argc, char** argv) {
  if (argc != 1) return probe_usage_error(argv[0]);
  HWND window = GetForegroundWindow();
  if (!window) return 1;
  probe_print_window(window);
  return 0;
}

// Makes the window the foreground window; true when it is. Activation moves
// asynchronously between processes (for instance while a window of another
// process is going away), and a single request can be lost, so it asks again
// every 20 ms, within the tests' patience (only a hang takes that long).
static bool bring_to_front(HWND window) {
  for (DWORD start = GetTickCount(); within_patience(start);) {
    if (!IsWindow(window)) return false;
    SetForegroundWindow(window);
    probe_pump(20);
    if (GetForegroundWindow() == window) return true;
  }
  return false;
}

// activate HWND: makes the window the foreground window; exit 0 when it is.
static int activate_cmd(int argc, char** argv) {
  if (argc != 2) return probe_usage_error(argv[0]);
  return bring_to_front(probe_parse_window(argv[1])) ? 0 : 1;
}

// wait-foreground HWND TIMEOUT_MS: waits, without touching it, until the
// window is the foreground window.
static bool in_front(void* window) {
  return GetForegroundWindow() == (HWND)window;
}
static int wait_foreground_cmd(int argc, char** argv) {
  return probe_wait_for_window(argc, argv, in_front);
}

// steal-focus HWND MS: a top-most window of the probe's own comes to the
// front and stays there for MS (its messages pumped), then hands the
// foreground back to HWND (asking again until it has it: one request can be
// lost between processes). Prints "foreground_was_mine 1" when its window
// did have the foreground, and exits 1 when HWND never got it back.
static int steal_focus_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  HWND owner = probe_parse_window(argv[1]);
  HWND mine = probe_make_window("korv_probe focus", 20, 20, 200, 100);
  if (!mine) return 1;
  SetWindowPos(mine, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(mine);
  probe_pump(probe_parse_number(argv[2]));
  printf("foreground_was_mine %d\n", GetForegroundWindow() == mine ? 1 : 0);
  bool back = bring_to_front(owner);
  DestroyWindow(mine);
  probe_pump(20);
  return back ? 0 : 1;
}

static const ProbeCommand foreground_commands[] = {
    {"foreground", "  (prints the handle of the foreground window)", foreground_cmd},
    {"activate", "HWND   (SetForegroundWindow; exit 0 when it is the foreground window)", activate_cmd},
    {"wait-foreground", "HWND TIMEOUT_MS   (waits until the window is the foreground window)",
     wait_foreground_cmd},
    {"steal-focus",
     "HWND MS   (a top-most window of its own in front for MS, then the foreground back to HWND)",
     steal_focus_cmd},
};
PROBE_COMMANDS(foreground_commands);
