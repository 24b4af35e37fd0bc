// The scene's message callback on Windows: the saver window's OpenGL context
// and the 10 ms frame timer, tied to the window's life.
#pragma once
#include <windows.h>

// Handles WM_CREATE, WM_TIMER and WM_DESTROY; hands every other message,
// unchanged, to host_default_proc and answers what it answers.
LRESULT scene_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The host's default handling of every message that the scene leaves alone:
// the close-on-input rules, then the platform's default window procedure.
// Defined by the host (host/saver_window.cpp).
LRESULT host_default_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
