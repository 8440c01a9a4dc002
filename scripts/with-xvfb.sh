#!/usr/bin/env bash
# Runs a command against a private X server: starts Xvfb on a display it picks itself (so runs in
# parallel never share one), gives the command its own per-user folders (XDG_DATA_HOME,
# XDG_CONFIG_HOME, XDG_RUNTIME_DIR), SDL's dummy audio and message boxes that answer by themselves,
# and removes all of it afterwards. The window tests and benchmarks run through it; it never
# waits for more than 10 s on Xvfb.
#   scripts/with-xvfb.sh COMMAND [ARGS...]
# Listing GoogleTest cases (--gtest_list_tests) needs no X server and starts none.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
tmp="$(mktemp -d "${TMPDIR:-/tmp}/runestage-xvfb.XXXXXX")" || exit 1
mkdir -p "$tmp/data" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

export XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime"
export SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11
# Nobody is there to click: message boxes answer with their default button (still logged and
# written to standard error).
export RUNESTAGE_TEST_BOX_ANSWER="${RUNESTAGE_TEST_BOX_ANSWER:-default}"
unset WAYLAND_DISPLAY
# Leaks inside the X, Mesa, D-Bus and SDL libraries are theirs, not ours.
if [ -f "$here/lsan-third-party.supp" ]; then
    export LSAN_OPTIONS="suppressions=$here/lsan-third-party.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
fi

needs_x=1
for arg in "$@"; do
    [ "$arg" = "--gtest_list_tests" ] && needs_x=0
done
if [ "$needs_x" = 1 ]; then
    if ! command -v Xvfb >/dev/null 2>&1; then
        echo "with-xvfb.sh: Xvfb is missing (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset \
        3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
    xvfb_pid=$!
    display=""
    for _ in $(seq 200); do
        if grep -q '^[0-9][0-9]*$' "$tmp/display" 2>/dev/null; then
            display="$(head -n1 "$tmp/display")"
            break
        fi
        if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
        sleep 0.05
    done
    if [ -z "$display" ]; then
        echo "with-xvfb.sh: Xvfb did not start:" >&2
        cat "$tmp/xvfb.log" >&2
        exit 1
    fi
    export DISPLAY=":$display"
fi
# Mesa loads its software OpenGL driver when a window gets a renderer and unloads it when the
# display closes; memory the driver still holds then looks lost to LeakSanitizer, with no library
# to name. Loaded for the whole run, the driver keeps it reachable.
for driver in /usr/lib/*/dri/swrast_dri.so /usr/lib64/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so; do
    if [ -f "$driver" ]; then
        export LD_PRELOAD="$driver${LD_PRELOAD:+:$LD_PRELOAD}"
        export ASAN_OPTIONS="verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
        break
    fi
done
"$@"
