#!/bin/sh
# Starts Kelvado in the player's own directory. The game reads its pictures and sounds from the
# directory it runs in and keeps hiscore.dat there, so that directory holds links to the
# installed data files, and only those, beside the player's own files. Only links into the
# installed data directory are ours: anything else there (the table, a file or link the player
# put in place of a data file) is never replaced or removed.
set -e
# The data files of this version, filled in by the build.
files="@KELVADO_DATA_NAMES@"
prefix=$(CDPATH='' cd -- "$(dirname -- "$(readlink -f -- "$0")")/.." && pwd)
data="$prefix/share/kelvado/data"
home_dir="${XDG_DATA_HOME:-$HOME/.local/share}/kelvado"
mkdir -p -- "$home_dir"

ours() { [ -L "$1" ] && case $(readlink -- "$1") in "$data"/*) true ;; *) false ;; esac; }

# Links an earlier version made to a file this one no longer ships.
for link in "$home_dir"/*; do
    if ours "$link" && [ ! -e "$link" ]; then rm -f -- "$link"; fi
done
for name in $files; do
    file="$data/$name"
    [ -f "$file" ] || continue
    link="$home_dir/$name"
    if ours "$link"; then
        [ "$(readlink -- "$link")" = "$file" ] || ln -sfn -- "$file" "$link"
    elif [ ! -e "$link" ] && [ ! -L "$link" ]; then
        ln -s -- "$file" "$link"
    fi
done
# A demo named relative to where the player is, when it is there; else the game's directory.
after_demo=""
for arg in "$@"; do
    shift
    if [ "$after_demo" ] && [ "${arg#/}" = "$arg" ] && [ -e "$arg" ]; then
        set -- "$@" "$PWD/$arg"
    else
        set -- "$@" "$arg"
    fi
    after_demo=""
    [ "$arg" = "--demo" ] && after_demo=1
done
cd -- "$home_dir"
exec "$prefix/libexec/kelvado/kelvado" "$@"
