#!/usr/bin/env bash
# Plays the real game (build/game/roofrider, not the runner) under Xvfb with
# the openbox window manager, the way a player would: real key events from
# xdotool through the story and the title into the play, Alt+Enter into a
# window and F11 back, and screenshots of the whole desktop on the way. It
# plays on three desktops: 1280 x 1024, a 3840 x 2160 one (the windows at
# twice their size) and a 1280 x 800 one (a handheld's screen).
#
#   bash scripts/xplay.sh [--pad] [OUT_DIR]   (default: build/xplay, build/xplay-pad; one folder per desktop)
#   XPLAY_SCREENS="3840x2160x24" bash scripts/xplay.sh     (only those desktops)
#
# --pad plays with a gamepad alone: the only keys pressed are the
# desktop's Alt+Enter and F11, which stay on the keyboard, and the pad
# plays on in the window and back in the full screen. The test
# build's build/tests/libroofrider_xplay_pad.so, preloaded into the
# unchanged game, plugs SDL's virtual game controller in and presses what
# this script writes to its FIFO (a pad made by another process would be
# invisible to the game, and a sandbox rarely has /dev/uinput).
#
# It prints each step and the program's exit status, and fails when the
# program did not start, died, or did not end on the final Esc (Back).
set -euo pipefail
cd "$(dirname "$0")/.."
PAD=""
if [[ ${1:-} == --pad ]]; then
  PAD=1
  shift
fi
OUT=${1:-build/xplay${PAD:+-pad}}
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
  # Xvfb picks a free display itself and tells its number (no collision
  # with another server started at the same time).
  rm -f "$dir/display"
  Xvfb -displayfd 5 -screen 0 "$screen" -nolisten tcp 5>"$dir/display" >/dev/null 2>&1 &
  local xvfb=$!
  pids+=("$xvfb")
  for _ in $(seq 200); do [[ -s $dir/display ]] && break; sleep 0.05; done
  [[ -s $dir/display ]] || { echo "xplay: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$dir/display")"
  openbox >/dev/null 2>&1 &
  local wm=$!
  pids+=("$wm")
  sleep 1

  if [[ $PAD ]]; then
    rm -f "$dir/pad.fifo"
    mkfifo "$dir/pad.fifo"
    exec 3<>"$dir/pad.fifo" # read-write: opening it never waits for the game
    LD_PRELOAD=build/tests/libroofrider_xplay_pad.so ROOFRIDER_PAD_FIFO="$dir/pad.fifo" \
      build/game/roofrider >"$dir/roofrider.log" 2>&1 &
  else
    build/game/roofrider >"$dir/roofrider.log" 2>&1 &
  fi
  game=$!
  pids+=("$game")

  shot() {
    import -window root "$dir/$1.png"
    step "screenshot $dir/$1.png"
  }
  running() {
    kill -0 "$game" 2>/dev/null || { echo "xplay: the game is no longer running" >&2; cat "$dir/roofrider.log" >&2; exit 1; }
  }
  key() {
    running
    xdotool key --clearmodifiers "$@"
    step "key $*"
  }
  # pad LINE...: each line to the preloaded pad ("tap a", "stick 0 1" ...),
  # a fifth of a second apart.
  pad() {
    for line in "$@"; do
      running
      echo "$line" >&3
      step "pad $line"
      sleep 0.2
    done
  }

  # The keys, or the buttons and stick that stand for them.
  local plays
  if [[ $PAD ]]; then
    skip_story() { pad "tap a"; }
    to_option() { pad "tap dpdown" "stick 0 1" "stick 0 0" "tap a"; }
    to_back() { pad "tap dpdown" "tap dpdown" "tap dpdown" "tap a"; }
    new_game() { pad "tap dpup" "stick 0 -0.8" "stick 0 0" "tap start"; }
    play() { pad "tap $1"; }
    quit() { pad "tap back"; }
    plays=(x y a x b)
  else
    skip_story() { key space; }
    to_option() { key Down Down Return; }
    to_back() { key Down Down Down Return; }
    new_game() { key Up Up Return; }
    play() { key "$1"; }
    quit() { key Escape; }
    plays=(n m space n v)
  fi

  sleep 4
  shot 1-story
  skip_story # any key but Esc ends the story
  sleep 5    # the title's lettering slides in
  shot 2-title
  to_option
  sleep 1
  shot 3-options
  to_back
  sleep 1
  new_game
  sleep 2
  shot 4-ready
  sleep 3
  for k in "${plays[@]}"; do
    play "$k"
    sleep 0.7
  done
  shot 5-play
  # The desktop's shortcuts stay on the keyboard, with or without a pad;
  # the pad plays on in the window and after it (and its Back must still
  # end the program below).
  key alt+Return # into a window
  play "${plays[1]}"
  sleep 1
  shot 6-window
  sleep 2
  key F11 # back to the full screen
  play "${plays[0]}"
  sleep 1
  shot 7-full-again
  # Esc ends the program unless the hero is busy (in the air, sliding): try
  # a few times.
  for _ in 1 2 3 4 5 6; do
    kill -0 "$game" 2>/dev/null || break
    quit
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
  if [[ $PAD ]]; then exec 3>&-; fi
  return "$status"
}

for screen in $SCREENS; do
  play_on "$screen" "$OUT/${screen%x*}"
done
