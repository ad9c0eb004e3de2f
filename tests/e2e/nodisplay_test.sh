#!/usr/bin/env bash
# Without a display to show the window on, the game does not run unseen: it
# writes why to err.txt and standard error and exits with 1 at once.
. "$(dirname "$0")/lib.sh"

with_font
nowhere=
for n in $(seq 900 999); do
    if ! xdpyinfo -display ":$n" >/dev/null 2>&1; then nowhere=:$n; break; fi
done
[ -n "$nowhere" ] || fail "no free display number to point the game at"

(cd "$RUN" && exec env -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR DISPLAY="$nowhere" "$VELL" \
    >"$RUN/stdout" 2>"$RUN/stderr") &
GAME_PID=$!
game_exit 20
[ "$GAME_STATUS" = timeout ] && fail "the game ran on for 20 s without a display"
[ "$GAME_STATUS" = 1 ] || fail "exit status $GAME_STATUS, not 1"
pass "exit status 1"

head -2 "$RUN/err.txt" | cmp -s - <(printf 'Failure to register window class.\nError code 0:\n') ||
    fail "err.txt holds '$(cat -A "$RUN/err.txt")'"
[ "$(tail -c 2 "$RUN/err.txt" | od -An -c | tr -d ' ')" = '\n\n' ] ||
    fail "err.txt does not end with the system's text and a line break"
pass "err.txt names the failed step"
grep -q 'Failure to register window class' "$RUN/stderr" || fail "standard error does not show the failure"
pass "standard error shows the failure"
