#!/usr/bin/env bash
# Builds RuneStage with gcov instrumentation in build-coverage/, runs every test and prints the line
# and branch coverage of each folder of src/ (a folder's line counts its sub-folders too). Needs
# lcov, which `scripts/install-deps.sh --extra` installs. An HTML report goes to
# build-coverage/html/index.html.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --extra
if ! command -v lcov >/dev/null 2>&1; then
    echo "coverage.sh: lcov is missing; install it (Debian: apt-get install lcov, or" \
        "scripts/install-deps.sh --extra) and run again" >&2
    exit 1
fi

build=build-coverage
flags="--coverage -O0 -g"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DRS_BUILD_TESTS=ON \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
# Counters of an earlier build would clash with this one's, those of an earlier run add up.
find "$build" -name '*.gcda' -delete
cmake --build "$build" -j"$(nproc)"
lcov --quiet --zerocounters --directory "$build"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

# Branches that only exist for exceptions the engine never throws are left out. (Debian's lcov
# 1.16 warns about redefined subroutines of its own on every run: those lines are dropped.)
rc=(--rc lcov_branch_coverage=1 --rc geninfo_no_exception_branch=1)
lcov --quiet "${rc[@]}" --capture --directory "$build" --output-file "$build/all.info" \
    2> >(grep -v '^Subroutine .* redefined at ' >&2)
lcov --quiet "${rc[@]}" --extract "$build/all.info" "$PWD/src/*" \
    --output-file "$build/src.info"
genhtml --quiet "${rc[@]}" --prefix "$PWD" --output-directory "$build/html" "$build/src.info" \
    >/dev/null

# Sums the line and branch counters of every file into its folder and that folder's parents
# below src/.
report=$(awk -v root="$PWD/" '
    /^SF:/ {
        file = substr($0, 4)
        if (index(file, root) == 1) file = substr(file, length(root) + 1)
        next
    }
    /^(LF|LH|BRF|BRH):/ {
        split($0, kv, ":")
        n = split(file, parts, "/")
        folder = parts[1]
        for (i = 2; i < n; ++i) {
            folder = folder "/" parts[i]
            sum[folder, kv[1]] += kv[2]
            folders[folder] = 1
        }
        sum["total", kv[1]] += kv[2]
    }
    function pct(hit, found) { return found ? sprintf("%5.1f%%", 100 * hit / found) : "    -" }
    function row(name) {
        printf "%-22s %7d/%-7d %s   %7d/%-7d %s\n", name,
            sum[name, "LH"], sum[name, "LF"], pct(sum[name, "LH"], sum[name, "LF"]),
            sum[name, "BRH"], sum[name, "BRF"], pct(sum[name, "BRH"], sum[name, "BRF"])
    }
    END {
        for (f in folders) row(f)
        row("total")
    }
' "$build/src.info" | sort)
printf "%-22s %-24s   %s\n%s\n" "folder" "lines" "branches" "$report"
echo "Details: $build/html/index.html"
