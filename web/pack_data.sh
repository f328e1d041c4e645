#!/usr/bin/env bash
# pack_data.sh DATA_DIR STAGE SITE: gathers the packed resources (the .dat
# files of Sprites/, Fonts/, Sounds/, Music/ and Maps/) of the installation
# DATA_DIR into STAGE and packs them as SITE/vexmoor.data, with its loader
# SITE/vexmoor-data.js, mounted at /vexmoor/ in the page; the window icon
# becomes the page's, SITE/vexmoor-icon.bmp.
set -euo pipefail
data=$1 stage=$2 site=$3
for folder in Sprites Fonts Sounds Music Maps; do
  if ! ls "$data/$folder/"*.dat >/dev/null 2>&1; then
    echo "pack_data.sh: no packed resources in $data/$folder (build the native game first: make build)" >&2
    exit 1
  fi
done
rm -rf "$stage"
for folder in Sprites Fonts Sounds Music Maps; do
  mkdir -p "$stage/$folder"
  cp "$data/$folder/"*.dat "$stage/$folder/"
done
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
packager=$(dirname "$(readlink -f "$(command -v emcc)")")/tools/file_packager.py
[ -e "$packager" ] || packager=/usr/share/emscripten/tools/file_packager.py
# Run in the site folder: the loader knows the package by the name given.
(cd "$site" && python3 "$packager" vexmoor.data.partial --preload "$stage@/vexmoor" \
  --js-output=vexmoor-data.js.partial >/dev/null)
# The loader names the package by the file it was written as.
sed -i 's/vexmoor\.data\.partial/vexmoor.data/g' "$site/vexmoor-data.js.partial"
mv "$site/vexmoor.data.partial" "$site/vexmoor.data"
# The window icon serves as the page's.
cp "$data/vexmoor.bmp" "$site/vexmoor-icon.bmp"
mv "$site/vexmoor-data.js.partial" "$site/vexmoor-data.js"
