#!/bin/sh
# A compiler launcher for Make: runs the command it is given once one of the
# machine's cores is free, so that `make -j` without a number (which is what
# the presets' builds ask for, to use every core) runs as many compilers at
# once as there are cores, and no more. Ninja bounds its jobs itself.
#
#     one-per-core.sh LOCK_FOLDER CORES COMMAND...
#
# A running command holds the lock of one slot through descriptor 9, which it
# inherits. Waiting launchers queue on one lock, so that only the first of
# them looks for a free slot while the others sleep.
dir=$1 cores=$2
shift 2
command -v flock >/dev/null 2>&1 || exec "$@"
mkdir -p "$dir"
exec 8>>"$dir/queue"
flock 8
while :; do
  slot=1
  while [ "$slot" -le "$cores" ]; do
    exec 9>>"$dir/slot$slot"
    if flock -n 9; then
      exec 8>&-
      exec "$@"
    fi
    exec 9>&-
    slot=$((slot + 1))
  done
  sleep 0.05
done
