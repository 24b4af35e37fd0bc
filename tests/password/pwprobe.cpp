// pwprobe: the Win32 side of the password proofs. Each subcommand does one
// thing and prints its findings on stdout, one per line, for the shell tests.
//
//   find TITLE                        handle of the WindowsScreenSaverClass window
//                                     with that title (0 when none)
//   wait-window TITLE MS              waits up to MS for it; prints it; exit 1 if none
//   wait-gone HWND MS                 waits up to MS for the window to be gone
//   child PARENT                      the saver child window of PARENT (0 when none)
//   post HWND MSG WPARAM LPARAM [N [GAP]]  posts N times (GAP ms apart)
//   post-mix HWND N GAP               posts N rounds (GAP ms apart) of WM_CLOSE,
//                                     WM_POWERBROADCAST, WM_POWER with
//                                     PWR_SUSPENDREQUEST and WM_ACTIVATEAPP 0
//   send HWND MSG WPARAM LPARAM       sends (5 s timeout); prints the answer
//   autoplay HWND                     sends the registered "QueryCancelAutoPlay"
//                                     message; prints the answer
//   steal-focus HWND MS               shows a window of its own in front for MS,
//                                     then hands the foreground back to HWND
//   parent W H STOPFILE               shows a top-level window, brings it to the
//                                     front, prints its handle, and lives until
//                                     STOPFILE exists (at most 120 s)
//   dead-handle                       prints the handle of a window it destroyed
//   foreground                        prints GetForegroundWindow
//   run-watch CMDLINE...              starts a program, records every window that
//                                     it shows while it runs; prints "window
//                                     CLASS TITLE" lines and "exit CODE"
// Messages are numbers (decimal or 0x hex) or one of the names below.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char saver_class[] = "WindowsScreenSaverClass";

static unsigned long long number(const char *text) { return strtoull(text, nullptr, 0); }
static HWND window_arg(const char *text) { return (HWND)(UINT_PTR)number(text); }
static unsigned long long window_number(HWND w) { return (unsigned long long)(UINT_PTR)w; }

static UINT message_arg(const char *text) {
  static const struct {
    const char *name;
    UINT value;
  } names[] = {{"WM_CLOSE", WM_CLOSE},           {"WM_ACTIVATEAPP", WM_ACTIVATEAPP},
               {"WM_POWER", WM_POWER},           {"WM_POWERBROADCAST", WM_POWERBROADCAST},
               {"WM_KEYDOWN", WM_KEYDOWN},       {"WM_SYSKEYDOWN", WM_SYSKEYDOWN},
               {"WM_LBUTTONDOWN", WM_LBUTTONDOWN}, {"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
               {"WM_MOUSEMOVE", WM_MOUSEMOVE},   {"WM_APP", WM_APP},
               {"WM_SYSCOMMAND", WM_SYSCOMMAND}};
  for (const auto &n : names)
    if (strcmp(text, n.name) == 0) return n.value;
  return (UINT)number(text);
}

static LRESULT CALLBACK plain_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

static HWND make_window(const char *title, int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = plain_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
  wc.lpszClassName = "PwProbeWindow";
  RegisterClassA(&wc);
  return CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, width, height,
                         nullptr, nullptr, wc.hInstance, nullptr);
}

static void pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

static int cmd_wait_window(const char *title, DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND w = FindWindowA(saver_class, title);
    if (w) {
      printf("%llu\n", window_number(w));
      return 0;
    }
    if (GetTickCount() - start >= ms) break;
    Sleep(10);
  }
  printf("0\n");
  return 1;
}

static int cmd_wait_gone(HWND w, DWORD ms) {
  DWORD start = GetTickCount();
  while (IsWindow(w)) {
    if (GetTickCount() - start >= ms) {
      printf("alive\n");
      return 1;
    }
    Sleep(5);
  }
  printf("gone\n");
  return 0;
}

static int cmd_steal_focus(HWND saver, DWORD ms) {
  HWND mine = make_window("pwprobe focus", 200, 100);
  SetWindowPos(mine, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(mine);
  pump(ms);
  printf("foreground_was_mine=%d\n", GetForegroundWindow() == mine ? 1 : 0);
  if (IsWindow(saver)) SetForegroundWindow(saver);
  DestroyWindow(mine);
  pump(20);
  return 0;
}

static int cmd_parent(int width, int height, const char *stopfile) {
  HWND w = make_window("pwprobe parent", width, height);
  SetForegroundWindow(w);
  pump(50);
  printf("%llu\n", window_number(w));
  fflush(stdout);
  DWORD start = GetTickCount();
  while (GetFileAttributesA(stopfile) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 120000) pump(20);
  DestroyWindow(w);
  return 0;
}

struct Watch {
  DWORD pid;
  HWND seen[64];
  int count;
};

static BOOL CALLBACK watch_one(HWND w, LPARAM data) {
  Watch *watch = (Watch *)data;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != watch->pid || !IsWindowVisible(w)) return TRUE;
  for (int i = 0; i < watch->count; ++i)
    if (watch->seen[i] == w) return TRUE;
  if (watch->count < 64) {
    watch->seen[watch->count++] = w;
    char cls[128] = "", title[128] = "";
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    printf("window %s %s\n", cls, title);
  }
  return TRUE;
}

