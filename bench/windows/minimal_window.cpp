// The baseline for the start-up benchmark: the least a Win32 program does to
// put a full-screen window on the screen. It registers a class whose
// background brush is blue, opens a top-most popup over the whole screen and
// runs its message loop; a key press or a click ends it with exit code 0.
#include <windows.h>

static LRESULT CALLBACK minimal_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = minimal_proc;
  window_class.hInstance = instance;
  window_class.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
  window_class.lpszClassName = "KorvMinimalWindow";
  if (!RegisterClassA(&window_class)) return 2;
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "KorvMinimalWindow", "Minimal window",
                                WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
  if (!window) return 3;
  SetForegroundWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return (int)message.wParam;
}
