#!/usr/bin/env bash
# Soak: many whole plays with random keys (tools/soak/random_script.sh)
# through the runner built with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer. Each play must end by itself (game over, Esc or the
# finish) without a crash, a sanitizer report or a leak; the peak resident
# memory of each play is kept, to see it stay flat from the first play to
# the last.
#
#   SOAK_PLAYS=1000     how many plays
#   SOAK_JOBS=2         plays at a time (at most 2)
#   SOAK_MAX_MS=600000  each play's limit in virtual milliseconds
#   SOAK_WALL=3600      the whole soak's limit in real seconds; plays not
#                       started by then are left out (and the soak fails)
#   SOAK_SEED=1         the first play's seed (play n has seed SEED + n - 1)
#   BUILD_DIR=build-asan, SOAK_BUILD=0 to use that build as it is
#   SOAK_OUT=DIR        keep the scripts, outputs and the table there
set -euo pipefail
cd "$(dirname "$0")/.."

PLAYS=${SOAK_PLAYS:-1000}
JOBS=${SOAK_JOBS:-2}
((JOBS > 2)) && JOBS=2
((JOBS < 1)) && JOBS=1
MAX_MS=${SOAK_MAX_MS:-600000}
WALL=${SOAK_WALL:-3600}
SEED=${SOAK_SEED:-1}
BUILD_DIR=${BUILD_DIR:-build-asan}

if [[ ${SOAK_BUILD:-1} != 0 ]]; then
  # The build's own tools (the picture generator) run under the sanitizers
  # too; a leak report of one of them is not this soak's business.
  ASAN_OPTIONS=detect_leaks=0 BUILD_DIR="$BUILD_DIR" bash scripts/build.sh \
    -DCMAKE_BUILD_TYPE=Debug -DROOFRIDER_SANITIZE=ON >/dev/null
fi
RUNNER="$BUILD_DIR/game/roofrider-demo"
[[ -x $RUNNER ]] || { echo "soak: $RUNNER is not built" >&2; exit 1; }
TIME=/usr/bin/time
[[ -x $TIME ]] || { echo "soak: $TIME is needed to measure memory (Debian package 'time')" >&2; exit 1; }

if [[ -n ${SOAK_OUT:-} ]]; then
  work=$SOAK_OUT
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
deadline=$(($(date +%s) + WALL))

export RUNNER TIME MAX_MS work deadline
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=print_suppressions=0

# One play: writes "n status peak_kb frames lives ending" to its own line
# file, or "n skipped" once the wall limit has passed.
play() {
  local n=$1 seed=$2
  if (($(date +%s) >= deadline)); then
    echo "$n skipped" >"$work/$n.line"
    return 0
  fi
  tools/soak/random_script.sh "$seed" >"$work/$n.txt"
  local status=0
  "$TIME" -f "peak_kb %M" -o "$work/$n.mem" "$RUNNER" "$work/$n.txt" --max-ms "$MAX_MS" \
    >"$work/$n.out" 2>"$work/$n.err" || status=$?
  local peak frames lives ending
  peak=$(awk '/^peak_kb/ {print $2}' "$work/$n.mem")
  frames=$(sed -n 's/^summary: \([0-9]*\) frames.*/\1/p' "$work/$n.out")
  lives=$(sed -n 's/^summary: .* lives \(-*[0-9]*\)$/\1/p' "$work/$n.out")
  case "$(tail -n 1 "$work/$n.out")" in
    "ended: Game ended the program (End)") ending=$([[ $lives == 0 ]] && echo game-over || echo esc) ;;
    "ended: Hyouka ended the program (End)" | "ended: Ending ended the program (End)") ending=finish ;;
    *) ending=other ;;
  esac
  if grep -q -e 'Sanitizer' -e 'runtime error:' "$work/$n.err"; then ending=sanitizer; fi
  echo "$n $status ${peak:-0} ${frames:-0} ${lives:-?} $ending" >"$work/$n.line"
}
export -f play

start=$(date +%s)
for ((n = 1; n <= PLAYS; ++n)); do echo "$n $((SEED + n - 1))"; done |
  xargs -P "$JOBS" -n 2 bash -c 'play "$0" "$1"'
elapsed=$(($(date +%s) - start))

table="$work/soak.txt"
for ((n = 1; n <= PLAYS; ++n)); do cat "$work/$n.line"; done >"$table"

awk -v plays="$PLAYS" -v elapsed="$elapsed" -v jobs="$JOBS" '
  $2 == "skipped" { skipped++; next }
  {
    ran++
    if ($2 != 0 || $6 == "other" || $6 == "sanitizer") { bad++; if (bad <= 10) failed = failed " " $1 "(" $6 ", status " $2 ")" }
    count[$6]++
    frames += $4
    rss[ran] = $3
    if ($3 > most) most = $3
  }
  END {
    k = ran < 20 ? int(ran / 2) : 10
    for (i = 1; i <= k; ++i) { first += rss[i]; last += rss[ran - k + i] }
    printf "soak: %d of %d plays in %d s with %d jobs, %d passes of the play loop\n", ran, plays, elapsed, jobs, frames
    printf "soak: endings: %d game over, %d Esc, %d finish; %d failed, %d left out by the wall limit\n",
           count["game-over"], count["esc"], count["finish"], bad, skipped
    if (k > 0)
      printf "soak: peak resident memory: first %d plays %.0f KB on average, last %d plays %.0f KB, highest %d KB\n",
             k, first / k, k, last / k, most
    if (bad) printf "soak: failed plays:%s\n", failed
    exit (bad || skipped) ? 1 : 0
  }' "$table"
