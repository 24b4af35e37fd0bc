// Process entry and the command dispatcher: the screen-saver command line
// selects one command, which runs under a fault guard; its result becomes the
// process exit code.
#include "host/host_state.h"
#include "setup/resource_ids.h"
#include "setup/setup.h"

static const char* next_ansi_char(const char* position) {
  return CharNextA(position);
}

void saver_entry() {
  const char* tail = command_tail(GetCommandLineA(), next_ansi_char);
  // The runtime's own exit processing is not wanted: the process ends here.
  ExitProcess((UINT)saver_main(GetModuleHandleA(nullptr), tail));
}

// The fault guard.  MinGW has no structured-exception blocks, so the guard is
// the process's top-level filter: a fault that nothing else handles comes here
// during a command.  The platform's own filter reports it; then the system is
// told that no screen saver runs any more (a flag left set on Windows 9x would
// keep Ctrl+Alt+Del and task switching off after the process is gone).  When
// the report lets the guard handle the fault, the process ends at once with
// fault_exit_code, as the end of saver_main would; otherwise the fault goes on
// to whoever comes next (a debugger, or the system's end of the process).
static LPTOP_LEVEL_EXCEPTION_FILTER previous_filter = nullptr;

static LONG WINAPI fault_guard(EXCEPTION_POINTERS* fault) {
  // The platform's filter calls the top-level filter itself: put the previous
  // one back first so that the report does not come round here again.
  SetUnhandledExceptionFilter(previous_filter);
  LONG answer = UnhandledExceptionFilter(fault);
  if (answer == EXCEPTION_CONTINUE_EXECUTION) {
    SetUnhandledExceptionFilter(fault_guard);
    return answer;
  }
  set_saver_running(0);
  if (answer == EXCEPTION_EXECUTE_HANDLER) ExitProcess((UINT)fault_exit_code);
  return EXCEPTION_CONTINUE_SEARCH;
}

static int run_preview(const char* handle_text);
static int run_change_password(const char* handle_text);
static int open_config_dialog(HWND parent);

static int run_command(const char* tail) {
  command_scan_result scan = scan_command(tail);
  switch (scan.command) {
  case command_configure:
    return open_config_dialog(nullptr);
  case command_fullscreen:
    return run_saver(nullptr);
  case command_preview:
    return run_preview(scan.argument);
  case command_configure_parent: {
    HWND parent = scan.argument ? (HWND)(UINT_PTR)parse_decimal(scan.argument) : nullptr;
    if (!parent || !IsWindow(parent)) parent = GetForegroundWindow();
    return open_config_dialog(parent);
  }
  case command_change_password:
    if (!is_win9x) return -1;
    return run_change_password(scan.argument);
  case command_install_copy:
    return run_install_copy();
  case command_unknown:
    break;
  }
  return -1;
}

int saver_main(HINSTANCE instance, const char* tail) {
  saver_instance = instance;
  OSVERSIONINFOA version;
  version.dwOSVersionInfoSize = sizeof version;
  is_win9x = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

  previous_filter = SetUnhandledExceptionFilter(fault_guard);
  int result = run_command(tail);
  SetUnhandledExceptionFilter(previous_filter);
  return result;
}

static int run_preview(const char* handle_text) {
  HWND parent = (HWND)(UINT_PTR)parse_decimal(handle_text);
  if (!parent || !IsWindow(parent)) return -1;
  return run_saver(parent);
}

static int run_change_password(const char* handle_text) {
  HWND parent = (HWND)(UINT_PTR)parse_decimal(handle_text);
  if (!parent || !IsWindow(parent)) parent = GetForegroundWindow();
  change_password(parent);
  return 0;
}

static int open_config_dialog(HWND parent) {
  return (int)DialogBoxParamA(saver_instance, MAKEINTRESOURCEA(IDD_CONFIG), parent, config_dialog_proc, 0);
}
