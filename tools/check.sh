#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test three ways: a
# plain build (with the end-to-end tests in a real window under Xvfb), an
# AddressSanitizer + UndefinedBehaviorSanitizer build and a ThreadSanitizer
# build. Any sanitizer report fails its test. The plain build's end-to-end
# tests also build the Debian package and check it (lintian,
# desktop-file-validate, the unpacked game). CTest's summary comes last.
set -uo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
vell_install_deps xvfb xauth xdotool imagemagick x11-utils lintian desktop-file-utils || exit 1

jobs=$(nproc)
configure_and_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null || return 1
  cmake --build "$dir" -j"$jobs" 2>&1 | grep -E 'error|warning|Error' ; return "${PIPESTATUS[0]}"
}

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

status=0
configure_and_build build-asan -DVELL_SANITIZE=address -DVELL_WITH_TESTS=ON -DVELL_WITH_BENCH=OFF -DVELL_WITH_SDL=ON || exit 1
configure_and_build build-tsan -DVELL_SANITIZE=thread -DVELL_WITH_TESTS=ON -DVELL_WITH_BENCH=OFF -DVELL_WITH_SDL=OFF || exit 1
configure_and_build build "${VELL_BUILD_OPTIONS[@]}" || exit 1

echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE e2e || status=1
echo "== ThreadSanitizer =="
ctest --test-dir build-tsan --output-on-failure -j"$jobs" -LE e2e || status=1

# A display for the end-to-end tests: Xvfb with Mesa's software OpenGL.
export LIBGL_ALWAYS_SOFTWARE=1
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

echo "== Plain build, with the end-to-end tests =="
ctest --test-dir build --output-on-failure -j"$jobs" || status=1
exit $status
