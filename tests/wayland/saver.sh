#!/usr/bin/env bash
# The Linux program on Wayland, in a headless sway (weston's for a compositor
# without the layer shell), as an idle daemon and a user start it: one case a
# function, run as `saver.sh CASE` (`saver.sh --cases` lists them).
source "$(dirname "$0")/lib.sh"

# A panel (swaybar) in a colour of its own, and windows whose borders and
# title bars have it too: where that colour shows, something is not covered.
marked=#ff00ff
marked_session=('bar {' 'position top' 'colors {' "background $marked" '}' '}'
  "client.focused $marked $marked #ffffff $marked $marked"
  "client.unfocused $marked $marked #ffffff $marked $marked"
  'default_border normal 10')

# The saver is on and covers every output: the marked colour nowhere (the
# window before it shows the scene's colours too), then the scene's colours
# in each output.
covered() {
  local output
  wait_until "$PATIENCE" nothing_marked || fail_now "the marked colour still shows: $(colour_pixels "$marked") pixels"
  for output in "$@"; do scene_on "$output" || fail_now "the scene is not on $output"; done
  check_eq "nothing shows beside the saver" 0 "$(colour_pixels "$marked")"
}

nothing_marked() { [ "$(colour_pixels "$marked")" = 0 ]; }

# The saver on one output, over a panel and a window opened before it.
case_one_output() {
  start_compositor sway "${marked_session[@]}"
  start window
  wait_until "$PATIENCE" counted blue+green 1000 region_colours $(output_rect HEADLESS-1) ||
    fail_now "the window did not show"
  [ "$(colour_pixels "$marked")" -gt 10000 ] || fail_now "the panel and the window's border do not show"
  start saver -overlay
  covered HEADLESS-1
  # The overlay takes the keys from the window that had them.
  press space
  expect_end saver "exit 0"
  still_running "$PID_window" || fail "the window took the key"
  wait_until "$PATIENCE" test "$(colour_pixels "$marked")" -gt 10000 || fail "the panel is not back after the saver"
  pass "one output: the scene above a window and a panel, the whole output covered, the keys its own"
}

# Two outputs of different sizes, side by side: the scene on each.
case_two_outputs() {
  start_compositor sway "${marked_session[@]}" 'output HEADLESS-2 mode 800x600 position 1024 0'
  sway_do create_output
  [ "$(output_rect HEADLESS-2)" = "1024 0 800 600" ] || fail_now "HEADLESS-2 is at $(output_rect HEADLESS-2)"
  start saver -overlay
  covered HEADLESS-1 HEADLESS-2
  kill -TERM "$PID_saver"
  expect_end saver "signal 15"
  # One step per period, whatever the number of outputs: with a period of
  # 10 s the outputs show one step, the same for a second.
  start slow -overlay -delay 10000000
  wait_until "$PATIENCE" counted blue+green 1000 region_colours 1024 0 800 600 || fail_now "nothing on HEADLESS-2"
  wait_until "$PATIENCE" counted blue+green 1000 region_colours 0 0 1024 768 || fail_now "nothing on HEADLESS-1"
  grim "$KIT_TMP/first.png"
  sleep 1
  grim "$KIT_TMP/second.png"
  check_eq "no new step within the period" 0 "$(compare -metric AE "$KIT_TMP/first.png" "$KIT_TMP/second.png" null: 2>&1)"
  pass "two outputs, 1024 x 768 and 800 x 600: the scene on each, one step per period"
}

# An output added while it runs gets a surface, one removed loses its own,
# and the rest go on: in a sway whose outputs are windows of another, so
# that one can go.
case_outputs_come_and_go() {
  start_compositor sway
  start_compositor nested
  start saver -overlay
  covered WL-1
  sway_do create_output
  covered WL-1 WL-2
  swaymsg -s "$PARENT_SWAYSOCK" '[title="wlroots - WL-2"] kill' >/dev/null
  wait_until "$PATIENCE" test -z "$(output_rect WL-2)" || fail_now "WL-2 did not go"
  covered WL-1
  still_running "$PID_saver" || fail_now "the saver ended with the output: $(cat "$KIT_TMP/saver.err")"
  pass "an output added gets the scene, and one removed leaves the other showing it"
}

