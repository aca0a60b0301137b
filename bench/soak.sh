#!/usr/bin/env bash
# Soak test of the Linux saver: each scene (bound balls, corinth, turn balls) with 9999 balls runs
# full screen under Xvfb at 1920 x 1080 for the given seconds (default 600), from a copy of the
# program in a scratch folder with its settings file beside it. The resident memory is sampled
# every 10 s. A scene fails when its memory grows past the tolerance after the first minute, when
# the program writes anything to stderr, or when it does not keep running.
# Usage: bench/soak.sh [seconds-per-scene]     (the program: build/marulex, or $MARULEX_PROGRAM)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
program=${MARULEX_PROGRAM:-build/marulex}
interval=10
# The baseline: after a minute the scene has set up, every buffer it keeps has been touched and the
# board or field is busy. Shorter runs (to try the script) take theirs halfway.
baseline_at=$((seconds / 2 / interval * interval))
[ $baseline_at -gt 60 ] && baseline_at=60
[ $baseline_at -lt $interval ] && baseline_at=$interval
# Growth allowed after the baseline, in KiB. A tick allocates nothing, so what remains is page
# granularity in the allocator and the toolkit; 1 MiB over the 22,500 ticks that follow the first
# minute of a 10-minute run still catches a leak of some 47 bytes a tick.
tolerance_kib=1024

if [ ! -x "$program" ]; then
  echo "No program at $program: build the Linux program first (scripts/build)." >&2
  exit 2
fi
if [ "$seconds" -le "$interval" ]; then
  echo "Give more than $interval seconds per scene." >&2
  exit 2
fi
. scripts/packages.sh
marulex_need xvfb

scratch=$(mktemp -d "${TMPDIR:-/tmp}/marulex-soak.XXXXXX")
xvfb_pid=""
saver_pid=""
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null && wait "$saver_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# Xvfb picks a free display and reports it on the given descriptor.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  sleep 0.1
done
if [ ! -s "$scratch/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$scratch/xvfb.log" >&2
  exit 2
fi
display=":$(cat "$scratch/display")"

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || true; }

failed=0
printf '%-12s %14s %14s %10s  %s\n' scene "RSS at ${baseline_at} s" "RSS at end" growth result
for scene in 2 3 4; do
  case $scene in 2) name="bound balls" ;; 3) name=corinth ;; 4) name="turn balls" ;; esac
  folder=$scratch/scene$scene
  mkdir -p "$folder/runtime"
  chmod 700 "$folder/runtime"
  cp "$program" "$folder/marulex"
  # Scene character, then the count 9999 high byte first.
  printf "%s\x27\x0f" "$scene" >"$folder/Marulex.ini"

  (cd "$folder" && DISPLAY=$display XDG_RUNTIME_DIR=$folder/runtime exec ./marulex /s) \
    >"$folder/stdout.log" 2>"$folder/stderr.log" &
  saver_pid=$!

  baseline="" peak=0 last="" problem=""
  for ((elapsed = interval; elapsed <= seconds; elapsed += interval)); do
    sleep $interval
    last=$(rss_kib $saver_pid)
    if [ -z "$last" ]; then
      problem="ended after about $elapsed s"
      break
    fi
    [ $elapsed -eq $baseline_at ] && baseline=$last
    [ -n "$baseline" ] && [ "$last" -gt $peak ] && peak=$last
  done

  if [ -z "$problem" ]; then
    # The saver closes its window on SIGTERM and ends with 0, as on any close request.
    kill -TERM $saver_pid
    wait $saver_pid || problem="exit status $? after SIGTERM"
  else
    wait $saver_pid || true
  fi
  saver_pid=""

  growth="-"
  if [ -n "$baseline" ] && [ $peak -gt 0 ]; then
    growth=$((peak - baseline))
    if [ $growth -gt $tolerance_kib ]; then
      problem="${problem:+$problem; }memory grew by $growth KiB (allowed $tolerance_kib)"
    fi
    growth="$growth KiB"
  fi
  if [ -s "$folder/stderr.log" ]; then
    problem="${problem:+$problem; }wrote to stderr"
  fi
  printf '%-12s %14s %14s %10s  %s\n' "$name" "${baseline:-?} KiB" "${last:-?} KiB" "$growth" \
    "${problem:-ok}"
  if [ -n "$problem" ]; then
    failed=1
    if [ -s "$folder/stderr.log" ]; then
      echo "  stderr:"
      head -20 "$folder/stderr.log" | sed 's/^/    /'
    fi
  fi
done
exit $failed
