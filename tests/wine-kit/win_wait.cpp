#include "tests/wine-kit/win_wait.h"

#include <string.h>

bool within_patience(DWORD start) {
  return GetTickCount() - start < patience_ms;
}

bool poll_until(bool (*done)(void* data), void* data, DWORD limit_ms) {
  for (DWORD start = GetTickCount(); !done(data); Sleep(10))
    if (GetTickCount() - start >= limit_ms) return false;
  return true;
}

namespace {
struct find_request {
  const char* caption;
  DWORD pid;
  bool visible;
  const char* class_name;
  HWND found;
};

// The caption, which means a message to the window, is asked for last.
BOOL CALLBACK match_window(HWND window, LPARAM lparam) {
  find_request* request = (find_request*)lparam;
  DWORD pid = 0;
  char class_name[256] = "";
  GetWindowThreadProcessId(window, &pid);
  if (request->pid && pid != request->pid) return TRUE;
  if (request->visible && !IsWindowVisible(window)) return TRUE;
  if (request->class_name &&
      (!GetClassNameA(window, class_name, sizeof class_name) || strcmp(class_name, request->class_name) != 0))
    return TRUE;
  if (request->caption && window_text(window) != request->caption) return TRUE;
  request->found = window;
  return FALSE;
}

bool window_found(void* request) {
  EnumWindows(match_window, (LPARAM)request);
  return ((find_request*)request)->found != NULL;
}

bool window_gone(void* window) {
  return !IsWindow((HWND)window);
}
}  // namespace

HWND find_top_window(const char* caption, DWORD pid, bool visible, const char* class_name) {
  find_request request = {caption, pid, visible, class_name, NULL};
  window_found(&request);
  return request.found;
}

HWND wait_for_window(const char* caption, DWORD pid, bool visible, const char* class_name, DWORD limit_ms) {
  find_request request = {caption, pid, visible, class_name, NULL};
  return poll_until(window_found, &request, limit_ms) ? request.found : NULL;
}

bool wait_until_gone(HWND window, DWORD limit_ms) {
  return poll_until(window_gone, window, limit_ms);
}

bool appears_briefly(const char* caption, DWORD pid) {
  for (int i = 0; i < 20; i++, Sleep(25))
    if (find_top_window(caption, pid, true)) return true;
  return false;
}

std::string window_text(HWND window) {
  char text[2048] = "";
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &ignored);
  text[sizeof text - 1] = '\0';
  return text;
}
