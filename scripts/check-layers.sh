#!/usr/bin/env bash
# Fails when a source file includes across the layers. Every include points down:
#   game/      the simulation: only game/ and platform/, no GL
#   screen/    the floor the engine draws on: only itself and platform/ (and GL)
#   render/    the world, and frontend/, the screens around a game: each only game/, platform/,
#              screen/ and itself, never app/ or each other
#   app/       the top: entry, loop, window, start-up; anything below it
#   server/    the board's server: only game/, the platform's interface and files, and itself;
#              no engine, SDL or GL
#   platform/  the system layer: only itself
#   SDL and libopenmpt only in platform/; tests may use them to check data on their own, but not
#   the fake platform in tests/support, which stands in for platform/.
#   Emscripten and WebGL only in the web platform, platform/web/; the page's own C++ (web/)
#   reaches the game through its headers like any other caller.
#   One implementation a folder: platform/sdl/ without Emscripten or WebGL, platform/web/ without
#   SDL or libopenmpt, and the part of platform/ both share (its top level) without either, nor
#   any header of theirs; neither implementation includes the other's.
# No two files may reach each other either: a.cpp including b.h while b.cpp includes a.h (or any
# longer circle) fails, whichever folders they are in.
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
# row FOLDER ALLOWED: fails when FOLDER includes a project header outside the ALLOWED folders
# (an extended regular expression of paths such as "game|platform").
row() {
    [ -d "$1" ] || return 0
    fail "$1/ includes outside ${2//|/, }" \
        "$(grep -rnE "${sources[@]}" "$include\"" "$1" | grep -vE "$listed\"($2)/")"
}
row screen 'screen|platform'
row render 'render|screen|game|platform'
row frontend 'frontend|screen|game|platform'
row app 'app|render|frontend|screen|game|platform'

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
fail "Emscripten or WebGL headers outside platform/web/" \
    "$(grep -rnE "${sources[@]}" "${include}[<\"](emscripten|GLES[0-9]*/|webgl/)" . \
        --exclude-dir='build*' --exclude-dir=node_modules --exclude-dir=.git |
        grep -vE '^\./platform/web/')"
fail "the web platform includes SDL or libopenmpt" \
    "$(grep -rnE "${sources[@]}" "${include}[<\"](SDL[^/]*\.h|SDL2/|libopenmpt/)" platform/web)"
fail "the SDL platform includes Emscripten or WebGL" \
    "$(grep -rnE "${sources[@]}" "${include}[<\"](emscripten|GLES[0-9]*/|webgl/)" platform/sdl)"
mapfile -t shared < <(find platform -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' \))
fail "the shared platform includes SDL, libopenmpt, Emscripten or WebGL" \
    "$(grep -nE "${include}[<\"](SDL[^/]*\.h|SDL2/|libopenmpt/|emscripten|GLES[0-9]*/|webgl/)" \
        "${shared[@]}" /dev/null)"
fail "the shared platform includes an implementation, or one implementation the other" \
    "$(grep -nE "$include\"platform/(sdl|web)/" "${shared[@]}" /dev/null
       grep -rnE "${sources[@]}" "$include\"platform/web/" platform/sdl
       grep -rnE "${sources[@]}" "$include\"platform/sdl/" platform/web)"

# Circles: each file stands for its unit (the folder and the name without extension); an
# include is an edge from the including unit to the included one. tsort names any loop.
loops=$(grep -rnoE "${sources[@]}" "$include\"[^\"]+\"" game screen render frontend app server \
        platform tools web 2>/dev/null |
    sed -E 's/^([^:]+)\.[a-z]+:[0-9]+:.*"([^"]+)\.[a-z]+"$/\1 \2/' |
    awk '$1 != $2' | tsort 2>&1 >/dev/null | grep -v '^tsort: -: input contains a loop:$')
fail "these files reach each other in a circle" "$loops"
exit $status
