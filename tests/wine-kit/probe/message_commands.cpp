// Messages to another process's window: post (once or as a series), a mix of
// the messages that close a saver, send (with a timeout), and a WM_COMMAND
// shortcut for dialog buttons.
//
// A message is a number (decimal or 0x hex), one of the WM_ names below, or
// any other name, which is a registered message (RegisterWindowMessageA), for
// instance QueryCancelAutoPlay.
#include "probe.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static bool parse_message(const char* text, UINT* message) {
  static const struct {
    const char* name;
    UINT value;
  } names[] = {{"WM_CLOSE", WM_CLOSE},
               {"WM_ACTIVATEAPP", WM_ACTIVATEAPP},
               {"WM_POWER", WM_POWER},
               {"WM_POWERBROADCAST", WM_POWERBROADCAST},
               {"WM_KEYDOWN", WM_KEYDOWN},
               {"WM_SYSKEYDOWN", WM_SYSKEYDOWN},
               {"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
               {"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
               {"WM_MOUSEMOVE", WM_MOUSEMOVE},
               {"WM_APP", WM_APP},
               {"WM_SYSCOMMAND", WM_SYSCOMMAND},
               {"WM_COMMAND", WM_COMMAND}};
  for (const auto& n : names)
    if (strcmp(text, n.name) == 0) {
      *message = n.value;
      return true;
    }
  char* end = nullptr;
  unsigned long number = strtoul(text, &end, 0);
  if (end != text && *end == 0) {
    *message = (UINT)number;
    return true;
  }
  // A misspelt WM_ name must not quietly become a registered message that the
  // window ignores.
  if (strncmp(text, "WM_", 3) == 0 || !*text) return false;
  *message = RegisterWindowMessageA(text);
  return *message != 0;
}

// The message that post and send name: HWND MSG [WPARAM [LPARAM]], with up
// to `extra` further arguments after them. False on a usage error.
struct Message {
  HWND window;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};
static bool parse_message_arguments(int argc, char** argv, int extra, Message* m) {
  if (argc < 3 || argc > 5 + extra || !parse_message(argv[2], &m->message)) return false;
  m->window = probe_parse_window(argv[1]);
  m->wparam = argc > 3 ? (WPARAM)probe_parse_number(argv[3]) : 0;
  m->lparam = argc > 4 ? (LPARAM)probe_parse_number(argv[4]) : 0;
  return true;
}

// post HWND MSG [WPARAM [LPARAM [COUNT [GAP_MS]]]]: posts COUNT times (default
// 1), GAP_MS apart; exit 0 when every one was posted.
static int post_cmd(int argc, char** argv) {
  Message m;
  if (!parse_message_arguments(argc, argv, 2, &m)) return probe_usage_error(argv[0]);
  unsigned long count = argc > 5 ? probe_parse_number(argv[5]) : 1;
  DWORD gap = argc > 6 ? probe_parse_number(argv[6]) : 0;
  unsigned long posted = 0;
  for (unsigned long i = 0; i < count; ++i) {
    if (PostMessageA(m.window, m.message, m.wparam, m.lparam)) ++posted;
    if (gap) Sleep(gap);
  }
  return posted == count ? 0 : 1;
}

// post-mix HWND ROUNDS GAP_MS: posts ROUNDS rounds, GAP_MS apart, of the
// messages that ask a saver to close: WM_CLOSE, WM_POWERBROADCAST with
// PBT_APMSUSPEND, WM_POWER with PWR_SUSPENDREQUEST and WM_ACTIVATEAPP 0.
static int post_mix_cmd(int argc, char** argv) {
  if (argc != 4) return probe_usage_error(argv[0]);
  HWND window = probe_parse_window(argv[1]);
  unsigned long rounds = probe_parse_number(argv[2]);
  DWORD gap = probe_parse_number(argv[3]);
  unsigned long posted = 0;
  for (unsigned long i = 0; i < rounds; ++i) {
    posted += PostMessageA(window, WM_CLOSE, 0, 0) ? 1 : 0;
    posted += PostMessageA(window, WM_POWERBROADCAST, 4 /* PBT_APMSUSPEND */, 0) ? 1 : 0;
    posted += PostMessageA(window, WM_POWER, 3 /* PWR_SUSPENDREQUEST */, 0) ? 1 : 0;
    posted += PostMessageA(window, WM_ACTIVATEAPP, 0, 0) ? 1 : 0;
    Sleep(gap);
  }
  return posted == rounds * 4 ? 0 : 1;
}

// send HWND MSG [WPARAM [LPARAM]]: prints the answer; exit 1 when none came
// within the tests' patience (a window that hangs).
static int send_cmd(int argc, char** argv) {
  Message m;
  if (!parse_message_arguments(argc, argv, 0, &m)) return probe_usage_error(argv[0]);
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(m.window, m.message, m.wparam, m.lparam, SMTO_NORMAL, patience_ms, &answer))
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
    {"post", "HWND MSG [WPARAM [LPARAM [COUNT [GAP_MS]]]]   (posts COUNT times, GAP_MS apart)", post_cmd},
    {"post-mix", "HWND ROUNDS GAP_MS   (WM_CLOSE, WM_POWERBROADCAST, WM_POWER, WM_ACTIVATEAPP per round)",
     post_mix_cmd},
    {"send", "HWND MSG [WPARAM [LPARAM]]   (prints the answer; MSG may be a registered name)", send_cmd},
    {"command", "HWND ID   (posts WM_COMMAND for control ID)", command_cmd},
};
PROBE_COMMANDS(message_commands);
