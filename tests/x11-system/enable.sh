#!/usr/bin/env bash
# korvanthel-enable (the built program, by its full path) run by user 65534
# with a HOME of its own, as a user runs it:
#   enable.sh CASE PROGRAM
# The file cases need no display:
#   read_only_file    a read-only ~/.xscreensaver is left as it was, unless it
#                     already holds Korvanthel
#   read_only_folder  nothing is written where the folder cannot be written
#   symbolic_link     the link's target is replaced with its mode; the link stays
#   as_root           it refuses to run as root
# The daemon cases run the real daemon and xscreensaver-settings as that user
# on the fixture's display (started with -ac), in a mount namespace of their
# own where the built korvanthel and its settings file are laid over the
# daemon's folders as the package installs them:
#   new_file          no ~/.xscreensaver: the new file's list is Korvanthel
#                     first, then, merged in by the daemon, the system's list
#   running_daemon    the file that xscreensaver-settings wrote, the daemon
#                     running: it rereads the file by itself, and Korvanthel is
#                     the entry after the dialog's last one, where the dialog
#                     finds it too
here=$(cd "$(dirname "$0")" && pwd)
case ${1:-} in
new_file | running_daemon)
  if [ "${KORV_ENABLE_NAMESPACE:-}" != 1 ]; then
    exec env KORV_ENABLE_NAMESPACE=1 unshare --mount --propagation private bash "$0" "$@"
  fi
  ;;
esac
source "$here/lib.sh"
files=$here/../native/saver_list_files

# A folder for the user under /tmp (the user may not reach the build tree),
# with the program and an empty HOME.
make_runtime() {
  runtime=$(mktemp -d /tmp/korv-x11-enable.XXXXXX)
  at_exit rm -rf "$runtime"
  chmod 755 "$runtime"
  install -m 755 "$program" "$runtime/korvanthel-enable"
  home=$runtime/home
  mkdir "$home"
  chown 65534:65534 "$home"
}

# Runs COMMAND as the user with its HOME; its output in $KIT_TMP/out, err.
as_user() {
  setpriv --reuid=65534 --regid=65534 --clear-groups \
    env -i HOME="$home" PATH=/usr/bin:/bin ${DISPLAY:+DISPLAY=$DISPLAY} "$@"
}

# Runs the program as the user; STATUS is its exit status.
run_enable() {
  STATUS=0
  as_user "$runtime/korvanthel-enable" "$@" >"$KIT_TMP/out" 2>"$KIT_TMP/err" || STATUS=$?
  note "korvanthel-enable $*: exit $STATUS: $(cat "$KIT_TMP/out" "$KIT_TMP/err")"
}

# A file of saver_list_files as the user's, with MODE.
give() {
  install -m "$2" -o 65534 -g 65534 "$files/$1" "$3"
}

# 0 when FOLDER holds no temporary file of the program.
no_leftovers() { ! ls -A "$1" | grep -q korvanthel-enable; }

case_read_only_file() {
  make_runtime
  give first-save.xscreensaver 444 "$home/.xscreensaver"
  run_enable
  check_eq "a read-only file: exit status 1" 1 "$STATUS"
  check "the message says it is read-only" grep -q "left $home/.xscreensaver as it was: it is read-only" "$KIT_TMP/err"
  check "the file is as it was" cmp -s "$files/first-save.xscreensaver" "$home/.xscreensaver"
  check_eq "its mode is as it was" 444 "$(stat -c %a "$home/.xscreensaver")"
  check "no temporary file is left" no_leftovers "$home"
  give korvanthel-wrapped.xscreensaver 444 "$home/.xscreensaver"
  run_enable
  check_eq "a read-only file that holds Korvanthel already: exit status 0" 0 "$STATUS"
}

case_read_only_folder() {
  make_runtime
  give first-save.xscreensaver 644 "$home/.xscreensaver"
  chmod 555 "$home"
  run_enable
  check_eq "a read-only folder: exit status 1" 1 "$STATUS"
  check "the message names the folder" grep -q "cannot write in $home: Permission denied" "$KIT_TMP/err"
  check "the file is as it was" cmp -s "$files/first-save.xscreensaver" "$home/.xscreensaver"
  rm "$home/.xscreensaver"
  run_enable
  check_eq "no file in a read-only folder: exit status 1" 1 "$STATUS"
  check "no file is made" test ! -e "$home/.xscreensaver"
  check "no temporary file is left" no_leftovers "$home"
}

