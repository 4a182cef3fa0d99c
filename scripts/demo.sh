#!/usr/bin/env bash
# The main job on embedded defaults. Until the gateway cycle is in place it prints the settings
# table the gateway reads, with each key's default and its value in demo/Pelorus.ini.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
./build/tools/pelorus/pelorus --config demo/Pelorus.ini --print-settings
