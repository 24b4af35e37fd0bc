// The dispatcher: command results that end a run at once, and one whole
// preview run inside a test parent window.
#include <doctest/doctest.h>

#include <stdio.h>

#include <string>
#include <string.h>

#include "tests/wine-unit/host_test_support.h"

namespace {

int run_tail(const char* tail) {
  return saver_main(GetModuleHandleA(nullptr), tail);
}

HWND dead_window() {
  HWND window = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  DestroyWindow(window);
  return window;
}

}  // namespace

TEST_CASE("commands that fail give -1 without a window") {
  reset_host_state();
  char dead_preview[32];
  snprintf(dead_preview, sizeof dead_preview, "/p %u", (unsigned)(UINT_PTR)dead_window());
  const char* tails[] = {"/x",     "/?",    "1",          "/\ts", "/p", "/p 0",
                         "/p abc", "/p -5", dead_preview, "/a 5", "/A"};
  for (const char* tail : tails) {
    INFO(std::string(tail));
    CHECK(run_tail(tail) == -1);
    CHECK(saver_window == nullptr);
  }
  // Recorded before any command: this module, and Wine's NT family here.
  CHECK(saver_instance == GetModuleHandleA(nullptr));
  CHECK(is_win9x == 0);
  reset_host_state();
}

namespace {
HWND preview_parent;
HWND preview_child;
char preview_title[32];
RECT preview_rect;
RECT parent_client;
LONG_PTR preview_style;
int preview_ticks;

// Runs inside the saver's message loop: looks at the preview, then ends it by
// destroying its parent, as the display settings dialog does.
void CALLBACK end_preview(HWND, UINT, UINT_PTR timer, DWORD) {
  if (++preview_ticks < 3) return;
  KillTimer(nullptr, timer);
  preview_child = FindWindowExA(preview_parent, nullptr, "WindowsScreenSaverClass", nullptr);
  if (preview_child) {
    GetWindowTextA(preview_child, preview_title, sizeof preview_title);
    GetClientRect(preview_child, &preview_rect);
    preview_style = GetWindowLongPtrA(preview_child, GWL_STYLE);
  }
  GetClientRect(preview_parent, &parent_client);
  DestroyWindow(preview_parent);
}
}  // namespace

TEST_CASE("a preview runs inside its parent and ends with it") {
  reset_host_state();
  preview_parent = CreateWindowExA(0, "STATIC", "Display settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                   300, 220, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  REQUIRE(preview_parent);
  SetTimer(nullptr, 0, 30, end_preview);
  char tail[32];
  snprintf(tail, sizeof tail, "/p  %u", (unsigned)(UINT_PTR)preview_parent);
  CHECK(run_tail(tail) == 0);
  REQUIRE(preview_child != nullptr);
  CHECK(preview_mode == 1);
  CHECK(strcmp(preview_title, "Preview") == 0);
  CHECK((preview_style & WS_CHILD) != 0);
  CHECK(preview_rect.right == parent_client.right);
  CHECK(preview_rect.bottom == parent_client.bottom);
  CHECK_FALSE(IsWindow(preview_child));
  // The verifier is never loaded for a preview.
  CHECK(verifier_module == nullptr);
  drain_queue();
  reset_host_state();
}

namespace {
HWND doomed_parent;
int saver_creations;

// Destroys the preview's parent the moment the saver window's WM_CREATE has
// been answered, before CreateWindowExA returns to run_saver.
LRESULT CALLBACK parent_goes_during_creation(int code, WPARAM wparam, LPARAM lparam) {
  const CWPRETSTRUCT* call = (const CWPRETSTRUCT*)lparam;
  if (code == HC_ACTION && call->message == WM_CREATE) {
    char name[64] = "";
    GetClassNameA(call->hwnd, name, sizeof name);
    if (strcmp(name, "WindowsScreenSaverClass") == 0) {
      ++saver_creations;
      DestroyWindow(doomed_parent);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}
}  // namespace

TEST_CASE("a preview whose parent goes while it is being created ends normally") {
  reset_host_state();
  saver_instance = GetModuleHandleA(nullptr);
  doomed_parent = CreateWindowExA(0, "STATIC", "Display settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                  300, 220, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  REQUIRE(doomed_parent);
  saver_creations = 0;
  HHOOK hook =
      SetWindowsHookExA(WH_CALLWNDPROCRET, parent_goes_during_creation, nullptr, GetCurrentThreadId());
  REQUIRE(hook);
  // Runs after the earlier preview run of this process: the class registers again.
  int result = run_saver(doomed_parent);
  UnhookWindowsHookEx(hook);
  CHECK(saver_creations == 1);
  CHECK(saver_window == nullptr);
  CHECK(result == 0);
  CHECK_FALSE(IsWindow(doomed_parent));
  drain_queue();
  reset_host_state();
}