case_symbolic_link() {
  make_runtime
  mkdir "$home/dots"
  give first-save.xscreensaver 600 "$home/dots/xscreensaver"
  chown 65534:65534 "$home/dots"
  ln -s dots/xscreensaver "$home/.xscreensaver"
  run_enable
  check_eq "through a link: exit status 0" 0 "$STATUS"
  check_eq "the link stays, pointing where it did" dots/xscreensaver "$(readlink "$home/.xscreensaver")"
  check "the target holds Korvanthel" grep -q $'^  GL: \t\t\t\tkorvanthel --root' "$home/dots/xscreensaver"
  check_eq "the target keeps its mode" 600 "$(stat -c %a "$home/dots/xscreensaver")"
  check "no temporary file is left" no_leftovers "$home/dots"
  run_enable --remove
  check "--remove gives the target back byte for byte" cmp -s "$files/first-save.xscreensaver" "$home/dots/xscreensaver"
}

case_as_root() {
  make_runtime
  STATUS=0
  HOME=$home "$runtime/korvanthel-enable" >"$KIT_TMP/out" 2>"$KIT_TMP/err" || STATUS=$?
  check_eq "as root: exit status 1" 1 "$STATUS"
  check "the message says why" grep -q "refusing to run as root" "$KIT_TMP/err"
  check "no file is made" test ! -e "$home/.xscreensaver"
}

# --- the daemon cases --------------------------------------------------------------

# The built korvanthel and its settings file laid over the daemon's folders,
# in this test's mount namespace only.
install_built() {
  local layer=$runtime/layers folder
  mkdir "$layer"
  mount -t tmpfs korv-enable "$layer"
  at_exit umount -l /usr/libexec/xscreensaver /usr/share/xscreensaver/config "$layer"
  for folder in hacks config; do mkdir "$layer/$folder" "$layer/$folder.work"; done
  install -m 755 "$KORVANTHEL" "$layer/hacks/korvanthel"
  install -m 644 "$(dirname "$KORVANTHEL")/korvanthel.xml" "$layer/config/korvanthel.xml"
  mount -t overlay korv-enable -o "lowerdir=/usr/libexec/xscreensaver,upperdir=$layer/hacks,workdir=$layer/hacks.work" \
    /usr/libexec/xscreensaver
  mount -t overlay korv-enable \
    -o "lowerdir=/usr/share/xscreensaver/config,upperdir=$layer/config,workdir=$layer/config.work" \
    /usr/share/xscreensaver/config
}

# Starts the daemon as the user; its log is $log.
start_daemon() {
  log=$KIT_TMP/daemon.log
  setsid setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$home" DISPLAY="$DISPLAY" \
    PATH=/usr/bin:/bin xscreensaver -no-splash -verbose </dev/null >"$log" 2>&1 &
  daemon_pid=$!
  at_exit stop_daemon
  wait_until "$PATIENCE" xscreensaver-command -version >/dev/null 2>&1 || fail_now "the daemon did not come up"
}

stop_daemon() {
  xscreensaver-command -exit >/dev/null 2>&1 || true
  wait_until 5 has_ended "$daemon_pid" || kill "$daemon_pid" 2>/dev/null || true
}

# The pid of the last program that the daemon's log shows started as COMMAND
# since line FROM.
forked_pid() {
  sed -n "$(($2 + 1)),\$p" "$log" | sed -n "s/.* forked \"$1\" in pid \([0-9]*\) .*/\1/p" | tail -1
}

# 0 once the log shows COMMAND started since line FROM.
forked() { [ -n "$(forked_pid "$@")" ]; }

# Asks the daemon to run entry N (from 1) and requires COMMAND to start;
# PID is its pid.
select_runs() {
  local n=$1 command=$2 from
  from=$(wc -l <"$log")
  xscreensaver-command -select "$n" >/dev/null
  wait_until "$PATIENCE" forked "$command" "$from" ||
    fail_now "-select $n did not start $command" "$(sed -n "$((from + 1)),\$p" "$log" | grep forked)"
  PID=$(forked_pid "$command" "$from")
  pass "-select $n runs $command"
}

# The daemon runs the built program, and it draws the scene.
korvanthel_shown() {
  check "the daemon runs the program just built" cmp -s "/proc/$PID/exe" "$KORVANTHEL"
  check "the scene is on the screen" scene_seen "$(root_window)"
}

# Opens xscreensaver-settings, picks Korvanthel from its list by typing its
# name, and requires the preview to draw the scene; SHOT names the screenshot.
settings_show() {
  spawn settings setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$home" DISPLAY="$DISPLAY" \
    PATH=/usr/bin:/bin xscreensaver-settings
  local dialog=$SPAWN_PID window preview
  wait_until "$PATIENCE" xdotool search --name '^xscreensaver-settings$' >/dev/null ||
    fail_now "xscreensaver-settings shows no window"
  preview_pid() { pgrep -P "$dialog" -f '^korvanthel --root --window-id 0x[0-9a-fA-F]+$'; }
  # A click in the list of screen savers, at the left of the dialog, then
  # its search. The dialog's first window can come before it takes input:
  # then Escape closes the search, and the pick is tried again.
  pick() {
    xdotool key Escape mousemove 150 300 click 1 type Korvanthel
    wait_until 10 preview_pid >/dev/null
  }
  if ! wait_until "$PATIENCE" pick; then
    import -window root "$KIT_TMP/$1" || true
    fail_now "xscreensaver-settings did not run Korvanthel's preview (screenshot: $KIT_TMP/$1)"
  fi
  window=$(tr '\0' ' ' <"/proc/$(preview_pid)/cmdline" | sed 's/.*--window-id \(0x[0-9a-fA-F]*\).*/\1/')
  check "xscreensaver-settings lists Korvanthel and its preview draws the scene" scene_seen "$window"
  import -window root "$KIT_TMP/$1" || true
  note "screenshot: $KIT_TMP/$1"
}

