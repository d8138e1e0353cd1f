#!/usr/bin/env bash
# Builds the game and its data, then starts it in build/play, a directory of its own with links
# to the generated data, as the installed launcher does: hiscore.dat and whatever else the
# player keeps stay there, out of build/data, from which the package is made.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target kelvado kelvado_data
mkdir -p build/play
# Earlier versions played in build/data: the table moves along (a rename, so nothing is lost).
if [ -f build/data/hiscore.dat ] && [ ! -e build/play/hiscore.dat ]; then
    mv -n build/data/hiscore.dat build/play/hiscore.dat
fi
for file in "$PWD"/build/data/*; do
    name=${file##*/}
    case $name in hiscore.dat*) continue ;; esac
    link=build/play/$name
    # Ours is a link to a generated file of that name, re-made when the clone has moved; anything
    # else is the player's.
    if [ -L "$link" ]; then
        case $(readlink -- "$link") in
            "$file") ;;
            */build/data/"$name") ln -sfn -- "$file" "$link" ;;
        esac
    elif [ ! -e "$link" ]; then
        ln -s -- "$file" "$link"
    fi
done
cd build/play
exec ../kelvado "$@"
