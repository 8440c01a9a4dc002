#!/usr/bin/env bash
# Installs the Debian 12 packages RuneStage needs to build, run and test. Does nothing when they
# are all present; otherwise runs apt-get (through sudo when not root).
#   --extra   also what the benchmarks and fuzzers need (the peers they are measured against,
#             clang and its libFuzzer runtime)
set -euo pipefail

packages=(
    g++ cmake make pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libpng-dev
    libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
)
if [ "${1:-}" = "--extra" ]; then
    packages+=(libsdl2-dev libpixman-1-dev clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
