#!/usr/bin/env bash
# The release zip and its checksums, opened as a user would open them:
#   dist.sh SOURCE_ROOT SHIPPED_PROGRAM SCRATCH
set -euo pipefail
root=$1 shipped=$2 scratch=$3
source "$(dirname "$0")/../kit/lib.sh"
KORV_SCRATCH=$scratch kit_start

version=$(cat "$root/VERSION")
zip_name=Korvanthel-$version-win32.zip
"$root/scripts/make-dist" "$scratch/first" "$shipped" >/dev/null
zip=$scratch/first/$zip_name
[ -f "$zip" ] || fail_now "$zip was not written"

members=$(unzip -Z1 "$zip" | tr '\n' ' ')
[ "$members" = "Korvanthel.exe Korvanthel.scr README.txt " ] || fail "members are: $members"

mkdir "$scratch/unpacked"
unzip -q "$zip" -d "$scratch/unpacked"
for program in Korvanthel.exe Korvanthel.scr; do
  cmp -s "$scratch/unpacked/$program" "$shipped" || fail "$program in the zip is not the shipped program"
done

readme=$scratch/unpacked/README.txt
lines=$(wc -l < "$readme")
crlf=$(grep -c $'\r$' "$readme" || true)
[ "$lines" -gt 20 ] && [ "$crlf" -eq "$lines" ] || fail "README.txt: $crlf of $lines lines end in CR LF"
[ "$(tail -c 2 "$readme" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "README.txt does not end with CR LF"
for words in "Korvanthel screen saver, version $version" "Run Korvanthel.exe: double-click it" \
             "Windows Vista and later, Windows now asks" "Allow it" "Only that copy runs with those rights" \
             "the user who started Korvanthel.exe" "Use \"Run as administrator\"" "only where" \
             "Windows does not ask in step 4" "sets the administrator's screen saver, not" \
             "Copy Korvanthel.scr into your Windows directory" "choose \"Install\"" \
             "delete" "Korvanthel.Scr from your Windows directory" "SCRNSAVE.EXE" \
             'HKEY_CURRENT_USER\Control Panel\Desktop' "Exactly these things" "$zip_name" \
             "ScreenSaveActive, set to 1" "ScreenSaveTimeOut, set to 600" "10 minutes" "a wait that you chose is kept" \
             "unknown publisher" "First compare the" "\"More info\", then \"Run anyway\""; do
  grep -qF -- "$words" "$readme" || fail "README.txt does not say: $words"
done
if grep -qiE 'cmake|debian|wine|mingw|build|git|@VERSION@' "$readme"; then
  fail "README.txt talks of how it was built: $(grep -iE 'cmake|debian|wine|mingw|build|git|@VERSION@' "$readme" | head -1)"
fi

(cd "$scratch/first" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
grep -q "  $zip_name\$" "$scratch/first/SHA256SUMS" || fail "SHA256SUMS does not list $zip_name"

# A second release of the same program, later and elsewhere: the same bytes.
sleep 1
"$root/scripts/make-dist" "$scratch/second" "$shipped" >/dev/null
cmp -s "$zip" "$scratch/second/$zip_name" || fail "a second release gives another zip"
cmp -s "$scratch/first/SHA256SUMS" "$scratch/second/SHA256SUMS" || fail "a second release gives other checksums"

# Further packages are released beside the zip and listed with it.
echo "a package" > "$scratch/korvanthel_test_amd64.deb"
"$root/scripts/make-dist" "$scratch/third" "$shipped" "$scratch/korvanthel_test_amd64.deb" >/dev/null
[ "$(wc -l < "$scratch/third/SHA256SUMS")" -eq 2 ] || fail "SHA256SUMS does not list the package"
(cd "$scratch/third" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS with a package does not match"

[ "$KIT_FAILED" -gt 0 ] || pass "the release zip holds the shipped program and the read-me; checksums match"
kit_done
