// The scene on a Windows window: the OpenGL context made at creation, one
// frame per timer tick, everything released at destruction.
#include "scene/scene_window.h"
#include "host/host_state.h"
#include "scene/scene.h"
#ifdef KORV_TEST_HOOKS
#include <stdio.h>
#include <stdlib.h>
#endif

HDC scene_dc = nullptr;
HGLRC scene_rc = nullptr;
int client_width = 0;
int client_height = 0;

static const UINT_PTR frame_timer = 1;
static const UINT frame_period_ms = 10;

#ifdef KORV_TEST_HOOKS
// Test builds: frames drawn in this run, and the frame (counted from 1) that
// is to fault when KORVANTHEL_TEST_FAULT names one.
static unsigned long test_frames = 0;
static unsigned long test_fault_frame = 0;

static void test_log_event(const char *event, unsigned long value) {
  char line[96];
  snprintf(line, sizeof line, "%s %lu %lu", event, value, (unsigned long)GetTickCount());
  test_log(line);
}
#endif

void create_gl_context(HWND window, HDC *dc, HGLRC *rc) {
  PIXELFORMATDESCRIPTOR format = {};
  format.nSize = sizeof format;
  format.nVersion = 1;
  // Depth bits and drawing to a window are asked for explicitly: without them
  // many drivers give no depth buffer and the depth test does nothing.
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 24;
  format.cDepthBits = 24;
  format.iLayerType = PFD_MAIN_PLANE;
  *dc = GetDC(window);
  int number = ChoosePixelFormat(*dc, &format);
  SetPixelFormat(*dc, number, &format);
  *rc = wglCreateContext(*dc);
  wglMakeCurrent(*dc, *rc);
}

void destroy_gl_context(HWND window, HDC dc, HGLRC rc) {
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(rc);
  ReleaseDC(window, dc);
}

void render_frame(HDC dc) {
  draw_frame();
  SwapBuffers(dc);
}

LRESULT scene_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_CREATE: {
    RECT client = {};
    GetClientRect(window, &client);
    client_width = client.right;
    client_height = client.bottom;
    create_gl_context(window, &scene_dc, &scene_rc);
    init_scene(client_width, client_height);
    SetTimer(window, frame_timer, frame_period_ms, nullptr);
#ifdef KORV_TEST_HOOKS
    test_frames = 0;
    const char *fault = getenv("KORVANTHEL_TEST_FAULT");
    test_fault_frame = fault ? strtoul(fault, nullptr, 10) : 0;
    char line[96];
    snprintf(line, sizeof line, "window_created %d %d %lu", client_width, client_height,
             (unsigned long)GetTickCount());
    test_log(line);
#endif
    return 0;
  }
  case WM_TIMER:
#ifdef KORV_TEST_HOOKS
    ++test_frames;
    if (test_frames == 1) test_log_event("first_frame", 1);
    if (test_fault_frame && test_frames == test_fault_frame) {
      test_log_event("fault", test_frames);
      // A real access violation: a write through a null pointer that the
      // compiler cannot see through.
      volatile int *volatile nowhere = nullptr;
      *nowhere = 0;
    }
#endif
    render_frame(scene_dc);
    return 0;
  case WM_DESTROY:
    KillTimer(window, frame_timer);
    destroy_gl_context(window, scene_dc, scene_rc);
#ifdef KORV_TEST_HOOKS
    test_log_event("frames", test_frames);
#endif
    return 0;
  default:
    return host_default_proc(window, message, wparam, lparam);
  }
}
