// The self-installer: after the user accepts the agreement, copies the program
// into the Windows directory as Korvanthel.Scr (asking Windows for
// administrator rights where a standard user may not write there) and, if the
// user agrees, makes that copy the current user's screen saver and switches
// screen saving on, as Windows' own Install of a screen saver does.
#include "setup/setup.h"
#include "setup/resource_ids.h"
#include "hooks/test_hooks.h"
#include <shellapi.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char target_name[] = "\\Korvanthel.Scr";
// Kept word for word as the saver has always asked (another name, odd blanks): users know the box by them.
static const char question_text[] = " set OMBRELT as current  screen saver?";
static const char question_caption[] = "OMBRELT screen saver";
static const char failure_caption[] = "Korvanthel screen saver setup";
const char install_copy_command[] = "/i";

install_status build_target_path(const char* system_root, char* target) {
  target[0] = '\0';
  if (!system_root || !system_root[0]) return install_no_windows_dir;
  size_t root_length = strlen(system_root);
  size_t name_length = sizeof target_name - 1;
  if (root_length > (size_t)(target_path_size - 1) - name_length) return install_path_too_long;
  // Appended as is: a value ending in a backslash gives a doubled one, which
  // the file system accepts.
  memcpy(target, system_root, root_length);
  memcpy(target + root_length, target_name, name_length + 1);
  return install_ok;
}

install_status copy_stream(FILE* source, FILE* target) {
  long written = 0;
  int c;
  while ((c = getc(source)) != EOF) {
    if (test_hook_copy_fault(written)) return install_write_error;
    if (fputc(c, target) == EOF) return install_write_error;
    written++;
  }
  if (ferror(source)) return install_read_error;
  return install_ok;
}

