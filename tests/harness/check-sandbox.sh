#!/bin/bash
# Run by run-test.sh --sandbox: fails unless the sandbox holds.
set -u
root=${UNINSTALLER_TEST_SANDBOX:?not in the sandbox}
failed=0
check() { # check DESCRIPTION COMMAND... : the command must succeed
    if "${@:2}" 2>/dev/null; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi
}
check "the folder is writable" touch "$root/inside-probe"
check "HOME lies inside it" test -w "$HOME" -a "${HOME#"$root"/}" != "$HOME"
check "a write next to it fails" sh -c "! touch '$root/../outside-probe'"
check "a write to / fails" sh -c "! touch /outside-probe"
check "this is the only process tree" sh -c "test \"\$(ls -d /proc/[0-9]* | wc -l)\" -lt 10"
for proc in /proc/[0-9]*; do
    [ -d "$proc/root$root" ] || continue
    check "no write through $proc/root" sh -c "! touch '$proc/root$root/../outside-probe'"
done
exit $failed
