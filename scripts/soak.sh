#!/usr/bin/env bash
# A soak run: plays the bundled demo headless on the virtual clock for HOURS of engine time
# (default 1) and reports the resident memory and the script value pool's use after the first
# minute and at the end. The goal is no growth: it exits 1 when the pool grew or the resident
# memory grew by more than 2 percent.
#   scripts/soak.sh [HOURS]      (RS_SOAK_BUILD chooses the build folder, default build-rel)
set -euo pipefail
cd "$(dirname "$0")/.."
hours=${1:-1}
build=${RS_SOAK_BUILD:-build-rel}
scripts/install-deps.sh
# An existing build folder is used as it is configured (reconfiguring would rebuild it all).
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DRS_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target runestage demo >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/run
mkdir -p "$XDG_RUNTIME_DIR"
ms=$((hours * 3600000))
echo "soak: playing the demo for $hours h of engine time"
start=$(date +%s)
"$build/runestage" --headless --virtual-clock --stats --exit-at "$ms" "$build/demo" 2>"$tmp/err"
seconds=$(($(date +%s) - start))
grep 'stats at' "$tmp/err" >"$tmp/stats" || true
if [ "$(wc -l <"$tmp/stats")" -lt 2 ]; then
    cat "$tmp/err" >&2
    echo "soak: the run printed too few readings" >&2
    exit 1
fi
read -r first_rss first_pool < <(head -1 "$tmp/stats" | sed -E 's/.*memory ([0-9]+) KiB, value pool ([0-9]+) .*/\1 \2/')
read -r last_rss last_pool < <(tail -1 "$tmp/stats" | sed -E 's/.*memory ([0-9]+) KiB, value pool ([0-9]+) .*/\1 \2/')
echo "soak: $seconds s of real time"
echo "soak: after 1 minute: resident memory $first_rss KiB, value pool $first_pool cells in use"
echo "soak: at the end:     resident memory $last_rss KiB, value pool $last_pool cells in use"
if [ "$last_pool" -gt "$first_pool" ] || [ $((last_rss * 100)) -gt $((first_rss * 102)) ]; then
    echo "soak: GREW" >&2
    exit 1
fi
echo "soak: no growth"
