#!/usr/bin/env bash
# Builds the game and its data, then starts it in the data directory, where it reads its files
# and keeps hiscore.dat.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j"$(nproc)"
cd build/data
exec ../kelvado
