#!/usr/bin/env bash
# Builds the game and its data, then starts it in the data directory, where it reads its files
# and keeps hiscore.dat.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target kelvado kelvado_data
cd build/data
exec ../kelvado
