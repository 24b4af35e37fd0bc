#!/usr/bin/env bash
# What the shipped program imports, as the loader reads it:
#   imports.sh gl OBJDUMP PROGRAM
#     it draws in immediate mode only (OpenGL 1.1): it imports none of
#     OpenGL's vertex-array or buffer-object calls, nor the function lookup
#     through which it could reach them at run time;
#   imports.sh old-windows OBJDUMP PROGRAM
#     it starts on Windows 95 and NT 4: it imports none of the calls that came
#     later (the monitor calls of Windows 98 and 2000, the file replacement of
#     NT), whose absence would stop the loader before the program's first
#     instruction; where it uses them, it looks them up at run time.
set -euo pipefail
check=$1 objdump=$2 program=$3
case $check in
gl)
  imports=$("$objdump" -p "$program" | sed -n '/DLL Name: OPENGL32.DLL/I,/DLL Name: [^oO]/p')
  known=glVertex3dv  # the grid's own vertex call
  forbidden='gl(Draw(Arrays|Elements|RangeElements)|[A-Za-z]+Pointer|InterleavedArrays|EnableClientState'
  forbidden+='|DisableClientState|ArrayElement|(Bind|Gen|Delete|Is)Buffers?|(Map|Unmap)Buffer|Buffer(Sub)?Data)\w*'
  forbidden+='|wglGetProcAddress\w*'
  held="no vertex-array or buffer-object call of OpenGL"
  ;;
old-windows)
  imports=$("$objdump" -p "$program" | sed -n '/DLL Name:/,$p')
  known=CreateWindowExA  # the window's own creation call
  forbidden='(EnumDisplayMonitors|GetMonitorInfo[AW]|MonitorFrom(Window|Point|Rect)|EnumDisplayDevices[AW]'
  forbidden+='|MoveFileEx[AW]|MoveFileWithProgress[AW]|ReplaceFile[AW]|CreateHardLink[AW]|GetFileSizeEx)\b'
  held="no call that Windows 95 or NT 4 lacks"
  ;;
*)
  echo "usage: imports.sh gl|old-windows OBJDUMP PROGRAM" >&2
  exit 2
  ;;
esac
# The list is read: the known call is in it.
grep -qw "$known" <<<"$imports" || { echo "FAIL: no imports read from $program" >&2; exit 1; }
if found=$(grep -oE "\\b($forbidden)" <<<"$imports"); then
  echo "FAIL: $program imports $(echo $found): it must import $held" >&2
  exit 1
fi
echo "$program imports $held"
