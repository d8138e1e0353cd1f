#!/bin/sh
# Starts Kelvado in the player's own directory. The game reads its pictures and sounds from the
# directory it runs in and keeps hiscore.dat there, so that directory holds links to the
# installed data beside the player's own high scores.
set -e
prefix=$(CDPATH= cd -- "$(dirname -- "$(readlink -f -- "$0")")/.." && pwd)
data="$prefix/share/kelvado/data"
home_dir="${XDG_DATA_HOME:-$HOME/.local/share}/kelvado"
mkdir -p "$home_dir"
for file in "$data"/*; do
    ln -sfn "$file" "$home_dir/$(basename "$file")"
done
cd "$home_dir"
exec "$prefix/libexec/kelvado/kelvado"
