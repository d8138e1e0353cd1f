#!/usr/bin/env bash
# Checks the layers' includes (scripts/check-layers.sh), then builds everything and runs every
# test: first the normal build (unit, render, simulator, fuzz-corpus and end-to-end tests under
# Xvfb), then the web build in headless Chromium and in Firefox against it, then the same unit
# and simulator tests in an AddressSanitizer + UndefinedBehaviorSanitizer build, where any
# report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== Layers"
scripts/check-layers.sh
scripts/deps.sh --tests
jobs=$(nproc)

echo "== Normal build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== Browser"
tests/web/browser.sh build

echo "== Sanitizer build"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVADO_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The end-to-end tests drive the normal build's binary; everything else runs here again.
(cd build-asan && ctest --output-on-failure -j"$jobs" -LE e2e)