# The input that ends it, each with exit code 0: a key, a click, a move of
# more than 4 pixels; a move of 4 does not.
case_key() {
  start_compositor sway
  start saver -overlay
  covered HEADLESS-1
  press space
  expect_end saver "exit 0"
  pass "a key ends it with exit code 0"
}

case_click() {
  start_compositor sway
  start saver -overlay
  covered HEADLESS-1
  pointer_start
  pointer_do wait 300
  pointer_do click
  expect_end saver "exit 0"
  pass "a click ends it with exit code 0"
}

case_motion() {
  start_compositor sway
  WAYLAND_DEBUG=1 start saver -overlay
  covered HEADLESS-1
  pointer_start
  pointer_do wait 300
  pointer_do move 3 -1
  # An observation, not a deadline: a second in which it must not end.
  sleep 1
  still_running "$PID_saver" || fail_now "a move of 4 pixels ended it: $(cat "$KIT_TMP/saver.err")"
  pointer_do move 0 -1
  expect_end saver "exit 0"
  # No cursor over it (libwayland's protocol log).
  grep -q 'wl_pointer@[0-9]*\.set_cursor([0-9]*, nil, 0, 0)' "$KIT_TMP/saver.err" || fail "the cursor was not hidden"
  pass "a move of 4 pixels leaves it running, one more ends it with exit code 0; no cursor over it"
}

# SIGTERM (a daemon's stop), SIGINT and SIGHUP end it by that same signal.
case_signals() {
  start_compositor sway
  local sig
  for sig in TERM:15 INT:2 HUP:1; do
    start "saver-${sig%:*}" -overlay -delay 0
    covered HEADLESS-1
    local pid_var="PID_saver_${sig%:*}"
    kill "-${sig%:*}" "${!pid_var}"
    expect_end "saver-${sig%:*}" "signal ${sig#*:}"
  done
  pass "SIGTERM, SIGINT and SIGHUP end it by the same signal"
}

