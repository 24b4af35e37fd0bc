// The password check with a test verifier set directly: when it is asked,
// what it may see, and what its answer does to the saver window.
#include <doctest/doctest.h>

#include "tests/wine-unit/host_test_support.h"

namespace {

// The test verifier: answers `answer`, counts its calls, and can act while it
// runs (as the platform's dialog would, dispatching messages to the saver).
int verifier_calls = 0;
BOOL verifier_answer = 0;
int timers_pending_during_check = -1;
int in_progress_during_check = -1;
int nested_answer = -1;
int closes_posted_during_check = -1;
enum { act_nothing, act_count_timers, act_send_input, act_nested_check } verifier_action = act_nothing;

BOOL WINAPI test_verifier(HWND window) {
  ++verifier_calls;
  in_progress_during_check = check_in_progress;
  switch (verifier_action) {
  case act_count_timers: {
    MSG timer;
    timers_pending_during_check = 0;
    while (PeekMessageA(&timer, window, WM_TIMER, WM_TIMER, PM_REMOVE)) ++timers_pending_during_check;
    break;
  }
  case act_send_input:
    // Input dispatched while the check runs must not post closes.
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
    SendMessageA(window, WM_ACTIVATEAPP, 0, 0);
    SendMessageA(window, WM_POWERBROADCAST, 0, 0);
    closes_posted_during_check = take_closes(window);
    break;
  case act_nested_check:
    // A close that arrives meanwhile is refused without a second check.
    nested_answer = (int)SendMessageA(window, WM_CLOSE, 0, 0);
    break;
  default:
    break;
  }
  return verifier_answer;
}

TestSaver open_win9x_saver(BOOL answer) {
  TestSaver saver = open_test_saver(false);
  is_win9x = 1;
  verifier = test_verifier;
  verifier_calls = 0;
  verifier_answer = answer;
  verifier_action = act_nothing;
  timers_pending_during_check = in_progress_during_check = nested_answer = closes_posted_during_check = -1;
  return saver;
}

}  // namespace

TEST_CASE("tick_elapsed is an unsigned 32-bit difference") {
  CHECK(tick_elapsed(100, 300) == 200u);
  CHECK(tick_elapsed(5, 5) == 0u);
  CHECK(tick_elapsed(0xFFFFFF00u, 0x40u) == 0x140u);  // across the wrap
  CHECK(tick_elapsed(0xFFFFFFFFu, 199u) == 200u);
  CHECK(tick_elapsed(10, 5) == 0xFFFFFFFBu);
}

TEST_CASE("without a verifier the first close is allowed and nothing is asked") {
  TestSaver saver = open_test_saver(false);
  is_win9x = 1;
  CHECK(verify_password(saver.window) == 1);
  CHECK(close_allowed == 1);
  CHECK(last_attempt_tick == 0xFFFFFFFFu);  // still "no check yet"
  close_test_saver(saver);
}

TEST_CASE("a check that runs refuses a second one at once") {
  TestSaver saver = open_win9x_saver(1);
  check_in_progress = 1;
  CHECK(verify_password(saver.window) == 0);
  CHECK(verifier_calls == 0);
  CHECK(close_allowed == 0);
  close_test_saver(saver);
}

// The pause between checks is read from the test build's stopped clock, so
// that no case depends on how fast this machine runs it.
struct StoppedClock {
  explicit StoppedClock(unsigned long tick) {
    fake_tick = tick;
    fake_tick_set = 1;
  }
  ~StoppedClock() { fake_tick_set = 0; }
};

TEST_CASE("a close within 200 ms of the last check is refused without asking") {
  struct {
    DWORD last, now;
    bool asked;
  } cases[] = {
      {5000, 5000, false},        {5000, 5020, false},
      {5000, 5199, false},        {5000, 5200, true},
      {5000, 105000, true},       {0xFFFFFFA0u, 0x40u, false},  // across the wrap
      {0xFFFFFFA0u, 0x68u, true}, {0xFFFFFFFEu, 197u, false},
      {0xFFFFFFFEu, 198u, true},  {no_attempt_yet, 5000, true},
      {no_attempt_yet, 0, true},
  };
  for (const auto& c : cases) {
    CAPTURE(c.last);
    CAPTURE(c.now);
    TestSaver saver = open_win9x_saver(1);
    StoppedClock clock(c.now);
    last_attempt_tick = c.last;
    CHECK(verify_password(saver.window) == (c.asked ? 1 : 0));
    CHECK(verifier_calls == (c.asked ? 1 : 0));
    // An asked check records when it ended; a refused one leaves the record.
    CHECK(last_attempt_tick == (c.asked ? c.now : c.last));
    close_test_saver(saver);
  }
}

TEST_CASE("a refused check keeps the saver closed to input and records its end") {
  TestSaver saver = open_win9x_saver(0);
  StoppedClock clock(70000);
  CHECK(verify_password(saver.window) == 0);
  CHECK(verifier_calls == 1);
  CHECK(in_progress_during_check == 1);
  CHECK(check_in_progress == 0);
  CHECK(close_allowed == 0);
  CHECK(last_attempt_tick == 70000u);
  // Straight away again, and up to 199 ms later: not asked.
  CHECK(verify_password(saver.window) == 0);
  fake_tick = 70199;
  CHECK(verify_password(saver.window) == 0);
  CHECK(verifier_calls == 1);
  // 200 ms after the refused check ended, the verifier is asked again.
  fake_tick = 70200;
  CHECK(verify_password(saver.window) == 0);
  CHECK(verifier_calls == 2);
  CHECK(last_attempt_tick == 70200u);
  close_test_saver(saver);
}

