#!/usr/bin/env bash
# Installs what is missing, builds Vell and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
vell_install_deps
cmake -S . -B build "${VELL_BUILD_OPTIONS[@]}" >/dev/null
cmake --build build -j"$(nproc)" --target vell
exec ./build/vell
