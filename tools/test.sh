#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test, then builds
# and runs them again under AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# every fuzz harness for a short, fixed number of runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/setup-debian.sh

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

echo "== build (warnings as errors)"
tools/build.sh build -DVORANTH_WERROR=ON
echo "== tests"
ctest --test-dir build -j2 --output-on-failure
tools/check-leftovers.sh build
echo "== tests, each program's in one process"
for area in format config server content rcon app ctl; do
  build/tests/test_$area --gtest_brief=1
done
tools/check-leftovers.sh build

echo "== build with sanitizers"
tools/build.sh build-asan -DVORANTH_WERROR=ON -DVORANTH_SANITIZE=ON -DVORANTH_BENCH=OFF
echo "== tests with sanitizers"
ctest --test-dir build-asan -j2 --output-on-failure
tools/check-leftovers.sh build-asan

echo "== fuzz harnesses, 20000 runs each"
tools/fuzz.sh --short 20000
