#!/usr/bin/env bash
# The robustness gate: builds every libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer), replays the kept regression inputs, then fuzzes each target for a
# short fixed time from its committed seed corpus. A crash, a leak, undefined behaviour, a hang or
# an out-of-memory is a finding: the input is copied to fuzz/regressions/<target>/ (commit it with
# the fix, it is replayed on every run from then on) and the gate fails.
#   scripts/fuzz.sh            the gate (at most about 4 minutes of fuzzing in all)
#   scripts/fuzz.sh --long     an hour per target, corpus kept in build-fuzz/corpus/
#   scripts/fuzz.sh --long=S   S seconds per target
# RS_FUZZ_SECONDS=N sets the time per target of the gate.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

long=0
per_target=""
for arg in "$@"; do
    case "$arg" in
        --long) long=1; per_target=3600 ;;
        --long=*) long=1; per_target="${arg#--long=}" ;;
        *) echo "fuzz.sh: unknown option '$arg' (known: --long, --long=SECONDS)" >&2; exit 2 ;;
    esac
done

build=build-fuzz
CXX=clang++ CC=clang cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRS_BUILD_FUZZ=ON \
    -DRS_BUILD_TESTS=OFF >/dev/null
echo "fuzz: building the targets"
start=$(date +%s)
cmake --build "$build" -j"$(nproc)" --target rs_fuzz_targets >"$build/build.log" 2>&1 || {
    tail -50 "$build/build.log"
    exit 1
}
echo "fuzz: built in $(( $(date +%s) - start )) s"

mapfile -t targets < <(find "$build" -maxdepth 1 -type f -name 'rs_fuzz_*' -executable -printf '%f\n' | sort)
if [ ${#targets[@]} -eq 0 ]; then
    echo "fuzz: no targets were built" >&2
    exit 1
fi
jobs=$(nproc)
if [ -z "$per_target" ]; then
    # The gate's whole fuzzing time stays near 4 minutes however many targets there are.
    per_target=${RS_FUZZ_SECONDS:-$(( 240 * jobs / ${#targets[@]} ))}
    [ "$per_target" -gt 20 ] && per_target=20
    [ "$per_target" -lt 5 ] && per_target=5
fi

# A small quarantine: the interpreter may rebuild a value pool of a gigabyte many times a run.
export ASAN_OPTIONS="detect_leaks=1:handle_abort=1:quarantine_size_mb=64"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
findings="$build/findings"
rm -rf "$findings"
mkdir -p "$findings"

# Replays and fuzzes one target; returns non-zero on a finding.
run_target() {
    local target=$1 name=${1#rs_fuzz_}
    local seeds="fuzz/corpus/$name" regress="fuzz/regressions/$name" log="$findings/$name.log"
    local work
    if [ "$long" = 1 ]; then
        work="$build/corpus/$name"
    else
        work=$(mktemp -d)
    fi
    mkdir -p "$work" "$seeds"
    # One request of more than 2 GiB is a finding: the engine refuses absurd sizes itself.
    local flags=(-timeout=10 -rss_limit_mb=8192 -malloc_limit_mb=2048 -print_final_stats=1
                 "-artifact_prefix=$findings/$name-")
    if [ -d "$regress" ] && [ -n "$(ls -A "$regress")" ]; then
        if ! "$build/$target" "${flags[@]}" "$regress"/* >"$log" 2>&1; then
            echo "fuzz: $name: a kept regression input fails again (see $log)"
            return 1
        fi
    fi
    if ! "$build/$target" "${flags[@]}" -max_total_time="$per_target" "$work" "$seeds" \
        >>"$log" 2>&1; then
        echo "fuzz: $name: FINDING (see $log)"
        mkdir -p "$regress"
        for f in "$findings/$name"-*; do
            [ -f "$f" ] && cp "$f" "$regress/" && echo "fuzz: $name: kept $regress/$(basename "$f")"
        done
        return 1
    fi
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || echo "?")
    echo "fuzz: $name: $runs runs in ${per_target} s, no finding"
    [ "$long" = 1 ] || rm -rf "$work"
    return 0
}

echo "fuzz: ${#targets[@]} targets, ${per_target} s each, $jobs at a time"
start=$(date +%s)
failed=0
pids=()
names=()
for target in "${targets[@]}"; do
    run_target "$target" &
    pids+=($!)
    names+=("$target")
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
        names=("${names[@]:1}")
    fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
echo "fuzz: fuzzed in $(( $(date +%s) - start )) s"
if [ "$failed" != 0 ]; then
    echo "fuzz: the gate FAILED: fix the findings; their inputs are kept under fuzz/regressions/" >&2
    exit 1
fi
echo "fuzz: the gate passed"
