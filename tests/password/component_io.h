// Shared by the test components PASSWORD.CPL and MPR.DLL: the steering file
// and the call log, both kept beside the component's own file so that each
// test's scratch folder holds its own.
//
//   pwtest-control.txt   one "key=value" per line, read afresh at every call
//   pwtest.log           one line per event, appended; both components write it
//
// Every line written carries the component's name and GetTickCount, which is
// the same clock the saver uses for its 200 ms rule.
#pragma once
#include <windows.h>

// Remembers the component's module so that its folder can be found.
void component_init(HMODULE module, const char *name);

// The integer value of a key in the steering file; fallback when the file or
// the key is missing or the value is not a number.
long control_value(const char *key, long fallback);

// Appends one line, "<component> " followed by the formatted text, to the log.
void log_line(const char *format, ...);
