#!/usr/bin/env bash
# Closing the window (the close request a window manager sends) ends the
# game with exit code 0 at once, while the logic thread waits for a key and
# while the targeting cursor holds it; the command line is echoed on start.
. "$(dirname "$0")/lib.sh"

with_font

# close_within SECONDS: closes the window and checks the game ends with 0.
close_within() {
    local start=$SECONDS
    close_window
    game_exit "$1"
    [ "$GAME_STATUS" = timeout ] && fail "still running $1 s after the close request"
    [ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS after closing"
    pass "closed with exit status 0 in about $((SECONDS - start)) s"
}

start_game "$RUN" alpha beta
wait_window
eventually 20 first_frame || fail "no first frame within 20 s"
close_within 5
[ "$(cat "$RUN/stdout")" = "alpha beta" ] || fail "command line echoed as '$(cat "$RUN/stdout")'"
[ "$(wc -l <"$RUN/stdout")" = 1 ] || fail "the echo is not one line"
pass "command line echoed"
[ -f "$RUN/err.txt" ] && [ ! -s "$RUN/err.txt" ] || fail "err.txt missing or not empty after a clean game"
pass "err.txt created empty"

# "f" opens the targeting cursor: the logic thread is held for a second key
# when the close comes.
start_game
wait_window
eventually 20 first_frame || fail "no first frame within 20 s (second run)"
press f
cursor_shown() { [ "$(count 240 264 8 12 yellow)" -gt 0 ]; }
eventually 10 cursor_shown || fail "\"f\" did not show the targeting cursor over the player"
pass "targeting cursor shown"
close_within 5
