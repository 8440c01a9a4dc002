#!/usr/bin/env bash
# Installs the Debian 12 packages RuneStage needs to build, run and test, with apt-get (through
# sudo when not root). Does nothing when they are all present.
#   --extra   also what the benchmarks and peers need (pixman, Lua, zlib)
# Set RS_SKIP_DEPS=1 (or pass --skip) to skip this step, for example on a distribution without
# apt-get where the packages were installed by hand.
set -euo pipefail

packages=(
    # build
    g++ cmake make pkg-config
    # the engine: pictures, fonts, window, sound, music, movies, dialogs
    libpng-dev zlib1g-dev
    libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
    libsdl2-dev
    libogg-dev libvorbis-dev  # with libvorbisenc and libvorbisfile (tests, rs-snd, benchmarks)
    libfluidsynth-dev timgm6mb-soundfont
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
    libimgui-dev
    # tests: GoogleTest, a real X server with Mesa's software OpenGL, desktop-entry checks,
    # and clang with its libFuzzer runtime for the fuzz gate
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth libgl1-mesa-dri
    desktop-file-utils
    clang libclang-rt-14-dev
)
extra=0
for arg in "$@"; do
    case "$arg" in
        --extra) extra=1 ;;
        --skip) RS_SKIP_DEPS=1 ;;
        *) echo "install-deps.sh: unknown option '$arg' (known: --extra, --skip)" >&2; exit 1 ;;
    esac
done
if [ "$extra" = 1 ]; then
    packages+=(libpixman-1-dev liblua5.4-dev lcov)
fi
if [ "${RS_SKIP_DEPS:-0}" = 1 ]; then
    exit 0
fi

if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    cat >&2 <<EOT
install-deps.sh: this system has no apt-get, so the packages cannot be installed for you.
RuneStage needs these Debian packages (or your distribution's equivalents; the README names the
Fedora and Arch packages):
  ${packages[*]}
Install them by hand, then run again with RS_SKIP_DEPS=1 (or pass --skip) to skip this step.
EOT
    exit 1
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
echo "Installing with apt-get: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
