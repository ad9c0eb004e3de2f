#!/usr/bin/env bash
# Takes the README's picture: builds the game, runs it in a virtual X
# display, plays a few keys and saves the window as docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
vell_install_deps xvfb xauth xdotool imagemagick x11-utils
root=$(pwd)
build=${VELL_BUILD_DIR:-build}
cmake -S . -B "$build" "${VELL_BUILD_OPTIONS[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target vell >/dev/null
vell=$(readlink -f "$build/vell")

work=$(mktemp -d)
cp data/font.bmp "$work/"
export LIBGL_ALWAYS_SOFTWARE=1
display=:$((200 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
game_pid=
finish() {
    if [ -n "$game_pid" ]; then
        kill "$game_pid" 2>/dev/null
        # The game shuts down by itself on the signal; the display goes after.
        for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
    fi
    kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Xvfb now and then refuses a new connection: X tools are tried again, and
# so is a game that could not reach the display.
retry() { for _ in 1 2 3 4 5; do "$@" && return 0; sleep 0.3; done; return 1; }
win=
for _ in 1 2 3; do
    (cd "$work" && exec "$vell" >/dev/null 2>&1) &
    game_pid=$!
    for _ in $(seq 100); do
        win=$(xdotool search --onlyvisible --name '^Vell$' 2>/dev/null | head -1) && [ -n "$win" ] && break
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$win" ] && break
done
[ -n "$win" ] || { echo "the game's window did not show" >&2; exit 1; }
retry xdotool windowfocus --sync "$win"
sleep 1

# A few steps, a drain of chaos (magic, at the price of a corrupted picture),
# a bolt to the east if the drain gave enough magic for one, and a look for
# something to pick up, which leaves a message on the top line.
for key in 6 6 9 9 6 3 e q 6 semicolon; do
    retry xdotool key --clearmodifiers "$key"
    sleep 0.6
done
sleep 1.5
mkdir -p "$root/docs"
retry import -window "$win" "$root/docs/screenshot.png"
echo "saved docs/screenshot.png"
