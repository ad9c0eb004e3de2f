#!/usr/bin/env bash
# Frames from the flee key to the last tile of the new map, in the real game
# under Xvfb. Usage: tools/fleeframes.sh path/to/vell [runs] [horde]
# horde > 0 first calls that many "M" hordes of wanderers, so that "More..."
# prompts come up while the new map is made. One line per run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
vell=$(realpath "$1")
runs=${2:-10}
horde=${3:-0}
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
g++ -std=c++20 -O1 -shared -fPIC -I"$here/src" $(sdl2-config --cflags) \
    "$here/tools/fleeprobe.cpp" -o "$work/fleeprobe.so" -ldl
sym() { nm "$vell" | awk -v s="$1" '$3 == s { print $1 }'; }
syms="$(sym _ZN4vell2miE) $(sym _ZN4vell9inputTypeE) $(sym _ZN4vell6playerE)"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
cp "$here/data/font.bmp" "$work/"
cd "$work"
for ((i = 1; i <= runs; ++i)); do
    DISPLAY=$display VELL_PROBE_SYMS=$syms VELL_PROBE_HORDE=$horde LD_PRELOAD="$work/fleeprobe.so" \
        timeout 120 "$vell" 2>&1 >/dev/null | grep -E '^frames=' || echo "run $i: no flee (player died or timed out)"
done
