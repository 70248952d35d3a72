#!/usr/bin/env bash
# Runs every fuzz target for a while, starting from its seed corpus, and fails
# on the first finding.
#
#     fuzz/run.sh [seconds per target] [build folder]
#
# New inputs go to a scratch corpus (<build>/../fuzz-corpus/<name>), never
# into the committed seeds. A finding leaves its input as crash-* in the
# current folder, and libFuzzer's log (printed) says how to replay it.
set -uo pipefail
seconds=${1:-60}
build=${2:-build/fuzz}
here=$(cd "$(dirname "$0")" && pwd)
status=0
for name in patterns exceptions hyphenate utf8 decoder dictionary; do
  scratch="$build/../fuzz-corpus/$name"
  log="$build/../fuzz-corpus/$name.log"
  mkdir -p "$scratch"
  echo "== fuzz_$name for ${seconds}s"
  if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=1024 -print_final_stats=1 "$scratch" "$here/corpus/$name" >"$log" 2>&1; then
    grep -E "^stat::number_of_executed_units" "$log"
  else
    tail -40 "$log"
    status=1
  fi
done
exit $status