TEST_CASE("the check's end is taken from the platform's clock when no test stops it") {
  TestSaver saver = open_win9x_saver(0);
  DWORD before = GetTickCount();
  CHECK(verify_password(saver.window) == 0);
  DWORD after = GetTickCount();
  CHECK(last_attempt_tick != no_attempt_yet);
  CHECK(tick_elapsed(before, last_attempt_tick) <= tick_elapsed(before, after));
  close_test_saver(saver);
}

TEST_CASE("an answer other than 0 or 1 is kept as it is") {
  TestSaver saver = open_win9x_saver(7);
  CHECK(verify_password(saver.window) == 7);
  CHECK(close_allowed == 7);
  close_test_saver(saver);
}

TEST_CASE("two of three pending timer messages are removed before the check") {
  TestSaver saver = open_win9x_saver(0);
  verifier_action = act_count_timers;
  for (int i = 0; i < 3; ++i) PostMessageA(saver.window, WM_TIMER, 1, 0);
  verify_password(saver.window);
  CHECK(timers_pending_during_check == 1);
  close_test_saver(saver);
}

TEST_CASE("input during a check posts no close") {
  TestSaver saver = open_win9x_saver(0);
  verifier_action = act_send_input;
  verify_password(saver.window);
  CHECK(closes_posted_during_check == 0);
  close_test_saver(saver);
}

TEST_CASE("a close that arrives during a check is refused and the window stays") {
  TestSaver saver = open_win9x_saver(0);
  verifier_action = act_nested_check;
  CHECK(SendMessageA(saver.window, WM_CLOSE, 0, 0) == 0);
  CHECK(verifier_calls == 1);
  CHECK(nested_answer == 0);
  CHECK(IsWindow(saver.window));
  close_test_saver(saver);
}

TEST_CASE("WM_CLOSE on Windows 9x: refused keeps the window and resets the reference point") {
  TestSaver saver = open_win9x_saver(0);
  SetCursorPos(444, 333);
  POINT at;
  GetCursorPos(&at);
  reference_point = POINT{1, 1};
  CHECK(SendMessageA(saver.window, WM_CLOSE, 0, 0) == 0);
  CHECK(IsWindow(saver.window));
  CHECK(reference_point.x == at.x);
  CHECK(reference_point.y == at.y);
  // Accepted: the window is destroyed and frames stop.
  verifier_answer = 1;
  last_attempt_tick = 0xFFFFFFFFu;
  SendMessageA(saver.window, WM_CLOSE, 0, 0);
  CHECK(close_allowed == 1);
  CHECK_FALSE(IsWindow(saver.window));
  close_test_saver(saver);
}

TEST_CASE("WM_CLOSE on other platforms closes at once, whatever the verifier") {
  TestSaver saver = open_win9x_saver(0);
  is_win9x = 0;
  SendMessageA(saver.window, WM_CLOSE, 0, 0);
  CHECK_FALSE(IsWindow(saver.window));
  CHECK(verifier_calls == 0);
  close_test_saver(saver);
}

TEST_CASE("WM_APP runs the verifier on Windows 9x only, even during a check") {
  TestSaver saver = open_win9x_saver(5);
  check_in_progress = 1;
  CHECK(SendMessageA(saver.window, WM_APP, 0, 0) == 5);
  CHECK(verifier_calls == 1);
  verifier = nullptr;
  CHECK(SendMessageA(saver.window, WM_APP, 0, 0) == 1);
  verifier = test_verifier;
  is_win9x = 0;
  CHECK(SendMessageA(saver.window, WM_APP, 0, 0) == 0);
  CHECK(verifier_calls == 1);
  close_test_saver(saver);
}

TEST_CASE("QueryCancelAutoPlay closes in both modes and answers whether a verifier is loaded") {
  UINT autoplay = RegisterWindowMessageA("QueryCancelAutoPlay");
  REQUIRE(autoplay != 0);
  for (int preview = 0; preview < 2; ++preview) {
    CAPTURE(preview);
    TestSaver saver = open_test_saver(preview != 0);
    is_win9x = 1;
    autoplay_message = autoplay;
    CHECK(SendMessageA(saver.window, autoplay, 0, 0) == 0);
    CHECK(take_closes(saver.window) == 1);
    verifier = test_verifier;
    verifier_calls = 0;
    CHECK(SendMessageA(saver.window, autoplay, 0, 0) == 1);
    CHECK(take_closes(saver.window) == 1);
    CHECK(verifier_calls == 0);
    // Not registered (other platforms): an ordinary message.
    autoplay_message = 0;
    CHECK(SendMessageA(saver.window, autoplay, 0, 0) == 0);
    CHECK(take_closes(saver.window) == 0);
    close_test_saver(saver);
  }
}

TEST_CASE("the verifier is inert outside Windows 9x") {
  reset_host_state();
  is_win9x = 0;
  load_verifier();
  CHECK(verifier_module == nullptr);
  CHECK(!verifier);
  // unload_verifier leaves a module alone that it does not own on this platform.
  verifier_module = GetModuleHandleA("KERNEL32.DLL");
  unload_verifier();
  CHECK(verifier_module == GetModuleHandleA("KERNEL32.DLL"));
  reset_host_state();
}
