#!/usr/bin/env bash
# vexmoor-mapc and vexmoor-levelcheck as a level author runs them: round
# trips, one-line faults with line and column, no half-written output, and
# the checker's report format.
set -u
mapc="$1"
check="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cat > "$work/good.txt" <<'LEVEL'
level 15 10
name floor
name wall
tiles
. = floor
# = wall
###############
###############
###############
####.....######
####.....######
###############
###############
###############
###############
###############
content
###############
###############
###############
####SK.D.######
####..*AE######
###############
###############
###############
###############
###############
keys
###############
###############
###############
####.3.3.######
####.....######
###############
###############
###############
###############
###############
LEVEL

"$mapc" compile "$work/good.txt" "$work/good.map" || fail "compile"
[ "$(stat -c %s "$work/good.map")" -eq $((16 + 64 + 5 * 150)) ] || fail "map length"
"$mapc" decompile "$work/good.map" "$work/back.txt" || fail "decompile"
"$mapc" compile "$work/back.txt" "$work/back.map" || fail "recompile"
cmp -s "$work/good.map" "$work/back.map" || fail "round trip differs"

# The checker's report, exactly as the playthrough reads it.
"$check" "$work/good.map" > "$work/report" || fail "checker refused a good map"
printf '%s: route RRRRD\n%s: collects key 3\n' "$work/good.map" "$work/good.map" > "$work/expected"
cmp -s "$work/report" "$work/expected" || fail "report: $(cat "$work/report")"

# A bad cell character: FILE:LINE:COLUMN on one line, status 1, and the old
# output stays as it was (nothing half-written, no stray temporary file).
sed 's/^####SK.D.######$/####SK.Q.######/' "$work/good.txt" > "$work/bad.txt"
cp "$work/good.map" "$work/out.map"
"$mapc" compile "$work/bad.txt" "$work/out.map" 2> "$work/err"; status=$?
[ $status -eq 1 ] || fail "bad text gave status $status"
[ "$(wc -l < "$work/err")" -eq 1 ] || fail "not one line: $(cat "$work/err")"
grep -q "^$work/bad.txt:21:8: content character 'Q'" "$work/err" || fail "message: $(cat "$work/err")"
cmp -s "$work/good.map" "$work/out.map" || fail "output changed"
ls "$work" | grep -q part && fail "temporary file left"

# Files that are not maps, or shorter than their header says.
printf 'DDMAP \001\003xxxxxxxx' > "$work/version.map"
head -c 100 "$work/good.map" > "$work/short.map"
for bad in version short missing; do
  "$mapc" decompile "$work/$bad.map" "$work/$bad.txt" 2> "$work/err"; status=$?
  [ $status -eq 1 ] || fail "decompile $bad gave status $status"
  grep -q "$bad.map" "$work/err" || fail "decompile $bad: $(cat "$work/err")"
  [ -e "$work/$bad.txt" ] && fail "decompile $bad wrote output"
  "$check" "$work/good.map" "$work/$bad.map" > /dev/null 2> "$work/err"; status=$?
  [ $status -eq 1 ] || fail "check $bad gave status $status"
  grep -q "^$work/$bad.map: " "$work/err" || fail "check $bad: $(cat "$work/err")"
done

# An unsolvable map: the checker names it and the start cell.
sed 's/^####SK.D.######$/####S.KD.######/; s/^####..\*AE######$/####.##*E######/' "$work/good.txt" > "$work/shut.txt"
"$mapc" compile "$work/shut.txt" "$work/shut.map" || fail "compile shut"
"$check" "$work/good.map" "$work/shut.map" > "$work/report" 2> "$work/err"; status=$?
[ $status -eq 1 ] || fail "unsolvable map gave status $status"
grep -q "shut.map: no exit can be reached from the start cell (4, 3)" "$work/err" || fail "$(cat "$work/err")"
grep -q "good.map: route" "$work/report" || fail "the good map lost its route"
echo "level tools: all checks passed"
