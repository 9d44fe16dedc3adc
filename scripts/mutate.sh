#!/usr/bin/env bash
# The mutation run: how many small changes to the game's own code the tests
# notice. tools/mutate makes a fixed list of mutants of every source file of
# src/core, src/display, src/game, src/sound and src/screens (a comparison
# turned, + and - swapped, a constant moved by one, a condition negated, a
# statement removed, two statements swapped); each is built and the tests
# that run its lines are run, quickest first, until one fails (killed), the
# time limit passes (timed out) or all pass (survived). A mutant on lines no
# test runs survives without a run. Not part of CI: see the README for how
# long it takes.
#
#   bash scripts/mutate.sh
#   MUTATE_FILES="src/game/player.cpp src/sound/*.cpp" bash scripts/mutate.sh
#   MUTATE_MAX=40 bash scripts/mutate.sh     the first 40 mutants of those files
#   MUTATE_EVERY=5 bash scripts/mutate.sh    every fifth mutant of the list (a sample)
#   MUTATE_TREE=COMMIT bash scripts/mutate.sh a commit's tree (with tools/mutate as it is now)
#   MUTATE_HINTS=FILE bash scripts/mutate.sh  an earlier run's killers tried first
#   MUTATE_IDS="src/game/items.cpp:40:1 ..." bash scripts/mutate.sh   only these mutants
#
# It works on a copy of the tree in build-mutate/source (the working tree is
# never touched) with its own build, build-mutate/build: the game's folders
# unoptimised and with coverage, the rest at -O1, no debug information. The
# first run measures which tests run which lines (the coverage map, made
# again whenever the sources or tests change). Most mutants of a file are
# built into it at once, each switched on by ROOFRIDER_MUTANT (see
# tools/mutate/source_mutants.h); the others are built one by one. An
# interrupted run goes on where it stopped when started again on the same
# tree. The report is build-mutate/run/report.txt.
set -euo pipefail
if [[ -z ${MUTATE_ROOT:-} ]]; then
  # A copy of this script runs, at low priority, so that the script itself
  # may be edited while a long run goes on.
  MUTATE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
  export MUTATE_ROOT
  mkdir -p "${MUTATE_DIR:-$MUTATE_ROOT/build-mutate}"
  flock -n "${MUTATE_DIR:-$MUTATE_ROOT/build-mutate}/lock" true ||
    { echo "mutate: another run uses ${MUTATE_DIR:-$MUTATE_ROOT/build-mutate}" >&2; exit 1; }
  copy=${MUTATE_DIR:-$MUTATE_ROOT/build-mutate}/mutate.sh
  cp "$0" "$copy"
  exec nice -n 10 bash "$copy" "$@"
fi

ROOT=$MUTATE_ROOT
cd "$ROOT"
WORK=${MUTATE_DIR:-$ROOT/build-mutate}
SRC=$WORK/source
BUILD=$WORK/build
RUN=$WORK/run
FOLDERS=(src/core src/display src/game src/sound src/screens)
TARGETS=(roofrider_tests roofrider-demo roofrider)
mkdir -p "$SRC" "$BUILD" "$RUN"
exec 9>"$WORK/lock"
flock -n 9 || { echo "mutate: another run uses $WORK" >&2; exit 1; }
say() { echo "mutate: $*" >&2; }
started=$(date +%s)

