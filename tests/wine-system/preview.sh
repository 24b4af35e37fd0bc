#!/usr/bin/env bash
# The preview (/p HWND): the program draws the scene in a child window that
# fills a test parent window, ignores input over it, and ends when the parent
# is destroyed, as a settings dialog closing would.
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init

W=152 H=112 X=200 Y=150

# Opens a magenta test parent that destroys itself once $KIT_TMP/stop-$1
# exists; sets parent and parent_pid.
open_parent() {
  rm -f "$KIT_TMP/stop-$1"
  parent_start "parent-$1" "$W" "$H" "$X" "$Y" --until "$KIT_TMP/stop-$1"
  local status=$?
  parent=$PARENT
  parent_pid=$PARENT_PID
  return $status
}

# Destroys the parent and checks that the preview run ends with exit code 0.
close_parent_and_check() {
  local what=$1
  touch "$KIT_TMP/stop-$2"
  if wait_exit "$SAVER_PID" "$PATIENCE"; then
    check_eq "$what: the run ends with exit code 0 when the parent is destroyed" 0 "$EXIT_CODE"
  else
    fail "$what: the run ends when the parent is destroyed"
    stop_process "$SAVER_PID"
  fi
  wait_exit "$parent_pid" "$PATIENCE" || stop_process "$parent_pid"
}

# --- one preview, looked at closely -------------------------------------------
if ! open_parent main; then
  fail "the test parent window opens"
  kit_done
fi
saver_start /p "$parent"
preview=$(wait_preview "$parent" "$PATIENCE")
if [ -z "$preview" ]; then
  fail "/p $parent opens a window of class WindowsScreenSaverClass titled Preview inside the parent"
  kit_done
fi
pass "/p $parent opens a window of class WindowsScreenSaverClass titled Preview inside the parent"
check_eq "the preview is a child of the given window" "$parent" "$(window_field "$preview" parent)"
check_eq "it fills the parent's client area" "$W $H" "$(window_field "$preview" client)"
check_eq "it sits at the parent's origin" "$X $Y $((X + W)) $((Y + H))" "$(window_field "$preview" rect)"
style=$(window_field "$preview" style)
check_eq "it is a visible child window (WS_CHILD|WS_VISIBLE|WS_CLIPCHILDREN)" \
  0x52000000 "$style"
check_eq "it has no extended style" 0x00000000 "$(window_field "$preview" exstyle)"
count=$(probe toplevel "$SAVER_CLASS" - | wc -l)
check_eq "the preview makes no top-level window" 0 "$count"

# Wine renders OpenGL in a child window into an offscreen X window of the
# child's size; preview_colours captures that one (the parent's own X window
# has the same size and stays magenta).
wait_for_scene "$PATIENCE" "blue 200 green 200" preview_colours "$W" "$H"
note "looked at $SCENE_LOOKS captures"
check_seen "blue:the preview shows the surface's blue side" "green:the preview shows the surface's green side"
if [ -n "${PREVIEW_XID:-}" ]; then
  check "the preview is animated" frames_change "$PREVIEW_XID" 200
else
  fail "the preview is animated" "no capture showed the surface"
fi

# Input over the preview never ends it. Keys typed while the parent has the
# focus do not reach the preview; they are sent anyway, as a user would.
pointer_to $((X + W / 2)) $((Y + H / 2))
pointer_by 20 10
pointer_by -30 -25
click 1
click 3
key a
sleep 0.6
check "moves, clicks and keys over the preview leave the run going" still_running "$SAVER_PID"
check_eq "the preview window still exists" 1 "$(window_field "$preview" exists)"

close_parent_and_check "/p HWND" main
check "the preview window is gone" wait_gone "$preview" "$PATIENCE"

# --- the other spellings of the preview command -------------------------------
# form (HWND stands for the parent's handle)
while read -r form; do
  if ! open_parent form; then
    fail "the test parent window opens for $form"
    continue
  fi
  # shellcheck disable=SC2086
  saver_start ${form//HWND/$parent}
  if wait_preview "$parent" "$PATIENCE" >/dev/null; then
    pass "'$form' opens the preview inside the parent"
  else
    fail "'$form' opens the preview inside the parent"
  fi
  close_parent_and_check "$form" form
done <<'TABLE'
/pHWND
/P HWND
-l HWND
p HWND trailing words
TABLE

kit_done
