// The saver window's message layers with a real window: which input closes a
// full-screen saver, the mouse threshold, and what closing withholds.
#include <doctest/doctest.h>

#include <stdio.h>

#include <string>

#include "scene/scene.h"
#include "tests/wine-unit/host_test_support.h"

#include <GL/gl.h>

namespace {

struct InputCase {
  const char* name;
  UINT message;
  WPARAM wparam;
  bool closes;  // in full screen, with no check running and closing not yet allowed
};

const InputCase input_cases[] = {
    {"key down", WM_KEYDOWN, 'A', true},
    {"system key down", WM_SYSKEYDOWN, 'A', true},
    {"left button down", WM_LBUTTONDOWN, 0, true},
    {"right button down", WM_RBUTTONDOWN, 0, true},
    {"middle button down", WM_MBUTTONDOWN, 0, true},
    {"activation lost", WM_ACTIVATEAPP, 0, true},
    {"suspend request", WM_POWER, 3, true},
    // The machine is going to sleep, or a user has woken it.
    {"power: query suspend", WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, true},
    {"power: query standby", WM_POWERBROADCAST, PBT_APMQUERYSTANDBY, true},
    {"power: suspend", WM_POWERBROADCAST, PBT_APMSUSPEND, true},
    {"power: standby", WM_POWERBROADCAST, PBT_APMSTANDBY, true},
    {"power: resume from a critical suspend", WM_POWERBROADCAST, PBT_APMRESUMECRITICAL, true},
    {"power: resume by a user", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, true},
    {"power: resume from standby", WM_POWERBROADCAST, PBT_APMRESUMESTANDBY, true},
    // A laptop's power changes while nobody is there.
    {"power: suspend query failed", WM_POWERBROADCAST, PBT_APMQUERYSUSPENDFAILED, false},
    {"power: standby query failed", WM_POWERBROADCAST, PBT_APMQUERYSTANDBYFAILED, false},
    {"power: battery low", WM_POWERBROADCAST, PBT_APMBATTERYLOW, false},
    {"power: status change (charger, battery)", WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, false},
    {"power: OEM event", WM_POWERBROADCAST, PBT_APMOEMEVENT, false},
    {"power: automatic resume", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, false},
    {"power: power setting change", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, false},
    {"activation gained", WM_ACTIVATEAPP, 1, false},
    {"power 1", WM_POWER, 1, false},
    {"power 2", WM_POWER, 2, false},
    {"power 4", WM_POWER, 4, false},
    {"key up", WM_KEYUP, 'A', false},
    {"system key up", WM_SYSKEYUP, 'A', false},
    {"character", WM_CHAR, 'a', false},
    {"wheel", WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), false},
    {"horizontal wheel", WM_MOUSEHWHEEL, MAKEWPARAM(0, WHEEL_DELTA), false},
    {"left button up", WM_LBUTTONUP, 0, false},
    {"right button up", WM_RBUTTONUP, 0, false},
    {"middle button up", WM_MBUTTONUP, 0, false},
    {"left double click", WM_LBUTTONDBLCLK, 0, false},
    {"right double click", WM_RBUTTONDBLCLK, 0, false},
    {"extra button down", WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1), false},
    {"being shown", WM_SHOWWINDOW, 1, false},
    {"cursor query", WM_SETCURSOR, 0, false},
    {"paint", WM_PAINT, 0, false},
    {"application message", WM_APP, 0, false},
};

int closes_after(HWND window, const InputCase& c) {
  SendMessageA(window, c.message, c.wparam, 0);
  return take_closes(window);
}

// Moves the pointer; answers where it really went (the screen may clip it).
POINT move_pointer(int x, int y) {
  SetCursorPos(x, y);
  POINT at;
  GetCursorPos(&at);
  return at;
}

}  // namespace

TEST_CASE("full screen: input that closes and input that never does") {
  TestSaver saver = open_test_saver(false);
  REQUIRE(saver.window);
  for (const InputCase& c : input_cases) {
    INFO(std::string(c.name));
    // Each qualifying message posts exactly one close.
    CHECK(closes_after(saver.window, c) == (c.closes ? 1 : 0));
  }
  close_test_saver(saver);
}

