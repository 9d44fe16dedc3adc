#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: once as
# built, then the real game once under a headless Wayland compositor
# (scripts/wlplay.sh), once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, then every fuzz target for a short fixed time.
# Ends with one summary line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
JOBS=$(nproc)
started=$(date +%s)

count_tests() { ctest --test-dir "$1" -N | sed -n 's/^Total Tests: //p'; }

echo "== build and test =="
BUILD_DIR=build bash scripts/build.sh
ctest --test-dir build --output-on-failure -j "$JOBS"
plain=$(count_tests build)

echo "== the real game under a Wayland compositor =="
wayland_started=$(date +%s)
bash scripts/wlplay.sh build/wlplay
wayland=$(( $(date +%s) - wayland_started ))

echo "== build and test under ASan and UBSan =="
BUILD_DIR=build-asan bash scripts/build.sh -DCMAKE_BUILD_TYPE=Debug -DROOFRIDER_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$JOBS"
sanitized=$(count_tests build-asan)

echo "== fuzz =="
fuzz_log=$(mktemp)
trap 'rm -f "$fuzz_log"' EXIT
FUZZ_SECONDS=${FUZZ_SECONDS:-10} bash scripts/fuzz.sh | tee "$fuzz_log"
fuzzed=$(grep -c "no crash" "$fuzz_log")

echo "test.sh: all passed: $plain tests, one Wayland play (${wayland} s), $sanitized under ASan+UBSan, $fuzzed fuzz targets; $(( $(date +%s) - started )) s"
