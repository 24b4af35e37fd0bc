// The saver window: a borderless top-most popup over the whole screen, or a
// child filling a preview window; its message loop; and the rules that decide
// which input ends the saver.
#include "host/host_state.h"
#include <imm.h>

static const char saver_class_name[] = "WindowsScreenSaverClass";
static const char fullscreen_title[] = "Screen Saver";
static const char preview_title[] = "Preview";
// The WM_POWER request that closes the saver.  The saver has always used 3
// here; note that the platform headers give PWR_SUSPENDREQUEST the value 1
// (3 is PWR_CRITICALRESUME there), so the header's name is not used. Kept on
// purpose: it is the request the saver has always closed on.
static const WPARAM power_suspend_request = 3;
// How often a preview checks that its window and its parent still exist.
static const UINT parent_watch_ms = 250;

// ImmAssociateContext: gives the window an input context, answers the old one.
typedef HIMC(WINAPI* ime_associate_fn)(HWND window, HIMC context);
// The input-method library, when the process has it loaded, and the window's
// input context from before the saver took it away.
static HMODULE ime_module = nullptr;
static ime_associate_fn ime_associate = nullptr;
static HIMC saved_ime_context = nullptr;

int monitor_views(const RECT* monitors, int count, RECT screen, RECT* views, int max) {
  RECT client = {0, 0, screen.right - screen.left, screen.bottom - screen.top};
  int made = 0;
  for (int i = 0; i < count && made < max; i++) {
    RECT view = monitors[i];
    OffsetRect(&view, -screen.left, -screen.top);
    if (IntersectRect(&view, &view, &client)) views[made++] = view;
  }
  return made;
}

// EnumDisplayMonitors and GetMonitorInfoA, looked up at run time: Windows 95
// and NT 4 have neither, and a program that imported them would not start
// there at all. Without them the screen counts as one monitor.
typedef BOOL(WINAPI* monitor_info_fn)(HMONITOR monitor, MONITORINFO* info);
typedef BOOL(WINAPI* enum_monitors_fn)(HDC dc, const RECT* clip, MONITORENUMPROC note, LPARAM data);
struct monitor_list {
  monitor_info_fn info;
  RECT rects[max_scene_views];
  int count;
};

static BOOL CALLBACK note_monitor(HMONITOR monitor, HDC, RECT*, LPARAM data) {
  monitor_list* list = (monitor_list*)data;
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (list->count < max_scene_views && list->info(monitor, &info))
    list->rects[list->count++] = info.rcMonitor;
  return TRUE;
}

// Hands the scene one view per monitor that the full-screen window covers.
static void show_scene_on_each_monitor(RECT screen) {
  HMODULE user = GetModuleHandleA("USER32.DLL");
  enum_monitors_fn enum_monitors =
      user ? (enum_monitors_fn)(void*)GetProcAddress(user, "EnumDisplayMonitors") : nullptr;
  monitor_list list = {};
  list.info = user ? (monitor_info_fn)(void*)GetProcAddress(user, "GetMonitorInfoA") : nullptr;
  if (enum_monitors && list.info) enum_monitors(nullptr, nullptr, note_monitor, (LPARAM)&list);
  RECT views[max_scene_views];
  set_scene_views(views, monitor_views(list.rects, list.count, screen, views, max_scene_views));
}

