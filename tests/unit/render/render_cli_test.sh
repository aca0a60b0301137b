#!/usr/bin/env bash
# marulex-render as a user runs it: frames written, both compositions equal, settings files read,
# bad arguments refused with one line on stderr.
set -u
render=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The piecewise and whole compositions give the same frame.
for mode in 1 2 3 4 9; do
  "$render" --size 301x203 --mode $mode --balls 500 --seed 77 --ticks 250 -o "$scratch/a.ppm" &&
    "$render" --size 301x203 --mode $mode --balls 500 --seed 77 --ticks 250 --full -o "$scratch/b.ppm" ||
    fail "mode $mode did not render"
  cmp -s "$scratch/a.ppm" "$scratch/b.ppm" || fail "mode $mode: compositions differ"
done
head -c 15 "$scratch/a.ppm" | grep -q '^P6' || fail "not a binary PPM"

# A missing settings file gives the defaults; a file gives its values.
"$render" --size 200x150 --settings "$scratch/none.ini" --seed 5 --ticks 20 -o "$scratch/c.ppm"
"$render" --size 200x150 --mode 1 --balls 180 --seed 5 --ticks 20 -o "$scratch/d.ppm"
cmp -s "$scratch/c.ppm" "$scratch/d.ppm" || fail "a missing settings file is not the defaults"
printf '3\x00\x0d\x0a' >"$scratch/Marulex.ini"  # corinth, count 10 in its stored form
"$render" --size 200x150 --settings "$scratch/Marulex.ini" --seed 5 --ticks 20 -o "$scratch/e.ppm"
"$render" --size 200x150 --mode 3 --balls 10 --seed 5 --ticks 20 -o "$scratch/f.ppm"
cmp -s "$scratch/e.ppm" "$scratch/f.ppm" || fail "the settings file was not read"

"$render" --atlas -o "$scratch/atlas.png" && [ -s "$scratch/atlas.png" ] || fail "no atlas"

for arguments in "" "--size 0x5 --mode 1 --balls 1 --seed 1 --ticks 1 -o $scratch/z.ppm" \
  "--size 9x9 --mode 1 --balls 1 --seed 1 --ticks 1 -o $scratch/missing/z.ppm" \
  "--size 9x9 --mode one --balls 1 --seed 1 --ticks 1 -o $scratch/z.ppm"; do
  # shellcheck disable=SC2086
  "$render" $arguments >/dev/null 2>"$scratch/err"
  status=$?
  { [ $status -ne 0 ] && [ $status -lt 128 ]; } || fail "'$arguments' gave status $status"
  [ "$(wc -l <"$scratch/err")" -eq 1 ] || fail "'$arguments' did not say one line"
done

[ $failures -eq 0 ] && echo "all passed"
exit $((failures > 0))
