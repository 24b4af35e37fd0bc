// Shared helpers of the host's unit tests under Wine: real windows driven by
// the saver's own window procedure. Between tests the host's own
// reset_host_state puts its process-wide state back.
#pragma once
#include "host/host_state.h"
#include "hooks/test_hooks.h"

#include <vector>

// A saver window of a test class that uses saver_window_proc.  Full screen
// mode is a small top-level popup (the rules do not depend on its size);
// preview mode is a child of a test parent window.  The frame timer is stopped
// and the queue emptied, so that tests see only what they cause.
struct TestSaver {
  HWND window;
  HWND parent;  // preview only
};
TestSaver open_test_saver(bool preview);
void close_test_saver(TestSaver& saver);

// Removes every pending WM_CLOSE of the window; answers how many there were.
int take_closes(HWND window);
// Removes every pending message of the thread without dispatching it.
void drain_queue();

// One call of the platform's Sleep by this program: its argument, and the
// scene's tilt at that moment (which tells whether a frame came before it).
struct SleepCall {
  DWORD milliseconds;
  float tilt;
};
// Records every Sleep of this program's own code in *log from now on (its
// import of Sleep is redirected); null puts the platform's Sleep back.
// Answers false when the program imports no Sleep.
bool record_sleeps(std::vector<SleepCall>* log);