static int cmd_run_watch(int argc, char **argv) {
  char line[2048] = "";
  for (int i = 0; i < argc; ++i) {
    if (i) strcat(line, " ");
    strncat(line, argv[i], sizeof line - strlen(line) - 2);
  }
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    printf("start-failed %lu\n", GetLastError());
    return 1;
  }
  Watch watch = {};
  watch.pid = pi.dwProcessId;
  while (WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) EnumWindows(watch_one, (LPARAM)&watch);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  printf("exit %ld\n", (long)code);
  return 0;
}

int main(int argc, char **argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) return 2;
  const char *cmd = argv[1];
  if (!strcmp(cmd, "find") && argc == 3) {
    printf("%llu\n", window_number(FindWindowA(saver_class, argv[2])));
    return 0;
  }
  if (!strcmp(cmd, "wait-window") && argc == 4) return cmd_wait_window(argv[2], (DWORD)number(argv[3]));
  if (!strcmp(cmd, "wait-gone") && argc == 4) return cmd_wait_gone(window_arg(argv[2]), (DWORD)number(argv[3]));
  if (!strcmp(cmd, "child") && argc == 3) {
    printf("%llu\n", window_number(FindWindowExA(window_arg(argv[2]), nullptr, saver_class, nullptr)));
    return 0;
  }
  if (!strcmp(cmd, "post") && argc >= 6) {
    HWND w = window_arg(argv[2]);
    UINT msg = message_arg(argv[3]);
    long count = argc > 6 ? (long)number(argv[6]) : 1;
    DWORD gap = argc > 7 ? (DWORD)number(argv[7]) : 0;
    long posted = 0;
    for (long i = 0; i < count; ++i) {
      if (PostMessageA(w, msg, (WPARAM)number(argv[4]), (LPARAM)number(argv[5]))) ++posted;
      if (gap) Sleep(gap);
    }
    printf("posted %ld\n", posted);
    return posted == count ? 0 : 1;
  }
  if (!strcmp(cmd, "post-mix") && argc == 5) {
    HWND w = window_arg(argv[2]);
    long rounds = (long)number(argv[3]), posted = 0;
    DWORD gap = (DWORD)number(argv[4]);
    for (long i = 0; i < rounds; ++i) {
      posted += PostMessageA(w, WM_CLOSE, 0, 0) ? 1 : 0;
      posted += PostMessageA(w, WM_POWERBROADCAST, 4 /* PBT_APMSUSPEND */, 0) ? 1 : 0;
      posted += PostMessageA(w, WM_POWER, 3 /* PWR_SUSPENDREQUEST */, 0) ? 1 : 0;
      posted += PostMessageA(w, WM_ACTIVATEAPP, 0, 0) ? 1 : 0;
      Sleep(gap);
    }
    printf("posted %ld\n", posted);
    return posted == rounds * 4 ? 0 : 1;
  }
  if (!strcmp(cmd, "send") && argc == 6) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window_arg(argv[2]), message_arg(argv[3]), (WPARAM)number(argv[4]),
                             (LPARAM)number(argv[5]), SMTO_NORMAL, 5000, &answer)) {
      printf("no-answer\n");
      return 1;
    }
    printf("%lld\n", (long long)answer);
    return 0;
  }
  if (!strcmp(cmd, "autoplay") && argc == 3) {
    UINT msg = RegisterWindowMessageA("QueryCancelAutoPlay");
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window_arg(argv[2]), msg, 0, 0, SMTO_NORMAL, 5000, &answer)) {
      printf("no-answer\n");
      return 1;
    }
    printf("%lld\n", (long long)answer);
    return 0;
  }
  if (!strcmp(cmd, "steal-focus") && argc == 4) return cmd_steal_focus(window_arg(argv[2]), (DWORD)number(argv[3]));
  if (!strcmp(cmd, "parent") && argc == 5) return cmd_parent((int)number(argv[2]), (int)number(argv[3]), argv[4]);
  if (!strcmp(cmd, "dead-handle") && argc == 2) {
    HWND w = make_window("pwprobe dead", 100, 100);
    DestroyWindow(w);
    printf("%llu\n", window_number(w));
    return IsWindow(w) ? 1 : 0;
  }
  if (!strcmp(cmd, "foreground") && argc == 2) {
    printf("%llu\n", window_number(GetForegroundWindow()));
    return 0;
  }
  if (!strcmp(cmd, "run-watch") && argc >= 3) return cmd_run_watch(argc - 2, argv + 2);
  fprintf(stderr, "pwprobe: unknown command or wrong arguments: %s\n", cmd);
  return 2;
}
