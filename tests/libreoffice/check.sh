#!/bin/sh
# LibreOffice, unchanged, as a real client of libsillabor_hyphen: the same
# justified page in English, German, Hungarian and Dutch is converted to PDF
# once with the system's libhyphen and once with our library standing in for
# libhyphen.so.0, and the two PDFs must hold the same text, line for line
# (the same breaks, the same replacements).
#
#     check.sh LIBRARY DOCUMENT
#
# Skipped (status 77) where soffice, pdftotext or a hyphen-de dictionary is
# missing. bench/libreoffice.sh times the two.
library=$1 document=$2
command -v soffice >/dev/null && command -v pdftotext >/dev/null &&
  [ -f /usr/share/hyphen/hyph_de_DE.dic ] || {
  echo "skipped: soffice (libreoffice-writer-nogui), pdftotext (poppler-utils) or hyphen-de is missing"
  exit 77
}
# LibreOffice does not load a sanitizer's runtime first, as a sanitized
# library needs.
if ldd "$library" | grep -q -e libasan -e libtsan -e libubsan; then
  echo "skipped: $library is built with a sanitizer"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lib"
ln -s "$library" "$work/lib/libhyphen.so.0"

convert() { # NAME [LD_LIBRARY_PATH]
  LD_LIBRARY_PATH=$2 LD_DEBUG=libs LD_DEBUG_OUTPUT="$work/$1.ld" \
    soffice "-env:UserInstallation=file://$work/profile-$1" --headless --convert-to pdf \
    --outdir "$work/$1" "$document" > "$work/$1.log" 2>&1 || { cat "$work/$1.log"; exit 1; }
  pdftotext -layout "$work/$1/$(basename "${document%.*}").pdf" "$work/$1.txt" || exit 1
}
convert libhyphen ""
convert sillabor "$work/lib"
# The stand-in was the one LibreOffice loaded.
if ! cat "$work"/sillabor.ld.* | grep -q "calling init: $work/lib/libhyphen.so.0"; then
  echo "LibreOffice did not load the stand-in for libhyphen.so.0"
  exit 1
fi
if ! diff "$work/libhyphen.txt" "$work/sillabor.txt"; then
  echo "the PDFs' text differs (< libhyphen, > sillabor)"
  exit 1
fi
breaks=$(grep -c -- '-$' "$work/sillabor.txt")
echo "the same text with both libraries: $(wc -l < "$work/sillabor.txt") lines, $breaks of them ending in a hyphen"
[ "$breaks" -gt 5 ]
