#!/usr/bin/env bash
# One bad input: the program ends with exit code 1, says what is wrong in
# one line on standard error (followed by the usage line for option errors),
# prints nothing else, and leaves no window and no process behind.
#   bad_input.sh LINES REGEX [env NAME=VALUE... | env -u NAME] -- ARGS...
# In ARGS and the environment, @NODEPTH@ becomes a window whose visual has no
# depth buffer and @GONE@ the id of a window that no longer exists; there
# and in REGEX, @DISPLAY@ becomes the test's display.
source "$(dirname "$0")/lib.sh"
kit_init
lines=$1 regex=${2//@DISPLAY@/$DISPLAY}
shift 2
prefix=()
while [ "$1" != -- ]; do
  prefix+=("$1")
  shift
done
shift

substitute() {
  local a=${1//@DISPLAY@/$DISPLAY}
  if [[ $a == *@NODEPTH@* ]]; then
    [ -n "${nodepth:-}" ] || nodepth=$("$X11_TOOL" create 200 150 nodepth)
    a=${a//@NODEPTH@/$nodepth}
  fi
  if [[ $a == *@GONE@* ]]; then
    if [ -z "${gone:-}" ]; then
      gone=$("$X11_TOOL" create 10 10 gl)
      "$X11_TOOL" destroy "$gone"
    fi
    a=${a//@GONE@/$gone}
  fi
  printf '%s' "$a"
}
args=() env_args=()
for a in "$@"; do args+=("$(substitute "$a")"); done
for a in "${prefix[@]}"; do env_args+=("$(substitute "$a")"); done

top_level() { xwininfo -root -children | grep -c '^ *0x' || true; }
windows_before=$(top_level)
set +e
if [ ${#env_args[@]} -gt 0 ]; then
  "${env_args[@]}" "$KORVANTHEL" "${args[@]}" >"$KIT_TMP/out" 2>"$KIT_TMP/err"
else
  "$KORVANTHEL" "${args[@]}" >"$KIT_TMP/out" 2>"$KIT_TMP/err"
fi
code=$?
set -e
echo "stderr:"
cat "$KIT_TMP/err"
[ "$code" -eq 1 ] || fail_now "exit code $code, wanted 1"
[ ! -s "$KIT_TMP/out" ] || fail_now "printed on standard output: $(cat "$KIT_TMP/out")"
[ "$(wc -l <"$KIT_TMP/err")" -eq "$lines" ] || fail_now "$(wc -l <"$KIT_TMP/err") lines on stderr, wanted $lines"
head -n 1 "$KIT_TMP/err" | grep -Eq -- "^korvanthel: $regex\$" || fail_now "first line does not match '$regex'"
if [ "$lines" -eq 2 ]; then
  sed -n 2p "$KIT_TMP/err" | grep -q '^usage: korvanthel ' || fail_now "second line is not the usage line"
fi
[ "$(top_level)" -eq "$windows_before" ] || fail_now "windows on the display changed"
[ -n "${nodepth:-}" ] && "$X11_TOOL" destroy "$nodepth"
pass "bad input refused as it should be"
kit_done
