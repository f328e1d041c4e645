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

levelcheck=$build/bin/vexmoor-levelcheck
. "$root/tools/replay/key_scripts.sh"

game_over_keys "$(route 1)" "$(route 2)" > "$work/game.keys"

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
