#!/bin/sh
# Installs what is missing, builds with warnings as errors and runs every test. Pass a preset name ("asan") to
# run the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
preset="${1:-dev}"
scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
