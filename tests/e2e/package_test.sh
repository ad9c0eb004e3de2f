#!/usr/bin/env bash
# The Debian package: CPack builds it, lintian finds no error in it, its
# desktop entry is valid, its manual page renders without warnings and its
# icons are what tools/makeicon.py makes of font.bmp. Unpacked into a bare
# root, the game started from / by a user who cannot write there shows its
# window with the class the desktop entry names, and a window-manager close
# ends it with 0. Its binary alone, with no font.bmp anywhere, exits 1 and
# says why on standard error.
. "$(dirname "$0")/lib.sh"

(cd "$WORK" && cpack -G DEB --config "$(dirname "$VELL")/CPackConfig.cmake" -B "$WORK/pkg" \
    >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack could not build the package"; }
DEB=$(echo "$WORK"/pkg/vell_*.deb)
[ -f "$DEB" ] || fail "no package in $WORK/pkg"
pass "built $(basename "$DEB"), $(stat -c %s "$DEB") bytes"
lintian --fail-on error "$DEB" >"$WORK/lintian.log" 2>&1 || { cat "$WORK/lintian.log"; fail "lintian found errors"; }
grep -v 'root privileges' "$WORK/lintian.log"
pass "lintian: no errors"

ROOTFS=$WORK/root
dpkg-deb -x "$DEB" "$ROOTFS" || fail "dpkg-deb could not unpack the package"
ENTRY=$ROOTFS/usr/share/applications/vell.desktop
desktop-file-validate "$ENTRY" || fail "desktop-file-validate rejects the desktop entry"
pass "desktop entry valid"
warnings=$(MANWIDTH=80 man --warnings -l "$ROOTFS/usr/share/man/man6/vell.6.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"
pass "manual page renders cleanly"
python3 "$ROOT/tools/makeicon.py" "$FONT" "$WORK/icons" >/dev/null &&
    diff -r "$WORK/icons" "$ROOTFS/usr/share/icons/hicolor" || fail "the icons are not the font's"
pass "icons match tools/makeicon.py's output from font.bmp"

# nobody may read the unpacked game but cannot write /, so no err.txt.
chmod a+rx "$WORK"
NOBODY=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent)
"${NOBODY[@]}" test -w / && fail "nobody can write /"
GAME_DIR=/ STARTS=3
(cd / && exec "${NOBODY[@]}" "$ROOTFS/usr/games/vell" >"$RUN/stdout" 2>"$RUN/stderr") &
GAME_PID=$!
wait_window
class=$(xtry xprop -id "$WIN" WM_CLASS | sed -n 's/.*= "\([^"]*\)", "\([^"]*\)"$/\2/p')
[ "$class" = "$(sed -n 's/^StartupWMClass=//p' "$ENTRY")" ] || fail "window class '$class'"
pass "unpacked game's window shows, class $class"
close_window
game_exit 10
[ "$GAME_STATUS" = 0 ] || fail "exit status $GAME_STATUS after closing"
pass "closed with exit status 0"

mkdir "$WORK/lone"
cp "$ROOTFS/usr/games/vell" "$WORK/lone/"
(cd / && exec "${NOBODY[@]}" "$WORK/lone/vell" >"$RUN/stdout" 2>"$RUN/stderr") &
GAME_PID=$!
game_exit 30
[ "$GAME_STATUS" = 1 ] || fail "the lone binary's exit status is $GAME_STATUS, not 1"
grep -qx 'Fatal error: unable to load font' "$RUN/stderr" && grep -qx '  /font.bmp' "$RUN/stderr" ||
    fail "standard error does not give the reason and the places tried"
pass "the lone binary exits 1 and says why"
