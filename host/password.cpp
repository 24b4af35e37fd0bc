// The Windows 9x screen-saver password: the platform's checker from
// PASSWORD.CPL, consulted before the saver may close, the system's
// "screen saver running" flag while a protected saver runs, and the platform's
// password-change dialog from MPR.DLL.  On other platforms all of this is inert.
#include "host/host_state.h"
#include "hooks/test_hooks.h"

// Shortest pause between the end of one check and the start of the next.
static const DWORD retry_interval_ms = 200;

// The platform's tick count, or the test build's stopped clock.
static DWORD current_tick() {
  unsigned long tick;
  if (test_hook_tick_count(&tick)) return (DWORD)tick;
  return GetTickCount();
}

DWORD tick_elapsed(DWORD earlier, DWORD later) {
  return later - earlier;  // unsigned: right across a wrap of the tick counter
}

void set_saver_running(int flag) {
  test_hook_saver_running(flag);
  if (!is_win9x) return;
  // The previous state lands in a scratch value; nothing goes to the profile.
  UINT previous = 0;
  SystemParametersInfoA(SPI_SCREENSAVERRUNNING, (UINT)flag, &previous, 0);
}

void load_verifier() {
  if (!is_win9x) return;
  if (verifier_module) unload_verifier();
  HKEY desktop;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
  // Shorter values leave the upper bytes zero; longer ones make the query fail.
  DWORD use_password = 0;
  DWORD size = sizeof use_password;
  if (RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr, (BYTE*)&use_password, &size) ==
          ERROR_SUCCESS &&
      use_password != 0) {
    verifier_module = LoadLibraryA("PASSWORD.CPL");
    if (verifier_module) {
      verifier = (verify_password_fn)(void*)GetProcAddress(verifier_module, "VerifyScreenSavePwd");
      if (verifier)
        set_saver_running(1);
      else
        unload_verifier();
    }
  }
  RegCloseKey(desktop);
}

void unload_verifier() {
  if (!is_win9x || !verifier_module) return;
  FreeLibrary(verifier_module);
  verifier_module = nullptr;
  if (verifier) {
    verifier = nullptr;
    set_saver_running(0);
  }
}

int verify_password(HWND window) {
  // A close that arrives while the checker runs is refused.
  if (check_in_progress) return 0;
  if (!verifier) {
    close_allowed = 1;
    return 1;
  }
  DWORD now = current_tick();
  if (last_attempt_tick != no_attempt_yet && tick_elapsed(last_attempt_tick, now) < retry_interval_ms)
    return close_allowed;
  check_in_progress = 1;
  // Up to two pending frames are dropped before the checker's dialog appears.
  MSG discarded;
  PeekMessageA(&discarded, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  PeekMessageA(&discarded, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  // The check runs as the window's own answer to a WM_APP it sends itself, as the
  // saver has always done it; the window answers a WM_APP only while
  // check_in_progress is set, so one that another program posts starts no check.
  close_allowed = (int)SendMessageA(window, WM_APP, 0, 0);
  check_in_progress = 0;
  if (!close_allowed) SetCursor(nullptr);
  last_attempt_tick = current_tick();
  return close_allowed;
}

void change_password(HWND parent) {
  HMODULE mpr = LoadLibraryA("MPR.DLL");
  if (!mpr) return;
  change_password_fn change = (change_password_fn)(void*)GetProcAddress(mpr, "PwdChangePasswordA");
  if (change) change("SCRSAVE", parent, 0, 0);
  FreeLibrary(mpr);
}
