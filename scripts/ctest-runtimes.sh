#!/usr/bin/env bash
# Runs CTest in a build directory once on each SDL 1.2 runtime in use today:
# the classic library, then sdl12-compat, which Debian installs beside it in
# a directory of its own that LD_LIBRARY_PATH selects. Both runs happen even
# when the first fails; the status says whether both passed.
#
#   scripts/ctest-runtimes.sh BUILD_DIR [ctest arguments...]
#
# VEXMOOR_SDL_RUNTIME tells the suite which runtime it should find loaded.
set -uo pipefail

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 BUILD_DIR [ctest arguments...]" >&2
  exit 2
fi
build_dir=$1
shift
compat_dir=${SDL_COMPAT_DIR:-/usr/lib/$(gcc -print-multiarch)/sdl12-compat}
if [ ! -e "$compat_dir/libSDL-1.2.so.0" ]; then
  echo "ctest-runtimes: sdl12-compat is not in $compat_dir (Debian's package libsdl1.2-compat)" >&2
  exit 1
fi

failed=()
echo "== $build_dir on the classic SDL 1.2"
(cd "$build_dir" && VEXMOOR_SDL_RUNTIME=classic ctest "$@") || failed+=(classic)
echo "== $build_dir on sdl12-compat ($compat_dir)"
(cd "$build_dir" && LD_LIBRARY_PATH="$compat_dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  VEXMOOR_SDL_RUNTIME=compat ctest "$@") || failed+=(sdl12-compat)
if [ ${#failed[@]} -gt 0 ]; then
  echo "ctest-runtimes: $build_dir failed on ${failed[*]}"
  exit 1
fi
