#!/usr/bin/env sh
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, replays the seed corpus, then fuzzes each
# target for SECONDS (default 40). New inputs go to a scratch copy of the
# corpus; a crash leaves its input in build-fuzz/ and fails the script.
#
#   tools/fuzz.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-40}
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DREADZEMLO_FUZZ=ON -DREADZEMLO_SANITIZE=ON -DREADZEMLO_TESTS=OFF \
  -DREADZEMLO_BENCH=OFF -DREADZEMLO_WERROR=ON
cmake --build build-fuzz -j"$(nproc 2>/dev/null || echo 2)" \
  --target convert_fuzzer number_text_fuzzer output_name_fuzzer
for target in convert number_text output_name; do
  scratch=build-fuzz/corpus-$target
  rm -rf "$scratch"
  mkdir -p "$scratch"
  cp fuzz/corpus/$target/* "$scratch"/
  (cd build-fuzz && ./${target}_fuzzer -runs=0 "../fuzz/corpus/$target")
  log=build-fuzz/fuzz-$target.log
  if ! (cd build-fuzz && ./${target}_fuzzer -max_total_time="$seconds" \
        -print_final_stats=1 "corpus-$target") >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzzing $target found a failing input (saved in build-fuzz/)"
    exit 1
  fi
  echo "$target: $(grep -E 'stat::number_of_executed_units' "$log")"
done
