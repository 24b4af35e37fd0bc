#!/usr/bin/env bash
# The installed layout, from `cmake --install` with DESTDIR and prefix /usr:
# the program where the daemon looks for screen savers, its settings
# description with the name, label, GL flag, command, delay slider and
# frame-rate boolean the settings dialog reads, its manual page where
# Debian's screen savers keep theirs, and the copyright file and changelog,
# compressed as Debian wants them (gzip -9, no name or time stamp).
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
want="./usr/libexec/xscreensaver/korvanthel ./usr/share/doc/korvanthel-x11/changelog.gz"
want+=" ./usr/share/doc/korvanthel-x11/copyright ./usr/share/man/man6/korvanthel.6x.gz"
want+=" ./usr/share/xscreensaver/config/korvanthel.xml "
[ "$found" = "$want" ] || fail "installed files: $found"
for gzipped in usr/share/man/man6/korvanthel.6x.gz usr/share/doc/korvanthel-x11/changelog.gz; do
  # gzip's header: no file name (flags byte 0), no time stamp (bytes 4 to
  # 7), and the best compression (extra flags 2).
  header=$(od -An -tx1 -N9 "$dest/$gzipped" | tr -d ' ')
  [ "${header:6:2}" = 00 ] && [ "${header:8:8}" = 00000000 ] || fail "$gzipped keeps a name or time stamp"
  [ "${header:16:2}" = 02 ] || fail "$gzipped is not compressed with -9"
  gzip -t "$dest/$gzipped" || fail "$gzipped is not gzip"
done
zcat "$dest/usr/share/man/man6/korvanthel.6x.gz" | head -1 | grep -q '^\.TH KORVANTHEL 6x ' ||
  fail "korvanthel.6x.gz is not the manual page for section 6x"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$dest/usr/share/doc/korvanthel-x11/copyright" || fail "the copyright file is not in Debian's format"
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
