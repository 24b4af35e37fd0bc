// Window queries: find a window by class and title, wait for one to appear or
// go, describe it, list children or top-level windows of a class.
#include "probe.h"
#include <stdio.h>
#include <string.h>

static void print_info(HWND window) {
  char text[256] = "";
  char class_name[256] = "";
  RECT rect = {0, 0, 0, 0};
  RECT client = {0, 0, 0, 0};
  DWORD pid = 0;
  GetClassNameA(window, class_name, sizeof class_name);
  GetWindowTextA(window, text, sizeof text);
  GetWindowRect(window, &rect);
  GetClientRect(window, &client);
  GetWindowThreadProcessId(window, &pid);
  printf("handle %lu\n", probe_window_number(window));
  printf("exists %d\n", IsWindow(window) ? 1 : 0);
  printf("visible %d\n", IsWindowVisible(window) ? 1 : 0);
  printf("enabled %d\n", IsWindowEnabled(window) ? 1 : 0);
  printf("foreground %d\n", GetForegroundWindow() == window ? 1 : 0);
  printf("class %s\n", class_name);
  printf("title %s\n", text);
  printf("rect %ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
  printf("client %ld %ld\n", client.right - client.left, client.bottom - client.top);
  printf("parent %lu\n", probe_window_number(GetParent(window)));
  printf("owner %lu\n", probe_window_number(GetWindow(window, GW_OWNER)));
  printf("style 0x%08lx\n", (unsigned long)GetWindowLongA(window, GWL_STYLE));
  printf("exstyle 0x%08lx\n", (unsigned long)GetWindowLongA(window, GWL_EXSTYLE));
  printf("pid %lu\n", (unsigned long)pid);
}

// find CLASS TITLE: "-" for either means any.
static int find_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  HWND window = FindWindowA(probe_null_if_dash(argv[1]), probe_null_if_dash(argv[2]));
  if (!window) return 1;
  printf("%lu\n", probe_window_number(window));
  return 0;
}

// wait CLASS TITLE TIMEOUT_MS: polls every 10 ms until a visible window with
// this class and title exists, prints its handle.
static int wait_cmd(int argc, char** argv) {
  if (argc != 4) return probe_usage_error(argv[0]);
  DWORD timeout = probe_parse_number(argv[3]);
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindWindowA(probe_null_if_dash(argv[1]), probe_null_if_dash(argv[2]));
    if (window && IsWindowVisible(window)) {
      printf("%lu\n", probe_window_number(window));
      return 0;
    }
    if (GetTickCount() - start >= timeout) return 1;
    Sleep(10);
  }
}

// gone HWND TIMEOUT_MS: polls until the handle no longer names a window.
static int gone_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  HWND window = probe_parse_window(argv[1]);
  DWORD timeout = probe_parse_number(argv[2]);
  DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start >= timeout) return 1;
    Sleep(10);
  }
  return 0;
}

static int info_cmd(int argc, char** argv) {
  if (argc != 2) return probe_usage_error(argv[0]);
  HWND window = probe_parse_window(argv[1]);
  if (!IsWindow(window)) {
    printf("exists 0\n");
    return 1;
  }
  print_info(window);
  return 0;
}

static int foreground_cmd(int argc, char** argv) {
  if (argc != 1) return probe_usage_error(argv[0]);
  HWND window = GetForegroundWindow();
  if (!window) return 1;
  print_info(window);
  return 0;
}

struct Listing {
  const char* class_name;
  const char* title;
  int count;
};

static BOOL CALLBACK list_one(HWND window, LPARAM data) {
  Listing* listing = (Listing*)data;
  char class_name[256] = "";
  char text[256] = "";
  GetClassNameA(window, class_name, sizeof class_name);
  GetWindowTextA(window, text, sizeof text);
  if (listing->class_name && strcmp(listing->class_name, class_name) != 0) return TRUE;
  if (listing->title && strcmp(listing->title, text) != 0) return TRUE;
  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  printf("%lu %d %ld %ld %s|%s\n", probe_window_number(window),
         IsWindowVisible(window) ? 1 : 0, client.right, client.bottom, class_name, text);
  listing->count++;
  return TRUE;
}

// children HWND: one line per child window: handle visible width height class|title.
static int children_cmd(int argc, char** argv) {
  if (argc != 2) return probe_usage_error(argv[0]);
  Listing listing = {nullptr, nullptr, 0};
  EnumChildWindows(probe_parse_window(argv[1]), list_one, (LPARAM)&listing);
  return 0;
}

// toplevel CLASS TITLE: the same lines for matching top-level windows; the
// exit code is 0 when at least one matched.
static int toplevel_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  Listing listing = {probe_null_if_dash(argv[1]), probe_null_if_dash(argv[2]), 0};
  EnumWindows(list_one, (LPARAM)&listing);
  return listing.count > 0 ? 0 : 1;
}

// deadhandle: a handle that named a window a moment ago and names none now.
static int deadhandle_cmd(int argc, char** argv) {
  if (argc != 1) return probe_usage_error(argv[0]);
  HWND window = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window) return 1;
  DestroyWindow(window);
  if (IsWindow(window)) return 1;
  printf("%lu\n", probe_window_number(window));
  return 0;
}

// activate HWND: makes the window the foreground window; exit 0 when it is.
// Activation moves asynchronously between processes (for instance while a
// window of another process is going away), so it tries for up to a second.
static int activate_cmd(int argc, char** argv) {
  if (argc != 2) return probe_usage_error(argv[0]);
  HWND window = probe_parse_window(argv[1]);
  for (int attempt = 0; attempt < 50; attempt++) {
    SetForegroundWindow(window);
    Sleep(20);
    if (GetForegroundWindow() == window) return 0;
  }
  return 1;
}

// waitfg HWND TIMEOUT_MS: waits, without touching it, until the window is the
// foreground window.
static int waitfg_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  HWND window = probe_parse_window(argv[1]);
  DWORD timeout = probe_parse_number(argv[2]);
  DWORD start = GetTickCount();
  while (GetForegroundWindow() != window) {
    if (GetTickCount() - start >= timeout) return 1;
    Sleep(10);
  }
  return 0;
}

static const ProbeCommand window_commands[] = {
    {"find", "CLASS TITLE   (- for any; prints the handle)", find_cmd},
    {"wait", "CLASS TITLE TIMEOUT_MS   (waits for a visible window, prints the handle)", wait_cmd},
    {"gone", "HWND TIMEOUT_MS   (waits until the window no longer exists)", gone_cmd},
    {"info", "HWND   (exists, visible, enabled, foreground, class, title, rect, client, parent, owner, style, exstyle, pid)", info_cmd},
    {"foreground", "  (info of the foreground window)", foreground_cmd},
    {"children", "HWND   (handle visible width height class|title per child)", children_cmd},
    {"toplevel", "CLASS TITLE   (the same per matching top-level window)", toplevel_cmd},
    {"activate", "HWND   (SetForegroundWindow; exit 0 when it is the foreground window)", activate_cmd},
    {"waitfg", "HWND TIMEOUT_MS   (waits until the window is the foreground window)", waitfg_cmd},
    {"deadhandle", "  (prints the handle of a window already destroyed)", deadhandle_cmd},
};
PROBE_COMMANDS(window_commands);
