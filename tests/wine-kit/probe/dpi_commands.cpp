// DPI: how a window of any process is scaled. The functions came with
// Windows 10 1607; they are looked up at run time, so the probe also starts
// where they are missing.
#include "probe.h"
#include <stdio.h>

typedef void* awareness_context;  // DPI_AWARENESS_CONTEXT, an opaque handle

// dpi HWND: prints "awareness N" (DPI_AWARENESS: 0 unaware, 1 system aware,
// 2 per-monitor aware, -1 for a context that the platform's own decoder does
// not know) and "dpi N", the window's DPI. Exit 1 when the window does not
// exist or the platform lacks the functions.
static int dpi_cmd(int argc, char** argv) {
  if (argc != 2) return probe_usage_error(argv[0]);
  HWND window = probe_parse_window(argv[1]);
  if (!IsWindow(window)) return 1;
  HMODULE user32 = GetModuleHandleA("user32.dll");
  typedef awareness_context(WINAPI * window_context_function)(HWND);
  typedef int(WINAPI * awareness_function)(awareness_context);
  typedef UINT(WINAPI * window_dpi_function)(HWND);
  window_context_function window_context =
      (window_context_function)(void*)GetProcAddress(user32, "GetWindowDpiAwarenessContext");
  awareness_function awareness =
      (awareness_function)(void*)GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext");
  window_dpi_function window_dpi = (window_dpi_function)(void*)GetProcAddress(user32, "GetDpiForWindow");
  if (!window_context || !awareness || !window_dpi) {
    fprintf(stderr, "dpi: this platform has no per-window DPI functions\n");
    return 1;
  }
  awareness_context context = window_context(window);
  printf("awareness %d\n", awareness(context));
  printf("dpi %u\n", window_dpi(window));
  return 0;
}

static const ProbeCommand dpi_commands[] = {
    {"dpi", "HWND   (awareness N: 0 unaware, 1 system, 2 per monitor, -1 unknown; dpi N)", dpi_cmd},
};
PROBE_COMMANDS(dpi_commands);
