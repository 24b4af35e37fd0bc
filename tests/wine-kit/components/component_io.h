// What the test components PASSWORD.CPL and MPR.DLL share: their one DllMain,
// the steering file and the call log, both kept beside the component's own
// file so that each test's case folder holds its own, and the modal dialog
// that a component shows while it decides.
//
//   pwtest-control.txt   one "key=value" per line, read afresh at every call
//   pwtest.log           one line per event, appended; both components write it
//
// Every line written starts with the component's name and carries
// GetTickCount, which is the same clock the saver uses for its 200 ms rule.
// Log lines of the DllMain:
//   NAME attach tick=T
//   NAME detach how=free|exit tick=T
#pragma once
#include <windows.h>

// Defined by each component: the name its log lines start with.
extern const char component_name[];

// The component's own module (set when it is loaded).
extern HMODULE component_module;

// The integer value of a key in the steering file; fallback when the file or
// the key is missing or the value is not a number.
long control_value(const char* key, long fallback);

// Appends one line, "<component> " followed by the formatted text, to the log.
void log_line(const char* format, ...);

// Shows a captioned modal dialog without controls, built in memory, owned by
// owner (or none), run by proc with param as the WM_INITDIALOG parameter.
INT_PTR show_modal_dialog(HWND owner, const char* caption, DLGPROC proc, LPARAM param);
