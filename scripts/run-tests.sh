#!/usr/bin/env bash
# Builds RuneStage with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test, then
# the fuzzing gate (scripts/fuzz.sh; RS_SKIP_FUZZ=1 leaves it out). Prints the time each step
# took at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
t0=$(date +%s)
scripts/install-deps.sh
t1=$(date +%s)
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRS_SANITIZE=ON -DRS_BUILD_TESTS=ON
cmake --build build-tests -j"$(nproc)"
t2=$(date +%s)
ctest --test-dir build-tests --output-on-failure -j"$(nproc)"
t3=$(date +%s)
if [ "${RS_SKIP_FUZZ:-0}" != 1 ]; then
    scripts/fuzz.sh
fi
t4=$(date +%s)
echo "run-tests: packages $((t1 - t0)) s, build $((t2 - t1)) s, tests $((t3 - t2)) s," \
    "fuzz gate $((t4 - t3)) s, in all $((t4 - t0)) s"
