#!/usr/bin/env bash
# The real game in a real window on $DISPLAY, a desktop with a window manager (Xvfb and
# openbox under tools/check.sh): no display and no font.bmp end it with 1 and the reason
# in err.txt and on standard error; a game echoes its command line, opens a 720 x 540
# window, shows its first frame, takes keys from the keyboard and ends with 0 when the
# window manager closes it, even while the targeting cursor holds it; a display that goes
# away ends it with 1. The Debian package: CPack builds it, lintian finds no error in it
# and its desktop entry is valid; unpacked into a bare root, the game started from / by a
# user who cannot write there shows its window, of the class the desktop entry names
# (StartupWMClass), and closes with 0. Exit 77 (skipped) without a display and its window
# manager. Xvfb now and then refuses a connection, so X clients are tried a few times.
set -uo pipefail
VELL=$(readlink -f "${1:?usage: $0 path/to/vell}")
FONT=$(cd "$(dirname "$0")/../../data" && pwd)/font.bmp
[ -n "${DISPLAY:-}" ] && wmctrl -m >/dev/null 2>&1 || { echo "SKIPPED: no window manager"; exit 77; }
export LIBGL_ALWAYS_SOFTWARE=1
RUN=$(mktemp -d "${TMPDIR:-/tmp}/vell-e2e.XXXXXX") PID= XPID= WIN= AS=() CWD=
trap 'kill $PID $XPID 2>/dev/null; rm -rf "$RUN"' EXIT
GAME=$RUN/vell && cp "$VELL" "$GAME" # no font.bmp beside it until one is put there
fail() { echo "FAIL: $*"; head -c 2000 "$RUN"/err.txt "$RUN"/stderr 2>/dev/null; exit 1; }
xtry() { for _ in 1 2 3 4 5; do "$@" && return 0; sleep 0.3; done; return 1; }
start() { (cd "${CWD:-$RUN}" && exec "${AS[@]}" "$GAME" "$@" >"$RUN/stdout" 2>"$RUN/stderr") & PID=$!; }
ended() { # ended SECONDS STATUS: the game ends within SECONDS with STATUS
    for _ in $(seq $(($1 * 20))); do kill -0 $PID 2>/dev/null || break; sleep 0.05; done
    kill -0 $PID 2>/dev/null && fail "still running $1 s on"
    wait $PID; local s=$?; PID=; [ $s = "$2" ] || fail "exit status $s, not $2"
}
shot() { xtry timeout 20 import -window "$WIN" -depth 8 "$RUN/shot.ppm" 2>/dev/null || fail "no screenshot"; }
shows() { # the cells from pixel X, Y (top-left origin) are lit exactly where STR's glyphs are not magenta
    local i c g=()
    for ((i = 0; i < ${#3}; i++)); do
        printf -v c %d "'${3:i:1}"; g+=("(" "$FONT" -crop 8x12+$((c % 16 * 8))+$((c / 16 * 12)) +repage ")")
    done
    [ "$(convert "${g[@]}" +append -fx 'r > 0.99 && g < 0.01 && b > 0.99 ? 0 : 1' "(" "$RUN/shot.ppm" \
        -crop $((8 * ${#3}))x12+$1+$2 +repage -fx 'max(r, max(g, b)) >= 32 / 255' ")" \
        -compose difference -composite -format '%[fx:maxima]' info:)" = 0 ]
}
at() { shows $(($1 * 8)) $((504 - 12 * $2)) $'\x01'; }       # the player's glyph on map cell x, y
until_() { for _ in $(seq 50); do shot; "$@" && return 0; sleep 0.2; done; return 1; }
press() { xtry timeout 10 xdotool windowfocus --sync "$WIN" && xtry timeout 10 xdotool key "$@" || fail "cannot type $*"; }
window() {
    for _ in $(seq 300); do
        WIN=$(timeout 10 xdotool search --onlyvisible --name '^Vell$' 2>/dev/null | head -1)
        [ -n "$WIN" ] && until_ shows 0 516 "Health:" && return 0
        kill -0 $PID 2>/dev/null || { wait $PID; start "$@"; } # refused by the display: again
        sleep 0.1
    done
    fail "no window with a first frame"
}

DISPLAY=:$((900 + RANDOM % 99)) start; ended 20 1
head -2 "$RUN/err.txt" | cmp -s - <(printf 'Failure to register window class.\nError code 0:\n') || fail "no display"
grep -q 'Failure to register window class' "$RUN/stderr" || fail "no display: nothing on standard error"
start; ended 30 1
[ "$(cat "$RUN/err.txt")" = "Fatal error: unable to load font" ] || fail "no font.bmp"
grep -qx 'Fatal error: unable to load font' "$RUN/stderr" && grep -qx 'font.bmp was looked for at:' "$RUN/stderr" ||
    fail "no font.bmp: nothing on standard error"

cp "$FONT" "$RUN/"; start alpha beta; window alpha beta
read -r w h < <(xtry timeout 10 xwininfo -id "$WIN" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
[ "$w x $h" = "720 x 540" ] || fail "client area $w x $h"
until_ eval 'shows 0 528 "Gold:" && at 30 20' || fail "first frame"
# A key typed while the monsters move is dropped: each waits for the one before to show.
for step in "6 31 20" "Right 32 20" "KP_8 32 21" "Up 32 22"; do
    set -- $step; press "$1"; until_ at "$2" "$3" || fail "$1 did not step to ($2, $3)"
done
press f; sleep 0.3; xtry wmctrl -i -c "$WIN"; ended 5 0
[ "$(cat "$RUN/stdout")" = "alpha beta" ] && [ ! -s "$RUN/err.txt" ] || fail "echo or err.txt"

(cd "$RUN" && cpack -G DEB --config "$(dirname "$VELL")/CPackConfig.cmake" -B "$RUN/pkg" \
    >"$RUN/cpack.log" 2>&1) || { cat "$RUN/cpack.log"; fail "cpack could not build the package"; }
lintian --fail-on error "$RUN"/pkg/vell_*.deb >"$RUN/lintian.log" 2>&1 || { cat "$RUN/lintian.log"; fail "lintian found errors"; }
dpkg-deb -x "$RUN"/pkg/vell_*.deb "$RUN/root" || fail "dpkg-deb could not unpack the package"
desktop-file-validate "$RUN/root/usr/share/applications/vell.desktop" || fail "desktop entry"
# nobody may read the unpacked game but cannot write /, so no err.txt.
chmod a+rx "$RUN"
AS=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent) CWD=/
"${AS[@]}" test -w / && fail "nobody can write /"
GAME=$RUN/root/usr/games/vell; start; window
xtry sh -c "xprop -id $WIN WM_CLASS | grep -q '\"ZEP_window\", \"ZEP_window\"'" || fail "window class"
xtry wmctrl -i -c "$WIN"; ended 10 0

for n in $(seq 700 799); do [ -e /tmp/.X11-unix/X$n ] || break; done
Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & XPID=$!
export DISPLAY=:$n
xtry xdpyinfo >/dev/null 2>&1 || fail "Xvfb :$n did not start"
start; window
kill $XPID; wait $XPID 2>/dev/null; XPID=; ended 10 1
echo "ok"
