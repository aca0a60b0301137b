#!/usr/bin/env bash
# Fuzzes every target for the given number of seconds each (default 600), as many at a time as
# there are cores, and prints each target's executions per second. Builds build-fuzz/ first.
# Each target works on a scratch copy of its committed corpus in build-fuzz/bench-fuzz/<target>;
# a crash is reported with the file that holds its input (keep it in tests/fuzz/corpus/<target>).
# Usage: bench/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
. scripts/packages.sh
marulex_need cmake ninja-build "${MARULEX_TEST_PACKAGES[@]}" "${MARULEX_FUZZ_PACKAGES[@]}"

build=build-fuzz
if [ ! -f $build/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B $build -G Ninja -DMARULEX_FUZZ=ON -DMARULEX_QT=OFF \
    -DMARULEX_TESTS=ON -DMARULEX_BENCH=OFF >/dev/null
fi
cmake --build $build

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    targets+=("$name")
  done
fi

work=$build/bench-fuzz
mkdir -p $work
fuzz_one() {
  local name=$1
  if bash tests/fuzz/run_target.sh "$build/tests/fuzz/fuzz_$name" "tests/fuzz/corpus/$name" \
    "$work/$name" "$seconds" >"$work/$name.log" 2>&1; then
    echo "ok" >"$work/$name.result"
  else
    echo "FAILED" >"$work/$name.result"
  fi
}

jobs=$(nproc)
echo "Fuzzing ${#targets[@]} targets for $seconds s each, $jobs at a time"
for name in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  fuzz_one "$name" &
done
wait

failed=0
printf '%-16s %12s %12s %10s  %s\n' target executions exec/s corpus result
for name in "${targets[@]}"; do
  log=$work/$name.log
  runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: //p' "$log" | tail -1)
  corpus=$(find "$work/$name/corpus" -type f | wc -l)
  result=$(cat "$work/$name.result")
  printf '%-16s %12s %12s %10s  %s\n' "$name" "${runs:-?}" "${rate:-?}" "$corpus" "$result"
  if [ "$result" != ok ]; then
    failed=1
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|artifact_prefix|Test unit written)' "$log" |
      sed 's/^/    /' | head -8
  fi
done
exit $failed