# The programs: list of a file as xscreensaver-settings writes it: from its
# first line to the empty line after it.
programs_list() { sed -n '/^programs:/,/^$/p' "$1"; }

# The command of an entry line of such a list, without "-", the visual and \n\.
command_of() { sed 's/^-\{0,1\}[[:space:]]*\([A-Za-z0-9-]*:\)\{0,1\}[[:space:]]*//; s/[[:space:]]*\\n\\$//'; }

# Starts xscreensaver-settings on the empty HOME and makes it save its first
# file: a click on the + of "Blank After", again until the file is there.
first_save() {
  spawn first-save setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$home" DISPLAY="$DISPLAY" \
    PATH=/usr/bin:/bin xscreensaver-settings
  local dialog=$SPAWN_PID
  save() {
    xdotool mousemove 269 504 click 1
    wait_until 5 test -s "$home/.xscreensaver"
  }
  wait_until "$PATIENCE" save || fail_now "xscreensaver-settings wrote no file"
  stop_process "$dialog"
  pass "xscreensaver-settings wrote its first file"
}

show_log() {
  note "the daemon's log:"
  note "$(tail -30 "$KIT_TMP/daemon.log" 2>/dev/null)"
}

# No crash notice of Korvanthel in the daemon's log.
normal_ends() {
  local bad
  bad=$(grep -Ei 'korvanthel.*(abnormal|crash|dumped)' "$log" || true)
  [ -z "$bad" ] || fail "the daemon's log shows" "$bad"
}

case_new_file() {
  kit_init
  make_runtime
  install_built
  on_failure show_log
  run_enable
  check_eq "no file: exit status 0" 0 "$STATUS"
  start_daemon
  select_runs 1 "korvanthel --root"
  korvanthel_shown
  # The first entry of the system-wide list, merged in after the user's.
  local first
  first=$(sed -n '/^\*programs:/,$p' /etc/X11/app-defaults/XScreenSaver | sed -n 2p | command_of)
  select_runs 2 "$first"
  xscreensaver-command -deactivate >/dev/null
  settings_show settings-new-file.png
  normal_ends
}

case_running_daemon() {
  kit_init
  make_runtime
  install_built
  on_failure show_log
  start_daemon
  first_save
  check "the dialog writes the list that the table test holds" cmp -s <(programs_list "$home/.xscreensaver") \
    <(programs_list "$files/first-save.xscreensaver")
  # "Only One Screen Saver", so that the dialog writes the index of the
  # saver picked in it.
  sed $'s/^mode:.*/mode:\t\tone/' "$home/.xscreensaver" >"$KIT_TMP/one"
  cat "$KIT_TMP/one" >"$home/.xscreensaver"
  # Its entries, one a line, each line ending in \n\ (a long one is wrapped
  # onto a line that ends in a backslash alone).
  local count last
  count=$(programs_list "$home/.xscreensaver" | grep -c '\\n\\$')
  last=$(programs_list "$home/.xscreensaver" | grep '\\n\\$' | tail -1 | command_of)
  note "the dialog's list holds $count entries, the last $last"
  select_runs 1 "$(programs_list "$home/.xscreensaver" | sed -n 2p | command_of)"
  local reloads
  reloads=$(grep -c 'has changed, reloading' "$log" || true)
  run_enable
  check_eq "the dialog's file: exit status 0" 0 "$STATUS"
  select_runs "$((count + 1))" "korvanthel --root"
  check "the daemon reread the file by itself" test "$(grep -c 'has changed, reloading' "$log" || true)" -gt "$reloads"
  korvanthel_shown
  select_runs "$count" "$last"
  xscreensaver-command -deactivate >/dev/null
  settings_show settings-running-daemon.png
  selected() { sed -n 's/^selected:[[:space:]]*//p' "$home/.xscreensaver"; }
  picked() { [ "$(selected)" = "$count" ]; }
  wait_until "$PATIENCE" picked || true
  check_eq "the dialog picks Korvanthel at the daemon's index (selected: from 0)" "$count" "$(selected)"
  normal_ends
}

kit_cases "$@"
program=${2:?usage: enable.sh CASE PROGRAM}
[ "${1}" = new_file ] || [ "${1}" = running_daemon ] || kit_start
"case_$1"
kit_done
