#!/usr/bin/env bash
# Plays the real game (build/game/roofrider) under a Wayland compositor with
# SDL's Wayland driver, the way a player would: sway on its headless
# backend (no XWayland), real key presses from wtype through the story and
# the title into the play, Alt+Enter into a window and back, and
# screenshots of the whole output from grim on the way.
#
#   bash scripts/wlplay.sh [OUT_DIR]     (default: build/wlplay)
#   WLPLAY_MODE=3840x2160 WLPLAY_SCALE=2 bash scripts/wlplay.sh   (a scaled 4K output)
#
# sway refuses to run as root, so the compositor, the game and the tools
# run as an ordinary user that the script makes (roofrider-wl). It prints
# each step and the program's exit status, and fails when a window does not
# appear, the program died, or it did not end on the final Esc.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=${1:-build/wlplay}
OUTPUT_MODE=${WLPLAY_MODE:-1920x1080}   # the output's pixels
OUTPUT_SCALE=${WLPLAY_SCALE:-1}         # its scale, as sway's `output ... scale`
mkdir -p "$OUT"

bash scripts/setup.sh
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
missing=()
for tool in sway wtype grim; do command -v "$tool" >/dev/null || missing+=("$tool"); done
if ((${#missing[@]})); then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}" </dev/null
fi
bash scripts/build.sh

# The player: an ordinary user, with a copy of the game it can read and a
# runtime folder of its own for the compositor's socket.
PLAYER=roofrider-wl
id "$PLAYER" >/dev/null 2>&1 || $SUDO useradd --create-home --shell /bin/bash "$PLAYER"
WORK=$(mktemp -d /tmp/roofrider-wlplay.XXXXXX)
$SUDO cp -r build/game "$WORK/game"
$SUDO mkdir -m 0700 "$WORK/run" "$WORK/shots"
$SUDO chown -R "$PLAYER": "$WORK"
$SUDO chmod 0755 "$WORK"
cat >"$WORK/sway.config" <<EOF
output HEADLESS-1 mode $OUTPUT_MODE scale $OUTPUT_SCALE
xwayland disable
EOF

RUNUSER=$(PATH="$PATH:/usr/sbin:/sbin" command -v runuser)
# A command as the player, in the compositor's session, in place of the
# shell that runs it. SWAYSOCK only once sway has made its socket: sway
# itself would try to bind an empty one.
exec_as_player() {
  local sock
  sock=$(compgen -G "$WORK/run/sway-ipc.*.sock" | head -n 1 || true)
  exec $SUDO env -i HOME="/home/$PLAYER" PATH=/usr/local/bin:/usr/bin:/bin XDG_RUNTIME_DIR="$WORK/run" \
    WAYLAND_DISPLAY=wayland-1 ${sock:+SWAYSOCK="$sock"} WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy ${WLPLAY_ENV:-} \
    "$RUNUSER" -u "$PLAYER" -- "$@"
}
as_player() { (exec_as_player "$@"); }
# In the background, output to LOG, as one process whose id is $! (runuser
# passes a kill on to the command).
spawn_as_player() {
  local log=$1
  shift
  (exec >"$log" 2>&1; exec_as_player "$@") &
  pids+=($!)
}

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  sleep 0.3
  $SUDO rm -rf "$WORK"
}
trap cleanup EXIT

spawn_as_player "$OUT/sway.log" sway -c "$WORK/sway.config"
for _ in $(seq 100); do [[ -S "$WORK/run/wayland-1" ]] && break; sleep 0.1; done
[[ -S "$WORK/run/wayland-1" ]] || { echo "wlplay: sway did not start" >&2; cat "$OUT/sway.log" >&2; exit 1; }

# The headless backend has no keyboard: the seat gets one only while a
# virtual keyboard is connected, and a client sees keys only while the seat
# has one. A wtype that just waits keeps one connected for the whole play;
# the keys below come from short-lived ones.
spawn_as_player /dev/null wtype -s 3600000
sleep 0.5

spawn_as_player "$OUT/roofrider.log" "$WORK/game/roofrider"
game=$!

step() { echo "wlplay: $*"; }
shot() {
  as_player grim "$WORK/shots/$1.png"
  cp "$WORK/shots/$1.png" "$OUT/$1.png"
  step "screenshot $OUT/$1.png, windows: $(windows)"
}
# The compositor's windows of the game (title and size), from its tree.
windows() {
  as_player swaymsg -t get_tree | python3 -c '
import json, sys
def walk(n):
    if n.get("pid"):
        yield "%s %dx%d" % (n.get("name") or "?", n["rect"]["width"], n["rect"]["height"])
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        yield from walk(c)
print(", ".join(walk(json.load(sys.stdin))) or "none")'
}
alive() {
  kill -0 "$game" 2>/dev/null && return 0
  echo "wlplay: the game is no longer running" >&2
  cat "$OUT/roofrider.log" >&2
  exit 1
}
key() {
  alive
  as_player wtype "$@"
  step "key $*"
}

sleep 4
alive
shot 1-story
key -k space # any key but Esc ends the story
sleep 5      # the title's lettering slides in
shot 2-title
key -k Return # New Game
sleep 2
shot 3-ready
sleep 3
for k in n m space n v; do
  key -k "$k"
  sleep 0.7
done
shot 4-play
key -M alt -k Return -m alt # into a window
sleep 1
shot 5-play-window
key -k F11 # back to full screen
sleep 1
shot 6-play-full
for _ in 1 2 3 4 5 6; do
  kill -0 "$game" 2>/dev/null || break
  key -k Escape
  sleep 1
done
if kill -0 "$game" 2>/dev/null; then
  echo "wlplay: the game did not end on Esc" >&2
  exit 1
fi
status=0
wait "$game" || status=$?
step "roofrider ended with status $status"
[[ $status -eq 0 ]] || exit "$status"

# Where no window can be shown (here SDL told to use a window surface that
# its Wayland driver does not have), the program must say so and stop
# rather than run unseen. (On a scaled output the windows are drawn through
# a renderer, which that setting does not touch.)
[[ $OUTPUT_SCALE == 1 ]] || exit 0
WLPLAY_ENV="SDL_FRAMEBUFFER_ACCELERATION=0" as_player timeout 20 "$WORK/game/roofrider" >"$OUT/no-window.log" 2>&1 &&
  status=0 || status=$?
step "without a window surface: status $status, $(head -n 1 "$OUT/no-window.log")"
if [[ $status -ne 1 ]] || ! grep -q "cannot be shown" "$OUT/no-window.log"; then
  echo "wlplay: without a window surface the program did not end with status 1 and a message" >&2
  exit 1
fi
