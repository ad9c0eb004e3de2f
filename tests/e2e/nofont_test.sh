#!/usr/bin/env bash
# With no font.bmp in the working directory nor beside the executable, the
# window still opens, err.txt holds exactly the reason, and the exit code
# is 1.
. "$(dirname "$0")/lib.sh"

# A copy of the game in a directory of its own, without the sheet beside it.
mkdir -p "$WORK/bin"
cp "$VELL" "$WORK/bin/vell"
VELL=$WORK/bin/vell
[ ! -e "$RUN/font.bmp" ] || fail "the run directory has a font.bmp"

# The window lives only a moment; watch the screen's top-level windows being
# mapped instead of looking for it.
XEV_PID=
EXTRA_CLEANUP='kill $XEV_PID 2>/dev/null'
for _ in 1 2 3 4 5; do
    xev -root -event substructure >"$WORK/xev.log" 2>&1 &
    XEV_PID=$!
    sleep 0.5
    kill -0 "$XEV_PID" 2>/dev/null && break
done
kill -0 "$XEV_PID" 2>/dev/null || fail "xev could not watch the screen"

start_game
run_to_end 30
[ "$GAME_STATUS" = timeout ] && fail "the game did not end within 30 s"
[ "$GAME_STATUS" = 1 ] || fail "exit status $GAME_STATUS, not 1"
pass "exit status 1"

[ -f "$RUN/err.txt" ] || fail "no err.txt"
printf 'Fatal error: unable to load font\n' | cmp -s - "$RUN/err.txt" ||
    fail "err.txt holds '$(cat -A "$RUN/err.txt")'"
pass "err.txt holds the reason"
grep -qx 'Fatal error: unable to load font' "$RUN/stderr" || fail "the reason was not shown on standard error"
pass "standard error shows the reason"

sleep 0.3
grep -q MapNotify "$WORK/xev.log" || fail "no window was shown"
pass "the window opened"
