#!/usr/bin/env bash
# The layer check must catch what it is there for: an include planted against each rule in a copy
# of the tree fails it, naming the rule, while the tree as it is passes.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0

copy_tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    (cd "$root" && git ls-files -z --cached --others --exclude-standard |
        grep -zE '\.(c|cc|cpp|h|hpp)$|^scripts/check-layers\.sh$' |
        xargs -0 cp --parents -t "$work/tree")
}

# plant FILE LINE EXPECTED: adds the include line to a fresh copy's FILE and expects the check to
# fail with EXPECTED in its message.
plant() {
    copy_tree
    printf '%s\n' "$2" >>"$work/tree/$1"
    if out=$(bash "$work/tree/scripts/check-layers.sh" 2>&1); then
        echo "FAIL: $2 in $1 passed the check"
        failures=$((failures + 1))
    elif ! grep -qF -- "$3" <<<"$out"; then
        echo "FAIL: $2 in $1 failed without \"$3\":"
        echo "$out"
        failures=$((failures + 1))
    else
        passes=$((passes + 1))
    fi
}

copy_tree
if bash "$work/tree/scripts/check-layers.sh"; then
    passes=$((passes + 1))
else
    echo "FAIL: the tree as it is does not pass"
    failures=$((failures + 1))
fi
plant game/worm.cpp '#include "render/scene.h"' 'game/ includes outside'
plant screen/overlay.cpp '#include "frontend/hiscore.h"' 'screen/ includes outside'
plant frontend/title.cpp '#include "app/window.h"' 'frontend/ includes outside'
plant frontend/hiscore.cpp '#include "render/scene.h"' 'frontend/ includes outside'
plant render/scene.cpp '#include "frontend/hiscore.h"' 'render/ includes outside'
plant platform/files.cpp '#include "game/state.h"' 'platform/ includes'
plant game/demo.cpp '#include "game/rules.h"
#include "game/update.h"' 'circle'
plant app/audio.cpp '#include "app/mainloop.h"' 'circle'
echo "layers: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
