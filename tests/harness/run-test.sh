#!/bin/bash
# Runs one test program with a private HOME, XDG_* folders and TMPDIR inside
# a fresh temporary folder, so that no test sees or touches the real ones.
#
#   run-test.sh [--sandbox] [--root DIR] [--] program [args...]
#
# --root DIR uses the existing folder DIR (absolute) instead of a fresh one
# and leaves it in place afterwards: for a build tree whose runs write into it.
#
# --sandbox is for every test that really removes files. The program then runs
# in a private mount namespace in which every mount point but the temporary
# folder is read-only, and it is not started at all unless a write outside the
# folder fails. A guard broken by a future change then fails a test instead of
# wiping the machine: these tests run as root.
set -u

if [ "${1:-}" = "--inside" ]; then
    # Second stage, inside the new mount namespace.
    shift
    root=$1
    real_home=$2
    shift 2
    [ "${1:-}" = "--" ] && shift

    mount --make-rprivate / || exit 97
    mount --bind "$root" "$root" || exit 97
    # Every other mount point read-only. In a user namespace a remount must
    # keep the flags the mount already has, so retry with those.
    awk '{print $5, $6}' /proc/self/mountinfo | sort -u | while read -r point options; do
        [ "$point" = "$root" ] && continue
        point=$(printf '%b' "$point") # mountinfo escapes blanks as \040
        if ! mount -o remount,bind,ro "$point" 2>/dev/null; then
            keep=$(echo "$options" | tr , '\n' | grep -xE 'nosuid|nodev|noexec|noatime|nodiratime|relatime' | paste -sd, -)
            mount -o "remount,bind,ro${keep:+,$keep}" "$point" 2>/dev/null || true
        fi
    done

    # Refuse to run unless every mount but the folder is read-only: the last
    # entry for a mount point is the one on top, the only one a path reaches.
    writable=$(awk -v root="$root" '
        { point = $5; options[point] = $6 }
        END { for (point in options) if (point != root && options[point] !~ /(^|,)ro(,|$)/) print point }
    ' /proc/self/mountinfo)
    if [ -n "$writable" ]; then
        echo "run-test.sh: refusing to run: still writable in the sandbox: $writable" >&2
        exit 99
    fi
    # And check by writing, inside and out.
    probe=".uninstaller-sandbox-probe.$$"
    if ! touch "$root/$probe" 2>/dev/null; then
        echo "run-test.sh: the sandbox folder $root is not writable" >&2
        exit 98
    fi
    rm -f "$root/$probe"
    for outside in / "$(dirname "$root")" "$real_home" "$PWD" /tmp /var/tmp /dev/shm /root /home /etc; do
        [ -d "$outside" ] || continue
        case "$outside/" in "$root"/*) continue ;; esac
        if touch "$outside/$probe" 2>/dev/null; then
            rm -f "$outside/$probe"
            echo "run-test.sh: refusing to run: $outside is still writable in the sandbox" >&2
            exit 99
        fi
    done

    export UNINSTALLER_TEST_SANDBOX="$root"
    cd "$root" || exit 97
    exec "$@"
fi

sandbox=0
if [ "${1:-}" = "--sandbox" ]; then
    sandbox=1
    shift
fi
given_root=
if [ "${1:-}" = "--root" ]; then
    given_root=${2:-}
    shift 2
fi
[ "${1:-}" = "--" ] && shift
[ $# -ge 1 ] || { echo "usage: run-test.sh [--sandbox] [--root DIR] [--] program [args...]" >&2; exit 2; }

real_home=${HOME:-/root}
# The program by its absolute path: the test runs from the temporary folder.
program=$1
shift
case "$program" in
*/*) program=$(cd "$(dirname "$program")" && pwd -P)/$(basename "$program") ;;
esac

if [ -n "$given_root" ]; then
    case "$given_root" in
    /?*/?*) ;;
    *) echo "run-test.sh: --root needs an absolute folder two levels down, not '$given_root'" >&2; exit 2 ;;
    esac
    root=$(cd "$given_root" && pwd -P) || exit 97
    real=$(cd "$real_home" 2>/dev/null && pwd -P)
    case "$real/" in
    "$root"/*) echo "run-test.sh: --root '$root' holds the home folder" >&2; exit 2 ;;
    esac
else
    root=$(mktemp -d "${TMPDIR:-/tmp}/uninstaller-test.XXXXXX") || exit 97
    root=$(cd "$root" && pwd -P) || exit 97
    case "$root" in
    /?*/uninstaller-test.??????) ;;
    *) echo "run-test.sh: unexpected temporary folder '$root'" >&2; exit 97 ;;
    esac
    cleanup() {
        # Tests may leave read-only folders behind; give write access back first.
        chmod -R u+rwX "$root" 2>/dev/null
        rm -rf --one-file-system -- "$root"
    }
    trap cleanup EXIT
fi

mkdir -p "$root/home" "$root/data" "$root/config" "$root/cache" "$root/runtime" "$root/tmp"
chmod 700 "$root/runtime"
export HOME="$root/home"
export XDG_DATA_HOME="$root/data"
export XDG_CONFIG_HOME="$root/config"
export XDG_CACHE_HOME="$root/cache"
export XDG_RUNTIME_DIR="$root/runtime"
export TMPDIR="$root/tmp"
export UNINSTALLER_TEST_ROOT="$root"

if [ $sandbox -eq 1 ]; then
    # A PID namespace with its own /proc too: through /proc/<pid>/root of a
    # process outside, a path would reach the machine's file system unchanged.
    namespaces=(--mount --propagation private --pid --fork --mount-proc)
    [ "$(id -u)" -eq 0 ] || namespaces=(--map-root-user "${namespaces[@]}")
    unshare "${namespaces[@]}" -- bash "$0" --inside "$root" "$real_home" -- "$program" "$@"
    exit $?
fi

cd "$root" && "$program" "$@"
