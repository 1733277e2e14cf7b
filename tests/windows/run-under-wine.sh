#!/bin/bash
# Runs a Windows test program under Wine inside the sandbox of
# tests/harness/run-test.sh --sandbox, in a prefix made there:
#
#   tests/harness/run-test.sh --sandbox -- tests/windows/run-under-wine.sh wine wineserver program.exe
#
# Wine's server performs the removals the program asks for, so it runs in the
# sandbox too (its socket lives under TMPDIR, which is inside). The prefix has
# no drive mapped outside itself: no Z: for "/", no user folders linked to
# HOME. The program runs from C:\test.
set -u
[ $# -eq 3 ] || { echo "usage: run-under-wine.sh wine wineserver program.exe" >&2; exit 2; }
[ -n "${UNINSTALLER_TEST_SANDBOX:-}" ] ||
    { echo "run-under-wine.sh: only inside run-test.sh --sandbox" >&2; exit 2; }
wine=$1
wineserver=$2
program=$3

export WINEPREFIX=$UNINSTALLER_TEST_SANDBOX/wineprefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko download prompts, no window system.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

"$wine" wineboot -i >"$UNINSTALLER_TEST_SANDBOX/wineboot.log" 2>&1 ||
    { cat "$UNINSTALLER_TEST_SANDBOX/wineboot.log"; echo "run-under-wine.sh: wineboot failed" >&2; exit 1; }
"$wineserver" -w

# Every drive but C: goes, and every link in the profiles becomes a folder.
for drive in "$WINEPREFIX"/dosdevices/*; do
    case "$(basename "$drive")" in
    c:) ;;
    *) rm -f -- "$drive" ;;
    esac
done
find "$WINEPREFIX/drive_c/users" -type l | while read -r link; do
    rm -f -- "$link" && mkdir -p -- "$link"
done
prefix=$(cd "$WINEPREFIX" && pwd -P)
find "$WINEPREFIX" -type l | while read -r link; do
    case "$(readlink -f -- "$link")" in
    "$prefix"/*) ;;
    *) echo "$link" ;;
    esac
done >"$UNINSTALLER_TEST_SANDBOX/outside-links"
[ ! -s "$UNINSTALLER_TEST_SANDBOX/outside-links" ] ||
    { echo "run-under-wine.sh: links out of the prefix:" >&2; cat "$UNINSTALLER_TEST_SANDBOX/outside-links" >&2; exit 1; }

mkdir -p "$WINEPREFIX/drive_c/test"
cp -- "$program" "$WINEPREFIX/drive_c/test/"
cd "$WINEPREFIX/drive_c/test" || exit 1
status=0
timeout 300 "$wine" "./$(basename "$program")" || status=$?
# The server saves the registry and ends before the namespace goes.
timeout 30 "$wineserver" -w || "$wineserver" -k
exit $status
