#!/usr/bin/env bash
# The first use of english_US in a fresh process (decompressing, parsing and
# packing its patterns, then hyphenating one word), page faults included: a
# loop of first uses in one process reuses memory the allocator already
# has, and shows less. Runs sillabor_peak_memory on one word, many times,
# and prints the least and the median time.
#
#     bench/first-use.sh [build folder] [runs]
set -euo pipefail
build=${1:-build/bench}
runs=${2:-50}
program="$build/bench/sillabor_peak_memory"
word=$(mktemp)
trap 'rm -f "$word"' EXIT
echo Typesetting >"$word"
for _ in $(seq "$runs"); do
  "$program" "$word" | sed -n 's/.*first word \([0-9.]*\) ms.*/\1/p'
done | sort -n | awk '{t[NR] = $1}
  END {printf "first use of english_US in a fresh process: least %.3f ms, median %.3f ms (%d runs)\n",
       t[1], (t[int((NR + 1) / 2)] + t[int(NR / 2) + 1]) / 2, NR}'