# The README's line for sway, with timeouts of 2 and 4 s and a stand-in for
# the locker: the idle daemon starts the saver, the locker's command still
# comes while the saver shows (the saver's command does not hold the
# daemon), and a key ends the saver.
case_enabling_line() {
  local line readme=$WAYLAND_KIT/../../README.md
  line=$(sed -n 's/^ *exec \(swayidle .*\)$/\1/p' "$readme" | head -1)
  [[ $line == *"timeout 600 'korvanthel -overlay &'"*"timeout 900 'swaylock -f'"* ]] ||
    fail_now "README.md has no sway line with the saver at 600 s and the locker at 900 s: '$line'"
  line=${line/timeout 600/timeout 2}
  line=${line/timeout 900 \'swaylock -f\'/timeout 4 \'touch $KIT_TMP/locker-ran\'}
  start_compositor sway
  note "swayidle's line: $line"
  # The program the line names is on PATH.
  PATH=$(dirname "$KORVANTHEL"):$PATH eval "spawn swayidle $line"
  wait_until "$PATIENCE" saver_running || fail_now "the idle daemon did not start the saver"
  local saver
  saver=$(saver_running)
  covered HEADLESS-1
  wait_until "$PATIENCE" test -e "$KIT_TMP/locker-ran" || fail_now "the locker's command did not come"
  still_running "$saver" || fail_now "the saver ended before the locker came"
  press space
  wait_until "$PATIENCE" has_ended "$saver" || fail_now "a key did not end the saver"
  pass "the README's sway line: the saver at idle, the locker after it, a key ends the saver"
}

# At an output's scale of 2, the surface's buffers have twice its size in
# each direction (libwayland's protocol log, WAYLAND_DEBUG), in opaque 8-bit
# RGB (wl_shm's format 1, xrgb8888: the X11 road's depth, not the 10-bit
# buffers EGL offers first), and the scene fills the output.
case_scaled_output() {
  start_compositor sway 'output HEADLESS-1 scale 2'
  WAYLAND_DEBUG=1 start saver -overlay
  [ "$(output_rect HEADLESS-1)" = "0 0 512 384" ] || fail_now "HEADLESS-1 is $(output_rect HEADLESS-1)"
  wait_for_scene "$PATIENCE" "blue 200 green 200 red 80 white 20" region_colours 0 0 1024 768 ||
    fail_now "the scene is not on the output"
  grep -q 'wl_surface@[0-9]*\.set_buffer_scale(2)' "$KIT_TMP/saver.err" || fail "no buffer scale of 2"
  grep -q 'create_buffer(new id wl_buffer@[0-9]*, [0-9]*, 1024, 768, 4096, 1)' "$KIT_TMP/saver.err" ||
    fail "no buffer of 1024 x 768 pixels in xrgb8888 for the 512 x 384 output: $(grep -m1 create_buffer "$KIT_TMP/saver.err")"
  kill -TERM "$PID_saver"
  expect_end saver "signal 15"
  pass "at scale 2 the saver draws 1024 x 768 pixels of 8-bit RGB for the 512 x 384 output"
}

# A window of its own: titled Korvanthel, q, Q and Escape end it and no other
# key does, a resize gives frames of the new size (buffers of that size in
# libwayland's protocol log, WAYLAND_DEBUG: sway tells a window's first size
# only), the compositor's close ends it.
case_own_window() {
  start_compositor sway
  local key
  for key in q Q Escape; do
    start "own-$key"
    wait_until "$PATIENCE" own_window_shown || fail_now "no window titled Korvanthel"
    # shellcheck disable=SC2046
    wait_for_scene "$PATIENCE" "blue 50 green 50 red 20 white 5" region_colours $(own_window_rect) ||
      fail_now "the scene is not in the window"
    if [ "$key" = q ]; then
      press a
      press space
      sleep 0.5
      still_running "$PID_own_q" || fail_now "a key other than q, Q or Escape ended it"
    fi
    press "$key"
    expect_end "own-$key" "exit 0"
    [ ! -s "$KIT_TMP/own-$key.err" ] || fail_now "stderr: $(cat "$KIT_TMP/own-$key.err")"
  done
  WAYLAND_DEBUG=1 start own-resize -geometry 320x240
  wait_until "$PATIENCE" own_window_shown || fail_now "no window titled Korvanthel"
  sway_do '[app_id=korvanthel] floating enable, resize set 400 300'
  wait_until "$PATIENCE" own_window_at 312 234 400 300 || fail_now "the window is at $(own_window_rect)"
  wait_until "$PATIENCE" grep -q 'create_buffer(new id wl_buffer@[0-9]*, 0, 400, 300,' "$KIT_TMP/own-resize.err" ||
    fail_now "no frame of 400 x 300"
  # shellcheck disable=SC2046
  wait_for_scene "$PATIENCE" "blue 50 green 50 red 20 white 5" region_colours $(own_window_rect) ||
    fail_now "the scene is not in the resized window"
  sway_do '[app_id=korvanthel] kill'
  expect_end own-resize "exit 0"
  pass "a window of its own: titled Korvanthel, q, Q, Escape and the compositor's close end it, resized it draws at the new size"
}

# A jq expression on the program's window in sway's tree.
own_window_node() {
  swaymsg -t get_tree -r | jq -r ".. | objects | select(.app_id? == \"korvanthel\") | $1"
}

own_window_shown() { [ "$(own_window_node .name)" = Korvanthel ]; }

# The window's content in the layout, X Y W H.
own_window_rect() {
  own_window_node '"\(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y) \(.window_rect.width) \(.window_rect.height)"'
}

own_window_at() { [ "$(own_window_rect)" = "$*" ]; }

# Where the compositor has no layer shell (weston): full-screen windows on
# the outputs, said once on standard error, and frames drawn into them
# (libwayland's protocol log: weston's screenshots do not show EGL's
# buffers here).
case_no_layer_shell() {
  start_compositor weston
  WAYLAND_DEBUG=1 start saver -overlay
  wait_until "$PATIENCE" grep -q 'xdg_toplevel@[0-9]*\.configure(1024, 768' "$KIT_TMP/saver.err" ||
    fail_now "no full-screen configure of 1024 x 768"
  wait_until "$PATIENCE" frames_attached_past 10 || fail_now "no frames drawn"
  grep -q 'xdg_toplevel@[0-9]*\.set_fullscreen(wl_output@' "$KIT_TMP/saver.err" || fail "no full-screen window"
  ! grep -q 'get_layer_surface' "$KIT_TMP/saver.err" || fail "a layer surface was asked for"
  local said
  said=$(grep '^korvanthel:' "$KIT_TMP/saver.err" || true)
  [[ $said == *"has no layer shell"*"full-screen windows"* && $(wc -l <<<"$said") -eq 1 ]] ||
    fail "not said once: $said"
  kill -TERM "$PID_saver"
  expect_end saver "signal 15"
  pass "without a layer shell: full-screen windows, said once"
}

# 0 when the saver has attached more than N buffers (frames) to its surfaces.
frames_attached_past() {
  [ "$(grep -c 'wl_surface@[0-9]*\.attach(wl_buffer' "$KIT_TMP/saver.err")" -gt "$1" ]
}

# A lost connection to the compositor: exit code 1 and one line.
case_lost_compositor() {
  start_compositor sway
  start saver -overlay
  covered HEADLESS-1
  "$WAYLAND_KIT/compositor" stop "$COMPOSITOR"
  expect_end saver "exit 1"
  check_eq "one line on standard error" 1 "$(wc -l <"$KIT_TMP/saver.err")"
  grep -q "^korvanthel: lost the connection to the Wayland compositor 'wayland-1'" "$KIT_TMP/saver.err" ||
    fail "stderr: $(cat "$KIT_TMP/saver.err")"
  pass "a lost compositor ends it with exit code 1 and one line"
}

# Bad input without a compositor: exit code 1, one line (with the usage line
# for a bad option), nothing left.
case_bad_input() {
  # LINES|REGEX|ENVIRONMENT (env's arguments)|ARGUMENTS
  local cases=(
    "1|cannot connect to the Wayland compositor 'korv-none'\$|WAYLAND_DISPLAY=korv-none XDG_RUNTIME_DIR=$KIT_TMP|"
    "1|cannot connect to the Wayland compositor 'wayland-0' [(]WAYLAND_DISPLAY is not set[)]: .*XDG_RUNTIME_DIR|-u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR|-overlay"
    "2|-root is for X11 and -overlay for Wayland: give options of one of them||-overlay -root"
  )
  local entry lines regex environment arguments n=0
  for entry in "${cases[@]}"; do
    IFS='|' read -r lines regex environment arguments <<<"$entry"
    n=$((n + 1))
    # shellcheck disable=SC2086
    spawn "bad-$n" env $environment "$KORVANTHEL" $arguments
    wait_exit "$SPAWN_PID" "$PATIENCE" || fail_now "bad-$n still running"
    check_eq "bad-$n: exit code" 1 "$EXIT_CODE"
    check_eq "bad-$n: lines on standard error" "$lines" "$(wc -l <"$KIT_TMP/bad-$n.err")"
    head -1 "$KIT_TMP/bad-$n.err" | grep -qE "^korvanthel: $regex" || fail "bad-$n: $(cat "$KIT_TMP/bad-$n.err")"
  done
}

# The pid of a saver that this test's compositor shows (started by another
# program), when there is one.
saver_running() {
  local proc
  for proc in /proc/[0-9]*; do
    [ "$(cat "$proc/comm" 2>/dev/null)" = korvanthel ] || continue
    tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" || continue
    echo "${proc#/proc/}"
    return 0
  done
  return 1
}

kit_cases "$@"
kit_start
"case_$1"
kit_done