# --- The copy of the tree ------------------------------------------------------
# The working tree, or with MUTATE_TREE=COMMIT that commit's tree. A file
# whose content differs is copied (and so gets a new time, which the build
# notices); the others are left alone.
sync_tree() {
  local from=$ROOT list=$RUN/files.txt
  if [[ -n ${MUTATE_TREE:-} ]]; then
    from=$RUN/tree
    rm -rf "$from"
    mkdir -p "$from"
    git archive "$MUTATE_TREE" | tar -x -C "$from"
    rm -rf "$from/tools/mutate"
    cp -r tools/mutate "$from/tools/mutate"  # the mutant maker as it is now
    # A tree from before the mutation run gets its two build hooks, as the
    # commit that brought them wrote them.
    if ! grep -q 'add_subdirectory(tools/mutate)' "$from/CMakeLists.txt"; then
      local hooks
      hooks=$(git log --format=%H -S'add_subdirectory(tools/mutate)' -- CMakeLists.txt | tail -n 1)
      git diff "$hooks^" "$hooks" -- CMakeLists.txt | patch -s -p1 -d "$from" ||
        { say "the build hooks do not apply to $MUTATE_TREE's CMakeLists.txt"; exit 1; }
    fi
    (cd "$from" && find . -type f | sed 's|^\./||' | sort) >"$list"
  else
    git ls-files -co --exclude-standard | while IFS= read -r f; do [[ -f $f ]] && echo "$f"; done | sort >"$list"
  fi
  while IFS= read -r f; do
    if ! cmp -s "$from/$f" "$SRC/$f"; then
      mkdir -p "$SRC/$(dirname "$f")"
      cp "$from/$f" "$SRC/$f"
    fi
  done <"$list"
  (cd "$SRC" && find . -type f | sed 's|^\./||' | sort) | comm -23 - "$list" |
    while IFS= read -r f; do rm -f "$SRC/$f"; done
}

