// Test component PASSWORD.CPL: the platform's screen-saver password check as
// the saver sees it, steered by pwtest-control.txt and logging every call to
// pwtest.log (both beside this file).
//
// Steering keys (integers):
//   answer  what VerifyScreenSavePwd returns (default 0: refused)
//   mode    0 answer at once (after delay), 1 pump the thread's messages for
//           hold ms, 2 show a modal dialog for hold ms (its own message loop)
//   delay   ms to sleep before answering in mode 0
//   hold    ms spent pumping or showing the dialog in modes 1 and 2
//   release 1 ends a pump or dialog of modes 1 and 2 early (read every 100 ms),
//           so that a test can hold a check open for as long as it needs
//   owner   mode 2: 1 (default) the dialog is owned by the saver window, 0 none
//
// Log lines:
//   password attach tick=T
//   password detach how=free|exit tick=T
//   password verify enter n=N hwnd=H depth=D tick=T
//   password verify exit n=N answer=A tick=T msgs=M timers=K closes=C
// depth is the number of checks already running when this one starts (a sound
// saver never lets it exceed 0); msgs, timers and closes count the messages for
// the saver window that message loops of this thread took from the queue while
// the check ran (all, WM_TIMER, WM_CLOSE).
#include <windows.h>

#include "tests/wine-kit/components/component_io.h"

extern const char component_name[] = "password";

static int depth;
static int next_call;
static HWND counted_window;
static long seen_msgs, seen_timers, seen_closes;

static LRESULT CALLBACK count_messages(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && wparam == PM_REMOVE) {
    const MSG* m = (const MSG*)lparam;
    if (m->hwnd == counted_window) {
      ++seen_msgs;
      if (m->message == WM_TIMER) ++seen_timers;
      if (m->message == WM_CLOSE) ++seen_closes;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

static void pump_for(DWORD hold) {
  DWORD start = GetTickCount(), last_look = start;
  while (GetTickCount() - start < hold) {
    if (GetTickCount() - last_look >= 100) {
      last_look = GetTickCount();
      if (control_value("release", 0)) return;
    }
    MSG m;
    // The clock is read between messages too: a flood of input must not keep
    // the check running past its time.
    while (GetTickCount() - start < hold && GetTickCount() - last_look < 100 &&
           PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        // Not ours: hand it back to the saver's own loop and stop pumping.
        PostQuitMessage((int)m.wParam);
        return;
      }
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

static INT_PTR CALLBACK hold_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_INITDIALOG:
    SetTimer(dialog, 1, (UINT)lparam, nullptr);
    SetTimer(dialog, 2, 100, nullptr);
    return TRUE;
  case WM_TIMER:
    if (wparam == 2 && !control_value("release", 0)) return TRUE;
    KillTimer(dialog, 1);
    KillTimer(dialog, 2);
    EndDialog(dialog, 0);
    return TRUE;
  case WM_COMMAND:  // keys typed meanwhile (Enter, Escape) do not end it
    return TRUE;
  }
  return FALSE;
}

#ifndef KORV_WITHOUT_VERIFIER
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
#else
// The variant without the check exports only a near miss of its name.
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePassword(HWND window) {
#endif
  int n = ++next_call;
  log_line("verify enter n=%d hwnd=%llu depth=%d tick=%lu", n, (unsigned long long)(UINT_PTR)window, depth,
           GetTickCount());
  ++depth;
  long answer = control_value("answer", 0);
  long mode = control_value("mode", 0);
  long hold = control_value("hold", 0);

  HWND saved_window = counted_window;
  long saved[3] = {seen_msgs, seen_timers, seen_closes};
  counted_window = window;
  seen_msgs = seen_timers = seen_closes = 0;
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, count_messages, nullptr, GetCurrentThreadId());

  if (mode == 1) {
    pump_for((DWORD)hold);
  } else if (mode == 2) {
    show_modal_dialog(control_value("owner", 1) ? window : nullptr, "Verifier", hold_dialog_proc,
                      (LPARAM)hold);
  } else {
    long delay = control_value("delay", 0);
    if (delay > 0) Sleep((DWORD)delay);
  }

  if (hook) UnhookWindowsHookEx(hook);
  long msgs = seen_msgs, timers = seen_timers, closes = seen_closes;
  counted_window = saved_window;
  seen_msgs = saved[0] + msgs;
  seen_timers = saved[1] + timers;
  seen_closes = saved[2] + closes;
  --depth;
  log_line("verify exit n=%d answer=%ld tick=%lu msgs=%ld timers=%ld closes=%ld", n, answer, GetTickCount(),
           msgs, timers, closes);
  return (BOOL)answer;
}
