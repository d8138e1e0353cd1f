#!/usr/bin/env bash
# Fails when a source file includes across the layers:
#   game/      the simulation: only game/ and platform/, no GL
#   platform/  the system layer: only itself
#   SDL and libopenmpt only in platform/; tests may use them to check data on their own, but not
#   the fake platform in tests/support, which stands in for platform/.
#   server/    the board's server: only game/, the platform's interface and files, and itself;
#              no engine, SDL or GL
#   Emscripten and WebGL only in the web platform, platform/web/ and platform/webgl/; the page's
#   own C++ (web/) reaches the game through its headers like any other caller.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
sources=(--include='*.c' --include='*.cc' --include='*.cpp' --include='*.h' --include='*.hpp')
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*'
listed=':[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*'  # the same, in grep -n's output
status=0

fail() {  # fail WHAT FOUND: names the broken rule and the lines that break it
    [ -z "$2" ] && return
    printf 'check-layers: %s:\n%s\n' "$1" "$2" >&2
    status=1
}

fail "game/ includes outside game/ and platform/" \
    "$(grep -rnE "${sources[@]}" "$include\"" game | grep -vE "$listed\"(game|platform)/")"
fail "game/ includes GL headers" \
    "$(grep -rnE "${sources[@]}" "$include<(GL|GLES[0-9]*|EGL)/" game)"
fail "platform/ includes the layers above it" \
    "$(grep -rnE "${sources[@]}" "$include\"" platform | grep -vE "$listed\"platform/")"
fail "server/ includes outside game/, platform/platform.h, platform/files.h and server/, or SDL or GL" \
    "$(grep -rnE "${sources[@]}" "$include\"" server |
        grep -vE "$listed\"(game/|platform/(platform|files)\.h\"|server/)"
      grep -rnE "${sources[@]}" "${include}<(SDL[^/]*\.h|SDL2/|GL/|GLES[0-9]*/|EGL/)" server)"
mapfile -t others < <(find . -mindepth 1 -maxdepth 1 -type d ! -name '.*' ! -name 'build*' \
    ! -name platform ! -name tests)
fail "SDL or libopenmpt headers outside platform/" \
    "$(grep -rnE "${sources[@]}" "${include}[<\"](SDL[^/]*\.h|SDL2/|libopenmpt/)" "${others[@]}" \
        tests/support)"
fail "Emscripten or WebGL headers outside platform/web/ and platform/webgl/" \
    "$(grep -rnE "${sources[@]}" "${include}[<\"](emscripten|GLES[0-9]*/|webgl/)" . \
        --exclude-dir='build*' --exclude-dir=node_modules --exclude-dir=.git |
        grep -vE '^\./platform/(web|webgl)/')"
fail "the web platform includes SDL or libopenmpt" \
    "$(grep -rnE "${sources[@]}" "${include}[<\"](SDL[^/]*\.h|SDL2/|libopenmpt/)" platform/web \
        platform/webgl platform/dib.cpp)"
exit $status
