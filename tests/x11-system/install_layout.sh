#!/usr/bin/env bash
# The installed layout: the program on PATH and a link to it where the
# daemon looks for screen savers, its settings description with the name,
# label, GL flag, command, delay slider and frame-rate boolean the settings
# dialog reads, its manual page where Debian's screen savers keep theirs,
# and the command that adds it to a user's list (korvanthel-enable) with its
# page.
#   install_layout.sh cmake BUILD_TREE
#       what CMake's install rules install (`cmake --install` with DESTDIR and
#       prefix /usr): those files, and for every program in /usr/bin its
#       manual page (section 1 for a command, 6x for the screen saver), the
#       pages uncompressed; nothing that
#       debhelper adds to the package (the copyright file, the changelog,
#       compressed pages), so that no file comes from both
#   install_layout.sh deb PACKAGE BUILD_TREE
#       what the package installs: exactly what the build tree's install
#       rules install, its manual pages compressed, and the copyright file
#       (in Debian's format) and the changelog, compressed as Debian wants
#       them (gzip -9, no name or time stamp)
set -euo pipefail
source "$(dirname "$0")/../kit/lib.sh"
kit_start
mode=$1
case $mode in
cmake) tree=$2 ;;
deb) package=$2 tree=$3 ;;
*) fail_now "usage: install_layout.sh cmake BUILD_TREE | deb PACKAGE BUILD_TREE" ;;
esac
doc=usr/share/doc/korvanthel

# The files under a folder, one per line, sorted, without the folder.
files_under() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | sort); }

DESTDIR=$KIT_TMP/cmake cmake --install "$tree" --prefix /usr >/dev/null
installed=$(files_under "$KIT_TMP/cmake")
if [ "$mode" = cmake ]; then
  dest=$KIT_TMP/cmake
  for want in usr/bin/korvanthel usr/libexec/xscreensaver/korvanthel usr/share/xscreensaver/config/korvanthel.xml \
    usr/share/man/man6/korvanthel.6x usr/bin/korvanthel-enable usr/share/man/man1/korvanthel-enable.1; do
    grep -qxF "$want" <<<"$installed" || fail "CMake does not install /$want"
  done
  while read -r file; do
    case $file in
    usr/libexec/xscreensaver/korvanthel | usr/share/xscreensaver/config/korvanthel.xml | usr/share/man/man6/korvanthel.6x) ;;
    usr/bin/*)
      name=${file#usr/bin/}
      grep -qxE "usr/share/man/(man1/$name\.1|man6/$name\.6x)" <<<"$installed" ||
        fail "/$file has no manual page /usr/share/man/man1/$name.1 (or man6/$name.6x)"
      ;;
    usr/share/man/man1/*.1)
      name=$(basename "$file" .1)
      grep -qxF "usr/bin/$name" <<<"$installed" || fail "/$file is the manual page of no program in /usr/bin"
      ;;
    *) fail "CMake also installs /$file (the package adds the copyright, the changelog and compresses pages)" ;;
    esac
  done <<<"$installed"
else
  dest=$KIT_TMP/root
  dpkg-deb -x "$package" "$dest"
  want=$( (sed -E 's|^(usr/share/man/man[0-9]/.*)$|\1.gz|' <<<"$installed"
    echo "$doc/copyright"
    echo "$doc/changelog.gz") | sort)
  found=$(files_under "$dest")
  [ "$found" = "$want" ] ||
    fail "the package's files are not CMake's and the two of Debian" "$(diff <(echo "$want") <(echo "$found") | grep '^[<>]' | tr '\n' ' ')"
  for gzipped in $(grep '\.gz$' <<<"$found"); do
    # gzip's header: no file name (flags byte 0), no time stamp (bytes 4 to
    # 7), and the best compression (extra flags 2).
    header=$(od -An -tx1 -N9 "$dest/$gzipped" | tr -d ' ')
    [ "${header:6:2}" = 00 ] && [ "${header:8:8}" = 00000000 ] || fail "$gzipped keeps a name or time stamp"
    [ "${header:16:2}" = 02 ] || fail "$gzipped is not compressed with -9"
    gzip -t "$dest/$gzipped" || fail "$gzipped is not gzip"
  done
  grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$dest/$doc/copyright" ||
    fail "the copyright file is not in Debian's format"
fi

program=$dest/usr/bin/korvanthel
xml=$dest/usr/share/xscreensaver/config/korvanthel.xml
page=$dest/usr/share/man/man6/korvanthel.6x
[ "$mode" = cmake ] || page+=.gz
[ -x "$program" ] && [ ! -L "$program" ] || fail_now "no program at /usr/bin/korvanthel"
[ "$(readlink "$dest/usr/libexec/xscreensaver/korvanthel")" = ../../bin/korvanthel ] ||
  fail "/usr/libexec/xscreensaver/korvanthel is not a relative link to /usr/bin/korvanthel"
[ -f "$xml" ] || fail_now "no settings file at /usr/share/xscreensaver/config/korvanthel.xml"
zcat -f "$page" | head -1 | grep -q '^\.TH KORVANTHEL 6x ' || fail "${page#"$dest"} is not the manual page for section 6x"
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
[ "$KIT_FAILED" -gt 0 ] || pass "installed layout of the $mode install as the daemon expects it: $(wc -l <<<"$installed") files from CMake"
kit_done
