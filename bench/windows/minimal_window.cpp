// The baselines for the start-up benchmark: the least a Win32 program does to
// put a full-screen window on the screen. It registers a class whose
// background brush is blue, opens a top-most popup over the whole screen and
// runs its message loop; a key press or a click ends it with exit code 0.
// Started with the argument "gl", it instead makes an OpenGL context for the
// window (the same pixel-format request as the saver) and presents a blue
// frame every 10 ms, so that the cost of OpenGL's start under Wine can be
// told apart from the saver's own.
#include <windows.h>
#include <GL/gl.h>
#include <string.h>

#include "scene/scene_window.h"

static bool use_gl;
static HDC gl_dc;
static HGLRC gl_rc;

static void start_gl(HWND window) {
  PIXELFORMATDESCRIPTOR format = saver_pixel_format();
  gl_dc = GetDC(window);
  SetPixelFormat(gl_dc, ChoosePixelFormat(gl_dc, &format), &format);
  gl_rc = wglCreateContext(gl_dc);
  wglMakeCurrent(gl_dc, gl_rc);
  SetTimer(window, 1, 10, nullptr);
}

static LRESULT CALLBACK minimal_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_CREATE:
    if (use_gl) start_gl(window);
    return 0;
  case WM_TIMER:
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    SwapBuffers(gl_dc);
    return 0;
  case WM_KEYDOWN:
  case WM_LBUTTONDOWN:
    DestroyWindow(window);
    return 0;
  case WM_DESTROY:
    if (use_gl) {
      KillTimer(window, 1);
      wglMakeCurrent(nullptr, nullptr);
      wglDeleteContext(gl_rc);
      ReleaseDC(window, gl_dc);
    }
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  use_gl = strcmp(command_line, "gl") == 0;
  WNDCLASSA window_class = {};
  window_class.style = use_gl ? CS_OWNDC : 0;
  window_class.lpfnWndProc = minimal_proc;
  window_class.hInstance = instance;
  window_class.hbrBackground =
      use_gl ? (HBRUSH)GetStockObject(BLACK_BRUSH) : CreateSolidBrush(RGB(0, 0, 255));
  window_class.lpszClassName = "KorvMinimalWindow";
  if (!RegisterClassA(&window_class)) return 2;
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "KorvMinimalWindow", "Minimal window", WS_POPUP | WS_VISIBLE,
                                0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                nullptr, instance, nullptr);
  if (!window) return 3;
  SetForegroundWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return (int)message.wParam;
}
