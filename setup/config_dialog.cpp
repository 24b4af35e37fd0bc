// The configuration dialog: an about box with links to the maker's two web
// pages. Started as a plain executable, the program installs itself instead.
#include "setup/setup.h"
#include "setup/resource_ids.h"
#include <shellapi.h>
#include <stdlib.h>
#include <string.h>

const char home_page_url[] = "http://www.korvanthel.example";
const char sponsor_page_url[] = "http://www.korvanthel.example/sponsor.Html";

const char* program_argument_zero() {
  if (__argc < 1 || !__argv) return NULL;
  return __argv[0];
}

bool name_is_exe(const char* name) {
  static const char extension[] = ".exe";
  if (!name) return false;
  size_t length = strlen(name);
  if (length < 4) return false;
  const char* tail = name + length - 4;
  for (int i = 0; i < 4; i++) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    if (c != extension[i]) return false;
  }
  return true;
}

static void open_page(const char* url) {
  ShellExecuteA(GetDesktopWindow(), "open", url, NULL, NULL, SW_SHOWMAXIMIZED);
}

INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    if (name_is_exe(program_argument_zero())) {
      // Still hidden: the installer runs in its place and the dialog is never shown.
      run_installer();
      // Ended as the saver always ended it: destroyed while it initialises, the
      // dialog gives -1.
      DestroyWindow(dialog);
      return FALSE;
    }
    SetFocus(GetDlgItem(dialog, IDC_CONFIG_CLOSE));
    return FALSE;
  case WM_COMMAND:
    switch (LOWORD(wparam)) {
    case IDOK:
      EndDialog(dialog, 1);
      return TRUE;
    case IDCANCEL:
    case IDC_CONFIG_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_HOME_PAGE:
      open_page(home_page_url);
      return TRUE;
    case IDC_SPONSOR_PAGE:
      open_page(sponsor_page_url);
      return TRUE;
    }
    return FALSE;
  }
  return FALSE;
}