# The file being mutated, and its original, put back on any exit.
current=""
restore() {
  if [[ -n $current ]]; then
    cp "$RUN/original" "$SRC/$current"
    current=""
  fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

build() {
  ninja -C "$BUILD" -j 2 "${TARGETS[@]}" >"$RUN/build.log" 2>&1
}

say "copying the tree to $SRC"
sync_tree
# The game's folders are built with coverage only to make the coverage map;
# the mutants run without it (nothing written at every exit).
configure() {  # coverage: yes or no
  local options="-O0;-w;-Wno-error"
  [[ $1 == yes ]] && options+=";--coverage"
  cmake -S "$SRC" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Mutate -DCMAKE_CXX_FLAGS_MUTATE=-O1 \
    -DCMAKE_C_FLAGS_MUTATE=-O1 "-DROOFRIDER_GAME_COMPILE_OPTIONS=$options" \
    "-DCMAKE_EXE_LINKER_FLAGS=--coverage -fuse-ld=gold" >/dev/null
  build || { cat "$RUN/build.log" >&2; exit 1; }
}
key=$(cd "$SRC" && find src tests tools CMakeLists.txt -type f -not -path 'tools/mutate/*' | sort | xargs sha1sum |
  sha1sum | cut -c1-16)
need_map=no
[[ -f $RUN/coverage.map && $(cat "$RUN/coverage.key" 2>/dev/null) == "$key" ]] || need_map=yes
say "building (the first time takes as long as a whole build)"
configure $need_map
ninja -C "$BUILD" roofrider-mutate >/dev/null
MUTATE=$BUILD/tools/mutate/roofrider-mutate
TESTS=$BUILD/tests/roofrider_tests
OBJECTS=$BUILD/CMakeFiles/roofrider_game.dir

# --- The coverage map: which tests run which lines -----------------------------
if [[ $need_map == yes ]]; then
  "$TESTS" --gtest_list_tests | awk '/^[^ ]/ { suite = $1; next } /^  / { print suite $1 }' |
    grep -v DISABLED_ >"$RUN/tests.txt"
  say "measuring the coverage of each of the $(wc -l <"$RUN/tests.txt") tests"
  rm -rf "$RUN/gcov"
  mkdir -p "$RUN/gcov"
  : >"$RUN/tests.tsv"
  n=0
  while IFS= read -r name; do
    n=$((n + 1))
    find "$OBJECTS" -name '*.gcda' -delete
    t0=$(date +%s%N)
    if (cd "$BUILD/tests" && timeout -k 5 600 "$TESTS" --gtest_filter="$name" >"$RUN/gcov/$n.log" 2>&1); then
      t1=$(date +%s%N)
      printf '%d\t%s\t%s\n' "$n" "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')" "$name" \
        >>"$RUN/tests.tsv"
      (cd "$OBJECTS" && find . -name '*.gcda' -print0 | xargs -0 -r gcov -t 2>/dev/null) >"$RUN/gcov/$n.gcov"
    else
      say "$name fails without any mutant: left out of the run"
    fi
  done <"$RUN/tests.txt"
  "$MUTATE" covmap "$SRC" "$RUN/tests.tsv" "$RUN/gcov" "$RUN/coverage.map"
  echo "$key" >"$RUN/coverage.key"
  rm -rf "$RUN/gcov"
  configure no
fi

# --- The mutants -----------------------------------------------------------------
files=()
if [[ -n ${MUTATE_IDS:-} && -z ${MUTATE_FILES:-} ]]; then
  MUTATE_FILES=$(tr ' ' '\n' <<<"$MUTATE_IDS" | sed -n 's/:.*//p' | sort -u | paste -sd' ')
fi
if [[ -n ${MUTATE_FILES:-} ]]; then
  for pattern in $MUTATE_FILES; do
    for f in $(cd "$SRC" && compgen -G "$pattern" || true); do files+=("$f"); done
  done
else
  for d in "${FOLDERS[@]}"; do
    for f in $(cd "$SRC" && ls "$d"/*.cpp); do files+=("$f"); done
  done
fi
for f in "${files[@]}"; do
  case $f in src/core/* | src/display/* | src/game/* | src/sound/* | src/screens/*) ;;
  *) say "$f is not in the mutated folders"; exit 1 ;;
  esac
done
((${#files[@]})) || { say "no files chosen"; exit 1; }

"$MUTATE" list "$SRC" "${files[@]}" >"$RUN/mutants.tsv"
"$MUTATE" plan "$SRC" "$RUN/coverage.map" "${files[@]}" >"$RUN/plan.tsv"
if [[ -n ${MUTATE_IDS:-} ]]; then
  awk -F'\t' -v ids="$(echo $MUTATE_IDS)" 'BEGIN { n = split(ids, l, " "); for (i = 1; i <= n; i++) want[l[i]] = 1 } want[$1]' \
    "$RUN/plan.tsv" >"$RUN/plan.tsv.part" && mv "$RUN/plan.tsv.part" "$RUN/plan.tsv"
fi
if [[ ${MUTATE_EVERY:-1} -gt 1 ]]; then
  awk -v n="$MUTATE_EVERY" '(NR - 1) % n == 0' "$RUN/plan.tsv" >"$RUN/plan.tsv.part" && mv "$RUN/plan.tsv.part" "$RUN/plan.tsv"
fi
if [[ ${MUTATE_MAX:-0} -gt 0 ]]; then
  head -n "$MUTATE_MAX" "$RUN/plan.tsv" >"$RUN/plan.tsv.part" && mv "$RUN/plan.tsv.part" "$RUN/plan.tsv"
fi
say "$(wc -l <"$RUN/plan.tsv") mutants in ${#files[@]} files"

# Results: one line a mutant (id, outcome, seconds, change, the test that
# failed first); a run on the same tree goes on after the ones already there.
results=$RUN/results.tsv
if [[ $(head -n 1 "$results" 2>/dev/null) != "# $key" ]]; then
  [[ -f $results ]] && mv "$results" "$RUN/results.old.tsv"
  echo "# $key" >"$results"
fi
declare -A done_already change hint
# With MUTATE_HINTS=RESULTS (an earlier run's results.tsv), the test that
# killed a mutant then runs first for it now.
if [[ -n ${MUTATE_HINTS:-} ]]; then
  while IFS=$'\t' read -r id outcome _ _ test; do
    [[ $outcome == killed && -n $test ]] && hint[$id]=$test
  done < <(grep -v '^#' "$MUTATE_HINTS")
fi
while IFS=$'\t' read -r id _; do done_already[$id]=1; done < <(grep -v '^#' "$results" || true)
while IFS=$'\t' read -r id _ _ text; do change[$id]=$text; done <"$RUN/mutants.tsv"

record() {  # id outcome seconds [test]
  [[ $2 == killed && -n ${4:-} ]] && killer[$4]=1
  printf '%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "${change[$1]}" "${4:-}" >>"$results"
  printf '  %-34s %-9s %5ss  %s\n' "$1" "$2" "$3" "${change[$1]}" >&2
}

# Baseline milliseconds of each test, from the coverage run.
declare -A ms_of
while IFS=$'\t' read -r _ seconds name; do ms_of[$name]=$((10#${seconds/./})); done <"$RUN/tests.tsv"
declare -A killer=()  # the tests that have killed a mutant of the file at hand

# The groups of tests a mutant runs, one process each, in this order: the
# tests that already killed a mutant of this file, the other quick ones,
# then the slow ones, quickest first, in batches of about ten seconds.
# One line a group: its baseline milliseconds, a tab, its names joined by ':'.
groups_for() {  # quick-names slow-names [test that killed this mutant in an earlier run]
  local first="" first_ms=0 quick="" quick_ms=0 batch="" batch_ms=0 name
  if [[ -n ${3:-} && ":$1:$2:" == *":$3:"* ]]; then
    printf '%d\t%s\n' "${ms_of[$3]:-60000}" "$3"
  fi
  for name in ${1//:/ }; do
    [[ $name == - ]] && continue
    if [[ -n ${killer[$name]:-} ]]; then
      first+=${first:+:}$name first_ms=$((first_ms + ms_of[$name]))
    else
      quick+=${quick:+:}$name quick_ms=$((quick_ms + ms_of[$name]))
    fi
  done
  [[ -n $first ]] && printf '%d\t%s\n' "$first_ms" "$first"
  [[ -n $quick ]] && printf '%d\t%s\n' "$quick_ms" "$quick"
  for name in ${2//:/ }; do
    [[ $name == - ]] && continue
    batch+=${batch:+:}$name batch_ms=$((batch_ms + ms_of[$name]))
    if ((batch_ms >= 10000)); then
      printf '%d\t%s\n' "$batch_ms" "$batch"
      batch="" batch_ms=0
    fi
  done
  [[ -n $batch ]] && printf '%d\t%s\n' "$batch_ms" "$batch"
  return 0
}

# Runs a group of tests in one process, stopping at the first failure;
# prints passed, failed or timeout. The limit is three times the group's
# baseline and half a minute.
run_group() {  # mutant-number milliseconds names
  local rc=0
  (cd "$BUILD/tests" && ROOFRIDER_MUTANT=$1 timeout -k 5 $((3 * $2 / 1000 + 30)) \
    "$TESTS" --gtest_filter="$3" --gtest_fail_fast >"$RUN/test.log" 2>&1) || rc=$?
  case $rc in
    0) echo passed ;;
    124 | 137) echo timeout ;;
    *) echo failed ;;
  esac
}

# The test that failed or ran too long in the last group.
culprit_of_last() {
  local culprit
  culprit=$(grep -m1 '^\[  FAILED  \] ' "$RUN/test.log" | awk '{ print $4 }' || true)
  [[ -n $culprit ]] || culprit=$(grep '^\[ RUN      \] ' "$RUN/test.log" | tail -n 1 | awk '{ print $4 }' || true)
  echo "$culprit"
}

# The outcome of a built mutant, and the test that failed or ran too long.
# A test that fails among others must fail alone too; if it does not (a
# test that leans on what an earlier one left behind), every test runs in
# a process of its own.
judge() {  # mutant-number quick-names slow-names [hint]
  local outcome=passed culprit="" ms group name
  while IFS=$'\t' read -r ms group; do
    outcome=$(run_group "$1" "$ms" "$group")
    [[ $outcome == passed ]] || break
  done < <(groups_for "$2" "$3" "${4:-}")
  [[ $outcome == passed ]] || culprit=$(culprit_of_last)
  if [[ $outcome == failed && -n $culprit && $(run_group "$1" "${ms_of[$culprit]:-60000}" "$culprit") == passed ]]; then
    outcome=passed culprit=""
    for name in ${2//:/ } ${3//:/ }; do
      [[ $name == - ]] && continue
      outcome=$(run_group "$1" "${ms_of[$name]:-60000}" "$name")
      [[ $outcome == passed ]] || { culprit=$name; break; }
    done
  fi
  case $outcome in
    passed) echo survived ;;
    failed) printf 'killed\t%s\n' "$culprit" ;;
    *) printf 'timeout\t%s\n' "$culprit" ;;
  esac
}

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

for file in "${files[@]}"; do
  todo=()
  declare -A plan_of=()
  while IFS=$'\t' read -r id count qs qn ss sn; do
    [[ ${id%%:*} == "$file" && -z ${done_already[$id]:-} ]] || continue
    if [[ $count == 0 ]]; then
      record "$id" uncovered 0
      continue
    fi
    todo+=("$id")
    plan_of[$id]="$qs"$'\t'"$qn"$'\t'"$ss"$'\t'"$sn"
  done <"$RUN/plan.tsv"
  ((${#todo[@]})) || continue
  killer=()
  say "$file: ${#todo[@]} mutants to build and test"
  cp "$SRC/$file" "$RUN/original"
  current=$file

  # As many as possible built in at once; a switch the compiler refuses is
  # left out, and its mutant is built alone below.
  declare -A in_schema=()
  left_out=()
  for attempt in $(seq 1 40); do
    cp "$RUN/original" "$SRC/$file"
    "$MUTATE" schema "$SRC" "$file" "${left_out[@]}" >"$RUN/schema.tsv"
    if build; then
      while IFS=$'\t' read -r number id; do in_schema[$id]=$number; done <"$RUN/schema.tsv"
      break
    fi
    error=$(grep -oE "$file:[0-9]+:[0-9]+: error" "$RUN/build.log" | head -n 1 || true)
    culprit=""
    if [[ -n $error ]]; then
      IFS=: read -r line column _ <<<"${error#*"$file":}"
      culprit=$("$MUTATE" culprits "$SRC" "$file" "$line" "$column" | head -n 1)
    fi
    if [[ -z $culprit ]]; then
      say "$file: its mutants do not build together; each is built alone"
      break
    fi
    left_out+=("$culprit")
  done
  if ((${#in_schema[@]})); then
    # The file with every switch off must pass the tests of all its mutants.
    all_quick=$(for id in "${todo[@]}"; do cut -f2 <<<"${plan_of[$id]}"; done | tr ':' '\n' | sort -u | paste -sd:)
    all_slow=$(for id in "${todo[@]}"; do cut -f4 <<<"${plan_of[$id]}"; done | tr ':' '\n' | sort -u | paste -sd:)
    if [[ $(judge 0 "${all_quick:--}" "${all_slow:--}") != survived ]]; then
      say "$file: with every switch off a test fails ($(grep -m1 'FAILED\|Failure' "$RUN/test.log" || true)); each mutant is built alone"
      in_schema=()
    fi
  fi
  for id in "${todo[@]}"; do
    [[ -n ${in_schema[$id]:-} ]] || continue
    IFS=$'\t' read -r qs qn ss sn <<<"${plan_of[$id]}"
    t0=$(now)
    IFS=$'\t' read -r outcome culprit <<<"$(judge "${in_schema[$id]}" "$qn" "$sn" "${hint[$id]:-}")"
    record "$id" "$outcome" "$(since "$t0")" "$culprit"
  done

  # The rest, one build each.
  for id in "${todo[@]}"; do
    [[ -z ${in_schema[$id]:-} ]] || continue
    IFS=$'\t' read -r qs qn ss sn <<<"${plan_of[$id]}"
    t0=$(now)
    cp "$RUN/original" "$SRC/$file"
    "$MUTATE" apply "$SRC" "$id"
    if build; then
      IFS=$'\t' read -r outcome culprit <<<"$(judge 0 "$qn" "$sn" "${hint[$id]:-}")"
      record "$id" "$outcome" "$(since "$t0")" "$culprit"
    else
      record "$id" unbuilt "$(since "$t0")"
    fi
  done
  restore
  unset plan_of in_schema
done

build || true  # the copy's build as the tree is, for the next run
# The report covers the mutants chosen this time.
awk -F'\t' 'NR == FNR { chosen[$1] = 1; next } chosen[$1]' "$RUN/plan.tsv" "$results" >"$RUN/chosen.tsv"
"$MUTATE" report "$SRC" "$RUN/chosen.tsv" | tee "$RUN/report.txt"
say "done in $(( ($(date +%s) - started) / 60 )) min; report in $RUN/report.txt"