TEST_CASE("no input closes a preview, a running check, or a saver already closing") {
  for (int situation = 0; situation < 3; ++situation) {
    CAPTURE(situation);
    TestSaver saver = open_test_saver(situation == 0);
    REQUIRE(saver.window);
    if (situation == 1) check_in_progress = 1;
    if (situation == 2) close_allowed = 1;
    POINT start = move_pointer(400, 300);
    reference_point = start;
    for (const InputCase& c : input_cases) {
      INFO(std::string(c.name));
      CHECK(closes_after(saver.window, c) == 0);
    }
    move_pointer(start.x + 60, start.y + 60);
    SendMessageA(saver.window, WM_MOUSEMOVE, 0, 0);
    CHECK(take_closes(saver.window) == 0);
    close_test_saver(saver);
  }
}

TEST_CASE("the pointer is hidden over a full-screen saver and answered for") {
  TestSaver saver = open_test_saver(false);
  REQUIRE(saver.window);
  CHECK(SendMessageA(saver.window, WM_SETCURSOR, (WPARAM)saver.window, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) ==
        1);
  close_test_saver(saver);
}

TEST_CASE("mouse threshold: a summed distance above 4 closes") {
  struct {
    int dx, dy;
    bool closes;
  } moves[] = {
      {2, 2, false}, {4, 0, false}, {0, 4, false}, {-4, 0, false}, {-2, -2, false}, {1, -3, false},
      {3, 2, true},  {5, 0, true},  {0, 5, true},  {-5, 0, true},  {-3, 2, true},   {40, 40, true},
  };
  TestSaver saver = open_test_saver(false);
  REQUIRE(saver.window);
  for (const auto& m : moves) {
    CAPTURE(m.dx);
    CAPTURE(m.dy);
    POINT start = move_pointer(500, 400);
    reference_point = start;
    POINT to = move_pointer(start.x + m.dx, start.y + m.dy);
    REQUIRE(to.x == start.x + m.dx);
    REQUIRE(to.y == start.y + m.dy);
    // The message's own coordinates are ignored: only the pointer counts.
    SendMessageA(saver.window, WM_MOUSEMOVE, 0, MAKELPARAM(2000, 2000));
    CHECK(take_closes(saver.window) == (m.closes ? 1 : 0));
    if (m.closes) {
      // The next distance is measured from where the close was posted.
      CHECK(reference_point.x == to.x);
      CHECK(reference_point.y == to.y);
    } else {
      CHECK(reference_point.x == start.x);
      CHECK(reference_point.y == start.y);
    }
  }
  close_test_saver(saver);
}

TEST_CASE("small moves add up from the reference point") {
  TestSaver saver = open_test_saver(false);
  REQUIRE(saver.window);
  POINT start = move_pointer(300, 300);
  reference_point = start;
  move_pointer(start.x + 3, start.y);
  SendMessageA(saver.window, WM_MOUSEMOVE, 0, 0);
  CHECK(take_closes(saver.window) == 0);
  move_pointer(start.x + 6, start.y);
  SendMessageA(saver.window, WM_MOUSEMOVE, 0, 0);
  CHECK(take_closes(saver.window) == 1);
  // Moving back to the start from the new reference point is 6 again.
  move_pointer(start.x, start.y);
  SendMessageA(saver.window, WM_MOUSEMOVE, 0, 0);
  CHECK(take_closes(saver.window) == 1);
  close_test_saver(saver);
}

