#!/bin/sh
# Installs what is missing, builds with warnings as errors and runs every test. Pass a preset name ("asan") to
# run the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer. Installing, configuring and
# building print a line each (their output goes to the set-up log, shown when one fails); the tests print their
# own, with the whole output of any that fails.
set -eu
cd "$(dirname "$0")/.."
. scripts/phase.sh
preset="${1:-dev}"
scripts/install-deps.sh
phase "Configuring ($preset)" cmake --preset "$preset"
phase "Building ($preset)" cmake --build --preset "$preset"
echo "Testing ($preset)"
ctest --preset "$preset" --progress
