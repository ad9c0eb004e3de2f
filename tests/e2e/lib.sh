# Shared by the end-to-end tests: runs the real game in a real window on the
# X display in $DISPLAY (Xvfb with Mesa's software OpenGL under
# tools/check.sh), takes screenshots and reads them with e2e_probe.
#
# Sourced by a test with the game binary as $1. Each test runs the game in a
# fresh temporary working directory; everything is bounded in time. A test
# without a display exits 77, which CTest reports as skipped.

set -uo pipefail

VELL=$(readlink -f "${1:?usage: $0 path/to/vell}")
PROBE=${VELL_E2E_PROBE:?VELL_E2E_PROBE must name the e2e_probe binary}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
FONT=$ROOT/data/font.bmp
export LIBGL_ALWAYS_SOFTWARE=1

if [ -z "${DISPLAY:-}" ]; then
    echo "SKIPPED: no X display (tools/check.sh starts one)"
    exit 77
fi
if ! xdpyinfo >/dev/null 2>&1; then
    echo "FAIL: display $DISPLAY does not answer"
    exit 1
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vell-e2e.XXXXXX")
RUN=$WORK/run
mkdir -p "$RUN"
GAME_PID=
WIN=
SHOT=$WORK/shot.ppm
FAILED=0

cleanup() {
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
    fi
    if [ "$FAILED" = 0 ]; then
        rm -rf "$WORK"
    else
        [ -f "$SHOT" ] && convert "$SHOT" "$WORK/last-shot.png" 2>/dev/null
        echo "kept for inspection: $WORK"
    fi
}
trap cleanup EXIT

fail() {
    FAILED=1
    echo "FAIL: $*"
    for f in stdout stderr err.txt; do
        [ -s "$RUN/$f" ] && { echo "--- $f:"; head -c 2000 "$RUN/$f"; }
    done
    exit 1
}

pass() { echo "ok: $*"; }

# start_game [DIR [ARGS...]]: the game in DIR (default: the run directory,
# with font.bmp copied in), output kept in that directory.
with_font() { cp "$FONT" "$RUN/font.bmp"; }

start_game() {
    local dir=${1:-$RUN}
    shift || true
    (cd "$dir" && exec "$VELL" "$@" >"$RUN/stdout" 2>"$RUN/stderr") &
    GAME_PID=$!
}

# game_exit TIMEOUT: waits up to TIMEOUT seconds for the game to end, then
# sets GAME_STATUS to its exit code ("timeout" if it did not end).
game_exit() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$GAME_PID" 2>/dev/null; do
        if [ $SECONDS -ge $deadline ]; then
            GAME_STATUS=timeout
            return
        fi
        sleep 0.05
    done
    wait "$GAME_PID"
    GAME_STATUS=$?
    GAME_PID=
}

# wait_window: the game's window, shown, in WIN (fails after 30 s).
wait_window() {
    local deadline=$((SECONDS + 30))
    while [ $SECONDS -lt $deadline ]; do
        WIN=$(timeout 10 xdotool search --onlyvisible --name '^Vell$' 2>/dev/null | head -1)
        [ -n "$WIN" ] && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before its window showed"
        sleep 0.1
    done
    fail "no window titled Vell within 30 s"
}

shot() {
    timeout 20 import -window "$WIN" -depth 8 "$SHOT" 2>/dev/null || fail "screenshot of window $WIN failed"
}

# eventually TIMEOUT CHECK [ARGS...]: screenshots until CHECK succeeds on one.
eventually() {
    local deadline=$((SECONDS + $1))
    shift
    while :; do
        shot
        "$@" && return 0
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.2
    done
}

count() { "$PROBE" count "$SHOT" "$@"; }
shows_text() { "$PROBE" text "$SHOT" "$1" "$2" "$FONT" "$3" 2>/dev/null; }
player_at() { "$PROBE" find "$SHOT" "$FONT" 1 | grep -qx "$1 $2"; }

# The first frame is up once the status rows (the bottom 24 pixel rows) show
# the start of "Health:".
first_frame() { shows_text 0 516 "Health:"; }

# press KEY...: types keys into the window (X keysym names) through the
# keyboard, as a player would; there is no window manager, so the window is
# given the focus first.
press() {
    timeout 10 xdotool windowfocus --sync "$WIN" 2>/dev/null || timeout 10 xdotool windowfocus "$WIN"
    timeout 10 xdotool key --clearmodifiers "$@" || fail "xdotool could not type $*"
}