int run_saver(HWND parent) {
  WNDCLASSA window_class = {};
  window_class.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = saver_window_proc;
  window_class.hInstance = saver_instance;
  window_class.hIcon = LoadIconA(saver_instance, MAKEINTRESOURCEA(100));
  window_class.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  window_class.lpszClassName = saver_class_name;

  DWORD style, ex_style;
  const char* title;
  int x, y, width, height;
  RECT screen = {};
  if (parent) {
    RECT client = {};
    GetClientRect(parent, &client);
    preview_mode = 1;
    style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    ex_style = 0;
    title = preview_title;
    x = 0;
    y = 0;
    width = client.right;
    height = client.bottom;
  } else {
    HDC screen_dc = GetDC(nullptr);
    GetClipBox(screen_dc, &screen);
    ReleaseDC(nullptr, screen_dc);
    style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ex_style = WS_EX_TOPMOST;
    title = fullscreen_title;
    x = screen.left;
    y = screen.top;
    width = screen.right - screen.left;
    height = screen.bottom - screen.top;
    // One full-screen saver at a time, whichever process runs it.
    HWND running = FindWindowA(saver_class_name, fullscreen_title);
    if (running && IsWindow(running)) {
      SetForegroundWindow(running);
      return 0;
    }
    load_verifier();
  }
  // Taken as the window is made: a preview is one view of its parent's area.
  if (parent)
    set_scene_views(nullptr, 0);
  else
    show_scene_on_each_monitor(screen);
  autoplay_message = is_win9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

  // Without a class or a window no loop runs, and the run reports the failure
  // instead of a normal end.
  MSG message = {};
  message.wParam = (WPARAM)(INT_PTR)saver_window_failed;
  ATOM registered = RegisterClassA(&window_class);
  saver_window = registered ? CreateWindowExA(ex_style, saver_class_name, title, style, x, y, width, height,
                                              parent, nullptr, saver_instance, nullptr)
                            : nullptr;
  if (saver_window) {
    if (!preview_mode) SetForegroundWindow(saver_window);
    // A preview must never outlive the window that shows it. When the parent's
    // process dies, the platform may remove both windows without a single
    // message reaching this thread (seen under Wine), so a thread timer looks
    // four times a second whether the preview or its parent is still there.
    UINT_PTR parent_watch = preview_mode ? SetTimer(nullptr, 0, parent_watch_ms, nullptr) : 0;
    while (GetMessageA(&message, nullptr, 0, 0)) {
      if (parent_watch && message.message == WM_TIMER && message.hwnd == nullptr &&
          message.wParam == parent_watch) {
        if (!IsWindow(saver_window)) {
          message.wParam = 0;  // gone without WM_DESTROY: the run ends as usual
          break;
        }
        if (!IsWindow(parent)) DestroyWindow(saver_window);  // ends through WM_QUIT
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (parent_watch) KillTimer(nullptr, parent_watch);
  } else if (registered && PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    // The window was made and destroyed again before CreateWindowExA returned
    // (a preview whose parent closed at that moment): its WM_DESTROY has
    // posted WM_QUIT, and the run ends as any other run does.
  }
  unload_verifier();
  // Nothing of the run stays registered: a later run in the same process
  // registers the class afresh.
  if (registered) UnregisterClassA(saver_class_name, saver_instance);
  return (int)message.wParam;
}

static void hide_pointer_in_full_screen() {
  if (!preview_mode) SetCursor(nullptr);
}

LRESULT CALLBACK saver_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_CREATE:
    // Keyboard input must not open an input-method window over the saver.
    ime_module = GetModuleHandleA("IMM32.DLL");
    if (ime_module) {
      ime_associate = (ime_associate_fn)(void*)GetProcAddress(ime_module, "ImmAssociateContext");
      if (ime_associate) saved_ime_context = ime_associate(window, nullptr);
    }
    GetCursorPos(&reference_point);
    hide_pointer_in_full_screen();
    break;
  case WM_DESTROY:
    if (ime_module && ime_associate && saved_ime_context) ime_associate(window, saved_ime_context);
    PostQuitMessage(0);
    break;
  case WM_SETTEXT:
    return 0;  // the title stays what the saver set
  case WM_PAINT:
    if (close_allowed) return DefWindowProcA(window, message, wparam, lparam);
    hide_pointer_in_full_screen();
    break;
  case WM_HELP:
  case WM_CONTEXTMENU:
    if (preview_mode) {
      // Help belongs to the window that shows the preview.
      HWND parent = GetParent(window);
      if (parent && IsWindow(parent)) PostMessageA(parent, message, (WPARAM)parent, lparam);
      return 1;
    }
    break;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_MOUSEMOVE:
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    if (close_allowed) return DefWindowProcA(window, message, wparam, lparam);
    break;
  case WM_SYSCOMMAND:
    // No switching away from a full-screen saver, and no second saver.
    if (!preview_mode && (wparam == SC_NEXTWINDOW || wparam == SC_PREVWINDOW || wparam == SC_SCREENSAVE))
      return 0;
    break;
  case WM_TIMER:
    if (close_allowed) return 0;  // closing: no more frames
    Sleep(0);  // the rest of the time slice goes to others first, as the saver has always done
    break;
  default:
    break;
  }
  return scene_proc(window, message, wparam, lparam);
}

