#!/usr/bin/env sh
# Sets up, builds with warnings as errors, and runs every test: on the
# release build (and its end-to-end tests again on the Windows build, under
# Wine; then the packages), once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# again under ThreadSanitizer, then the fuzzers for a bounded time.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh test
jobs=$(nproc 2>/dev/null || echo 2)

# The Windows build first: the end-to-end tests also run it under Wine.
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DREADZEMLO_WERROR=ON -DREADZEMLO_TESTS=OFF \
  -DREADZEMLO_BENCH=OFF
cmake --build build-windows -j"$jobs" --target ReadZemlo windows_path_test

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DREADZEMLO_WERROR=ON \
  -DREADZEMLO_WINDOWS_EXE="$PWD/build-windows/ReadZemlo.exe"
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j"$jobs"

# The .deb installed and used, the manual page rendered, the Windows zip.
sh tools/package_test.sh build build-windows

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DREADZEMLO_WERROR=ON \
  -DREADZEMLO_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$jobs"

# The second threads (the lanes of a long table, the read-ahead of the next
# small input) under ThreadSanitizer. It holds back a signal until the next
# call it intercepts, so a SIGTERM that lands just before the key wait's
# blocking read is never handled there: that one-thread test stays with the
# other builds.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DREADZEMLO_WERROR=ON -DREADZEMLO_TSAN=ON -DREADZEMLO_BENCH=OFF
cmake --build build-tsan -j"$jobs"
TSAN_OPTIONS=halt_on_error=1 \
  ctest --test-dir build-tsan --output-on-failure --no-tests=error -j"$jobs" \
  --timeout 300 -E 'InterruptDuringKeyWait'

# Replays the fuzzers' seed corpus, then fuzzes each target for 40 seconds.
sh tools/fuzz.sh 40
