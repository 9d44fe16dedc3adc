#!/usr/bin/env bash
# Plays the real game (build/game/roofrider, not the runner) under Xvfb with
# the openbox window manager, the way a player would: real key events from
# xdotool through the story and the title into the play, and screenshots
# of the whole desktop on the way.
#
#   bash scripts/xplay.sh [OUT_DIR]     (default: build/xplay)
#
# It prints each step and the program's exit status, and fails when the
# program did not start, died, or did not end on the final Esc.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=${1:-build/xplay}
mkdir -p "$OUT"

bash scripts/setup.sh
# The screenshots of the desktop need ImageMagick's import.
if ! command -v import >/dev/null; then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends imagemagick </dev/null
fi
bash scripts/build.sh

for n in $(seq 90 99); do [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || break; done
export DISPLAY=":$n"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.05; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

build/game/roofrider >"$OUT/roofrider.log" 2>&1 &
game=$!
pids+=("$game")

step() { echo "xplay: $*"; }
shot() {
  import -window root "$OUT/$1.png"
  step "screenshot $OUT/$1.png"
}
key() {
  kill -0 "$game" 2>/dev/null || { echo "xplay: the game is no longer running" >&2; cat "$OUT/roofrider.log" >&2; exit 1; }
  xdotool key --clearmodifiers "$@"
  step "key $*"
}

sleep 4
shot 1-story
key space # any key but Esc ends the story
sleep 5   # the title's lettering slides in
shot 2-title
key Down Down Return # Option
sleep 1
shot 3-options
key Down Down Down Return # Back
sleep 1
key Up Up Return # New Game
sleep 2
shot 4-ready
sleep 3
for k in n m space n v; do
  key "$k"
  sleep 0.7
done
shot 5-play
sleep 6
shot 6-later
# Esc ends the program unless the hero is busy (in the air, sliding): try
# a few times.
for _ in 1 2 3 4 5 6; do
  kill -0 "$game" 2>/dev/null || break
  key Escape
  sleep 1
done
if kill -0 "$game" 2>/dev/null; then
  echo "xplay: the game did not end on Esc" >&2
  exit 1
fi
status=0
wait "$game" || status=$?
step "roofrider ended with status $status"
exit "$status"
