#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and
# UndefinedBehaviourSanitizer in ./build-asan and runs every test headless
# under them. Any memory fault or undefined behaviour stops its test with a
# report. Slower than ./scripts/test.sh: not part of the usual run.
# Extra arguments go to ctest (e.g. -R Charts).
set -euo pipefail
cd "$(dirname "$0")/.."
# Every core by default; CMAKE_BUILD_PARALLEL_LEVEL (and, for the tests,
# CTEST_PARALLEL_LEVEL) lowers it on a shared or small machine.
jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
./scripts/setup.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFIN_SANITIZE=ON \
      -DFIN_BUILD_TESTS=ON -DFIN_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
export QT_QPA_PLATFORM=offscreen
# Leaks are not checked: Qt and the font libraries keep caches for the whole
# process, which the leak checker would report at every exit.
# Reports from other people's libraries that are not faults are suppressed
# one by one in scripts/asan.supp, each with its reason.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:suppressions=$PWD/scripts/asan.supp${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
ctest --test-dir build-asan --output-on-failure -j"${CTEST_PARALLEL_LEVEL:-$jobs}" --timeout 1200 "$@"
