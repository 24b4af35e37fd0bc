// A program started and watched: every window that it shows while it runs.
#include "probe.h"
#include <stdio.h>
#include <string.h>

struct Watch {
  DWORD pid;
  HWND seen[64];
  int count;
};

static BOOL CALLBACK watch_one(HWND window, LPARAM data) {
  Watch* watch = (Watch*)data;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != watch->pid || !IsWindowVisible(window)) return TRUE;
  for (int i = 0; i < watch->count; ++i)
    if (watch->seen[i] == window) return TRUE;
  if (watch->count < 64) {
    watch->seen[watch->count++] = window;
    char class_name[128] = "", title[128] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    GetWindowTextA(window, title, sizeof title);
    printf("window %s %s\n", class_name, title);
  }
  return TRUE;
}

// run-watch COMMAND ARGS...: starts the command line, looks at the top-level
// windows every millisecond while it runs, prints "window CLASS TITLE" for
// each visible window of the program the first time it is seen, and at the
// end "exit CODE".
static int run_watch_cmd(int argc, char** argv) {
  if (argc < 2) return probe_usage_error(argv[0]);
  char line[2048] = "";
  for (int i = 1; i < argc; ++i) {
    if (i > 1) strcat(line, " ");
    strncat(line, argv[i], sizeof line - strlen(line) - 2);
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    fprintf(stderr, "run-watch: cannot start %s (%lu)\n", line, GetLastError());
    return 1;
  }
  Watch watch = {};
  watch.pid = info.dwProcessId;
  while (WaitForSingleObject(info.hProcess, 1) == WAIT_TIMEOUT) EnumWindows(watch_one, (LPARAM)&watch);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  printf("exit %ld\n", (long)code);
  return 0;
}

static const ProbeCommand process_commands[] = {
    {"run-watch", "COMMAND ARGS...   (prints \"window CLASS TITLE\" per window it shows, then \"exit CODE\")",
     run_watch_cmd},
};
PROBE_COMMANDS(process_commands);
