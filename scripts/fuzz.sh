#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each: for a fixed number of runs (the test
# command's short check), or for a given time each.
#
#   bash scripts/fuzz.sh                 # 20000 runs of each target
#   bash scripts/fuzz.sh --seconds 3600  # an hour of each target
#
# New inputs the fuzzer finds go to build-fuzz/corpus/<target>; the seeds in tests/fuzz/corpus
# stay as they are. A crash leaves its input in build-fuzz/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-runs=20000)
if [ "${1:-}" = "--seconds" ]; then
  limit=(-max_total_time="${2:?seconds}")
fi

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DKESTRELON_FUZZ=ON -DKESTRELON_BUILD_BENCHMARKS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
targets=(Scanner Catalogue Records Layout State)
cmake --build build-fuzz --parallel "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$target"
  echo "== fuzz_$target =="
  status=0
  (cd build-fuzz && "bin/fuzz_$target" "${limit[@]}" -seed=1 -print_final_stats=1 "corpus/$target" \
    "../tests/fuzz/corpus/$target" > "fuzz_$target.log" 2>&1) || status=$?
  grep -E "^(Done|stat::number_of_executed_units)|ERROR|SUMMARY|runtime error" "build-fuzz/fuzz_$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "build-fuzz/fuzz_$target.log"
    exit "$status"
  fi
done
