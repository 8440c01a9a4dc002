#!/usr/bin/env bash
# install_test.sh BUILD_DIR: `cmake --install` into a temporary prefix, then the installed
# programs, data, desktop entry and man page as a player and a packager meet them.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/prefix" >"$tmp/install.log" || {
    cat "$tmp/install.log" >&2
    fail "cmake --install failed"
}
prefix=$tmp/prefix
for program in runestage rs-asm rs-dis rs-arc rs-img rs-snd; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program was not installed"
done
for file in share/runestage/runestage.ini share/runestage/icons/runestage.png \
    "share/runestage/demo/obj/雪花ノ記憶.o" share/runestage/demo/bgm.ogg \
    share/applications/runestage.desktop share/icons/hicolor/48x48/apps/runestage.png \
    share/man/man6/runestage.6; do
    [ -s "$prefix/$file" ] || fail "$file was not installed"
done
[ ! -e "$prefix/share/runestage/demo/save" ] || fail "the demo's save folder was installed"

# Every run keeps its per-user files in the temporary folder.
export XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/run
mkdir -p "$XDG_RUNTIME_DIR"
"$prefix/bin/runestage" --version | grep -q '^runestage [0-9]' || fail "--version"
"$prefix/bin/runestage" --help >"$tmp/help.txt"
grep -q '^Usage: runestage' "$tmp/help.txt" || fail "--help"

# The installed demo plays from the installed data.
"$prefix/bin/runestage" --headless --virtual-clock --exit-at 1000 --screenshot "$tmp/shot.png" \
    "$prefix/share/runestage/demo" 2>"$tmp/demo.err" || {
    cat "$tmp/demo.err" >&2
    fail "the installed demo did not play"
}
[ -s "$tmp/shot.png" ] || fail "the installed demo left no screenshot"

# A moved tree finds its data beside the program.
mv "$prefix" "$tmp/moved"
"$tmp/moved/bin/runestage" --check "$tmp/moved/share/runestage/demo" >"$tmp/check.txt" || {
    cat "$tmp/check.txt" >&2
    fail "--check of the installed demo failed"
}
grep -qF "$tmp/moved/share/runestage" "$tmp/check.txt" || {
    cat "$tmp/check.txt" >&2
    fail "the moved tree did not find its data folder"
}

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$tmp/moved/share/applications/runestage.desktop" || fail "desktop entry"
fi

# The man page renders without warnings and names every option of --help.
page=$tmp/moved/share/man/man6/runestage.6
warnings=$(groff -k -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "the man page does not render cleanly: $warnings"
groff -k -man -Tutf8 -P-cbou "$page" >"$tmp/man.txt" 2>/dev/null
missing=""
for option in $(grep -oE -- '(^|[ ,])--[a-z][a-z-]*' "$tmp/help.txt" | tr -d ' ,' | sort -u); do
    grep -qF -- "$option" "$tmp/man.txt" || missing="$missing $option"
done
[ -z "$missing" ] || fail "the man page lacks:$missing"
echo "install test: passed"
