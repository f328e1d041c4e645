#!/usr/bin/env bash
# web-replay.sh BUILD_WEB_DIR ARGS...: runs the replay tool's browser build
# (BUILD_WEB_DIR/bin/vexmoor-replay.js, from `make web`) under node. ARGS
# are vexmoor-replay's own (--keys, --frames, --dump, --shot, --seed, --dir,
# --develop); it reads and writes the same host files and exits with the
# same status. Without --dir it plays the installation the site was packed
# from (the native build's, as vexmoor-replay does by default).
set -uo pipefail
if [ $# -lt 1 ]; then
  echo "usage: web-replay.sh BUILD_WEB_DIR [vexmoor-replay options]" >&2
  exit 2
fi
build=$1
shift
script=$build/bin/vexmoor-replay.js
if [ ! -e "$script" ]; then
  echo "web-replay.sh: $script is missing (run make web first)" >&2
  exit 2
fi
# The installation the site was packed from comes first: a --dir among
# ARGS comes later and wins, as the replay tool takes the last one given.
data=$(sed -n 's/^VEXMOOR_DATA_DIR:PATH=//p' "$build/CMakeCache.txt")
[ -n "$data" ] && set -- --dir "$data" "$@"
exec node "$script" "$@"
