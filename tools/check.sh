#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test three ways: a
# plain build (with the end-to-end tests in a real window under Xvfb), an
# AddressSanitizer + UndefinedBehaviorSanitizer build and a ThreadSanitizer
# build; the soak plays random games for VELL_SOAK_SECONDS in the two
# sanitizer builds, and the glyph-sheet loader is fuzzed for FUZZ_SECONDS.
# The plain build's end-to-end tests also build the Debian package and check
# it (lintian, desktop-file-validate, the unpacked game). Any sanitizer
# report or fuzzer finding fails the run.
set -uo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
vell_install_deps xvfb xauth xdotool openbox wmctrl imagemagick x11-utils lintian \
  desktop-file-utils clang libclang-rt-14-dev || exit 1

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

# libFuzzer wants clang. Comparison tracing is left out: it slows the
# loader's pixel loop fivefold and the header's few fields need no help.
fuzz_seconds=${FUZZ_SECONDS:-30}
mkdir -p build-fuzz/corpus && cp data/font.bmp tests/fuzz/seeds/* build-fuzz/corpus/ &&
  clang++ -std=c++20 -O2 -g -Wall -Wextra -Isrc -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=all -fno-sanitize-coverage=trace-cmp tests/fuzz/font_fuzz.cpp \
    src/platform/font.cpp src/graphics/graphics.cpp src/graphics/glseam.cpp \
    -o build-fuzz/font_fuzz || exit 1

export VELL_SOAK_SECONDS=${VELL_SOAK_SECONDS:-30}
echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE e2e || status=1
grep -h '^soak:' build-asan/Testing/Temporary/LastTest.log
# The ThreadSanitizer stage is mostly its soak on one core, so the fuzzer
# runs beside it. Its corpus stays between runs; -max_len is the size of a
# file holding one sheet (header and 128 x 192 pixels), the most it reads.
(cd build-fuzz && exec ./font_fuzz -max_len=73782 -max_total_time="$fuzz_seconds" \
  -print_final_stats=1 -artifact_prefix=finding- corpus >fuzz.log 2>&1) &
fuzz_pid=$!
echo "== ThreadSanitizer =="
ctest --test-dir build-tsan --output-on-failure -j"$jobs" -LE e2e || status=1
grep -h '^soak:' build-tsan/Testing/Temporary/LastTest.log

# A desktop for the end-to-end tests: Xvfb with Mesa's software OpenGL, and a
# window manager to close the game's window as a player does.
export LIBGL_ALWAYS_SOFTWARE=1
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$! wm_pid=
trap 'kill $xvfb_pid $wm_pid 2>/dev/null' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
for _ in $(seq 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done

echo "== Plain build, with the end-to-end tests =="
VELL_SOAK_SECONDS=2 ctest --test-dir build --output-on-failure -j"$jobs" || status=1
echo "== Fuzzing the glyph-sheet loader for $fuzz_seconds s =="
if wait $fuzz_pid; then
  grep -E 'Done|exec_per_sec' build-fuzz/fuzz.log
else
  tail -n 40 build-fuzz/fuzz.log
  status=1
fi
exit $status
