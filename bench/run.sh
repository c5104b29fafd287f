#!/usr/bin/env bash
# Measures varnok.exe beside three reference watchers under Wine: idle CPU,
# how soon a change of the start page is asked about, peak memory and
# start-up time. Usage: bench/run.sh [varnok] [literal] [idle] [instant]
# (default: all four, in that order). VARNOK_EXE=path measures another
# build of Varnok instead of build/windows/app/varnok.exe. The first question
# after a fresh start is timed after BENCH_FIRST_IDLE seconds of quiet (3;
# 60 for the minute idle, a run of its own), BENCH_FIRST_STARTS starts each (8);
# BENCH_FIRST_ONLY=1 times only that.
set -euo pipefail
[ -z "${VARNOK_EXE:-}" ] || export VARNOK_EXE="$(realpath "$VARNOK_EXE")"
cd "$(dirname "$0")/.."

declare -A exe=(
    [varnok]=${VARNOK_EXE:-build/windows/app/varnok.exe}
    [literal]=build/windows/bench/ref_literal.exe
    [idle]=build/windows/bench/ref_idle.exe
    [instant]=build/windows/bench/ref_instant.exe
)
declare -A class=([varnok]=VarnokForm1 [literal]=BenchRefLiteral [idle]=BenchRefIdle [instant]=BenchRefInstant)
declare -A title=([varnok]="Varnok" [literal]="(a) literal" [idle]="(b) idle 1ms timer" [instant]="(c) instant")
driver=build/windows/bench/bench_driver.exe
reference="http://reference.example/"

if [ "${1:-}" != --in-wine ]; then
    started=$(date +%s.%N)
    rows=("$@")
    [ ${#rows[@]} -gt 0 ] || rows=(varnok literal idle instant)
    targets=(bench_driver question_cost)
    for r in "${rows[@]}"; do
        [ -n "${exe[$r]:-}" ] || { echo "run.sh: unknown program '$r' (varnok, literal, idle, instant)" >&2; exit 2; }
        [ "$r" = varnok ] && [ -n "${VARNOK_EXE:-}" ] && continue
        targets+=("$(basename "${exe[$r]}" .exe)")
    done
    cmake --preset windows >/dev/null
    # Only what is measured: a test mid-edit elsewhere must not stop the run.
    cmake --build --preset windows --target "${targets[@]}"
    # A group of its own, so that an interrupted run takes all its Wine processes and Xvfb with it.
    setsid scripts/with-wine.sh "$0" --in-wine "${rows[@]}" &
    child=$!
    trap 'kill -TERM -- "-$child" 2>/dev/null || true; wait "$child" || true; exit 130' INT TERM
    wait "$child"
    trap - INT TERM
    awk -v s="$started" -v e="$(date +%s.%N)" 'BEGIN { printf "total run time: %.0f s\n", e - s }'
    exit 0
fi
shift

work=$(mktemp -d "${TMPDIR:-/tmp}/varnok-bench.XXXXXX")
upid=""
cleanup() {
    [ -n "$upid" ] && kill -9 "$upid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

hz=$(getconf CLK_TCK)
winpath() { printf 'Z:%s' "$(realpath "$1")" | tr / '\\'; }
now() { date +%s.%N; }

# Another Wine prefix (a test run, say) may be running the same programs.
ours() { tr '\0' '\n' 2>/dev/null <"/proc/$1/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; }

# The Unix process whose command line starts with the program's name.
unix_pid() {
    local want=${1,,} p first
    for p in /proc/[0-9]*; do
        first=$(tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -n1) || continue
        case "${first,,}" in
            "$want" | "$want "* | *[/\\]"$want" | *[/\\]"$want "*) ours "${p#/proc/}" && { echo "${p#/proc/}"; return 0; } ;;
        esac
    done
    return 1
}

# The prefix's server, not a "wineserver -w" waiting on it.
server_pid() {
    local p args
    for p in /proc/[0-9]*; do
        args=$(tr '\0' ' ' 2>/dev/null <"$p/cmdline") || continue
        case "$args" in */wineserver*) ;; *) continue ;; esac
        case " $args " in *" -w "* | *" -k"*) continue ;; esac
        if ours "${p#/proc/}"; then echo "${p#/proc/}"; return 0; fi
    done
    return 1
}

# utime + stime in clock ticks; the name field may hold spaces, so count after ")".
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }

