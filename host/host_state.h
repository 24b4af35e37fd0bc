// The saver host's process-wide state and every host function, declared once.
// One GUI thread runs everything; there are no locks.
#pragma once
#include <windows.h>
#include "host/command_scan.h"   // parse_decimal and the command-line scan
#include "scene/scene_window.h"  // scene_proc, and host_default_proc that it calls

// The platform's screen-saver password check (VerifyScreenSavePwd): nonzero
// lets the saver close.
typedef BOOL(WINAPI* verify_password_fn)(HWND window);
// PwdChangePasswordA of MPR.DLL.
typedef DWORD(WINAPI* change_password_fn)(LPCSTR provider, HWND parent, DWORD reserved1, DWORD reserved2);

// Set by saver_main before any command runs.
extern HINSTANCE saver_instance;
extern int is_win9x;

// The saver window and its input rules.
extern int preview_mode;
extern HWND saver_window;
extern UINT autoplay_message;
extern POINT reference_point;
extern unsigned int mouse_threshold;

// The password check.
extern HMODULE verifier_module;
extern verify_password_fn verifier;
extern int close_allowed;
extern int check_in_progress;
extern DWORD last_attempt_tick;

// Starting values other than 0.
const unsigned int initial_mouse_threshold = 4;  // pixels of movement, summed over both axes
const DWORD no_attempt_yet = 0xFFFFFFFFu;        // last_attempt_tick before the first check

// Puts every variable above back to its starting value (a program that runs
// the host's procedures more than once in one process: the unit tests).
void reset_host_state();

// Exit code of a run that a fault ended after the platform reported it.
const int fault_exit_code = 3;
// run_saver's answer when the window class or the window cannot be created.
const int saver_window_failed = -1;

// Entry and dispatch.
DECLSPEC_NORETURN void saver_entry();
// Runs the one command that the tail selects; answers the exit code.
int saver_main(HINSTANCE instance, const char* tail);

// The saver window.
int run_saver(HWND parent);
// The monitors' rectangles (virtual-screen coordinates) as views of a
// full-screen window placed at `screen`: each less the window's origin and
// clipped to its client area; a monitor outside it gives none. Writes at
// most `max` into views and answers how many it wrote.
int monitor_views(const RECT* monitors, int count, RECT screen, RECT* views, int max);
LRESULT CALLBACK saver_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Passwords.
void load_verifier();
void unload_verifier();
int verify_password(HWND window);
void change_password(HWND parent);
void set_saver_running(int flag);
DWORD tick_elapsed(DWORD earlier, DWORD later);
