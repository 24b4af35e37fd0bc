// parent: a top-level test window, of another program than the saver, that a
// preview can live in or a dialog can be owned by. It prints its handle and
// its client area as it measures it itself ("client W H"), keeps its message
// loop running, and destroys itself when a given file appears or after a
// given time, as a settings dialog closing would; then it prints "destroyed".
#include "probe.h"
#include "tests/wine-kit/wine_path.h"
#include <string>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static bool parent_destroyed;

static LRESULT CALLBACK parent_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) parent_destroyed = true;
  return DefWindowProcA(window, message, wparam, lparam);
}

// The windows this thread creates from now on system DPI aware (context -2,
// DPI_AWARENESS_CONTEXT_SYSTEM_AWARE) or per-monitor DPI aware (-3,
// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE). SetThreadDpiAwarenessContext
// came with Windows 10 1607; it is looked up at run time.
static bool make_thread_aware(INT_PTR context) {
  typedef void*(WINAPI * set_context_function)(void*);
  set_context_function set_context = (set_context_function)(void*)GetProcAddress(
      GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext");
  return set_context && set_context((void*)context) != nullptr;
}

// A position may be negative (left of or above the primary monitor): an
// argument that starts with a digit, or with '-' and a digit, is a number,
// not an option.
static bool is_coordinate(const char* text) {
  if (text[0] == '-') text++;
  return text[0] >= '0' && text[0] <= '9';
}

// parent WIDTH HEIGHT [X Y] [--until FILE] [--ms N] [--color RRGGBB] [--front] [--per-monitor | --system]
static int parent_cmd(int argc, char** argv) {
  if (argc < 3) return probe_usage_error(argv[0]);
  int width = atoi(argv[1]);
  int height = atoi(argv[2]);
  int x = 100;
  int y = 100;
  int next = 3;
  if (argc >= 5 && is_coordinate(argv[3])) {
    x = atoi(argv[3]);
    y = atoi(argv[4]);
    next = 5;
  }
  std::string until;
  DWORD lifetime = 60000;
  COLORREF color = RGB(255, 0, 255);
  bool front = false;
  INT_PTR awareness = 0;  // 0: the process's own (unaware: the probe has no manifest)
  for (int i = next; i < argc; i++) {
    if (strcmp(argv[i], "--until") == 0 && i + 1 < argc) {
      until = wine_path(argv[++i]);
    } else if (strcmp(argv[i], "--ms") == 0 && i + 1 < argc) {
      lifetime = probe_parse_number(argv[++i]);
    } else if (strcmp(argv[i], "--color") == 0 && i + 1 < argc) {
      unsigned long rgb = strtoul(argv[++i], nullptr, 16);
      color = RGB((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255);
    } else if (strcmp(argv[i], "--front") == 0) {
      front = true;
    } else if (strcmp(argv[i], "--per-monitor") == 0) {
      awareness = -3;
    } else if (strcmp(argv[i], "--system") == 0) {
      awareness = -2;
    } else {
      return probe_usage_error(argv[0]);
    }
  }
  if (width <= 0 || height <= 0) return probe_usage_error(argv[0]);

  // The probe has no manifest: a platform that scales programs by their
  // manifests runs it DPI unaware, unless asked for per-monitor awareness,
  // as a settings dialog of the system has, or for system awareness.
  if (awareness && !make_thread_aware(awareness)) {
    fprintf(stderr, "parent: that DPI awareness is not available\n");
    return 1;
  }
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = parent_proc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hbrBackground = CreateSolidBrush(color);
  window_class.lpszClassName = "KorvProbeParent";
  RegisterClassA(&window_class);
  HWND window =
      CreateWindowExA(0, "KorvProbeParent", "Korv probe parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x,
                      y, width, height, nullptr, nullptr, window_class.hInstance, nullptr);
  if (!window) {
    fprintf(stderr, "parent: CreateWindowExA failed (%lu)\n", GetLastError());
    return 1;
  }
  UpdateWindow(window);
  if (front) {
    // Asked for the foreground, and its first messages handled, before the
    // test learns the handle.
    SetForegroundWindow(window);
    probe_pump(50);
  }
  probe_print_window(window);
  // The client area as the window's own thread measures it, in the units of
  // its own DPI awareness: what a program that shows a preview hands over.
  RECT own_client = {};
  GetClientRect(window, &own_client);
  printf("client %ld %ld\n", own_client.right, own_client.bottom);

  DWORD start = GetTickCount();
  while (!parent_destroyed) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (parent_destroyed) break;
    bool file_there = !until.empty() && GetFileAttributesA(until.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (file_there || GetTickCount() - start >= lifetime) {
      DestroyWindow(window);
      break;
    }
  }
  printf("destroyed\n");
  return 0;
}

static const ProbeCommand parent_commands[] = {
    {"parent",
     "WIDTH HEIGHT [X Y] [--until FILE] [--ms N] [--color RRGGBB] [--front] [--per-monitor | --system]   "
     "(prints the handle; destroys the window when FILE exists or after N ms, default 60000; --front: brings "
     "it to the front first; --per-monitor, --system: a per-monitor or system DPI aware window)",
     parent_cmd},
};
PROBE_COMMANDS(parent_commands);
