# Key scripts along the shipped levels, for the scripts that play the game
# with vexmoor-replay (make_screenshots.sh, the browser build's replay
# comparison). Sourced, not run; the caller sets $levelcheck (the
# vexmoor-levelcheck program) and $install (the installation folder).

# Frame counts of the game's own timers.
step=12            # frames of one step from cell to cell
countdown=129      # a countdown after a level start: play begins in the next frame
level_done=45      # frames of the level-complete banner
dying=181          # from a death to the frame that restarts the level
restart_countdown=149

# Level 3: along the top row through the open door, down round the wall,
# up to the mine field's corner, and into four armed mines.
into_mines=RRRRRRRRRRRRRRRRRDDDRRRRRRUUURRDRRR

# Every level's shortest route as vexmoor-levelcheck finds it, asked once.
level_routes=$("$levelcheck" "$install/Maps/level1.map" "$install/Maps/level2.map" \
  "$install/Maps/level3.map" "$install/Maps/level4.map")

# route N: level N's route (U, R, D, L).
route() {
  echo "$level_routes" | sed -n "s|^.*level$1\.map: route ||p"
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

# game_over_keys ROUTE1 ROUTE2: prints the script of a game that walks
# levels 1 and 2 along those routes, then into level 3's mines three times,
# and sets the frames it passes: play1, exit1, play2, exit2, play3 (each
# level's play and exit), death1 (the first death), life (frames from one
# death to the next) and game_over (the first frame of game over). Call it
# without a subshell (a redirection is fine) to keep the frames.
game_over_keys() {
  play1=$((1 + countdown))
  exit1=$((play1 + ${#1} * step))
  play2=$((exit1 + level_done + countdown + 1))
  exit2=$((play2 + ${#2} * step))
  play3=$((exit2 + level_done + countdown + 1))
  death1=$((play3 + ${#into_mines} * step))
  life=$((dying + restart_countdown + 1 + ${#into_mines} * step))
  game_over=$((death1 + 2 * life + dying + 1))
  echo "1 space"
  echo "2"
  walk $play1 "$1"
  walk $play2 "$2"
  walk $play3 $into_mines
  walk $((death1 + dying + restart_countdown + 1)) $into_mines
  walk $((death1 + life + dying + restart_countdown + 1)) $into_mines
}