TEST_CASE("creation records the pointer as the reference point") {
  TestSaver saver = open_test_saver(false);  // registers the test class
  close_test_saver(saver);
  POINT at = move_pointer(321, 210);
  reference_point = POINT{-1, -1};
  HWND window = CreateWindowExA(0, "KorvUnitSaver", "Screen Saver", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  REQUIRE(window);
  CHECK(reference_point.x == at.x);
  CHECK(reference_point.y == at.y);
  close_allowed = 1;
  DestroyWindow(window);
  drain_queue();
  reset_host_state();
}

TEST_CASE("frames are drawn on timer ticks until closing is allowed") {
  TestSaver saver = open_test_saver(false);
  REQUIRE(saver.window);
  float before = tilt_angle;
  CHECK(SendMessageA(saver.window, WM_TIMER, 1, 0) == 0);
  float after_one = tilt_angle;
  CHECK(after_one != before);
  // Any timer identifier draws.
  SendMessageA(saver.window, WM_TIMER, 77, 0);
  CHECK(tilt_angle != after_one);
  close_allowed = 1;
  float frozen = tilt_angle;
  for (int i = 0; i < 5; ++i) CHECK(SendMessageA(saver.window, WM_TIMER, 1, 0) == 0);
  CHECK(tilt_angle == frozen);
  close_test_saver(saver);
}

TEST_CASE("monitor_views: each monitor less the window's origin, clipped to the window") {
  struct row {
    const char* layout;
    RECT screen;
    std::vector<RECT> monitors;
    std::vector<RECT> views;
  };
  const row rows[] = {
      {"one monitor", {0, 0, 1024, 768}, {{0, 0, 1024, 768}}, {{0, 0, 1024, 768}}},
      {"the second right of the primary",
       {0, 0, 1824, 768},
       {{0, 0, 1024, 768}, {1024, 0, 1824, 600}},
       {{0, 0, 1024, 768}, {1024, 0, 1824, 600}}},
      {"the second left of the primary and lower",
       {-800, 0, 1024, 768},
       {{0, 0, 1024, 768}, {-800, 100, 0, 700}},
       {{800, 0, 1824, 768}, {0, 100, 800, 700}}},
      {"a monitor partly and one wholly outside the window",
       {0, 0, 1024, 768},
       {{1000, -10, 1100, 300}, {2000, 0, 2400, 300}},
       {{1000, 0, 1024, 300}}},
  };
  for (const row& r : rows) {
    CAPTURE(r.layout);
    RECT views[4];
    int count = monitor_views(r.monitors.data(), (int)r.monitors.size(), r.screen, views, 4);
    REQUIRE(count == (int)r.views.size());
    for (int i = 0; i < count; i++) CHECK(EqualRect(&views[i], &r.views[i]));
  }
  const RECT three[] = {{0, 0, 10, 10}, {10, 0, 20, 10}, {20, 0, 30, 10}};
  RECT views[2];
  CHECK(monitor_views(three, 3, RECT{0, 0, 30, 10}, views, 2) == 2);
}

TEST_CASE("several monitors: one step per tick, each view its own viewport and aspect ratio") {
  // The test window is 320 x 240: a left monitor of 200 x 150 at its top and
  // a right one of 120 x 190, 50 pixels lower.
  const RECT views[] = {{0, 0, 200, 150}, {200, 50, 320, 240}};
  struct row {
    int views;
    GLint viewport[4];  // after the tick: the last view drawn, y counted from the bottom
    double aspect;
  };
  const row rows[] = {
      {0, {0, 0, 320, 240}, 320.0 / 240.0},
      {1, {0, 0, 320, 240}, 320.0 / 240.0},
      {2, {200, 0, 120, 190}, 120.0 / 190.0},
  };
  for (const row& r : rows) {
    CAPTURE(r.views);
    set_scene_views(views, r.views);
    TestSaver saver = open_test_saver(false);
    REQUIRE(saver.window);
    SendMessageA(saver.window, WM_TIMER, 1, 0);
    // One step of the animation, however many views show it.
    CHECK(tilt_angle == doctest::Approx(4.0 / 3.0).epsilon(1e-6));
    CHECK(spin_angle == doctest::Approx(5.0 / 6.0).epsilon(1e-6));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int i = 0; i < 4; i++) CHECK(viewport[i] == r.viewport[i]);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    CHECK(projection[5] / projection[0] == doctest::Approx(r.aspect));
    close_test_saver(saver);
  }
  set_scene_views(nullptr, 0);
}

TEST_CASE("each frame yields the rest of the time slice first, until closing is allowed") {
  for (int preview = 0; preview < 2; ++preview) {
    CAPTURE(preview);
    TestSaver saver = open_test_saver(preview != 0);
    REQUIRE(saver.window);
    std::vector<SleepCall> sleeps;
    REQUIRE(record_sleeps(&sleeps));
    float before = tilt_angle;
    SendMessageA(saver.window, WM_TIMER, 1, 0);
    float after = tilt_angle;
    close_allowed = 1;
    SendMessageA(saver.window, WM_TIMER, 1, 0);
    record_sleeps(nullptr);
    CHECK(after != before);
    REQUIRE(sleeps.size() == 1);  // one Sleep for the frame, none once closing
    CHECK(sleeps[0].milliseconds == 0);
    CHECK(sleeps[0].tilt == before);  // before the frame was drawn
    close_test_saver(saver);
    reset_host_state();
  }
}

