#!/usr/bin/env bash
# The Debian packages as Debian builds and checks them: the source package
# and the binary packages built by dpkg-buildpackage from a scratch copy of
# the tracked files (scripts/build-deb), with DEB_BUILD_OPTIONS="nocheck
# parallel=2". Then: exactly the package korvanthel and the transitional
# package of its old name, korvanthel-x11 (the debug symbols apart, holding
# those of the installed program); lintian on the packages, the debug
# symbols and the source package reports no error and no warning (its notes
# are shown) and none of the notes of a program built without Debian's
# flags; hardening-check finds the five hardening features of Debian's
# flags in the installed program; the installed layout (install_layout.sh
# deb) is the build's install rules' plus Debian's two files; the package
# depends on the libraries of both roads and only suggests the daemons, and
# takes the old name's place, whose package holds nothing but its
# documentation and depends on it; the changelog's latest version is the
# release's; the manual page renders without a warning, is what `man
# korvanthel` finds, and describes every option of the program's usage line,
# the line for the daemon's programs list and the idle daemons' lines; and
# the scene's description of docs/scene.txt stands in the package's
# description, the settings file and README.md.
#   package.sh SOURCE_ROOT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../kit/lib.sh"
kit_start
root=$1
scratch=$KIT_TMP
version=$(cat "$root/VERSION")
arch=$(dpkg --print-architecture)

if ! DEB_BUILD_OPTIONS="nocheck parallel=2" "$root/scripts/build-deb" "$scratch/deb" -us -uc \
  >"$scratch/build.log" 2>&1; then
  tail -40 "$scratch/build.log" >&2
  fail_now "dpkg-buildpackage could not build the packages (log: $scratch/build.log)"
fi
deb=$scratch/deb/korvanthel_${version}_$arch.deb
transitional=$scratch/deb/korvanthel-x11_${version}_all.deb
dbgsym=$scratch/deb/debug/korvanthel-dbgsym_${version}_$arch.deb
dsc=$scratch/deb/source/korvanthel_$version.dsc
check_eq "the package and the transitional one beside the debug symbols" "$transitional $deb" \
  "$(echo "$scratch"/deb/*.deb)"
for file in "$dbgsym" "$dsc"; do [ -f "$file" ] || fail_now "no $(basename "$file") was built"; done

# lintian fails on its errors and warnings; its root-user notice goes aside.
if ! lintian --fail-on error,warning --display-info --pedantic --display-experimental "$deb" "$transitional" "$dbgsym" "$dsc" \
  >"$scratch/lintian.txt" 2>"$scratch/lintian.err"; then
  cat "$scratch/lintian.txt" "$scratch/lintian.err" >&2
  fail "lintian: errors or warnings"
fi
sed 's/^/lintian: /' "$scratch/lintian.txt"
for tag in hardening-no-bindnow hardening-no-fortify-functions hardening-no-relro hardening-no-pie \
  binary-has-unneeded-section; do
  if grep -qw -- "$tag" "$scratch/lintian.txt"; then fail "lintian: $tag"; fi
done

dpkg-deb -x "$deb" "$scratch/root"
program=$scratch/root/usr/bin/korvanthel
hardening-check "$program" >"$scratch/hardening.txt" 2>&1 || true
sed 's/^/hardening-check: /' "$scratch/hardening.txt"
for feature in "Position Independent Executable" "Stack protected" "Fortify Source functions" \
  "Read-only relocations" "Immediate binding"; do
  grep -q "^ $feature: yes" "$scratch/hardening.txt" || fail "hardening-check: $feature is not yes"
done
build_id=$(readelf -n "$program" | sed -n 's/^ *Build ID: //p')
grep -q "/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug$" <<<"$(dpkg-deb -c "$dbgsym")" ||
  fail "the debug symbols are not those of the program (build id $build_id)"

layout=$(KORV_SCRATCH=$scratch/layout "$here/install_layout.sh" deb "$deb" "$(echo "$scratch"/deb/source/korvanthel-*/obj-*)" 2>&1) ||
  fail "install_layout.sh deb" "$layout"
sed 's/^/install_layout: /' <<<"$layout"

# The dependencies: the libraries of both roads, from the program itself;
# neither road's daemon is installed with it.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libx11-6 libwayland-client0 libwayland-egl1 libegl1 libxkbcommon0; do
  [[ $depends == *"$library"* ]] || fail "the package does not depend on $library: $depends"
