#!/usr/bin/env bash
# Keys typed into the window reach the game: the player steps with a digit,
# an arrow key and a keypad digit; "f" then Enter tries to shoot without
# arrows; "q" then "6" tries a chaos bolt without magic.
. "$(dirname "$0")/lib.sh"

with_font
start_game
wait_window
eventually 20 first_frame || fail "no first frame within 20 s"
player_at 30 20 || fail "the player does not start at (30, 20)"

# A key typed while the monsters move is dropped, so each key waits for the
# one before it to show.
press 6
eventually 10 player_at 31 20 || fail "\"6\" did not step the player east to (31, 20)"
pass "\"6\" steps east"
press Right
eventually 10 player_at 32 20 || fail "the right arrow did not step the player to (32, 20)"
pass "right arrow steps east"
press KP_8
eventually 10 player_at 32 21 || fail "keypad 8 did not step the player north to (32, 21)"
pass "keypad 8 steps north"
press Up
eventually 10 player_at 32 22 || fail "the up arrow did not step the player north to (32, 22)"
pass "up arrow steps north"

no_arrows() { shows_text 0 0 "You don't have any arrows."; }
press f
sleep 0.3
press Return
eventually 10 no_arrows || fail "\"f\" then Enter did not say \"You don't have any arrows.\""
pass "shooting without arrows is refused"

# Every command key clears the message lines first.
lines_clear() { [ "$(count 0 0 720 36 lit)" = 0 ]; }
no_magic() { shows_text 0 0 "You don't have enough magic."; }
press q
eventually 10 lines_clear || fail "\"q\" did not clear the message lines"
press 6
eventually 10 no_magic || fail "\"q\" then \"6\" did not say \"You don't have enough magic.\""
pass "a chaos bolt without magic is refused"
player_at 32 22 || fail "the refused bolt moved the player"

press x
eventually 10 lines_clear || fail "\"x\" did not clear the message lines"
press a
eventually 10 no_magic || fail "\"a\" did not say \"You don't have enough magic.\""
pass "chaos death without magic is refused"

close_window
game_exit 10
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS after closing"
