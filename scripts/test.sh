#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every core by default; CMAKE_BUILD_PARALLEL_LEVEL (and, for the tests,
# CTEST_PARALLEL_LEVEL) lowers it on a shared or small machine.
jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
./scripts/setup.sh
./scripts/check-layers.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFIN_BUILD_TESTS=ON -DFIN_BUILD_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"${CTEST_PARALLEL_LEVEL:-$jobs}" --timeout 300
