#!/usr/bin/env bash
# Writes a random play for the runner (roofrider-demo) to standard output:
#   tools/soak/random_script.sh SEED [LAST_FRAME]
# The same seed gives the same script. The story is skipped by a key within
# two seconds, New Game is chosen as soon as the title's menu shows, then
# play keys (Space, N, M, V, now and then Esc) come after random passes of
# the play loop up to LAST_FRAME (default 8000). Return every two seconds
# ends whatever end the play comes to (the play itself ignores it): the
# game-over picture takes any key, the evaluation and the finished staff
# roll take Return.
set -euo pipefail
seed=${1:?usage: random_script.sh SEED [LAST_FRAME]}
last_frame=${2:-8000}
RANDOM=$seed

story_ms=$((100 + RANDOM % 1900))
keys=(Return Space Up Down Shift)
echo "# random play, seed $seed"
echo "at $story_ms ${keys[RANDOM % ${#keys[@]}]}   # ends the story"
# The title's lettering slides in for about 3.4 s after the story.
new_game_ms=$((story_ms + 3800 + RANDOM % 1500))
echo "at $new_game_ms Return   # New Game"

frame=$((200 + RANDOM % 40))
while ((frame < last_frame)); do
  roll=$((RANDOM % 100))
  if ((roll < 40)); then key=Space
  elif ((roll < 60)); then key=N
  elif ((roll < 75)); then key=M
  elif ((roll < 98)); then key=V
  else key=Escape
  fi
  echo "frame $frame $key"
  frame=$((frame + 1 + RANDOM % 150))
done

# Passes come at 60 a second; the Returns go on well past the last key.
end_ms=$((new_game_ms + last_frame * 1000 / 60 + 180000))
for ((t = new_game_ms + 2000; t < end_ms; t += 2000)); do
  echo "at $t Return"
done
