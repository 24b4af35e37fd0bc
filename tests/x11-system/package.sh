#!/usr/bin/env bash
# The Debian package as Debian's rules want it, built by CPack from the native
# tree into a scratch folder: lintian reports no error and no warning (its
# informational notes are shown), the changelog's latest version is the
# release's, and the manual page renders without a warning, is what
# `man korvanthel` finds, and describes every option of the program's usage
# line and the line for the daemon's programs list. The scene's description
# of docs/scene.txt stands in the package's description, the settings file
# and README.md.
#   package.sh SOURCE_ROOT BUILD_TREE
set -euo pipefail
source "$(dirname "$0")/../kit/lib.sh"
kit_start
root=$1 tree=$2
scratch=$KIT_TMP

if ! cpack --config "$tree/CPackConfig.cmake" -G DEB -B "$scratch/deb" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  fail_now "cpack could not build the package"
fi
deb=$(echo "$scratch"/deb/*.deb)
[ -f "$deb" ] || fail_now "cpack wrote no package"

# lintian fails on its errors and warnings; its root-user notice goes aside.
if ! lintian --fail-on error,warning --display-info --pedantic --display-experimental "$deb" \
  >"$scratch/lintian.txt" 2>"$scratch/lintian.err"; then
  cat "$scratch/lintian.txt" "$scratch/lintian.err" >&2
  fail "lintian: errors or warnings on $(basename "$deb")"
fi
sed 's/^/lintian: /' "$scratch/lintian.txt"

version=$(cat "$root/VERSION")
logged=$(dpkg-parsechangelog -l "$root/x11/debian/changelog" -S Version)
[ "$logged" = "$version" ] || fail "x11/debian/changelog's latest entry is $logged, the release is $version"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"

warnings=$(MANWIDTH=80 man --warnings -l "$root/x11/korvanthel.6x" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "x11/korvanthel.6x: $warnings"

# The manual page as installed: what `man korvanthel` shows.
dpkg-deb -x "$deb" "$scratch/root"
export MANPATH=$scratch/root/usr/share/man MANWIDTH=80
[ "$(man -w korvanthel)" = "$MANPATH/man6/korvanthel.6x.gz" ] || fail "man korvanthel finds $(man -w korvanthel)"
page=$(man --warnings korvanthel 2>"$scratch/man.err")
[ ! -s "$scratch/man.err" ] || fail "man korvanthel: $(cat "$scratch/man.err")"
program=$scratch/root/usr/libexec/xscreensaver/korvanthel
usage=$("$program" -help)
options=$(grep -o '\[-[a-z-]*' <<<"$usage" | tr -d '[')
[ -n "$options" ] || fail "no options in the usage line: $usage"
for option in $options; do
  grep -qE -- "^ +$option( |$)" <<<"$page" || fail "the manual page does not describe $option"
done
for words in 'GL: /usr/libexec/xscreensaver/korvanthel --root \n\' SIGTERM 'EXIT STATUS' XSCREENSAVER_WINDOW; do
  grep -qF -- "$words" <<<"$page" || fail "the manual page does not say: $words"
done

# The one text of the scene, its lines joined, as it stands in each place.
joined() { tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }
scene=$(joined <"$root/docs/scene.txt")
[ -n "$scene" ] || fail_now "docs/scene.txt is empty"
described=$(dpkg-deb -f "$deb" Description | joined)
[[ $described == *"$scene"* ]] || fail "the package's description lacks the scene's text: $described"
settings=$(joined <"$scratch/root/usr/share/xscreensaver/config/korvanthel.xml")
[[ $settings == *"<_description> $scene"* ]] || fail "the settings description lacks the scene's text"
[[ $(joined <"$root/README.md") == *"$scene"* ]] || fail "README.md lacks the scene's text"

[ "$KIT_FAILED" -gt 0 ] ||
  pass "$(basename "$deb"): lintian-clean, changelog $logged, manual page for $(wc -w <<<"$options") options, the scene's one description"
kit_done
