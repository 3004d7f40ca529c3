#!/usr/bin/env bash
# Installs what is missing, builds the program, creates the default database
# beside it when there is none (as an installer would ship it) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFIN_BUILD_TESTS=OFF -DFIN_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target finoteca finoteca-mkdb
[ -f build/finoteca.mdb ] || build/finoteca-mkdb build/finoteca.mdb
exec build/finoteca "$@"
