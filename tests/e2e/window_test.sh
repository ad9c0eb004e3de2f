#!/usr/bin/env bash
# The game's window: titled "Vell", a 720 x 540 client area, and a first
# frame with the player's glyph at its start cell, a map of grass and the
# status lines.
. "$(dirname "$0")/lib.sh"

with_font
start_game
wait_window

read -r width height < <(xtry timeout 10 xwininfo -id "$WIN" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
[ "$width" = 720 ] && [ "$height" = 540 ] || fail "client area is ${width} x ${height}, not 720 x 540"
pass "window Vell with a 720 x 540 client area"

eventually 20 first_frame || fail "no status lines within 20 s"
pass "status line reads Health:"
shows_text 0 528 "Gold:" || fail "lower status line does not start with Gold:"
pass "lower status line reads Gold:"

# Cell (30, 20): pixel columns 240..247, rows 540 - (12 * 20 + 24) - 12 = 264
# from the top; white glyph 1.
player_at 30 20 || fail "the player's glyph is not at cell (30, 20)"
pass "player's glyph at (30, 20)"
[ "$("$PROBE" find "$SHOT" "$FONT" 1 | wc -l)" = 1 ] || fail "the player's glyph shows more than once"
[ "$(count 240 264 8 12 yellow)" = 0 ] || fail "a targeting cursor shows before any key"

# Grass covers most of the map area (rows 36..515); each grass glyph lights
# a few green pixels, so thousands of them show.
green=$(count 0 36 720 480 green)
[ "$green" -gt 3000 ] || fail "only $green green pixels on the map"
pass "$green green pixels on the map"

# Nothing has been said yet: the message lines are black.
lit=$(count 0 0 720 36 lit)
[ "$lit" = 0 ] || fail "$lit lit pixels in the message lines before any key"
pass "message lines empty"

close_window
game_exit 10
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS after closing"
