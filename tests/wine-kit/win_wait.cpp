#include "tests/wine-kit/win_wait.h"

#include <string.h>

bool within_patience(DWORD start) {
  return GetTickCount() - start < patience_ms;
}

bool poll_until(bool (*done)(void* data), void* data, DWORD limit_ms) {
  DWORD start = GetTickCount();
  while (!done(data)) {
    if (GetTickCount() - start >= limit_ms) return false;
    Sleep(10);
  }
  return true;
}

namespace {
struct find_request {
  const char* class_name;
  const char* caption;
  DWORD pid;
  bool visible;
  HWND found;
};

// The cheap tests first: the caption is asked of the window last.
BOOL CALLBACK match_window(HWND window, LPARAM lparam) {
  find_request* request = (find_request*)lparam;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (request->pid && pid != request->pid) return TRUE;
  if (request->visible && !IsWindowVisible(window)) return TRUE;
  char class_name[256] = "";
  if (request->class_name &&
      (!GetClassNameA(window, class_name, sizeof class_name) || strcmp(class_name, request->class_name) != 0))
    return TRUE;
  if (request->caption && window_text(window) != request->caption) return TRUE;
  request->found = window;
  return FALSE;
}

bool window_found(void* data) {
  find_request* request = (find_request*)data;
  request->found = NULL;
  EnumWindows(match_window, (LPARAM)request);
  return request->found != NULL;
}

bool window_gone(void* window) {
  return !IsWindow((HWND)window);
}
}  // namespace

HWND find_window_of_class(const char* class_name, const char* caption, DWORD pid, bool visible) {
  find_request request = {class_name, caption, pid, visible, NULL};
  window_found(&request);
  return request.found;
}

HWND find_top_window(const char* caption, DWORD pid, bool visible) {
  return find_window_of_class(NULL, caption, pid, visible);
}

HWND wait_for_window_of_class(const char* class_name, const char* caption, DWORD pid, bool visible,
                              DWORD limit_ms) {
  find_request request = {class_name, caption, pid, visible, NULL};
  return poll_until(window_found, &request, limit_ms) ? request.found : NULL;
}

HWND wait_for_window(const char* caption, DWORD pid, bool visible) {
  return wait_for_window_of_class(NULL, caption, pid, visible, patience_ms);
}

bool wait_until_gone(HWND window, DWORD limit_ms) {
  return poll_until(window_gone, window, limit_ms);
}

bool appears_briefly(const char* caption, DWORD pid) {
  for (int i = 0; i < 20; i++) {
    if (find_top_window(caption, pid, true)) return true;
    Sleep(25);
  }
  return false;
}

std::string window_text(HWND window) {
  char text[2048];
  text[0] = '\0';
  // WM_GETTEXT through SendMessageTimeout: a hung window must not hang the tests.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &ignored);
  text[sizeof text - 1] = '\0';
  return text;
}
