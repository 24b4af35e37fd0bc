#!/usr/bin/env bash
# The shipped program draws in immediate mode only (OpenGL 1.1): it imports
# none of OpenGL's vertex-array or buffer-object calls, nor the function
# lookup through which it could reach them at run time.
#   gl_imports.sh OBJDUMP PROGRAM
set -euo pipefail
objdump=$1 program=$2
imports=$("$objdump" -p "$program" | sed -n '/DLL Name: OPENGL32.DLL/I,/DLL Name: [^oO]/p')
# The list is read: the grid's own vertex call is in it.
grep -qw glVertex3dv <<<"$imports" || { echo "FAIL: no OpenGL imports read from $program" >&2; exit 1; }
forbidden='gl(Draw(Arrays|Elements|RangeElements)|[A-Za-z]+Pointer|InterleavedArrays|EnableClientState'
forbidden+='|DisableClientState|ArrayElement|(Bind|Gen|Delete|Is)Buffers?|(Map|Unmap)Buffer|Buffer(Sub)?Data)'
forbidden+='|wglGetProcAddress'
if found=$(grep -oE "\\b($forbidden)\\w*" <<<"$imports"); then
  echo "FAIL: $program imports $(echo $found)" >&2
  exit 1
fi
echo "$program imports no vertex-array or buffer-object call of OpenGL"
