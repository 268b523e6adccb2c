#!/usr/bin/env sh
# Sets up, builds in release mode, and runs both benchmarks: the end-to-end
# comparison with a stdio converter and `cat`, then the formatter micro-
# benchmarks.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh bench
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc 2>/dev/null || echo 2)"
python3 bench/run_bench.py build "$@"
build/format_bench --benchmark_min_time=0.5
