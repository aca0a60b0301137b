#!/usr/bin/env bash
# Fuzzes one target for a fixed time on a scratch copy of its corpus.
# Usage: run_target.sh <fuzz binary> <corpus folder> <scratch folder> <seconds> [libFuzzer flags...]
# A crash leaves its input in the scratch folder as crash-*; copy it into the corpus to keep it.
set -euo pipefail
binary=$1 corpus=$2 scratch=$3 seconds=$4
shift 4
rm -rf "$scratch"
mkdir -p "$scratch/corpus"
cp -r "$corpus/." "$scratch/corpus/"
# -timeout: one input that runs for 30 s is a hang, however slow the machine.
exec "$binary" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
  -artifact_prefix="$scratch/" "$@" "$scratch/corpus"
