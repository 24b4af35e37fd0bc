#!/usr/bin/env bash
# Benchmark: the time from a key press to the saver's window being gone, with
# no password set, over RUNS runs (default 100), for the program reported as
# the NT family and as Windows 98 (password off: the close asks
# verify_password, which finds no verifier). Prints figures; asserts nothing.
#   bench/password/run.sh [WINDOWS_TREE] [RUNS]
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tree=$(cd "${1:-$root/build/win64}" && pwd)
runs=${2:-100}
export KORV_WINE_ARCH=${KORV_WINE_ARCH:-x86_64}
export KORV_WINEPREFIX=$tree/wineprefix-bench
bench=$tree/bench/password/close_latency.exe
[ -f "$bench" ] && [ -f "$tree/Korvanthel.scr" ] || { echo "build $tree first" >&2; exit 1; }
work=$tree/bench/password/work
rm -rf "$work"; mkdir -p "$work"
cp "$tree/Korvanthel.scr" "$work/KorvNT.scr"
cp "$tree/Korvanthel.scr" "$work/Korv98.scr"
"$root/scripts/test-session" start >/dev/null || exit 1
trap '"$root/scripts/test-session" stop' EXIT
wine() { "$root/scripts/wine-run" "$@" </dev/null; }
wine reg add 'HKCU\Software\Wine\AppDefaults\Korv98.scr' /v Version /d win98 /f >/dev/null 2>&1
wine reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1
cd "$work"
echo "== NT family"
wine "$bench" KorvNT.scr "$runs" | tr -d '\r'
echo "== Windows 98, no password"
wine "$bench" Korv98.scr "$runs" | tr -d '\r'
