#!/usr/bin/env bash
# clang-tidy over every source of ours with the checks in .clang-tidy; any finding fails.
#   ./scripts/tidy.sh [BUILD_DIR]       (default build/testing, configured already)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/testing}
root=$(pwd)
run-clang-tidy -p "$build" -j "$(nproc)" -quiet "^$root/(src|tests|bench|tools)/.*\.cpp$"
