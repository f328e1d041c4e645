#!/usr/bin/env bash
# vexmoor-pack round-trips files, reports checksum verdicts and refuses what
# it cannot do with exit status 2 and no output file.
set -u
pack="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

head -c 5000 /dev/urandom > "$work/noise.wav"
mkdir "$work/out"
"$pack" pack "$work/noise.wav" "$work/out" || fail "pack"
[ -f "$work/out/noise.dat" ] || fail "no noise.dat"
"$pack" unpack "$work/out/noise.dat" "$work/back.wav" || fail "unpack status"
cmp -s "$work/noise.wav" "$work/back.wav" || fail "round trip differs"
"$pack" check "$work/out/noise.dat" | grep -q ": ok$" || fail "check verdict"

# A flipped body byte: the file is still written, the status is 1.
cp "$work/out/noise.dat" "$work/bad.dat"
printf '\x00' | dd of="$work/bad.dat" bs=1 seek=100 conv=notrunc 2>/dev/null
printf '\xff' | dd of="$work/bad.dat" bs=1 seek=101 conv=notrunc 2>/dev/null
"$pack" unpack "$work/bad.dat" "$work/bad.out" 2>/dev/null; [ $? -eq 1 ] || fail "mismatch status"
[ -f "$work/bad.out" ] || fail "mismatch did not write the file"
"$pack" check "$work/out/noise.dat" "$work/bad.dat" > "$work/check.txt"; [ $? -eq 1 ] || fail "check status"
grep -q "bad.dat: checksum mismatch" "$work/check.txt" || fail "check report"

# check unpacks into a private directory of its own under $TMPDIR and
# leaves nothing there, also when a file in the list is missing.
mkdir "$work/tmp"
TMPDIR="$work/tmp" "$pack" check "$work/out/noise.dat" > /dev/null || fail "check with TMPDIR"
TMPDIR="$work/tmp" "$pack" check "$work/out/noise.dat" "$work/missing.dat" > /dev/null 2>&1
[ $? -eq 2 ] || fail "check of a missing file"
[ -z "$(ls -A "$work/tmp")" ] || fail "check left $(ls -A "$work/tmp")"

# What it cannot do: one line on stderr, status 2, nothing written.
printf 'x' > "$work/noext"
for args in "pack $work/noext $work/out" "pack $work/missing.bmp $work/out" \
            "unpack $work/missing.dat $work/o" "frobnicate" ""; do
  # shellcheck disable=SC2086
  "$pack" $args 2> "$work/err"; status=$?
  [ $status -eq 2 ] || fail "'$args' gave status $status"
  [ "$(wc -l < "$work/err")" -ge 1 ] || fail "'$args' printed nothing"
done
[ "$(ls "$work/out")" = "noise.dat" ] || fail "stray files: $(ls "$work/out")"
echo "pack tool: all checks passed"
