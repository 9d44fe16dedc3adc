#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time
# (FUZZ_SECONDS, default 20) from its seed corpus. FUZZ_RUNS=N runs each
# target for N executions instead. Prints one line a target and fails if
# any target finds a crash.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-20}
TARGETS=(fuzz_picture fuzz_mci fuzz_sound_file fuzz_script fuzz_level fuzz_hostile_play)

CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DROOFRIDER_FUZZ=ON >/dev/null
# Every target is built, or the build fails and says why: a target left
# out quietly would be a fuzzer that never runs.
cmake --build "$BUILD_DIR" --target "${TARGETS[@]}" make_fuzz_seeds >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$BUILD_DIR/tools/fuzz/make_fuzz_seeds" "$work/seeds" tests/scripts/win.txt
declare -A SEEDS=(
  [fuzz_picture]="$work/seeds/picture"
  [fuzz_mci]="tools/fuzz/corpus/mci"
  [fuzz_sound_file]="$work/seeds/sound_file"
  [fuzz_script]="tools/demo/fuzz_corpus"
  [fuzz_level]="tools/fuzz/corpus/level"
  [fuzz_hostile_play]="$work/seeds/hostile_play"
)
status=0
for t in "${TARGETS[@]}"; do
  exe=$(find "$BUILD_DIR" -name "$t" -type f -perm -u+x | head -n 1)
  if [[ -z "$exe" ]]; then
    echo "fuzz: $t: FAILED (built, but not found under $BUILD_DIR)"
    status=1
    continue
  fi
  corpus="$work/corpus-$t"
  mkdir -p "$corpus"
  if [[ -d "${SEEDS[$t]}" ]]; then cp -r "${SEEDS[$t]}/." "$corpus/"; fi
  limit=(-max_total_time="$SECONDS_EACH")
  if [[ -n "${FUZZ_RUNS:-}" ]]; then limit=(-runs="$FUZZ_RUNS"); fi
  log="$work/$t.log"
  if "$exe" "${limit[@]}" -max_len=65536 -rss_limit_mb=2048 -artifact_prefix="$work/$t-" \
       "$corpus" >"$log" 2>&1; then
    runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -n 1 | grep -o '[0-9]*' || echo "?")
    echo "fuzz: $t: $runs executions, no crash"
  else
    echo "fuzz: $t: FAILED"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status
