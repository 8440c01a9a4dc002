#!/usr/bin/env bash
# Builds RuneStage and plays the bundled demo game headless; its last picture is written to
# build/demo-screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DRS_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
./build/runestage --headless --virtual-clock --screenshot build/demo-screenshot.png build/demo
echo "The demo's last picture: build/demo-screenshot.png"
