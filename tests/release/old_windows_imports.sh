#!/usr/bin/env bash
# The shipped program starts on Windows 95 and NT 4: it imports none of the
# calls that came later (the monitor calls of Windows 98 and 2000, the file
# replacement of NT), whose absence would stop the loader before the
# program's first instruction; where it uses them, it looks them up at run
# time.
#   old_windows_imports.sh OBJDUMP PROGRAM
set -euo pipefail
objdump=$1 program=$2
imports=$("$objdump" -p "$program" | sed -n '/DLL Name:/,$p')
# The list is read: the window's own creation call is in it.
grep -qw CreateWindowExA <<<"$imports" || { echo "FAIL: no imports read from $program" >&2; exit 1; }
later='EnumDisplayMonitors|GetMonitorInfo[AW]|MonitorFrom(Window|Point|Rect)|EnumDisplayDevices[AW]'
later+='|MoveFileEx[AW]|MoveFileWithProgress[AW]|ReplaceFile[AW]|CreateHardLink[AW]|GetFileSizeEx'
if found=$(grep -oE "\\b($later)\\b" <<<"$imports"); then
  echo "FAIL: $program imports $(echo $found), which Windows 95 or NT 4 lacks" >&2
  exit 1
fi
echo "$program imports no call that Windows 95 or NT 4 lacks"
