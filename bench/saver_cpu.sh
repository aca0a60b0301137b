#!/usr/bin/env bash
# CPU and memory of the full-screen saver under Xvfb at 1920 x 1080, for each scene with 180 and
# with 9999 balls, next to two hacks of XScreenSaver run with -root on the same server.
#
#   bench/saver_cpu.sh [SECONDS]    (default 30 s a run; MARULEX_BIN picks the program,
#                                    default build/marulex; WARMUP seconds are not counted, 2)
#
# Saver and X server CPU are (user + system) time over wall time, in % of one core, from /proc.
# Resident memory is the saver's (or the hack's) VmRSS at the end of its run.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_RUN=${1:-30}
WARMUP=${WARMUP:-2}
PROGRAM=${MARULEX_BIN:-build/marulex}
HACKS_DIR=/usr/libexec/xscreensaver

. scripts/packages.sh
marulex_need xvfb x11-utils
[ -d "$HACKS_DIR" ] && [ -x "$HACKS_DIR/pacman" ] || marulex_need xscreensaver-data-extra
if [ ! -x "$PROGRAM" ]; then
  echo "No $PROGRAM: build it first (scripts/build)." >&2
  exit 1
fi

WORK=$(mktemp -d)
XVFB_PID=""
cleanup() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
cp "$PROGRAM" "$WORK/marulex"
mkdir -m 700 "$WORK/runtime"

# An X server of our own on a free display; -noreset keeps it between runs.
for number in $(seq 150 250); do
  [ -e "/tmp/.X$number-lock" ] && continue
  Xvfb ":$number" -screen 0 1920x1080x24 -nolisten tcp -noreset -displayfd 3 3>"$WORK/display" \
    >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
  if [ -s "$WORK/display" ]; then
    export DISPLAY=":$number"
    break
  fi
  XVFB_PID=""
done
[ -n "$XVFB_PID" ] || { echo "no Xvfb could be started" >&2; exit 1; }
export XDG_RUNTIME_DIR="$WORK/runtime" MARULEX_REGISTRY_FILE="$WORK/none.reg"

TICKS=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# measure NAME BALLS COMMAND...: runs COMMAND, prints one table row.
measure() {
  local name=$1 balls=$2
  shift 2
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep "$WARMUP"
  if ! kill -0 "$pid" 2>/dev/null; then
    printf '%-12s %6s  did not run\n' "$name" "$balls"
    return
  fi
  local start_time saver_start x_start
  start_time=$(date +%s.%N)
  saver_start=$(cpu_ticks "$pid")
  x_start=$(cpu_ticks "$XVFB_PID")
  sleep "$SECONDS_PER_RUN"
  local end_time saver_end x_end rss
  end_time=$(date +%s.%N)
  saver_end=$(cpu_ticks "$pid")
  x_end=$(cpu_ticks "$XVFB_PID")
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null || true
  awk -v n="$name" -v b="$balls" -v s0="$saver_start" -v s1="$saver_end" -v x0="$x_start" \
    -v x1="$x_end" -v t0="$start_time" -v t1="$end_time" -v hz="$TICKS" -v rss="$rss" 'BEGIN {
      wall = t1 - t0
      printf "%-12s %6s %9.1f %9.1f %9.1f\n", n, b, 100 * (s1 - s0) / hz / wall,
             100 * (x1 - x0) / hz / wall, rss / 1024
    }'
}

settings() {  # scene digit, ball count (high byte first)
  printf '%s' "$1" >"$WORK/Marulex.ini"
  # shellcheck disable=SC2059
  printf "$(printf '\\x%02x\\x%02x' $(($2 >> 8)) $(($2 & 255)))" >>"$WORK/Marulex.ini"
}

echo "Xvfb 1920x1080x24, $SECONDS_PER_RUN s a run after $WARMUP s"
printf '%-12s %6s %9s %9s %9s\n' scene balls "saver %" "X %" "RSS MiB"
for scene in 2:bound-balls 3:corinth 4:turn-balls; do
  for balls in 180 9999; do
    settings "${scene%%:*}" "$balls"
    measure "${scene#*:}" "$balls" "$WORK/marulex" /s
  done
done
for hack in maze pacman; do
  measure "$hack" - "$HACKS_DIR/$hack" -root
done
