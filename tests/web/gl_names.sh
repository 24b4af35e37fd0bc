#!/usr/bin/env bash
# The build check of the browser edition (web/check_gl_names.cmake) on the
# page's own libraries: it passes for them as built, and fails, naming what
# is missing, when the subset lacks what the core calls (its entry points
# taken out of the subset's library), or when the subset itself calls an
# OpenGL name that it does not define.
source "$(dirname "$0")/../kit/lib.sh"
kit_start
: "${KORV_SOURCE:?}" "${KORV_WEB:?}"
check_script=$KORV_SOURCE/web/check_gl_names.cmake
libraries=$KORV_WEB/web
nm=$(command -v emnm) || fail_now "emnm is installed" "not found"

run_check() {  # CALLERS SUBSET: the check's output in check.out, its status returned
  cmake -DNM="$nm" -DCALLERS="$1" -DSUBSET="$2" -DSTAMP="$KIT_TMP/stamp" -P "$check_script" >check.out 2>&1
}

# The check's message as one line (CMake wraps it), against a pattern.
said() {
  tr -s ' \n' '  ' <check.out | grep -qE "$1"
}

# The callers as the build checks them: the core's and the host's libraries
# and the program's main.
callers=$(cat "$libraries/gl_callers") || fail_now "the build lists the callers it checks" "no $libraries/gl_callers"
check "the page's libraries pass the check" run_check "$callers" "$libraries/libkorv_gl_subset.a"
# 37 of OpenGL (the mesh puts the caller's vertex-array state back with
# glPushClientAttrib and glPopClientAttrib, no longer with
# glDisableClientState) and 6 of GLU.
check "it counts the 43 calls of the core and the host" grep -q '^43 OpenGL and GLU calls' stamp

# The subset without its entry points: everything is missing.
cp "$libraries/libkorv_gl_subset.a" without-entries.a
emar d without-entries.a gl_entry.cpp.o
if run_check "$callers" without-entries.a; then
  fail "a subset without its entry points fails the check"
else
  check "a subset without its entry points fails the check, naming glBegin and gluCylinder" \
    said 'does not define: .*glBegin .*gluCylinder'
fi

# A subset with a piece that calls an OpenGL function of its own (glFinish)
# instead of WebGL's.
printf 'extern "C" void glFinish();\nvoid finish_frame() { glFinish(); }\n' >stray.cpp
em++ -c stray.cpp -o stray.o >em++.out 2>&1 || fail_now "em++ compiles a stray piece" "$(cat em++.out)"
cp "$libraries/libkorv_gl_subset.a" with-stray.a
emar r with-stray.a stray.o
if run_check "$callers" with-stray.a; then
  fail "a subset that calls glFinish itself fails the check"
else
  check "a subset that calls glFinish itself fails the check, naming it" \
    said 'calls OpenGL names that it does not define itself: glFinish'
fi
kit_done
