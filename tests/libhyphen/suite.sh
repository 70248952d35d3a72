#!/bin/sh
# libhyphen's own test suite, run against libsillabor_hyphen: libhyphen's
# example program, built against our hyphen.h and linked with our library,
# hyphenates each test's words with the test's patterns, and the output must
# be the test's expected one. Every test that the suite's Makefile.am lists
# is run; the last line says how many passed and failed.
#
#     suite.sh CC HEADER_DIR LIBRARY [LINK_FLAGS [SOURCE_DIR]]
#
# LINK_FLAGS are those the library was built with (a sanitizer's); SOURCE_DIR
# is libhyphen's unpacked source (Debian's "hyphen" source package), by
# default $SILLABOR_LIBHYPHEN_SOURCE; without one the suite is skipped
# (status 77).
cc=$1 headers=$2 library=$3 flags=${4:-}
src=${5:-${SILLABOR_LIBHYPHEN_SOURCE:-}}
if [ -z "$src" ] || [ ! -f "$src/example.c" ] || [ ! -f "$src/tests/Makefile.am" ]; then
  echo "skipped: no libhyphen source (set SILLABOR_LIBHYPHEN_SOURCE to an unpacked one)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2086 # the flags are split on purpose
"$cc" -w $flags -o "$work/example" "$src/example.c" -I"$headers" "$library" -lstdc++ -lm || exit 1
tests=$(sed -n '/^TESTS *=/,/^$/p' "$src/tests/Makefile.am" | grep -o '[A-Za-z0-9_]*\.test' |
  sed 's/\.test$//')
passed=0 failed=0
cd "$src/tests" || exit 1
for t in $tests; do
  if "$work/example" "$t.pat" "$t.word" > "$work/$t.out" 2> "$work/$t.err" &&
     cmp -s "$work/$t.out" "$t.hyph"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL $t"
    diff "$work/$t.out" "$t.hyph" | head -10
    head -5 "$work/$t.err"
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
