#!/bin/sh
# Builds the libFuzzer targets with clang and the sanitizers and runs each for a while (seconds, default 30).
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-30}"
scripts/install-deps.sh
cmake --preset fuzz
cmake --build --preset fuzz
for target in build/fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    seeds="fuzz/corpus/${name#fuzz_}"
    [ -d "$seeds" ] || seeds=""
    echo "== $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 "$corpus" $seeds
done
