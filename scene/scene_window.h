// The scene's message callback on Windows: the saver window's OpenGL context
// and the 10 ms frame timer, tied to the window's life.
#pragma once
#include <windows.h>

// The pixel format that the saver asks for: RGBA, double-buffered, 24 colour
// and 24 depth bits, drawing to a window. Depth bits and drawing to a window
// are asked for explicitly: without them many drivers give no depth buffer
// and the depth test does nothing. (Inline, so that the start-up benchmark's
// baseline window asks for the same.)
inline PIXELFORMATDESCRIPTOR saver_pixel_format() {
  PIXELFORMATDESCRIPTOR format = {};
  format.nSize = sizeof format;
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 24;
  format.cDepthBits = 24;
  format.iLayerType = PFD_MAIN_PLANE;
  return format;
}

// The views of the next window that the scene is made for. A full-screen
// window over several monitors shows the whole scene on each: one view per
// monitor, given as a rectangle of the window's client area (origin at its
// top left, y down), each with its own viewport and a projection of its own
// aspect ratio. Each tick then clears once, steps the animation once, draws
// every view and swaps once. With fewer than two views the scene fills the
// window as one view, as a preview and a single monitor have it. At most
// max_scene_views are kept; the rectangles are copied.
const int max_scene_views = 16;
void set_scene_views(const RECT* views, int count);

// Handles WM_CREATE, WM_TIMER and WM_DESTROY; hands every other message,
// unchanged, to host_default_proc and answers what it answers.
LRESULT scene_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The host's default handling of every message that the scene leaves alone:
// the close-on-input rules, then the platform's default window procedure.
// Defined by the host (host/saver_window.cpp).
LRESULT host_default_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
