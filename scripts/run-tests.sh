#!/usr/bin/env bash
# Builds RuneStage with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test, then
# the fuzzing gate (scripts/fuzz.sh; RS_SKIP_FUZZ=1 leaves it out).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRS_SANITIZE=ON -DRS_BUILD_TESTS=ON
cmake --build build-tests -j"$(nproc)"
ctest --test-dir build-tests --output-on-failure -j"$(nproc)"
if [ "${RS_SKIP_FUZZ:-0}" != 1 ]; then
    scripts/fuzz.sh
fi
