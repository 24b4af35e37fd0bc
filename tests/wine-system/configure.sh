#!/usr/bin/env bash
# The configure command forms (empty tail, /c, /c:HWND, /c HWND) on the real
# program, which is installed as a .scr: the about dialog (template 2003)
# opens, owned by the window that the command names or by the foreground
# window, and its result is the exit code: 0 through the close button or
# IDCANCEL, 1 through IDOK. A program without the template cannot open a
# dialog: DialogBoxParamA answers -1 and the exit code is 255.
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init
set -f

# The version as the file VERSION writes it.
CAPTION="Korvanthel screen saver v $(cat "$KIT_ROOT/VERSION")"

if ! probe has-resource "$SAVER" 5 2003; then
  note "the program carries no dialog template 2003"
  for tail in /c "/c:12" ""; do
    # shellcheck disable=SC2086
    saver_run $tail
    check_eq "without the template, '$tail' gives 255" 255 "$?"
  done
  kit_done
fi

# Two test windows: OTHER opens first, OWNER second and so becomes the
# foreground window.
parent_start other 300 200 50 50 --until "$KIT_TMP/stop-other" --color 0000FF
other=$PARENT
parent_start owner 300 200 600 400 --until "$KIT_TMP/stop-owner" --color 0000FF
owner=$PARENT
if [ -z "$other" ] || [ -z "$owner" ]; then
  fail "the two test windows open"
  kit_done
fi

# tail (OWNER and OTHER stand for the test windows' handles) | owner expected
# | control id that ends the dialog | exit code
while IFS='|' read -r tail expect_owner button expected; do
  # The previous run's dialog has just gone; give the foreground back to OWNER
  # so that the commands that fall back on the foreground window find it.
  probe activate "$owner" || fail "'$tail': the test window can be made the foreground window"
  foreground=$(probe foreground)
  # shellcheck disable=SC2086
  saver_start $(echo "$tail" | sed "s/OWNER/$owner/; s/OTHER/$other/")
  dialog=$(wait_window "#32770" "$CAPTION" "$PATIENCE")
  if [ -z "$dialog" ]; then
    fail "'$tail' opens the dialog \"$CAPTION\""
    stop_process "$SAVER_PID"
    continue
  fi
  pass "'$tail' opens the dialog \"$CAPTION\""
  case $expect_owner in
    OWNER) check_eq "'$tail': the dialog is owned by the named window" "$owner" "$(window_field "$dialog" owner)" ;;
    OTHER) check_eq "'$tail': the dialog is owned by the named window" "$other" "$(window_field "$dialog" owner)" ;;
    foreground)
      check_eq "'$tail': the dialog is owned by the foreground window" "$foreground" "$(window_field "$dialog" owner)"
      case $tail in *OTHER*)
        check "'$tail': the foreground window is not the one after the blank" test "$foreground" != "$other" ;;
      esac ;;
    none) check_eq "'$tail': the dialog has no owner" 0 "$(window_field "$dialog" owner)" ;;
  esac
  buttons=$(probe children "$dialog" | grep -c "Button|")
  check_eq "'$tail': the dialog has its three buttons" 3 "$buttons"
  probe command "$dialog" "$button" >/dev/null
  if wait_exit "$SAVER_PID" "$PATIENCE"; then
    check_eq "'$tail' ended through control $button gives $expected" "$expected" "$EXIT_CODE"
  else
    fail "'$tail' ends through control $button"
    stop_process "$SAVER_PID"
  fi
done <<'TABLE'
/c:OTHER|OTHER|1013|0
/C:OWNER|OWNER|1|1
-c:OTHER|OTHER|2|0
/c|foreground|2|0
/c OTHER|foreground|1013|0
/c:0|foreground|2|0
|none|1013|0
/ -|none|2|0
TABLE

touch "$KIT_TMP/stop-other" "$KIT_TMP/stop-owner"
kit_done
