#!/usr/bin/env bash
# Rebuilds and reruns every benchmark whose figures the README quotes, one
# after another (the large books are built once and kept in the temporary
# folder, or in $TMPDIR when set). Each benchmark's table is printed and kept
# in build/bench-results/<name>.txt (JSON beside it). Extra arguments go to
# every benchmark (e.g. --benchmark_filter=...).
set -euo pipefail
cd "$(dirname "$0")/.."
# Every core by default; CMAKE_BUILD_PARALLEL_LEVEL (and, for the tests,
# CTEST_PARALLEL_LEVEL) lowers it on a shared or small machine.
jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFIN_BUILD_TESTS=ON -DFIN_BUILD_BENCH=ON >/dev/null
benches=(bench_storage bench_postings bench_lancamentos bench_startup bench_security bench_pendencias bench_search
         bench_selecao bench_balancos bench_memoria bench_copias)
cmake --build build -j"$jobs" --target "${benches[@]}"
export QT_QPA_PLATFORM=offscreen
out=build/bench-results
mkdir -p "$out"
for b in "${benches[@]}"; do
    echo "== $b (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
    "build/bench/$b" --benchmark_out="$out/$b.json" --benchmark_out_format=json "$@" | tee "$out/$b.txt"
done
