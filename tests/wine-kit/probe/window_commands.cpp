// Window queries: find a window by class and title, wait for one to appear or
// go, describe it, list children or top-level windows, make a dead handle.
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
  printf("handle %llu\n", probe_window_number(window));
  printf("exists %d\n", IsWindow(window) ? 1 : 0);
  printf("visible %d\n", IsWindowVisible(window) ? 1 : 0);
  printf("enabled %d\n", IsWindowEnabled(window) ? 1 : 0);
  printf("foreground %d\n", GetForegroundWindow() == window ? 1 : 0);
  printf("class %s\n", class_name);
  printf("title %s\n", text);
  printf("rect %ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
  printf("client %ld %ld\n", client.right - client.left, client.bottom - client.top);
  printf("parent %llu\n", probe_window_number(GetParent(window)));
  printf("owner %llu\n", probe_window_number(GetWindow(window, GW_OWNER)));
  printf("style 0x%08lx\n", (unsigned long)GetWindowLongA(window, GWL_STYLE));
  printf("exstyle 0x%08lx\n", (unsigned long)GetWindowLongA(window, GWL_EXSTYLE));
  printf("pid %lu\n", (unsigned long)pid);
}

// find CLASS TITLE: any window, visible or not.
static int find_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  HWND window = FindWindowA(probe_null_if_dash(argv[1]), probe_null_if_dash(argv[2]));
  if (!window) return 1;
  probe_print_window(window);
  return 0;
}

// wait-window CLASS TITLE TIMEOUT_MS: polls until a visible window with this
// class and title exists.
static int wait_window_cmd(int argc, char** argv) {
  if (argc != 4) return probe_usage_error(argv[0]);
  HWND window = wait_for_window(probe_null_if_dash(argv[2]), 0, true, probe_null_if_dash(argv[1]),
                                probe_parse_number(argv[3]));
  if (!window) return 1;
  probe_print_window(window);
  return 0;
}

// wait-gone HWND TIMEOUT_MS: polls until the handle no longer names a window.
static int wait_gone_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  return wait_until_gone(probe_parse_window(argv[1]), probe_parse_number(argv[2])) ? 0 : 1;
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
  printf("%llu %d %ld %ld %s|%s\n", probe_window_number(window), IsWindowVisible(window) ? 1 : 0,
         client.right, client.bottom, class_name, text);
  listing->count++;
  return TRUE;
}

// children HWND [CLASS TITLE]: one line per child window (all of them, or
// those of this class and title): handle visible width height class|title.
// The exit code is 0 when at least one is listed.
static int children_cmd(int argc, char** argv) {
  if (argc != 2 && argc != 4) return probe_usage_error(argv[0]);
  Listing listing = {nullptr, nullptr, 0};
  if (argc == 4) listing = {probe_null_if_dash(argv[2]), probe_null_if_dash(argv[3]), 0};
  EnumChildWindows(probe_parse_window(argv[1]), list_one, (LPARAM)&listing);
  return argc == 2 || listing.count > 0 ? 0 : 1;
}

// toplevel CLASS TITLE: the same lines for matching top-level windows; the
// exit code is 0 when at least one matched.
static int toplevel_cmd(int argc, char** argv) {
  if (argc != 3) return probe_usage_error(argv[0]);
  Listing listing = {probe_null_if_dash(argv[1]), probe_null_if_dash(argv[2]), 0};
  EnumWindows(list_one, (LPARAM)&listing);
  return listing.count > 0 ? 0 : 1;
}

// dead-handle: a handle that named a window a moment ago and names none now.
static int dead_handle_cmd(int argc, char** argv) {
  if (argc != 1) return probe_usage_error(argv[0]);
  HWND window = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (!window) return 1;
  DestroyWindow(window);
  if (IsWindow(window)) return 1;
  probe_print_window(window);
  return 0;
}

static const ProbeCommand window_commands[] = {
    {"find", "CLASS TITLE   (prints the handle of a window, visible or not)", find_cmd},
    {"wait-window", "CLASS TITLE TIMEOUT_MS   (waits for a visible window, prints the handle)",
     wait_window_cmd},
    {"wait-gone", "HWND TIMEOUT_MS   (waits until the window no longer exists)", wait_gone_cmd},
    {"info",
     "HWND   (exists, visible, enabled, foreground, class, title, rect, client, parent, owner, style, "
     "exstyle, pid)",
     info_cmd},
    {"children", "HWND [CLASS TITLE]   (handle visible width height class|title per child)", children_cmd},
    {"toplevel", "CLASS TITLE   (the same per matching top-level window)", toplevel_cmd},
    {"dead-handle", "  (prints the handle of a window already destroyed)", dead_handle_cmd},
};
PROBE_COMMANDS(window_commands);
