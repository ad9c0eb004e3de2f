# Shared by the end-to-end tests: runs the real game in a real window on the
# X display in $DISPLAY (Xvfb with Mesa's software OpenGL under
# tools/check.sh), takes screenshots and reads them with e2e_probe.
#
# Sourced by a test with the game binary as $1. Each test runs the game in a
# fresh temporary working directory; everything is bounded in time. A test
# without a display exits 77, which CTest reports as skipped.
#
# Xvfb in a busy container now and then refuses a new connection (about one
# in a hundred, "resource temporarily unavailable"). Every X client here is
# therefore tried again a few times, and a game that could not reach the
# display at all (its err.txt says so) is started again; a refusal is never
# taken for a fault of the game.

set -uo pipefail

VELL=$(readlink -f "${1:?usage: $0 path/to/vell}")
PROBE=${VELL_E2E_PROBE:?VELL_E2E_PROBE must name the e2e_probe binary}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
FONT=$ROOT/data/font.bmp
export LIBGL_ALWAYS_SOFTWARE=1

# xtry CMD...: CMD, tried up to five times while it fails.
xtry() {
    local i
    for i in 1 2 3 4 5; do
        "$@" && return 0
        sleep 0.3
    done
    return 1
}

if [ -z "${DISPLAY:-}" ]; then
    echo "SKIPPED: no X display (tools/check.sh starts one)"
    exit 77
fi
if ! xtry xdpyinfo >/dev/null 2>&1; then
    echo "FAIL: display $DISPLAY does not answer"
    exit 1
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vell-e2e.XXXXXX")
RUN=$WORK/run
mkdir -p "$RUN"
GAME_PID=
GAME_DIR=
GAME_ARGS=()
STARTS=0
WIN=
SHOT=$WORK/shot.ppm
FAILED=0
EXTRA_CLEANUP=:

cleanup() {
    eval "$EXTRA_CLEANUP"
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill "$GAME_PID" 2>/dev/null
        for _ in $(seq 30); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$GAME_PID" 2>/dev/null
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

with_font() { cp "$FONT" "$RUN/font.bmp"; }

# start_game [DIR [ARGS...]]: the game in DIR (default: the run directory),
# its output in the run directory.
start_game() {
    GAME_DIR=${1:-$RUN}
    shift || true
    GAME_ARGS=("$@")
    STARTS=0
    launch
}

launch() {
    STARTS=$((STARTS + 1))
    rm -f "$GAME_DIR/err.txt"
    (cd "$GAME_DIR" && exec "$VELL" "${GAME_ARGS[@]}" >"$RUN/stdout" 2>"$RUN/stderr") &
    GAME_PID=$!
}

# True when the game ended because a step of making its window failed (the
# display refused a connection); a real fault fails again on every try.
refused_by_display() {
    head -1 "$GAME_DIR/err.txt" 2>/dev/null | grep -q '^Failure to .*\.$'
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

# run_to_end TIMEOUT: for a game expected to end by itself; starts it again
# when the display refused it.
run_to_end() {
    while :; do
        game_exit "$1"
        [ "$GAME_STATUS" != timeout ] && refused_by_display && [ $STARTS -lt 3 ] || return 0
        echo "note: the display refused the game's connection; starting it again"
        launch
    done
}

# wait_window: the game's window, shown, in WIN (fails after 30 s).
wait_window() {
    local deadline=$((SECONDS + 30))
    while [ $SECONDS -lt $deadline ]; do
        WIN=$(timeout 10 xdotool search --onlyvisible --name '^Vell$' 2>/dev/null | head -1)
        [ -n "$WIN" ] && return 0
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            game_exit 1
            if refused_by_display && [ $STARTS -lt 3 ]; then
                echo "note: the display refused the game's connection; starting it again"
                launch
            else
                fail "the game ended (status $GAME_STATUS) before its window showed"
            fi
        fi
        sleep 0.1
    done
    fail "no window titled Vell within 30 s"
}

shot() {
    xtry timeout 20 import -window "$WIN" -depth 8 "$SHOT" 2>/dev/null ||
        fail "screenshot of window $WIN failed"
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
    xtry timeout 10 xdotool windowfocus --sync "$WIN" 2>/dev/null ||
        xtry timeout 10 xdotool windowfocus "$WIN" || fail "could not focus the window"
    xtry timeout 10 xdotool key --clearmodifiers "$@" || fail "xdotool could not type $*"
}

# close_window: the close request a window manager sends for its close button.
close_window() { xtry "$PROBE" close "$WIN" || fail "could not send the close request"; }
