#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: once as
# built; then builds the Debian package and checks it (lintian, the desktop
# entry, the metainfo, the winning run with the unpacked game); then the real
# game once under a headless Wayland compositor (scripts/wlplay.sh); then the
# suite once more under AddressSanitizer and UndefinedBehaviorSanitizer, then
# every fuzz target for a short fixed time. Ends with one summary line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
JOBS=$(nproc)
started=$(date +%s)

count_tests() { ctest --test-dir "$1" -N | sed -n 's/^Total Tests: //p'; }
section_started=$started
timings=""
# Ends the running section: its seconds go into the summary line.
section_done() {
  local now
  now=$(date +%s)
  timings+="${timings:+, }$1 $((now - section_started)) s"
  section_started=$now
}

echo "== build and test =="
BUILD_DIR=build bash scripts/build.sh
ctest --test-dir build --output-on-failure -j "$JOBS"
plain=$(count_tests build)
section_done "build and test"

echo "== package =="
bash scripts/package.sh
bash scripts/package_check.sh
package=roofrider_$(dpkg-parsechangelog -S Version)_$(dpkg --print-architecture).deb
section_done "package"

echo "== the real game under a Wayland compositor =="
bash scripts/wlplay.sh build/wlplay
section_done "wayland"

echo "== build and test under ASan and UBSan =="
BUILD_DIR=build-asan bash scripts/build.sh -DCMAKE_BUILD_TYPE=Debug -DROOFRIDER_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$JOBS"
sanitized=$(count_tests build-asan)
section_done "sanitizers"

echo "== fuzz =="
fuzz_log=$(mktemp)
trap 'rm -f "$fuzz_log"' EXIT
FUZZ_SECONDS=${FUZZ_SECONDS:-10} bash scripts/fuzz.sh | tee "$fuzz_log"
fuzzed=$(grep -c "no crash" "$fuzz_log")
section_done "fuzz"

echo "test.sh: all passed: $plain tests, $package checked, one Wayland play, $sanitized under ASan+UBSan," \
  "$fuzzed fuzz targets; $(( $(date +%s) - started )) s ($timings)"
