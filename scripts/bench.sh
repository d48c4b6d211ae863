#!/bin/sh
# Builds optimised and runs the benchmarks.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target moorvane_bench
build/release/bench/moorvane_bench "$@"
