#!/bin/sh
# LibreOffice converting a justified page in four languages to PDF, with the
# system's libhyphen and with libsillabor_hyphen standing in for it, in turns,
# each run with a fresh profile: the wall time of each, and the median of
# each library's runs.
#
#     bench/libreoffice.sh LIBRARY [RUNS]     (LIBRARY: .../libsillabor_hyphen.so.0)
library=$1 runs=${2:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
document=$here/tests/libreoffice/page.fodt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lib"
ln -s "$(realpath "$library")" "$work/lib/libhyphen.so.0"
once() { # NAME RUN [LD_LIBRARY_PATH]
  start=$(date +%s.%N)
  LD_LIBRARY_PATH=$3 soffice "-env:UserInstallation=file://$work/profile-$1-$2" --headless \
    --convert-to pdf --outdir "$work/out" "$document" > /dev/null 2>&1
  echo "$(date +%s.%N) - $start" | bc
}
for i in $(seq "$runs"); do
  echo "libhyphen $(once libhyphen "$i")" >> "$work/times"
  echo "sillabor $(once sillabor "$i" "$work/lib")" >> "$work/times"
done
cat "$work/times"
for who in libhyphen sillabor; do
  grep "^$who " "$work/times" | cut -d' ' -f2 | sort -n |
    awk -v who="$who" '{ t[NR] = $1 } END { printf "%s: median %.2f s of %d runs\n", who, t[int((NR + 1) / 2)], NR }'
done
