#!/usr/bin/env bash
# Configures and builds the project into build/ (Release with debug information).
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache, where installed, lets several work trees share compiled objects.
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)"