# Context switches of all the program's threads: each one is a wake-up.
switches() { cat "/proc/$1"/task/*/status 2>/dev/null | awk '/_ctxt_switches:/ { n += $2 } END { print n + 0 }'; }

field() { tr -d '\r' <"$2" | awk -v k="$1" '$1 == k { print $2 }'; }

declare -A r_cpu r_wake r_med r_p95 r_max r_det r_rss r_start r_first
idle_s=20 rounds=${BENCH_ROUNDS:-60}

measure() {
    local row=$1 path=${exe[$1]} cls=${class[$1]} spid a b ta tb wa wb
    echo "$(date +%T) measuring ${title[$row]}" >&2
    if ! wine "$driver" start "$(winpath "$path")" "$cls" "$reference" >"$work/start" 2>&1; then
        tr -d '\r' <"$work/start" >&2
        return 1
    fi
    upid=$(unix_pid "$(basename "$path")") || { echo "no Unix process for $path" >&2; return 1; }
    spid=$(server_pid) || { echo "no wineserver for $WINEPREFIX" >&2; return 1; }

    echo "  $(date +%T) idle CPU and wake-ups" >&2
    sleep 2
    a=$(($(ticks "$upid") + $(ticks "$spid"))) wa=$(switches "$upid") ta=$(now)
    sleep "$idle_s"
    b=$(($(ticks "$upid") + $(ticks "$spid"))) wb=$(switches "$upid") tb=$(now)
    r_cpu[$row]=$(awk -v d=$((b - a)) -v hz="$hz" -v s="$ta" -v e="$tb" 'BEGIN { printf "%.2f", 100 * d / hz / (e - s) }')
    r_wake[$row]=$(awk -v d=$((wb - wa)) -v s="$ta" -v e="$tb" 'BEGIN { printf "%.1f", d / (e - s) }')

    r_rss[$row]=$(rss "$upid")
    stop_program "$row"
    echo "  $(date +%T) settling" >&2
    timeout 60 wineserver -w
}

rss() { awk '/^VmHWM:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

stop_program() {
    wine "$driver" stop "${class[$1]}" >/dev/null 2>&1 || kill -9 "$upid" 2>/dev/null || true
    upid=""
}

# Start-up and latency in blocks that take turns between the programs, so
# that whatever else the machine does falls on each alike: a difference of a
# millisecond from the floor (c) shows through. Start-up is the median of one
# launch a block; peak RSS is taken after the questions.
latency_blocks() {
    local blocks=${BENCH_BLOCKS:-6} row blk per
    per=$(((rounds + blocks - 1) / blocks))
    for ((blk = 1; blk <= blocks; blk++)); do
        for row in "$@"; do
            echo "$(date +%T) ${title[$row]}, block $blk of $blocks" >&2
            if ! wine "$driver" start "$(winpath "${exe[$row]}")" "${class[$row]}" "$reference" >"$work/start" 2>&1; then
                tr -d '\r' <"$work/start" >&2
                continue
            fi
            field startup_ms "$work/start" >>"$work/starts.$row"
            upid=$(unix_pid "$(basename "${exe[$row]}")") || { echo "no Unix process for ${exe[$row]}" >&2; continue; }
            # (b) watches nothing: rounds of waiting 3 s in vain would prove only that.
            if [ "$row" = idle ]; then
                stop_program "$row"
                continue
            fi
            wine "$driver" latency "${class[$row]}" "$reference" "$per" >"$work/latency" 2>"$work/latency.err" || true
            tr -d '\r' <"$work/latency.err" | sed "s/^/  ${title[$row]}: /" >&2
            tr -d '\r' <"$work/latency" | awk '$1 == "samples_ms" { for (i = 2; i <= NF; i++) print $i }' >>"$work/samples.$row"
            n_rounds[$row]=$((${n_rounds[$row]:-0} + $(field rounds "$work/latency")))
            poll_ms=$(field poll_ms "$work/latency")
            r_rss[$row]=$(printf '%s\n%s\n' "${r_rss[$row]:-0}" "$(rss "$upid")" | sort -g | tail -n1)
            stop_program "$row"
        done
    done
    for row in "$@"; do
        [ -s "$work/starts.$row" ] && r_start[$row]=$(sort -g "$work/starts.$row" | awk '{ v[NR] = $1 } END { printf "%.1f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
        [ -s "$work/samples.$row" ] || continue
        r_det[$row]="$(wc -l <"$work/samples.$row")/${n_rounds[$row]}"
        # Median; p95 by nearest rank; max.
        read -r r_med[$row] r_p95[$row] r_max[$row] < <(sort -g "$work/samples.$row" | awk '{ v[NR] = $1 } END {
            m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            r = int((95 * NR + 99) / 100); if (r < 1) r = 1
            printf "%.1f %.1f %.1f\n", m, v[r], v[NR] }')
    done
}

# The first question after a fresh start and a quiet spell, what a user
# meets: warm questions in a row hide what the first one costs. Starts take
# turns between the watchers.
first_idle=${BENCH_FIRST_IDLE:-3}
first_questions() {
    local starts=${BENCH_FIRST_STARTS:-8} row i
    for ((i = 1; i <= starts; i++)); do
        for row in "$@"; do
            [ "$row" = idle ] && continue
            echo "$(date +%T) ${title[$row]}, first question $i of $starts after ${first_idle} s" >&2
            wine "$driver" start "$(winpath "${exe[$row]}")" "${class[$row]}" "$reference" >"$work/start" 2>&1 || continue
            upid=$(unix_pid "$(basename "${exe[$row]}")") || continue
            wine "$driver" latency "${class[$row]}" "$reference" 1 "$((first_idle * 1000))" >"$work/latency" 2>/dev/null || true
            tr -d '\r' <"$work/latency" | awk '$1 == "samples_ms" { for (i = 2; i <= NF; i++) print $i }' >>"$work/first.$row"
            stop_program "$row"
            timeout 60 wineserver -w
        done
    done
    for row in "$@"; do
        [ -s "$work/first.$row" ] || continue
        r_first[$row]=$(sort -g "$work/first.$row" | awk '{ v[NR] = $1 } END { printf "%.1f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
    done
}

declare -A n_rounds
if [ -z "${BENCH_FIRST_ONLY:-}" ]; then
    for row in "$@"; do measure "$row"; done
    latency_blocks "$@"
fi
first_questions "$@"

show() { [ -n "$1" ] && echo "$1" || echo "-"; }
echo
echo "machine: $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo), $(nproc) CPUs, $(wine --version 2>/dev/null), load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "idle CPU: program + its wineserver over $idle_s s, % of one core (1 clock tick = $(awk -v hz="$hz" -v s="$idle_s" 'BEGIN { printf "%.3f", 100 / hz / s }') %)"
echo "wake-ups: context switches of the program's threads over the same $idle_s s, per second"
echo "latency: write of a new value to the question being visible, $rounds changes answered No, in blocks taking turns with the other watchers (one poll of the windows: ${poll_ms:-?} ms)"
echo "peak RSS: VmHWM of the program's process, after its questions; start-up: launch to idle with its hidden main window, median of one launch a block"
echo "first question: a fresh start, ${first_idle} s of quiet, one write; median over ${BENCH_FIRST_STARTS:-8} starts taking turns"
echo
printf '%-20s %10s %9s %10s %10s %10s %9s %9s %11s %9s\n' program "idle CPU %" "wake-ups" "median ms" "p95 ms" "max ms" detected "RSS MiB" "start-up ms" "first ms"
for row in "$@"; do
    printf '%-20s %10s %9s %10s %10s %10s %9s %9s %11s %9s\n' "${title[$row]}" "$(show "${r_cpu[$row]:-}")" "$(show "${r_wake[$row]:-}")" \
        "$(show "${r_med[$row]:-}")" "$(show "${r_p95[$row]:-}")" "$(show "${r_max[$row]:-}")" \
        "$(show "${r_det[$row]:-}")" "$(show "${r_rss[$row]:-}")" "$(show "${r_start[$row]:-}")" "$(show "${r_first[$row]:-}")"
done

# name, operator, left value, right value
ratio() {
    if [ -z "$3" ] || [ -z "$4" ]; then printf '  %-44s %s\n' "$1" "-"; return; fi
    awk -v n="$1" -v op="$2" -v x="$3" -v y="$4" 'BEGIN {
        if (op == "-") printf "  %-44s %+.2f\n", n, x - y
        else if (y == 0) printf "  %-44s %s\n", n, "-"
        else printf "  %-44s %.2fx\n", n, x / y }'
}
echo
echo "Varnok against the references:"
ratio "idle CPU - (c), percentage points" - "${r_cpu[varnok]:-}" "${r_cpu[instant]:-}"
ratio "idle CPU / (a)" / "${r_cpu[varnok]:-}" "${r_cpu[literal]:-}"
ratio "wake-ups a second - (c)" - "${r_wake[varnok]:-}" "${r_wake[instant]:-}"
ratio "latency median - (c) median, ms" - "${r_med[varnok]:-}" "${r_med[instant]:-}"
ratio "latency max - (c) max, ms" - "${r_max[varnok]:-}" "${r_max[instant]:-}"
ratio "first question - (c), ms" - "${r_first[varnok]:-}" "${r_first[instant]:-}"
ratio "first question / (c)" / "${r_first[varnok]:-}" "${r_first[instant]:-}"
ratio "peak RSS / (b)" / "${r_rss[varnok]:-}" "${r_rss[idle]:-}"
ratio "start-up / (b)" / "${r_start[varnok]:-}" "${r_start[idle]:-}"
echo
echo "Varnok's own work before its box, each step alone (median of 201):"
wine build/windows/bench/question_cost.exe 2>/dev/null | tr -d '\r' | sed 's/^/  /' || echo "  -"