// True when target_path names the very file that source has open (also through
// another name or a hard link): opening it for writing would destroy the program.
static bool is_same_file(FILE* source, const char* target_path) {
  BY_HANDLE_FILE_INFORMATION source_info, target_info;
  HANDLE source_handle = (HANDLE)_get_osfhandle(_fileno(source));
  if (source_handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(source_handle, &source_info))
    return false;
  HANDLE target_handle = CreateFileA(target_path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (target_handle == INVALID_HANDLE_VALUE) return false;
  bool same = GetFileInformationByHandle(target_handle, &target_info) &&
              source_info.dwVolumeSerialNumber == target_info.dwVolumeSerialNumber &&
              source_info.nFileIndexHigh == target_info.nFileIndexHigh &&
              source_info.nFileIndexLow == target_info.nFileIndexLow;
  CloseHandle(target_handle);
  return same;
}

install_status copy_program_file(const char* source_name, const char* target_path) {
  if (!source_name || !source_name[0]) return install_source_not_opened;
  FILE* source = fopen(source_name, "rb");
  if (!source) return install_source_not_opened;
  if (is_same_file(source, target_path)) {
    fclose(source);
    return install_same_file;
  }
  SetLastError(ERROR_SUCCESS);
  FILE* target = fopen(target_path, "wb");
  if (!target) {
    // The platform's own reason, read before anything else can replace it.
    bool denied = GetLastError() == ERROR_ACCESS_DENIED;
    fclose(source);
    return denied ? install_access_denied : install_target_not_opened;
  }
  install_status status = copy_stream(source, target);
  fclose(source);
  // Closing flushes the last bytes: its failure is a write error too.
  if (fclose(target) != 0 && status == install_ok) status = install_write_error;
  if (status != install_ok) remove(target_path);
  return status;
}

// Appends at most `limit` characters of `piece` to the zero-terminated text,
// never past its buffer. (No printf family: it would double the program's size.)
static void append_text(char* text, size_t size, const char* piece, size_t limit = (size_t)-1) {
  size_t used = strlen(text);
  while (*piece && limit-- > 0 && used + 1 < size) text[used++] = *piece++;
  text[used] = 0;
}

void describe_install_failure(install_status status, const char* system_root, const char* source_name,
                              const char* target_path, char* text, size_t size) {
  if (size == 0) return;
  text[0] = 0;
  const char* reason = "";
  switch (status) {
  case install_ok:
    return;  // nothing failed: there is nothing to tell
  case install_no_windows_dir:
    append_text(text, size,
                "The Windows directory could not be found: the environment variable "
                "SystemRoot is not set.\n\nKorvanthel was not installed.");
    return;
  case install_path_too_long:
    append_text(text, size, "The path of the screen-saver file is too long (more than 255 characters):\n\n");
    append_text(text, size, system_root ? system_root : "", 300);
    if (system_root && strlen(system_root) > 300) append_text(text, size, "...");
    append_text(text, size, target_name);
    append_text(text, size, "\n\nKorvanthel was not installed.");
    return;
  case install_source_not_opened:
    reason = "The program file could not be opened: ";
    break;
  case install_target_not_opened:
    reason = "The target file could not be created.";
    break;
  case install_access_denied:
    reason =
        "Access to it was denied: installing into the Windows directory needs administrator "
        "rights. Right-click Korvanthel.exe, choose \"Run as administrator\" and install "
        "again.";
    break;
  case install_same_file:
    reason = "The program file and the target are the same file.";
    break;
  case install_read_error:
    reason = "Reading the program file failed: ";
    break;
  case install_write_error:
    reason = "Writing the copy failed; the incomplete copy was removed.";
    break;
  case install_elevated_copy_failed:
    reason = "The elevated copy ended without reporting a result.";
    break;
  }
  bool names_source = status == install_source_not_opened || status == install_read_error;
  append_text(text, size, "Korvanthel could not be copied to\n\n");
  append_text(text, size, target_path ? target_path : "", 260);
  append_text(text, size, "\n\n");
  append_text(text, size, reason);
  append_text(text, size, names_source && source_name ? source_name : "", 260);
  if (status == install_read_error) append_text(text, size, "; the incomplete copy was removed.");
  append_text(text, size, "\n\nNothing was set as the screen saver.");
}

void describe_saver_not_set(const char* target_path, char* text, size_t size) {
  if (size == 0) return;
  text[0] = 0;
  append_text(text, size, "Korvanthel was installed as\n\n");
  append_text(text, size, target_path ? target_path : "", 260);
  append_text(text, size,
              "\n\nbut it could not be made your screen saver: the setting SCRNSAVE.EXE in "
              "HKEY_CURRENT_USER\\Control Panel\\Desktop could not be written. Screen saving was "
              "left as it was.\n\nChoose Korvanthel in the screen-saver settings instead.");
}

static void tell_failure(install_status status, const char* system_root, const char* source_name,
                         const char* target_path) {
  char text[1024];
  describe_install_failure(status, system_root, source_name, target_path, text, sizeof text);
  MessageBoxA(NULL, text, failure_caption, MB_OK | MB_ICONERROR);
}

static void tell_saver_not_set(const char* target_path) {
  char text[1024];
  describe_saver_not_set(target_path, text, sizeof text);
  MessageBoxA(NULL, text, failure_caption, MB_OK | MB_ICONWARNING);
}

// The Windows directory as the environment gives it.
static const char* windows_directory() {
  const char* chosen;
  if (test_hook_windows_directory(&chosen)) return chosen;
  return getenv("SystemRoot");
}

// The full path of the program's own file; false when it does not fit.
static bool own_program_path(char* path, DWORD size) {
  DWORD length = GetModuleFileNameA(NULL, path, size);
  return length > 0 && length < size;
}

unsigned install_copy_exit_code(install_status status) {
  return install_copy_exit_base + (unsigned)status;
}

install_status install_status_of_exit_code(unsigned code) {
  if (code < install_copy_exit_base || code > install_copy_exit_base + install_elevated_copy_failed)
    return install_elevated_copy_failed;
  return (install_status)(code - install_copy_exit_base);
}

int run_install_copy() {
  // Started elevated, the process begins in the system folder: its own file
  // is found by its full path, never by a name relative to that folder.
  char source[MAX_PATH];
  char target[target_path_size];
  install_status status = install_source_not_opened;
  if (own_program_path(source, sizeof source)) {
    status = build_target_path(windows_directory(), target);
    if (status == install_ok) status = copy_program_file(source, target);
  }
  test_hook_install_copy((int)status);
  return (int)install_copy_exit_code(status);
}

// Windows Vista and later, where a program started by a double-click runs
// without administrator rights and may ask the user for them. Windows 9x and
// NT before Vista have no such request.
static bool administrator_rights_can_be_asked() {
  OSVERSIONINFOA version;
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         version.dwMajorVersion >= 6;
}

// Runs the copy command in the program's own file with administrator rights
// and answers its outcome. The permission prompt has no owner window: the
// agreement has ended and the configuration dialog is hidden, so nothing of
// the program is on the screen to own it, and a hidden owner would place the
// prompt by a window that the user cannot see; without one, Windows places
// the prompt itself (on its secure desktop, as it is set up by default).
// Refused permission (ERROR_CANCELLED) or a process that cannot be started
// leaves the denied access in place, and is told as such.
static install_status copy_with_administrator_rights() {
  char program[MAX_PATH];
  if (!own_program_path(program, sizeof program)) return install_access_denied;
  SHELLEXECUTEINFOA request;
  memset(&request, 0, sizeof request);
  request.cbSize = sizeof request;
  // The process is kept to be waited for; failures are told by the installer itself.
  request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  request.hwnd = NULL;
  request.lpVerb = "runas";
  request.lpFile = program;
  request.lpParameters = install_copy_command;
  request.nShow = SW_HIDE;
  BOOL started = !test_hook_elevation_fails() && ShellExecuteExA(&request);
  if (!started || !request.hProcess) return install_access_denied;
  WaitForSingleObject(request.hProcess, INFINITE);
  DWORD code = 0;
  BOOL ended = GetExitCodeProcess(request.hProcess, &code);
  CloseHandle(request.hProcess);
  return ended ? install_status_of_exit_code(code) : install_elevated_copy_failed;
}

void run_installer() {
  if (DialogBoxParamA(NULL, MAKEINTRESOURCEA(IDD_AGREEMENT), NULL, agreement_dialog_proc, 0) != IDC_INSTALL)
    return;

  const char* system_root = windows_directory();
  const char* source_name = program_argument_zero();
  char target[target_path_size];
  install_status status = build_target_path(system_root, target);
  if (status == install_ok)
    status = test_hook_copy_denied() ? install_access_denied : copy_program_file(source_name, target);
  // A standard user may not write to the Windows directory: the file steps
  // run once more with the administrator rights that Windows asks the user for.
  if (status == install_access_denied && administrator_rights_can_be_asked())
    status = copy_with_administrator_rights();
  if (status != install_ok) {
    // Nothing was installed, so nothing may be set as the screen saver.
    tell_failure(status, system_root, source_name, target);
    return;
  }

  if (MessageBoxA(NULL, question_text, question_caption, MB_YESNO) != IDYES) return;
  // Screen saving is switched on only once the saver is set: switched on
  // without it, it would start whatever saver was set before, or none.
  if (!set_current_saver(target)) {
    tell_saver_not_set(target);
    return;
  }
  switch_screen_saving_on();
}

bool set_current_saver(const char* target) {
  HKEY key = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return false;
  char short_path[target_path_size];
  strcpy(short_path, target);
  DWORD length = GetShortPathNameA(target, short_path, target_path_size - 1);
  // No short form, or one that does not fit: the full path is written.
  if (length == 0 || length >= (DWORD)(target_path_size - 1)) strcpy(short_path, target);
  LONG written =
      RegSetValueExA(key, "SCRNSAVE.EXE", 0, REG_SZ, (const BYTE*)short_path, (DWORD)strlen(short_path) + 1);
  RegCloseKey(key);
  return written == ERROR_SUCCESS;
}

void switch_screen_saving_on() {
  // Saved in the user's settings and announced to every window, as the
  // screen-saver settings themselves do: it holds at once, without signing out.
  const UINT save_and_announce = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, NULL, save_and_announce);
  // A wait of 0 never starts a saver; a wait the user chose is kept.
  UINT timeout = 0;
  if (SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0) && timeout == 0)
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, default_screen_save_timeout, NULL, save_and_announce);
}

INT_PTR CALLBACK agreement_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    SetDlgItemTextA(dialog, IDC_NOTICE, agreement_text);
    SetFocus(GetDlgItem(dialog, IDC_EXIT));
    return FALSE;
  case WM_COMMAND:
    switch (LOWORD(wparam)) {
    case IDOK:
    case IDCANCEL:
    case IDC_EXIT:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_ACCEPT:
      EnableWindow(GetDlgItem(dialog, IDC_INSTALL), IsDlgButtonChecked(dialog, IDC_ACCEPT) == BST_CHECKED);
      return TRUE;
    case IDC_INSTALL:
      // Only an accepted agreement installs, whatever sent the command.
      if (IsDlgButtonChecked(dialog, IDC_ACCEPT) == BST_CHECKED) EndDialog(dialog, IDC_INSTALL);
      return TRUE;
    }
    return FALSE;
  }
  return FALSE;
}
