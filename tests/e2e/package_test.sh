#!/usr/bin/env bash
# The Debian package: CPack builds it, lintian finds no error in it and its desktop entry
# is valid. Unpacked into a bare root, the game started from / by a user who cannot write
# there shows its window, of the class the desktop entry names (StartupWMClass), and a
# window-manager close ends it with 0.
E2E_HELPERS_ONLY=1 . "$(dirname "$0")/window_test.sh"

(cd "$RUN" && cpack -G DEB --config "$(dirname "$VELL")/CPackConfig.cmake" -B "$RUN/pkg" \
    >"$RUN/cpack.log" 2>&1) || { cat "$RUN/cpack.log"; fail "cpack could not build the package"; }
DEB=$(echo "$RUN"/pkg/vell_*.deb)
[ -f "$DEB" ] || fail "no package in $RUN/pkg"
lintian --fail-on error "$DEB" >"$RUN/lintian.log" 2>&1 || { cat "$RUN/lintian.log"; fail "lintian found errors"; }
dpkg-deb -x "$DEB" "$RUN/root" || fail "dpkg-deb could not unpack the package"
desktop-file-validate "$RUN/root/usr/share/applications/vell.desktop" || fail "desktop entry"

# nobody may read the unpacked game but cannot write /, so no err.txt.
chmod a+rx "$RUN"
AS=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent) CWD=/
GAME=$RUN/root/usr/games/vell
"${AS[@]}" test -w / && fail "nobody can write /"
start; window
xtry sh -c "xprop -id $WIN WM_CLASS | grep -q '\"ZEP_window\", \"ZEP_window\"'" || fail "window class"
xtry "$PROBE" "$WIN"; ended 10 0
echo "ok"