static void post_close(HWND window) {
  PostMessageA(window, WM_CLOSE, 0, 0);
}

// Summed distance of the pointer from reference_point, in 32-bit arithmetic.
static unsigned int pointer_distance(POINT pointer) {
  unsigned int dx = (unsigned int)pointer.x - (unsigned int)reference_point.x;
  unsigned int dy = (unsigned int)pointer.y - (unsigned int)reference_point.y;
  if ((int)dx < 0) dx = 0u - dx;
  if ((int)dy < 0) dy = 0u - dy;
  return dx + dy;
}

// The power broadcasts that mean the machine is going to sleep or that a
// user has woken it. Never a change of power status (a laptop's charger
// plugged in or out, its battery past a threshold), a failed query, a low
// battery, an OEM event, an automatic resume (sent on every resume, unattended
// wakes included) or a change of a power setting: on a laptop those come
// while nobody is there.
static bool power_event_closes(WPARAM event) {
  switch (event) {
  case PBT_APMQUERYSUSPEND:
  case PBT_APMQUERYSTANDBY:
  case PBT_APMSUSPEND:
  case PBT_APMSTANDBY:
  case PBT_APMRESUMECRITICAL:
  case PBT_APMRESUMESUSPEND:
  case PBT_APMRESUMESTANDBY:
    return true;
  default:
    return false;
  }
}

// The close-on-input rules of a full-screen saver.  Answers 1 when the message
// is answered here (WM_SETCURSOR); 0 sends it on to the default handling.
static LRESULT input_rules(HWND window, UINT message, WPARAM wparam) {
  switch (message) {
  case WM_SHOWWINDOW:
    if (wparam) SetCursor(nullptr);
    break;
  case WM_ACTIVATEAPP:
    if (!wparam) post_close(window);
    break;
  case WM_SETCURSOR:
    SetCursor(nullptr);
    return 1;
  case WM_POWER:
    if (wparam == power_suspend_request) post_close(window);
    break;
  case WM_POWERBROADCAST:
    if (power_event_closes(wparam)) post_close(window);
    break;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    post_close(window);
    break;
  case WM_MOUSEMOVE: {
    // The pointer itself is read: the message's coordinates are not used.
    POINT pointer;
    GetCursorPos(&pointer);
    if (pointer_distance(pointer) > mouse_threshold) {
      post_close(window);
      reference_point = pointer;
    }
    break;
  }
  default:
    break;
  }
  return 0;
}

// Set while the verifier answers verify_password's WM_APP.
static int verifier_running = 0;

LRESULT host_default_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!preview_mode && !close_allowed) {
    if (message == WM_CLOSE) {
      if (is_win9x && !verify_password(window)) {
        GetCursorPos(&reference_point);
        return 0;
      }
    } else if (message == WM_APP && is_win9x && check_in_progress) {
      // verify_password's question, answered while check_in_progress is set.
      // Only that one question runs the verifier: a WM_APP from anywhere else
      // (another program, or one that the verifier's own dialog dispatches)
      // must not open a second password dialog, nor one outside a check.
      if (verifier_running) return 0;
      verifier_running = 1;
      LRESULT answer = verifier ? verifier(window) : 1;
      verifier_running = 0;
      return answer;
    } else if (!check_in_progress) {
      if (input_rules(window, message, wparam)) return 1;
    }
  }
  if (autoplay_message && message == autoplay_message) {
    post_close(window);
    return verifier ? 1 : 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
