#!/usr/bin/env bash
# What the game costs while nobody presses a key, against the floor of an
# empty window of the same size, OpenGL set-up and pacing (bench/floor.cpp),
# under Xvfb with Mesa's software OpenGL. Builds the floor program, the
# first-frame watcher and the game, then runs the floor and each game in
# turn, ROUNDS times, and prints for each: CPU time of the process
# (utime + stime from /proc) as a share of one core over SECONDS of steady
# state (after SETTLE seconds of start-up), its resident memory, and its time
# from exec to its first frame; then the means and their ratios to the floor.
#
#   bench/idle.sh [-n ROUNDS] [-t SECONDS] [-s SETTLE] [GAME...]
#
# GAME defaults to the game built in build/; name other builds to compare.
# The machine's other load shows in the figures: interleaving and rounds
# spread it over all programs alike.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
rounds=3 seconds=20 settle=5
while getopts n:t:s: option; do
    case $option in
    n) rounds=$OPTARG ;;
    t) seconds=$OPTARG ;;
    s) settle=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))

build=$root/build
cmake -S "$root" -B "$build" -DVELL_WITH_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target vell vell_floor vell_firstframe >/dev/null
floor=$build/bench/vell_floor
watcher=$build/bench/vell_firstframe
games=()
for game in "$@"; do games+=("$(realpath "$game")"); done
[ ${#games[@]} -gt 0 ] || games=("$build/vell")

display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
running=
work=$(mktemp -d)
cleanup() {
    [ -n "$running" ] && kill "$running" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done

ticks=$(getconf CLK_TCK)
cpuTicks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# measure LABEL TITLE PROGRAM [ARG]: one run, one line "LABEL cpu% rssMB startup_ms".
measure() {
    local label=$1 title=$2 program=$3 dir pid startup t0 t1 rss
    shift 3
    dir=$(mktemp -d "$work/run.XXXX")
    "$watcher" "$title" 20000 >"$dir/first" &
    local watching=$!
    (cd "$dir" && exec "$program" "$@" >/dev/null 2>&1) &
    pid=$! running=$pid
    wait "$watching" || { echo "$label: no first frame" >&2; exit 1; }
    startup=$(cat "$dir/first")
    sleep "$settle"
    t0=$(cpuTicks "$pid")
    sleep "$seconds"
    t1=$(cpuTicks "$pid")
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    running=
    awk -v l="$label" -v d=$((t1 - t0)) -v hz="$ticks" -v s="$seconds" -v r="$rss" -v f="$startup" \
        'BEGIN { printf "%-40s %7.2f %8.1f %8d\n", l, 100 * d / hz / s, r / 1024, f }'
}

printf '%-40s %7s %8s %8s\n' program "CPU%" "RSS MB" "first ms"
for round in $(seq "$rounds"); do
    measure floor "Vell floor" "$floor"
    measure floor+quad "Vell floor" "$floor" quad
    for game in "${games[@]}"; do
        measure "$game" Vell "$game"
    done
done | tee "$work/runs"

echo
echo "means over $rounds rounds of ${seconds} s, and ratios to the empty floor (x floor)"
echo "and to the floor that draws one quad (x quad):"
awk '
    { n[$1]++; cpu[$1] += $2; rss[$1] += $3; first[$1] += $4; if (!($1 in seen)) { seen[$1] = 1; order[++k] = $1 } }
    END {
        f = "floor"; q = "floor+quad"
        for (i = 1; i <= k; ++i) {
            p = order[i]
            c = cpu[p] / n[p]; m = rss[p] / n[p]; s = first[p] / n[p]
            printf "%-40s CPU %6.2f %%  RSS %6.1f MB  first frame %6.0f ms", p, c, m, s
            if (p != f)
                printf "   x floor: CPU %.2f  RSS %.2f  first frame %.2f", c / (cpu[f] / n[f]), m / (rss[f] / n[f]), s / (first[f] / n[f])
            if (p != f && p != q && n[q])
                printf "   x quad: RSS %.2f  first frame %.2f", m / (rss[q] / n[q]), s / (first[q] / n[q])
            printf "\n"
        }
    }' "$work/runs"
