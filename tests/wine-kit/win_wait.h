// Finding the top-level windows of other processes and waiting for them to
// come or go, for every Windows test helper (the dialog driver, the probe).
// A wait polls and gives up after a bound that only catches a hang; it never
// measures time as a result.
#pragma once
#include <windows.h>
#include <string>

// How long a wait for what normally takes a moment goes on: the shell kit's
// PATIENCE (tests/kit/lib.sh), which the build passes in, so that a loaded
// machine never fails a test by being slow.
const DWORD patience_ms = KORV_PATIENCE_SECONDS * 1000;

// True while less than patience_ms has passed since start (a GetTickCount).
bool within_patience(DWORD start);
// Asks done(data) every 10 ms until it answers true (then true) or limit_ms
// have passed (then false).
bool poll_until(bool (*done)(void* data), void* data, DWORD limit_ms = patience_ms);

// A visible (or any, when visible is false) top-level window of this class
// with this caption (either null: any), of process pid (any process when 0).
// Null when none.
HWND find_window_of_class(const char* class_name, const char* caption, DWORD pid, bool visible);
HWND find_top_window(const char* caption, DWORD pid, bool visible);
// Polls find_window_of_class for up to limit_ms.
HWND wait_for_window_of_class(const char* class_name, const char* caption, DWORD pid, bool visible,
                              DWORD limit_ms);
// Polls find_top_window for up to patience_ms.
HWND wait_for_window(const char* caption, DWORD pid, bool visible = true);
// Polls until the window is gone; false when it is still there after the bound.
bool wait_until_gone(HWND window, DWORD limit_ms = patience_ms);
// True when a visible top-level window with this caption appears within about
// half a second (used to check that something does NOT appear).
bool appears_briefly(const char* caption, DWORD pid);

// A window's text, asked for with a time-out: a hung window does not hang
// the test.
std::string window_text(HWND window);
