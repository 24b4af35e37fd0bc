// Test component MPR.DLL: the platform's password-change entry as the saver's
// change command sees it, steered by pwtest-control.txt and logging every call
// to pwtest.log (both beside this file).
//
// Steering keys (integers):
//   change_answer  what PwdChangePasswordA returns (default 0)
//   change_hold    when above 0, a modal dialog owned by the given parent is
//                  shown for that many ms before answering
//
// Log lines:
//   mpr attach tick=T
//   mpr detach how=free|exit tick=T
//   mpr change enter provider="P" hwnd=H is_window=W a=A b=B foreground=F tick=T
//   mpr change exit answer=A tick=T
#include <windows.h>

#include "tests/wine-kit/components/component_io.h"

extern const char component_name[] = "mpr";

static INT_PTR CALLBACK hold_dialog_proc(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetTimer(dialog, 1, (UINT)lparam, nullptr);
    return TRUE;
  }
  if (message == WM_TIMER) {
    KillTimer(dialog, 1);
    EndDialog(dialog, 0);
    return TRUE;
  }
  return message == WM_COMMAND;
}

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD a, DWORD b) {
  log_line("change enter provider=\"%s\" hwnd=%llu is_window=%d a=%lu b=%lu foreground=%llu tick=%lu",
           provider ? provider : "(null)", (unsigned long long)(UINT_PTR)parent, IsWindow(parent) ? 1 : 0, a,
           b, (unsigned long long)(UINT_PTR)GetForegroundWindow(), GetTickCount());
  long hold = control_value("change_hold", 0);
  if (hold > 0) show_modal_dialog(parent, "Change Password", hold_dialog_proc, (LPARAM)hold);
  long answer = control_value("change_answer", 0);
  log_line("change exit answer=%ld tick=%lu", answer, GetTickCount());
  return (DWORD)answer;
}
