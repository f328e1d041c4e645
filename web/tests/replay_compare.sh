#!/usr/bin/env bash
# replay_compare.sh NATIVE_BUILD WEB_BUILD: plays the same key scripts with
# the desktop replay tool (NATIVE_BUILD/bin/vexmoor-replay, on the classic
# SDL 1.2) and the browser build's (scripts/web-replay.sh WEB_BUILD, under
# node), and fails unless every per-frame dump is byte for byte the same,
# every --shot picture pixel for pixel, and every exit status equal.
#
# The scripts: all four shipped levels walked along the routes
# vexmoor-levelcheck finds, one after the other, and on into level 1 again,
# by the keys and by the pad; a game that dies three times in level 3's mine field to game over; the
# loose files of -develop; and the failures (a bad option, a missing
# picture).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
native=$(cd "$1" && pwd)
web=$(cd "$2" && pwd)
install=$native/vexmoor
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

desktop_replay() { env -u LD_LIBRARY_PATH "$native/bin/vexmoor-replay" "$@"; }
web_replay() { "$root/scripts/web-replay.sh" "$web" "$@"; }

levelcheck=$native/bin/vexmoor-levelcheck
source "$root/tools/replay/key_scripts.sh"

# compare_runs NAME ARGS...: runs both tools with ARGS, where @OUT@ stands for
# each tool's own output folder, and compares status, dump and pictures.
compare_runs() {
  local name=$1
  shift
  local side status
  declare -A statuses
  for side in desktop web; do
    mkdir -p "$work/$name/$side"
    local args=("${@//@OUT@/$work/$name/$side}")
    set +e
    "${side}_replay" "${args[@]}" >"$work/$name/$side.out" 2>"$work/$name/$side.err"
    statuses[$side]=$?
    set -e
  done
  local verdict=ok
  if [ "${statuses[desktop]}" != "${statuses[web]}" ]; then
    verdict="exit status ${statuses[web]}, the desktop's ${statuses[desktop]}"
    sed 's/^/  web: /' "$work/$name/web.err" | head -5
  fi
  local count=0
  for file in "$work/$name/desktop"/*; do
    [ -e "$file" ] || continue
    local other=$work/$name/web/$(basename "$file")
    count=$((count + 1))
    if [ ! -e "$other" ]; then
      verdict="no $(basename "$file") from the web replay"
    elif [[ $file == *.png ]]; then
      local off
      off=$(compare -metric AE "$file" "$other" null: 2>&1 || true)
      [ "$off" = 0 ] || verdict="$(basename "$file"): $off pixels differ"
    elif ! cmp -s "$file" "$other"; then
      verdict="$(basename "$file") differs from frame $(cmp "$file" "$other" | sed -n 's/.*line \([0-9]*\).*/\1/p') on"
    fi
  done
  if [ "$verdict" = ok ]; then
    echo "same: $name (status ${statuses[web]}, $count files)"
  else
    echo "DIFFERENT: $name: $verdict"
    failures=$((failures + 1))
  fi
}

# All four levels along their routes, then level 1 once more.
routes=()
for n in 1 2 3 4; do routes+=("$(route $n)"); done
frame=$((1 + countdown))
shots=()
{
  echo "1 space"
  echo "2"
  for n in 0 1 2 3; do
    walk $frame "${routes[n]}"
    shots+=(--shot "$((frame + ${#routes[n]} * step / 2 + 5)):@OUT@/level$((n + 1))-play.png")
    frame=$((frame + ${#routes[n]} * step))
    shots+=(--shot "$((frame + 20)):@OUT@/level$((n + 1))-done.png")
    frame=$((frame + level_done + countdown + 1))
  done
  walk $frame "${routes[0]:0:6}"
} >"$work/routes.keys"
last=$((frame + 6 * step + 30))
compare_runs routes --seed 1 --keys "$work/routes.keys" --frames $last --dump @OUT@/dump.json "${shots[@]}" \
  --shot "$last:@OUT@/level1-again.png"
# The walk must really have gone round: level 1 again at the end.
if ! tail -n 1 "$work/routes/web/dump.json" | grep -q '"Level": 1,'; then
  echo "DIFFERENT: routes: the walk did not come back to level 1 (the routes or timings have changed)"
  failures=$((failures + 1))
fi

# The same walk by the pad: the D-pad for the arrows and A for Space, taken
# by the browser SDL's joystick events as by the desktop's.
sed -e 's/ up/ pad-up/; s/ down/ pad-down/; s/ left/ pad-left/; s/ right/ pad-right/; s/ space/ pad-a/' \
  "$work/routes.keys" >"$work/pad-routes.keys"
compare_runs pad-routes --seed 1 --keys "$work/pad-routes.keys" --frames $last --dump @OUT@/dump.json \
  --shot "$last:@OUT@/level1-again.png"
if ! cmp -s "$work/routes/web/dump.json" "$work/pad-routes/web/dump.json"; then
  echo "DIFFERENT: pad-routes: walking by the pad does not dump as walking by the keys"
  failures=$((failures + 1))
fi

# Levels 1 and 2, then three walks into level 3's mines: game over.
game_over_keys "${routes[0]}" "${routes[1]}" >"$work/mines.keys"
compare_runs game-over --seed 7 --keys "$work/mines.keys" --frames $((game_over + 200)) --dump @OUT@/dump.json \
  --shot "$((death1 - 3)):@OUT@/mine.png" --shot "$((death1 + 30)):@OUT@/dying.png" \
  --shot "$((game_over + 60)):@OUT@/game-over.png" --shot "$((game_over + 200)):@OUT@/title-again.png"
if ! sed -n "${game_over}p" "$work/game-over/web/dump.json" | grep -q '"GameState": 30,'; then
  echo "DIFFERENT: game-over: frame $game_over is not game over (the routes or timings have changed)"
  failures=$((failures + 1))
fi

# The loose files, and the game ended by Escape.
printf '1 space\n2\n140 right\n170 escape\n' >"$work/develop.keys"
compare_runs develop --develop --seed 3 --keys "$work/develop.keys" --dump @OUT@/dump.json --shot 1:@OUT@/title.png \
  --shot 160:@OUT@/walk.png

# Failures end the same way.
compare_runs bad-option --frames none
mkdir -p "$work/broken"
cp -r "$install"/. "$work/broken/"
rm "$work/broken/Sprites/medkit.dat"
compare_runs missing-picture --dir "$work/broken" --frames 5

if [ $failures -gt 0 ]; then
  echo "$failures of the web replay's runs differ from the desktop's"
  exit 1
fi
echo "the web replay matches the desktop replay in every run"
