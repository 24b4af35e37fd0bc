// The one seam between the program and its test build. The shipped program
// compiles every hook below as an empty inline function, which leaves no code
// behind; the test build (KORV_TEST_HOOKS, Korvanthel_test.scr and the unit
// test programs) links hooks/test_hooks.cpp instead, which writes what the
// tests need to see to the file named by KORVANTHEL_TEST_LOG and injects the
// faults they ask for. The hooks name no platform type, so any layer of the
// program may call them.
#pragma once

#ifdef KORV_TEST_HOOKS

// "window_created WIDTH HEIGHT TICK": the saver window and its context exist.
void test_hook_window_created(int width, int height);
// Before each frame. Logs "first_frame 1 TICK" for the first; at the frame
// that KORVANTHEL_TEST_FAULT names (counted from 1), logs "fault N TICK" and
// writes through a null pointer.
void test_hook_frame();
// After each frame, when KORVANTHEL_TEST_ANGLES is set (at window creation):
// "angles TILT SPIN LIGHT VIEWS TICK", the animation's angles as the frame
// left them (degrees) and the number of views it drew them in.
void test_hook_frame_drawn(float tilt, float spin, float light, int views);
// "frames N TICK": the frames drawn by the window that is going.
void test_hook_window_destroyed();
// "set_saver_running FLAG TICK": the program tells the system whether a saver runs.
void test_hook_saver_running(int flag);
// Wine sets SystemRoot anew in every process it starts, so tests name the
// Windows directory in KORV_TEST_SYSTEMROOT ("(unset)" standing for none).
// Answers whether it is set, and the directory through `directory`.
bool test_hook_windows_directory(const char** directory);
// Whether the installer's copy is to fail with a write error before byte
// `written` (the count of bytes already written).
bool test_hook_copy_fault(long written);
// The byte count after which test_hook_copy_fault fails a copy; -1: never.
// Where it is -1, KORV_TEST_COPY_FAULT (read at the first copy) gives the
// count, so that a test can plant the fault in a program that it starts.
extern long copy_fault_after;
// Whether the installer's own copy is to report access denied without trying
// (KORV_TEST_COPY_DENIED set), as Windows answers a standard user. Asked in
// the installer's process only, never by the copy command that it starts
// with administrator rights, which inherits the environment.
bool test_hook_copy_denied();
// Whether the request for administrator rights is to fail without asking
// Windows (KORV_TEST_ELEVATION set: "refused", the user's No at the
// permission prompt, or "unstartable", a process that cannot be started;
// either way no process comes back).
bool test_hook_elevation_fails();
// "install_copy STATUS TICK": the copy command ran, with this outcome.
void test_hook_install_copy(int status);
// The clock of the password check's pause between checks: answers whether a
// test has stopped the clock, and its tick count through `tick`.
bool test_hook_tick_count(unsigned long* tick);
// A test's stopped clock: while fake_tick_set is nonzero, the password check
// reads fake_tick instead of the platform's tick count.
extern int fake_tick_set;
extern unsigned long fake_tick;

#else

inline void test_hook_window_created(int, int) {}
inline void test_hook_frame() {}
inline void test_hook_frame_drawn(float, float, float, int) {}
inline void test_hook_window_destroyed() {}
inline void test_hook_saver_running(int) {}
inline bool test_hook_windows_directory(const char**) {
  return false;
}
inline bool test_hook_copy_fault(long) {
  return false;
}
inline bool test_hook_tick_count(unsigned long*) {
  return false;
}
inline bool test_hook_copy_denied() {
  return false;
}
inline bool test_hook_elevation_fails() {
  return false;
}
inline void test_hook_install_copy(int) {}

#endif