TEST_CASE("the title cannot be changed, in either mode") {
  for (int preview = 0; preview < 2; ++preview) {
    CAPTURE(preview);
    TestSaver saver = open_test_saver(preview != 0);
    REQUIRE(saver.window);
    char title[64] = "";
    GetWindowTextA(saver.window, title, sizeof title);
    CHECK(SendMessageA(saver.window, WM_SETTEXT, 0, (LPARAM) "Changed") == 0);
    char now[64] = "";
    GetWindowTextA(saver.window, now, sizeof now);
    CHECK(strcmp(now, title) == 0);
    CHECK(strcmp(now, preview ? "Preview" : "Screen Saver") == 0);
    close_test_saver(saver);
  }
}

namespace {
// System commands that reached the platform's default handling.
WPARAM seen_commands[16];
int seen_count = 0;

LRESULT CALLBACK system_command_hook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_SYSCOMMAND) {
    if (seen_count < 16) seen_commands[seen_count++] = wparam;
    return 1;  // seen; the command itself is not carried out
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

bool reaches_default(HWND window, WPARAM command, LRESULT* answer) {
  seen_count = 0;
  *answer = SendMessageA(window, WM_SYSCOMMAND, command, 0);
  return seen_count == 1 && seen_commands[0] == command;
}
}  // namespace

TEST_CASE("system commands: full screen swallows switching and saving, preview does not") {
  HHOOK hook = SetWindowsHookExA(WH_CBT, system_command_hook, nullptr, GetCurrentThreadId());
  REQUIRE(hook);
  struct {
    WPARAM command;
    bool swallowed_in_full_screen;
  } commands[] = {
      {SC_SCREENSAVE, true}, {SC_NEXTWINDOW, true},
      {SC_PREVWINDOW, true}, {SC_SCREENSAVE | 1, false},  // compared whole, not masked
      {SC_KEYMENU, false},   {SC_MINIMIZE, false},
  };
  for (int preview = 0; preview < 2; ++preview) {
    TestSaver saver = open_test_saver(preview != 0);
    REQUIRE(saver.window);
    for (const auto& c : commands) {
      CAPTURE(preview);
      CAPTURE(c.command);
      LRESULT answer = -1;
      bool forwarded = reaches_default(saver.window, c.command, &answer);
      if (!preview && c.swallowed_in_full_screen) {
        CHECK_FALSE(forwarded);
        CHECK(answer == 0);
      } else {
        CHECK(forwarded);
      }
    }
    CHECK(take_closes(saver.window) == 0);
    close_test_saver(saver);
  }
  UnhookWindowsHookEx(hook);
}

TEST_CASE("preview: context menu and help go to the parent window") {
  TestSaver saver = open_test_saver(true);
  REQUIRE(saver.window);
  REQUIRE(GetParent(saver.window) == saver.parent);
  LPARAM where = MAKELPARAM(17, 29);
  CHECK(SendMessageA(saver.window, WM_CONTEXTMENU, (WPARAM)saver.window, where) == 1);
  MSG posted;
  REQUIRE(PeekMessageA(&posted, saver.parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
  CHECK(posted.wParam == (WPARAM)saver.parent);
  CHECK(posted.lParam == where);
  CHECK_FALSE(PeekMessageA(&posted, saver.window, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));

  HELPINFO help = {};
  help.cbSize = sizeof help;
  help.iContextType = HELPINFO_WINDOW;
  help.hItemHandle = saver.window;
  CHECK(SendMessageA(saver.window, WM_HELP, 0, (LPARAM)&help) == 1);
  // Whether the platform lets WM_HELP be posted at all is its own affair; if
  // it does, the parent's own handle is in wParam.
  if (PeekMessageA(&posted, saver.parent, WM_HELP, WM_HELP, PM_REMOVE))
    CHECK(posted.wParam == (WPARAM)saver.parent);
  close_test_saver(saver);
}

TEST_CASE("full screen: context menu and help are not answered by the host") {
  TestSaver saver = open_test_saver(false);
  REQUIRE(saver.window);
  CHECK(SendMessageA(saver.window, WM_CONTEXTMENU, (WPARAM)saver.window, MAKELPARAM(5, 5)) == 0);
  CHECK(take_closes(saver.window) == 0);
  close_test_saver(saver);
}
