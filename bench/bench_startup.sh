#!/bin/bash
# Start-up to the first window on screen, and peak resident memory by then,
# of the uninstaller against the reference dialog. Run under Xvfb:
#   xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" bench/bench_startup.sh REFERENCE [OURS [ARGS...]]
# Alternates the two programs, one warm-up round and ROUNDS (default 21)
# measured ones; prints the medians and the median ratio. BENCH_VERBOSE
# prints each round's figures; BENCH_LABEL is added to the figures' names.
set -u
label=${BENCH_LABEL:-}
. "$(dirname "$0")/../tests/harness/x11.sh"
export QT_QPA_PLATFORM=xcb
rounds=${ROUNDS:-21}
reference=$1
shift
ours=("$@")

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# measure PROGRAM [ARGS...]: "milliseconds peak_kB" to its first window.
measure() {
    local start pid elapsed peak
    start=$(now_ms)
    "$@" >/dev/null 2>"${TMPDIR:-/tmp}/bench_startup.err" &
    pid=$!
    if ! wait_for_window "$pid" 30 >/dev/null; then
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        echo "status $?: $(tr '\n' ' ' < "${TMPDIR:-/tmp}/bench_startup.err")" >&2
        echo "fail"
        return
    fi
    elapsed=$(($(now_ms) - start))
    peak=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo "$elapsed $peak"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

declare -a ref_ms ref_kb our_ms our_kb time_ratio mem_ratio
for ((round = 0; round <= rounds; round++)); do
    if ((round % 2)) || [ ${#ours[@]} -eq 0 ]; then
        r=$(measure "$reference")
        [ ${#ours[@]} -gt 0 ] && o=$(measure "${ours[@]}")
    else
        o=$(measure "${ours[@]}")
        r=$(measure "$reference")
    fi
    [ -n "${BENCH_VERBOSE:-}" ] && echo "  round $round: ours ${o:-} reference $r (ms kB)" >&2
    ((round == 0)) && continue
    [ "$r" = fail ] && { echo "start-up: the reference showed no window" >&2; exit 1; }
    ref_ms+=("${r% *}")
    ref_kb+=("${r#* }")
    if [ ${#ours[@]} -gt 0 ]; then
        [ "$o" = fail ] && { echo "start-up: ours showed no window" >&2; exit 1; }
        our_ms+=("${o% *}")
        our_kb+=("${o#* }")
        time_ratio+=("$(awk -v a="${o% *}" -v b="${r% *}" 'BEGIN {print a / b}')")
        mem_ratio+=("$(awk -v a="${o#* }" -v b="${r#* }" 'BEGIN {print a / b}')")
    fi
done

rm=$(printf '%s\n' "${ref_ms[@]}" | median)
rk=$(printf '%s\n' "${ref_kb[@]}" | median)
if [ ${#ours[@]} -eq 0 ]; then
    printf 'start-up to first window: ours not built yet, reference %s ms (median of %d)\n' "$rm" "$rounds"
    printf 'peak memory to first window: ours not built yet, reference %s kB (median of %d)\n' "$rk" "$rounds"
    exit 0
fi
om=$(printf '%s\n' "${our_ms[@]}" | median)
ok=$(printf '%s\n' "${our_kb[@]}" | median)
tr=$(printf '%s\n' "${time_ratio[@]}" | median)
mr=$(printf '%s\n' "${mem_ratio[@]}" | median)
printf 'start-up to first window%s: ours %s ms, reference %s ms, ratio %.2f (median of %d)\n' "$label" "$om" "$rm" "$tr" "$rounds"
printf 'peak memory to first window%s: ours %s kB, reference %s kB, ratio %.2f (median of %d)\n' "$label" "$ok" "$rk" "$mr" "$rounds"
