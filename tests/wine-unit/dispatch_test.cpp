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

namespace {
// The host's variables as the program starts, read before any test runs.
struct HostValues {
  HINSTANCE instance;
  int win9x, preview;
  HWND window;
  UINT autoplay;
  POINT reference;
  unsigned int threshold;
  HMODULE module;
  verify_password_fn check;
  int allowed, in_progress;
  DWORD last_attempt;
};

HostValues host_values() {
  return HostValues{saver_instance,   is_win9x,        preview_mode,      saver_window,
                    autoplay_message, reference_point, mouse_threshold,   verifier_module,
                    verifier,         close_allowed,   check_in_progress, last_attempt_tick};
}

const HostValues values_at_start = host_values();

BOOL WINAPI any_verifier(HWND) {
  return 1;
}
}  // namespace

TEST_CASE("reset_host_state gives back the values the program starts with") {
  // As the program starts: 0 everywhere but the mouse threshold and the
  // "no check yet" mark.
  CHECK(values_at_start.threshold == 4u);
  CHECK(values_at_start.last_attempt == 0xFFFFFFFFu);
  CHECK(values_at_start.instance == nullptr);
  CHECK((values_at_start.check == nullptr));  // bracketed: doctest cannot print a function pointer
  saver_instance = GetModuleHandleA(nullptr);
  is_win9x = preview_mode = close_allowed = check_in_progress = 1;
  saver_window = GetDesktopWindow();
  autoplay_message = 0xC123;
  reference_point = POINT{17, 23};
  mouse_threshold = 99;
  verifier_module = GetModuleHandleA("kernel32.dll");
  verifier = any_verifier;
  last_attempt_tick = 1234;
  reset_host_state();
  HostValues now = host_values();
  CHECK(now.instance == values_at_start.instance);
  CHECK(now.win9x == values_at_start.win9x);
  CHECK(now.preview == values_at_start.preview);
  CHECK(now.window == values_at_start.window);
  CHECK(now.autoplay == values_at_start.autoplay);
  CHECK(now.reference.x == values_at_start.reference.x);
  CHECK(now.reference.y == values_at_start.reference.y);
  CHECK(now.threshold == values_at_start.threshold);
  CHECK(now.module == values_at_start.module);
  CHECK((now.check == values_at_start.check));
  CHECK(now.allowed == values_at_start.allowed);
  CHECK(now.in_progress == values_at_start.in_progress);
  CHECK(now.last_attempt == values_at_start.last_attempt);
}

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
