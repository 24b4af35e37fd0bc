// The scene's message callback on Windows: the saver window's OpenGL context
// and the 10 ms frame timer, tied to the window's life.
#pragma once
#include <windows.h>

extern HDC scene_dc;
extern HGLRC scene_rc;
extern int client_width;
extern int client_height;

// Handles WM_CREATE, WM_TIMER and WM_DESTROY; hands every other message,
// unchanged, to host_default_proc and answers what it answers.
LRESULT scene_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void create_gl_context(HWND window, HDC *dc, HGLRC *rc);
void destroy_gl_context(HWND window, HDC dc, HGLRC rc);
void render_frame(HDC dc);
