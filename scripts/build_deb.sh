#!/usr/bin/env bash
# Builds the Debian package out of the developer's tree and checks it:
#
#   scripts/build_deb.sh [OUT_DIR]      (OUT_DIR defaults to build/deb)
#
# The source tree (tracked files and untracked ones that git does not
# ignore) is copied to OUT_DIR/vexmoor-<version>/ and built there with
# dpkg-buildpackage, so OUT_DIR/vexmoor_<version>_<arch>.deb comes out beside
# it and the developer's own build directories are never touched. The copy
# keeps the files' times and its build directory stays between runs, so a
# second run rebuilds only what changed. Then lintian, desktop-file-validate
# and appstreamcli must pass.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/deb}")
jobs=${JOBS:-$(nproc)}

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
src=$out/vexmoor-$version
deb=$out/vexmoor_${version}_${arch}.deb
changes=$out/vexmoor_${version}_${arch}.changes

# Whether a path relative to the root lies in a build directory (one with a
# CMakeCache.txt at the top level of the tree) or in the output directory.
in_build_dir() {
  local top=${1%%/*}
  [ "$top" != "$1" ] && { [ -f "$root/$top/CMakeCache.txt" ] || [ "$root/$top" -ef "$out" ] ||
    [[ $out == "$root/$top"/* ]]; }
}

# The files to package, NUL-separated, relative to the root.
source_files() {
  if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$root" ls-files -z --cached --others --exclude-standard |
      while IFS= read -r -d '' f; do
        if { [ -e "$root/$f" ] || [ -L "$root/$f" ]; } && ! in_build_dir "$f"; then printf '%s\0' "$f"; fi
      done
  else
    (cd "$root" && find . -path ./build -prune -o -path './build-*' -prune -o -path ./.git -prune \
       -o \( -type f -o -type l \) -print0)
  fi
}

echo "Copying the source tree to $src"
mkdir -p "$out"
# Everything but the package's own build directory is copied afresh, so
# files removed from the tree leave the copy too.
if [ -d "$src" ]; then
  find "$src" -mindepth 1 -maxdepth 1 ! -name 'obj-*' -exec rm -rf {} +
fi
mkdir -p "$src"
source_files | tar -C "$root" --null -T - -cf - | tar -C "$src" -xf -
rm -f "$out"/vexmoor_"$version"_* "$out"/vexmoor-dbgsym_"$version"_*

# Keep the build directory (-nc) when it is there already: only what
# changed is built again.
clean=()
if compgen -G "$src/obj-*/CMakeCache.txt" >/dev/null; then clean=(-nc); fi
(cd "$src" && DEB_BUILD_OPTIONS="nocheck parallel=$jobs" dpkg-buildpackage -us -uc -b "${clean[@]}")
test -f "$deb"

echo "== dpkg -c $(basename "$deb")"
dpkg -c "$deb"

echo "== lintian"
# Every warning that remains must be explained by an override in debian/.
lintian --display-info --pedantic --fail-on error,warning "$changes"

echo "== desktop-file-validate and appstreamcli"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml

echo "Built $deb"
