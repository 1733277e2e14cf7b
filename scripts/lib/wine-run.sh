#!/bin/bash
# The CMAKE_CROSSCOMPILING_EMULATOR of the Windows build under scripts/test-windows:
# runs a test program under Wine, in the prefix and sandbox that script set up.
#   wine-run.sh PROGRAM.exe [args...]
# QtTest on Windows writes its results to the debugger when stdout is not a
# console, so a QtTest program writes them to a file, shown afterwards.
# FERROVANE_WINE_ROOT is the folder that drive D: maps (Z:, the whole file
# system, is gone): a path below it becomes D:\...
set -u
program=$1
shift
wine=$(command -v wine) || { echo "wine-run.sh: no wine" >&2; exit 127; }
root=${FERROVANE_WINE_ROOT:?}

windows_path() {
    local path=$1
    case "$path" in
    "$root"/*) path=${path#"$root"}; printf 'D:%s\n' "${path//\//\\}" ;;
    *) return 1 ;;
    esac
}

# One server for the prefix: Debian's Wine finds it below TMPDIR, which CTest
# points elsewhere for the tests.
[ -z "${FERROVANE_WINE_TMPDIR:-}" ] || export TMPDIR=$FERROVANE_WINE_TMPDIR

case "$(basename "$program")" in
tst_*.exe)
    log=$(mktemp "${TMPDIR:-/tmp}/qtest.XXXXXX") || exit 97
    target=$(windows_path "$log") || { echo "wine-run.sh: $log is outside D:" >&2; exit 97; }
    "$wine" "$program" "$@" -o "$target,txt"
    status=$?
    tr -d '\r' <"$log"
    rm -f "$log"
    exit $status
    ;;
*)
    exec "$wine" "$program" "$@"
    ;;
esac
