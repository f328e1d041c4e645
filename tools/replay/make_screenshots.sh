#!/bin/sh
# Makes the README's screenshots from the shipped game with vexmoor-replay:
# the title, the countdown, play, level complete and game over.
#
#   tools/replay/make_screenshots.sh [BUILD_DIR] [OUT_DIR]
#
# BUILD_DIR defaults to build/ (it must hold bin/vexmoor-replay,
# bin/vexmoor-levelcheck and the installation vexmoor/), OUT_DIR to
# docs/screenshots/. Level 1 and 2 are walked along the routes that
# vexmoor-levelcheck finds; on level 3 the player walks into the mine field
# three times.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/screenshots}
replay=$build/bin/vexmoor-replay
install=$build/vexmoor
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Frame counts of the game's own timers.
step=12            # frames of one step from cell to cell
countdown=129      # a countdown after a level start: play begins in the next frame
level_done=45      # frames of the level-complete banner
dying=181          # from a death to the frame that restarts the level
restart_countdown=149

route() {
  "$build/bin/vexmoor-levelcheck" "$install/Maps/level1.map" "$install/Maps/level2.map" \
    "$install/Maps/level3.map" "$install/Maps/level4.map" |
    sed -n "s|^.*level$1\.map: route ||p"
}

# walk FIRST_FRAME MOVES: key lines holding each arrow of MOVES (U, R, D, L)
# for one step, the first starting in FIRST_FRAME, then no key.
walk() {
  echo "$2" | awk -v first="$1" -v step="$step" '{
    split("U up R right D down L left", names, " ")
    for (i = 1; i <= 8; i += 2) key[names[i]] = names[i + 1]
    for (i = 1; i <= length($0); i++) print first + (i - 1) * step, key[substr($0, i, 1)]
    print first + length($0) * step
  }'
}

route1=$(route 1)
route2=$(route 2)
# Level 3: along the top row through the open door, down round the wall,
# up to the mine field's corner, and into four armed mines.
into_mines=RRRRRRRRRRRRRRRRRDDDRRRRRRUUURRDRRR

play1=$((1 + countdown))
exit1=$((play1 + ${#route1} * step))
play2=$((exit1 + level_done + countdown + 1))
exit2=$((play2 + ${#route2} * step))
play3=$((exit2 + level_done + countdown + 1))
death1=$((play3 + ${#into_mines} * step))
life=$((dying + restart_countdown + 1 + ${#into_mines} * step))
death3=$((death1 + 2 * life))
game_over=$((death3 + dying + 1))

{
  echo "1 space"
  echo "2"
  walk $play1 "$route1"
  walk $play2 "$route2"
  walk $play3 $into_mines
  walk $((death1 + dying + restart_countdown + 1)) $into_mines
  walk $((death1 + life + dying + restart_countdown + 1)) $into_mines
} > "$work/game.keys"

"$replay" --dir "$install" --seed 1 --frames 2 --shot "1:$out/title.png"
"$replay" --dir "$install" --seed 1 --keys "$work/game.keys" --frames $((game_over + 60)) \
  --dump "$work/game.json" \
  --shot "12:$out/countdown.png" \
  --shot "$((play1 + 13 * step + 4)):$out/play.png" \
  --shot "$((exit1 + 20)):$out/level_complete.png" \
  --shot "$((game_over + 60)):$out/game_over.png"

# The run must have gone as planned: game over at the expected frame.
state=$(sed -n "${game_over}p" "$work/game.json" | sed 's/.*"GameState": \([0-9]*\).*/\1/')
if [ "$state" != 30 ]; then
  echo "make_screenshots: frame $game_over is in state $state, not game over" >&2
  exit 1
fi
echo "screenshots written to $out"
