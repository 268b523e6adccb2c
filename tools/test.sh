#!/usr/bin/env sh
# Sets up, builds with warnings as errors, and runs every test: once on the
# release build, once under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the fuzzers for a bounded time.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DREADZEMLO_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DREADZEMLO_WERROR=ON \
  -DREADZEMLO_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Replays the fuzzers' seed corpus, then fuzzes each target for 40 seconds.
sh tools/fuzz.sh 40
