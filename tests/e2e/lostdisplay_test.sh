#!/usr/bin/env bash
# When the display goes away under a running game (the X server ends), the
# game ends too, with exit code 1, instead of hanging on its own threads.
. "$(dirname "$0")/lib.sh"

with_font
# A display of the test's own, to pull away.
XVFB_PID=
EXTRA_CLEANUP='kill $XVFB_PID 2>/dev/null'
for n in $(seq 700 799); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    break
done
[ -n "$XVFB_PID" ] || fail "no free display number"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xtry xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY did not start"

start_game
wait_window
eventually 20 first_frame || fail "no first frame within 20 s"
pass "running on $DISPLAY"

kill "$XVFB_PID"
wait "$XVFB_PID" 2>/dev/null
XVFB_PID=
start=$SECONDS
game_exit 10
[ "$GAME_STATUS" = timeout ] && fail "the game still runs 10 s after its display went away"
[ "$GAME_STATUS" = 1 ] || fail "exit status $GAME_STATUS, not 1"
pass "ended with exit status 1 in about $((SECONDS - start)) s"