done
[[ $depends != *xscreensaver* && $depends != *swayidle* ]] || fail "the package depends on a daemon: $depends"
[ -z "$(dpkg-deb -f "$deb" Recommends)" ] || fail "the package recommends $(dpkg-deb -f "$deb" Recommends)"
for daemon in xscreensaver swayidle; do
  [[ $(dpkg-deb -f "$deb" Suggests) == *"$daemon"* ]] || fail "the package does not suggest $daemon"
done
# The rename: korvanthel takes the place of korvanthel-x11, whose
# transitional package depends on it and holds only its documentation.
for field in Breaks Replaces; do
  [ "$(dpkg-deb -f "$deb" "$field")" = "korvanthel-x11 (<< $version)" ] ||
    fail "the package's $field is '$(dpkg-deb -f "$deb" "$field")'"
done
[ "$(dpkg-deb -f "$transitional" Depends)" = "korvanthel (>= $version)" ] ||
  fail "the transitional package depends on '$(dpkg-deb -f "$transitional" Depends)'"
[ "$(dpkg-deb -f "$transitional" Section)" = oldlibs ] || fail "the transitional package is not in oldlibs"
others=$(dpkg-deb -c "$transitional" | awk '{print $6}' | grep -v '^\./usr/share/doc/korvanthel-x11/' | grep -v '/$' || true)
[ -z "$others" ] || fail "the transitional package holds more than its documentation: $others"

logged=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
[ "$logged" = "$version" ] || fail "debian/changelog's latest entry is $logged, the release is $version"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"

warnings=$(MANWIDTH=80 man --warnings -l "$root/linux/korvanthel.6x" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "linux/korvanthel.6x: $warnings"

# The manual page as installed: what `man korvanthel` shows.
export MANPATH=$scratch/root/usr/share/man MANWIDTH=80
[ "$(man -w korvanthel)" = "$MANPATH/man6/korvanthel.6x.gz" ] || fail "man korvanthel finds $(man -w korvanthel)"
page=$(man --warnings korvanthel 2>"$scratch/man.err")
[ ! -s "$scratch/man.err" ] || fail "man korvanthel: $(cat "$scratch/man.err")"
usage=$("$program" -help)
options=$(grep -o '\[-[a-z-]*' <<<"$usage" | tr -d '[')
[ -n "$options" ] || fail "no options in the usage line: $usage"
for option in $options; do
  grep -qE -- "^ +$option( |$)" <<<"$page" || fail "the manual page does not describe $option"
done
for words in 'GL: /usr/libexec/xscreensaver/korvanthel --root \n\' SIGTERM 'EXIT STATUS' XSCREENSAVER_WINDOW \
  WAYLAND_DISPLAY "exec swayidle -w timeout 600 'korvanthel -overlay &'" 'on-timeout = korvanthel -overlay' \
  "swayidle timeout 600 'korvanthel -overlay &'" GNOME; do
  grep -qF -- "$words" <<<"$page" || fail "the manual page does not say: $words"
done

# The one text of the scene, its lines joined, as it stands in each place.
joined() { tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }
scene=$(joined <"$root/docs/scene.txt")
[ -n "$scene" ] || fail_now "docs/scene.txt is empty"
described=$(dpkg-deb -f "$deb" Description | joined)
[[ $described == *"$scene"* ]] || fail "the package's description lacks the scene's text: $described"
for words in "X11 with the xscreensaver daemon" "Wayland with an idle daemon"; do
  [[ $described == *"$words"* ]] || fail "the package's description does not say: $words"
done
settings=$(joined <"$scratch/root/usr/share/xscreensaver/config/korvanthel.xml")
[[ $settings == *"<_description> $scene"* ]] || fail "the settings description lacks the scene's text"
[[ $(joined <"$root/README.md") == *"$scene"* ]] || fail "README.md lacks the scene's text"

[ "$KIT_FAILED" -gt 0 ] ||
  pass "$(basename "$deb") and $(basename "$transitional"): built by dpkg-buildpackage, lintian-clean with their source, hardened, renamed as Debian renames, changelog $logged, manual page for $(wc -w <<<"$options") options and both roads, the scene's one description"
kit_done
