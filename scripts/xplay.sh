#!/usr/bin/env bash
# Plays the real game (build/game/roofrider, not the runner) under Xvfb with
# the openbox window manager, the way a player would: real key events from
# xdotool through the story and the title into the play, Alt+Enter into a
# window and F11 back, and screenshots of the whole desktop on the way. It
# plays on three desktops: 1280 x 1024, a 3840 x 2160 one (the windows at
# twice their size) and a 1280 x 800 one (a handheld's screen).
#
#   bash scripts/xplay.sh [OUT_DIR]     (default: build/xplay; one folder per desktop)
#   XPLAY_SCREENS="3840x2160x24" bash scripts/xplay.sh     (only those desktops)
#
# It prints each step and the program's exit status, and fails when the
# program did not start, died, or did not end on the final Esc.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=${1:-build/xplay}
SCREENS=${XPLAY_SCREENS:-1280x1024x24 3840x2160x24 1280x800x24}
mkdir -p "$OUT"

bash scripts/setup.sh
# The screenshots of the desktop need ImageMagick's import.
if ! command -v import >/dev/null; then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends imagemagick </dev/null
fi
bash scripts/build.sh

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

step() { echo "xplay: $*"; }

# One play on a desktop of SCREEN (WxHxDEPTH), its screenshots in DIR.
play_on() {
  local screen=$1 dir=$2
  mkdir -p "$dir"
  step "desktop $screen"
  for n in $(seq 90 99); do [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || break; done
  export DISPLAY=":$n"
  Xvfb "$DISPLAY" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
  local xvfb=$!
  pids+=("$xvfb")
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.05; done
  openbox >/dev/null 2>&1 &
  local wm=$!
  pids+=("$wm")
  sleep 1

  build/game/roofrider >"$dir/roofrider.log" 2>&1 &
  game=$!
  pids+=("$game")

  shot() {
    import -window root "$dir/$1.png"
    step "screenshot $dir/$1.png"
}
key() {
  kill -0 "$game" 2>/dev/null || { echo "xplay: the game is no longer running" >&2; cat "$dir/roofrider.log" >&2; exit 1; }
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
key alt+Return # into a window
sleep 1
shot 6-window
sleep 2
key F11 # back to the full screen
sleep 1
shot 7-full-again
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
local status=0
wait "$game" || status=$?
step "roofrider ended with status $status"
kill "$wm" "$xvfb" 2>/dev/null || true
wait "$wm" "$xvfb" 2>/dev/null || true
return "$status"
}

for screen in $SCREENS; do
  play_on "$screen" "$OUT/${screen%x*}"
done
