#!/usr/bin/env bash
# Instructions per word, counted by callgrind (a figure that does not drift
# with the machine's load): only the measured loop is collected.
#
#     bench/instructions.sh [build folder] [word list]
set -euo pipefail
build=${1:-build/bench}
words=${2:-$build/words/words-en.txt}
program="$build/bench/sillabor_instructions"
count=$(grep -c . "$words")

# The instructions of the measured loop of one mode.
instructions() {
  local out total
  out=$(mktemp)
  valgrind --tool=callgrind --callgrind-out-file="$out" \
    --toggle-collect='*measuredLoop*' "$program" "$1" "$words" 1 >/dev/null 2>&1
  total=$(callgrind_annotate "$out" 2>/dev/null | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}')
  rm -f "$out"
  echo "$total"
}

for mode in reference hyphenate finder utf8; do
  printf '%-16s %8d instructions per word\n' "$mode" $(($(instructions "$mode") / count))
done
# Exception dictionaries of the first 20,000 words: made at once, and one
# entry at a time (each value kept until the next is made).
entries=$((count < 20000 ? count : 20000))
for mode in parse-exceptions add-exceptions; do
  printf '%-16s %8d instructions per entry\n' "$mode" $(($(instructions "$mode") / entries))
done
