// Monitors: what the platform tells a program about the screens, so that a
// test can compare it with the X server it started and with the saver's
// full-screen window.
#include "probe.h"
#include <stdio.h>

static BOOL CALLBACK print_monitor(HMONITOR monitor, HDC, RECT*, LPARAM) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) {
    printf("monitor unreadable\n");
    return TRUE;
  }
  const RECT& r = info.rcMonitor;
  printf("monitor %ld %ld %ld %ld %s\n", r.left, r.top, r.right, r.bottom,
         (info.dwFlags & MONITORINFOF_PRIMARY) ? "primary" : "secondary");
  return TRUE;
}

// monitors: the virtual screen from the system metrics, the clip box of the
// screen's device context (what a full-screen window is sized from), the
// number of monitors, and one line per monitor in EnumDisplayMonitors' order.
// Rectangles are LEFT TOP RIGHT BOTTOM in virtual-screen coordinates.
static int monitors_cmd(int argc, char** argv) {
  if (argc != 1) return probe_usage_error(argv[0]);
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  printf("virtual %d %d %d %d\n", left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
         top + GetSystemMetrics(SM_CYVIRTUALSCREEN));
  RECT clip = {0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  GetClipBox(screen, &clip);
  ReleaseDC(nullptr, screen);
  printf("clip %ld %ld %ld %ld\n", clip.left, clip.top, clip.right, clip.bottom);
  printf("count %d\n", GetSystemMetrics(SM_CMONITORS));
  return EnumDisplayMonitors(nullptr, nullptr, print_monitor, 0) ? 0 : 1;
}

static const ProbeCommand monitor_commands[] = {
    {"monitors",
     "  (virtual L T R B from the system metrics; clip L T R B of the screen's device context; count N; "
     "monitor L T R B primary|secondary per monitor)",
     monitors_cmd},
};
PROBE_COMMANDS(monitor_commands);
