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

#include "tests/password/component_io.h"

static HMODULE self_module;

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

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD a, DWORD b) {
  log_line("change enter provider=\"%s\" hwnd=%llu is_window=%d a=%lu b=%lu foreground=%llu tick=%lu",
           provider ? provider : "(null)", (unsigned long long)(UINT_PTR)parent, IsWindow(parent) ? 1 : 0, a, b,
           (unsigned long long)(UINT_PTR)GetForegroundWindow(), GetTickCount());
  long hold = control_value("change_hold", 0);
  if (hold > 0) {
    alignas(4) WORD tmpl[64] = {};
    DLGTEMPLATE *d = (DLGTEMPLATE *)tmpl;
    d->style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE;
    d->cx = 120;
    d->cy = 40;
    WORD *p = (WORD *)(d + 1);
    *p++ = 0;
    *p++ = 0;
    for (const char *t = "Change Password"; *t; ++t) *p++ = (WORD)*t;
    DialogBoxIndirectParamA(self_module, d, parent, hold_dialog_proc, (LPARAM)hold);
  }
  long answer = control_value("change_answer", 0);
  log_line("change exit answer=%ld tick=%lu", answer, GetTickCount());
  return (DWORD)answer;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    self_module = module;
    component_init(module, "mpr");
    log_line("attach tick=%lu", GetTickCount());
  } else if (reason == DLL_PROCESS_DETACH) {
    log_line("detach how=%s tick=%lu", reserved ? "exit" : "free", GetTickCount());
  }
  return TRUE;
}
