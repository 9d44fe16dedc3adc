#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: once as
# built, once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
JOBS=$(nproc)

echo "== build and test =="
BUILD_DIR=build bash scripts/build.sh
ctest --test-dir build --output-on-failure -j "$JOBS"

echo "== build and test under ASan and UBSan =="
BUILD_DIR=build-asan bash scripts/build.sh -DCMAKE_BUILD_TYPE=Debug -DROOFRIDER_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$JOBS"
