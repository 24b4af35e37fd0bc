// Fatal error reporter for Windows: a message box captioned "Error", owned by
// the window with the keyboard focus (there may be none), then exit code 1
// through the orderly exit so that exit-time handlers run.
#include "toolkit/report_error.h"

#include <windows.h>

#include <cstdlib>

void report_error(const char* message) {
  MessageBoxA(GetFocus(), message, "Error", MB_OK);
  std::exit(1);
}
