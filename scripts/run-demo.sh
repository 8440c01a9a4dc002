#!/usr/bin/env bash
# Builds RuneStage and plays the bundled demo game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DRS_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
./build/runestage --headless build/demo
