#!/usr/bin/env bash
# Makes the README's screenshots with the runner (headless, virtual time):
# the story, the title, the options, the play, the evaluation and the staff
# roll, into docs/screenshots/. Run after a build (BUILD_DIR, default build).
set -euo pipefail
cd "$(dirname "$0")/.."
DEMO=${BUILD_DIR:-build}/game/roofrider-demo
OUT=docs/screenshots
mkdir -p "$OUT"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The front end: a story line at its darkest, the title's menu, the options.
cat >"$work/front.txt" <<'SCRIPT'
at 2400 Space
at 6200 Down
at 6400 Down
at 6600 Return
at 7200 Escape
SCRIPT
"$DEMO" "$work/front.txt" --shot-at "2300:$OUT/story.png" --shot-at "6000:$OUT/title.png" \
  --shot-at "7000:$OUT/options.png" >/dev/null

# The winning run: once to learn when the evaluation and the roll come, once
# with the shots.
{
  echo "at 500 Space"
  echo "at 4000 Return"
  grep '^frame ' tests/scripts/win.txt
  echo "on Hyouka 8200 Return"
  echo "on Ending 78000 Space"
} >"$work/goal.txt"
windows=$("$DEMO" "$work/goal.txt" --windows)
at() { sed -n "s/^window: $1 at \([0-9]*\) ms$/\1/p" <<<"$windows" | head -n 1; }
evaluation=$(( $(at Hyouka) + 7500 ))
roll=$(( $(at Ending) + 22000 ))
"$DEMO" "$work/goal.txt" --shot "1500:$OUT/play.png" --shot-at "$evaluation:$OUT/evaluation.png" \
  --shot-at "$roll:$OUT/staffroll.png" >/dev/null
ls -l "$OUT"
