// Finding the top-level windows of other processes and waiting for them to
// come or go, for every Windows test helper (the dialog driver, the probe).
// A wait polls and gives up after a bound that only catches a hang.
#pragma once
#include <windows.h>
#include <string>

// How long a wait for what normally takes a moment goes on: the shell kit's
// PATIENCE (tests/kit/lib.sh), which the build passes in.
const DWORD patience_ms = KORV_PATIENCE_SECONDS * 1000;

// True while less than patience_ms has passed since start (a GetTickCount).
bool within_patience(DWORD start);
// Asks done(data) every 10 ms until it answers true (then true) or limit_ms
// have passed (then false).
bool poll_until(bool (*done)(void* data), void* data, DWORD limit_ms = patience_ms);

// A visible (or any, when visible is false) top-level window with this
// caption, of process pid (any process when 0) and of this class (any when
// null); a null caption is any too. Null when none.
HWND find_top_window(const char* caption, DWORD pid, bool visible, const char* class_name = NULL);
// Polls find_top_window for up to limit_ms.
HWND wait_for_window(const char* caption, DWORD pid, bool visible = true, const char* class_name = NULL,
                     DWORD limit_ms = patience_ms);
// Polls until the window is gone; false when it is still there after the bound.
bool wait_until_gone(HWND window, DWORD limit_ms = patience_ms);
// True when a visible top-level window with this caption appears within about
// half a second (used to check that something does NOT appear).
bool appears_briefly(const char* caption, DWORD pid);
// A window's text, asked for with a time-out: a hung window hangs no test.
std::string window_text(HWND window);
