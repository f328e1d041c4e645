#!/usr/bin/env bash
# browser_tests.sh NATIVE_BUILD WEB_BUILD: the browser build's page in
# headless Chromium (browser_test.js, and browser_pad_test.js with a
# gamepad), against pictures the desktop replay
# (NATIVE_BUILD/bin/vexmoor-replay, classic SDL 1.2) makes of the same
# moments. Exits 77 (skipped) only when there is no Chromium to run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
native=$(cd "$1" && pwd)
web=$(cd "$2" && pwd)
chromium=${VEXMOOR_CHROMIUM:-/usr/bin/chromium}
if [ ! -x "$chromium" ]; then
  echo "SKIPPED: no Chromium at $chromium (scripts/setup.sh web installs it)"
  exit 77
fi
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  echo "puppeteer-core is not installed in $here (scripts/setup.sh web runs npm ci there)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
replay() { env -u LD_LIBRARY_PATH "$native/bin/vexmoor-replay" --dir "$native/vexmoor" "$@"; }
# The title; after Space, the "3" of the countdown; level 1 at rest in play;
# after a short press of Right there, one cell further.
replay --frames 2 --shot "1:$work/title.png"
printf '1 space\n2\n' >"$work/space.keys"
replay --keys "$work/space.keys" --frames 140 --shot "12:$work/countdown.png" --shot "140:$work/play.png"
printf '1 space\n2\n150 right\n154\n' >"$work/step.keys"
replay --keys "$work/step.keys" --frames 200 --shot "200:$work/step.png"
cd "$here"
status=0
node browser_test.js "$web/site" "$work" || status=1
node browser_pad_test.js "$web/site" "$work" || status=1
exit $status
