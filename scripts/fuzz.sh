#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined-behaviour sanitizers) and runs each one.
#   ./scripts/fuzz.sh                 a smoke run: every target, a fixed number of inputs (CI)
#   ./scripts/fuzz.sh 600             every target for 600 seconds each, new inputs kept in build/fuzz/corpus
# A crash stops the run and leaves the input as build/fuzz/crash-<target>-*; replay it with
#   build/fuzz/fuzz/fuzz_<target> build/fuzz/crash-<target>-...
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
seconds=${1:-}
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in bank pagetext csv; do
  work=build/fuzz/corpus/$target
  mkdir -p "$work"
  if [[ -n $seconds ]]; then
    limits=(-max_total_time="$seconds")
  else
    limits=(-runs=20000 -seed=1)
  fi
  # New inputs go to the build folder; the seeds in the repository stay as they are.
  "build/fuzz/fuzz/fuzz_$target" "${limits[@]}" -max_len=4096 -timeout=10 \
    -artifact_prefix="build/fuzz/crash-$target-" "$work" "fuzz/corpus/$target"
done
echo "fuzz: no crash"
