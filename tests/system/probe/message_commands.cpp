// Messages to another process's window: post, send (with a timeout), and a
// WM_COMMAND shortcut for dialog buttons.
#include "probe.h"
#include <stdio.h>

// post HWND MSG [WPARAM [LPARAM]]: numbers in decimal or 0x hex.
static int post_cmd(int argc, char** argv) {
  if (argc < 3 || argc > 5) return probe_usage_error(argv[0]);
  HWND window = probe_parse_window(argv[1]);
  UINT message = (UINT)probe_parse_number(argv[2]);
  WPARAM wparam = argc > 3 ? (WPARAM)probe_parse_number(argv[3]) : 0;
  LPARAM lparam = argc > 4 ? (LPARAM)probe_parse_number(argv[4]) : 0;
  return PostMessageA(window, message, wparam, lparam) ? 0 : 1;
}

// send HWND MSG [WPARAM [LPARAM]]: prints the answer; 1 when it timed out (5 s).
static int send_cmd(int argc, char** argv) {
  if (argc < 3 || argc > 5) return probe_usage_error(argv[0]);
  HWND window = probe_parse_window(argv[1]);
  UINT message = (UINT)probe_parse_number(argv[2]);
  WPARAM wparam = argc > 3 ? (WPARAM)probe_parse_number(argv[3]) : 0;
  LPARAM lparam = argc > 4 ? (LPARAM)probe_parse_number(argv[4]) : 0;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &answer))
    return 1;
  printf("%lld\n", (long long)(LONG_PTR)answer);
  return 0;
}

// command HWND ID: posts WM_COMMAND with the control id, as a button click does.
static int command_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  HWND window = probe_parse_window(argv[1]);
  WORD id = (WORD)probe_parse_number(argv[2]);
  return PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? 0 : 1;
}

static const ProbeCommand message_commands[] = {
    {"post", "HWND MSG [WPARAM [LPARAM]]", post_cmd},
    {"send", "HWND MSG [WPARAM [LPARAM]]   (prints the answer)", send_cmd},
    {"command", "HWND ID   (posts WM_COMMAND for control ID)", command_cmd},
};
PROBE_COMMANDS(message_commands);
