#!/bin/bash
# A quiet run (/S) of the uninstaller, start to exit status, on a staged
# product of FILES files against the same run of another build of it (an
# earlier commit's), each round on two identical installations:
#   bench_quiet.sh WORKDIR OURS_BIN OTHER_BIN [FILES]   (inside run-test.sh --sandbox)
# OURS_BIN and OTHER_BIN are build folders' bin/. Alternates which goes
# first, one warm-up round and ROUNDS (default 5) measured ones; prints the
# medians and the median of the per-round ratios. Each run must end with 0
# and leave nothing of the install folder. BENCH_VERBOSE prints each round.
set -u
work=$1
ours=$2
other=$3
files=${4:-100000}
rounds=${ROUNDS:-5}
[ -n "${UNINSTALLER_TEST_SANDBOX:-}" ] || { echo "bench_quiet.sh: refusing to run outside the sandbox"; exit 1; }
. "$(dirname "$0")/../tests/e2e/window-lib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export LANG=en_US.UTF-8

# stage ROOT BIN: the product under ROOT, its HOME and XDG_DATA_HOME there
# too, the install folder holding FILES small files in folders of 1000.
stage() {
    local root=$1 bin=$2 install folder i
    rm -rf "$root" && mkdir -p "$root/home" "$root/data" || return 1
    HOME=$root/home XDG_DATA_HOME=$root/data stage_product "$root" "$bin" 0 1 >/dev/null || return 1
    install=$root/programs/$product_name_en
    for ((folder = 1; folder <= files / 1000; folder++)); do
        mkdir -p "$install/d$folder" || return 1
        for ((i = 1; i <= 1000; i++)); do
            printf 'file %d/%d\n' "$folder" "$i" >"$install/d$folder/f$i.dat"
        done
    done
}

# run ROOT: milliseconds of one quiet run, or "fail".
run() {
    local root=$1 start status
    start=$(date +%s%N)
    HOME=$root/home XDG_DATA_HOME=$root/data TMPDIR=$root \
        "$root/app/uninstaller" /S >/dev/null 2>"$root/stderr"
    status=$?
    local elapsed=$((($(date +%s%N) - start) / 1000000))
    if [ "$status" -ne 0 ] || [ -e "$root/programs/$product_name_en" ]; then
        echo "run in $root: status $status, install folder $(ls -d "$root/programs/$product_name_en" 2>/dev/null)" >&2
        echo fail
        return
    fi
    echo "$elapsed"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

declare -a our_ms other_ms ratio
for ((round = 0; round <= rounds; round++)); do
    stage "$work/ours" "$ours" && stage "$work/other" "$other" || { echo "staging failed" >&2; exit 1; }
    sync
    if ((round % 2)); then
        t=$(run "$work/other")
        o=$(run "$work/ours")
    else
        o=$(run "$work/ours")
        t=$(run "$work/other")
    fi
    [ -n "${BENCH_VERBOSE:-}" ] && echo "  round $round: ours $o ms, other $t ms" >&2
    [ "$o" = fail ] || [ "$t" = fail ] && exit 1
    ((round == 0)) && continue
    our_ms+=("$o")
    other_ms+=("$t")
    ratio+=("$(awk -v a="$o" -v b="$t" 'BEGIN {print a / b}')")
done
rm -rf "$work/ours" "$work/other"
printf 'quiet run (/S), %d files: ours %s ms, other build %s ms, ratio %.2f (median of %d)\n' "$files" \
    "$(printf '%s\n' "${our_ms[@]}" | median)" "$(printf '%s\n' "${other_ms[@]}" | median)" \
    "$(printf '%s\n' "${ratio[@]}" | median)" "$rounds"
