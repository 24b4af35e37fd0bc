#!/usr/bin/env bash
# The installed layout, from `cmake --install` with DESTDIR and prefix /usr:
# the program where the daemon looks for screen savers, and its settings
# description with the name, label, GL flag, command, delay slider and
# frame-rate boolean the settings dialog reads.
#   install_layout.sh BUILD_TREE
set -euo pipefail
source "$(dirname "$0")/../kit/lib.sh"
kit_start
tree=$1
dest=$KIT_TMP/root

DESTDIR=$dest cmake --install "$tree" --prefix /usr --component x11 >/dev/null
program=$dest/usr/libexec/xscreensaver/korvanthel
xml=$dest/usr/share/xscreensaver/config/korvanthel.xml
[ -x "$program" ] || fail "no program at /usr/libexec/xscreensaver/korvanthel"
[ -f "$xml" ] || fail "no settings file at /usr/share/xscreensaver/config/korvanthel.xml"
found=$(cd "$dest" && find . -type f | sort | tr '\n' ' ')
[ "$found" = "./usr/libexec/xscreensaver/korvanthel ./usr/share/xscreensaver/config/korvanthel.xml " ] ||
  fail "installed files: $found"
"$program" -help | grep -q '^usage: korvanthel ' || fail "the installed program does not run"

# One attribute or element of the settings file, spaces collapsed.
flat=$(tr -s ' \n' '  ' <"$xml")
for want in '<screensaver name="korvanthel" _label="Korvanthel" gl="yes">' '<command arg="--root"/>' \
  'arg="--delay %"' 'default="10000"' '<boolean id="showfps" _label="Show frame rate" arg-set="--fps"/>' \
  '<_description>' '</screensaver>'; do
  [[ $flat == *"$want"* ]] || fail "settings file lacks $want"
done
# Every element that opens is closed (a rough well-formedness check).
opened=$(grep -o '<[a-z_][a-z_-]*' "$xml" | wc -l)
closed=$(($(grep -o '</[a-z_]' "$xml" | wc -l) + $(grep -o '/>' "$xml" | wc -l)))
[ "$opened" -eq "$closed" ] || fail "$opened elements open, $closed closed"
[ "$KIT_FAILED" -gt 0 ] || pass "installed layout as the daemon expects it"
kit_done
