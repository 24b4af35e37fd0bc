// The test build's side of the seam in hooks/test_hooks.h: log lines for the
// tests (each frame's angles on request), the fault on request, the test's
// Windows directory, copy fault, refused copy and end of the request for
// administrator rights, and the stopped clock of the password check.
// Linked only into test programs, never into the shipped one.
#include "hooks/test_hooks.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

long copy_fault_after = -1;
int fake_tick_set = 0;
unsigned long fake_tick = 0;

// Frames drawn by the current window, the frame that is to fault, and
// whether each frame's angles are logged.
static unsigned long frames_drawn = 0;
static unsigned long fault_frame = 0;
static bool log_angles = false;

// Appends "EVENT VALUE... TICK" and a newline to the file named by
// KORVANTHEL_TEST_LOG, when it is set.
static void log_event(const char* event, const long* values, int count) {
  const char* name = getenv("KORVANTHEL_TEST_LOG");
  if (!name || !*name) return;
  FILE* log = fopen(name, "a");
  if (!log) return;
  fputs(event, log);
  for (int i = 0; i < count; i++) fprintf(log, " %ld", values[i]);
  fprintf(log, " %lu\n", (unsigned long)GetTickCount());
  fclose(log);
}

static void log_value(const char* event, long value) {
  log_event(event, &value, 1);
}

void test_hook_window_created(int width, int height) {
  frames_drawn = 0;
  const char* fault = getenv("KORVANTHEL_TEST_FAULT");
  fault_frame = fault ? strtoul(fault, nullptr, 10) : 0;
  const char* angles = getenv("KORVANTHEL_TEST_ANGLES");
  log_angles = angles && *angles;
  const long size[2] = {width, height};
  log_event("window_created", size, 2);
}

void test_hook_frame() {
  ++frames_drawn;
  if (frames_drawn == 1) log_value("first_frame", 1);
  if (fault_frame && frames_drawn == fault_frame) {
    log_value("fault", (long)frames_drawn);
    // A real access violation: a write through a null pointer that the
    // compiler cannot see through.
    volatile int* volatile nowhere = nullptr;
    *nowhere = 0;
  }
}

void test_hook_frame_drawn(float tilt, float spin, float light, int views) {
  if (!log_angles) return;
  const char* name = getenv("KORVANTHEL_TEST_LOG");
  if (!name || !*name) return;
  FILE* log = fopen(name, "a");
  if (!log) return;
  // Nine significant digits give every float back exactly.
  fprintf(log, "angles %.9g %.9g %.9g %d %lu\n", tilt, spin, light, views, (unsigned long)GetTickCount());
  fclose(log);
}

void test_hook_window_destroyed() {
  log_value("frames", (long)frames_drawn);
}

void test_hook_saver_running(int flag) {
  log_value("set_saver_running", flag);
}

bool test_hook_windows_directory(const char** directory) {
  const char* chosen = getenv("KORV_TEST_SYSTEMROOT");
  if (!chosen) return false;
  *directory = strcmp(chosen, "(unset)") == 0 ? nullptr : chosen;
  return true;
}

bool test_hook_copy_fault(long written) {
  static long planted = -2;  // -2: the environment not read yet
  if (planted == -2) {
    const char* after = getenv("KORV_TEST_COPY_FAULT");
    planted = after && *after ? strtol(after, nullptr, 10) : -1;
  }
  long after = copy_fault_after >= 0 ? copy_fault_after : planted;
  return after >= 0 && written >= after;
}

bool test_hook_copy_denied() {
  const char* denied = getenv("KORV_TEST_COPY_DENIED");
  return denied && *denied;
}

bool test_hook_elevation_fails() {
  const char* how = getenv("KORV_TEST_ELEVATION");
  return how && *how;
}

void test_hook_install_copy(int status) {
  log_value("install_copy", status);
}

bool test_hook_tick_count(unsigned long* tick) {
  if (!fake_tick_set) return false;
  *tick = fake_tick;
  return true;
}
