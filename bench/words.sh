#!/bin/sh
# Makes the word lists that benchmarks and corpus tests measure on, from
# Debian's word lists, and checks that they are the lists the project's
# figures were measured on:
#
# - words-en.txt: every line of wamerican's american-english made of a-z
#   only, in file order (63,875 words, 8.28 letters on average);
# - words-de.txt: every 4th line of the lines of wngerman's ngerman made of
#   German letters only (A-Z, a-z, umlauts, ß; capitals kept): long
#   compounds, capitalised nouns (88,987 words).
#
#     bench/words.sh FOLDER [DICT_DIR]
#
# Writes FOLDER/words-en.txt and FOLDER/words-de.txt. A list whose source is
# missing is left out (status 0, with a line that says so); a list that
# differs from the pinned one is written and named (other versions of
# wamerican or wngerman give other figures).
set -eu
out=$1 dict=${2:-/usr/share/dict}
mkdir -p "$out"

make_list() { # NAME SOURCE PACKAGE SHA256 FILTER...
  name=$1 source=$2 package=$3 sha=$4
  shift 4
  if [ ! -f "$source" ]; then
    echo "words.sh: $source is missing (Debian's $package), so there is no $name"
    return 0
  fi
  LC_ALL=C.UTF-8 "$@" < "$source" > "$out/$name.tmp"
  mv "$out/$name.tmp" "$out/$name"
  got=$(sha256sum "$out/$name" | cut -d' ' -f1)
  [ "$got" = "$sha" ] || echo "words.sh: $out/$name differs from the pinned list (another version of $package?)"
}

english() { grep -xE '[a-z]+'; }
german() { grep -xE '[A-Za-zÄÖÜäöüß]+' | awk 'NR % 4 == 1'; }
make_list words-en.txt "$dict/american-english" wamerican \
  a43c50614fda43658df3e60aa07e8cc37f657d969fcf89938731bf059db16d16 english
make_list words-de.txt "$dict/ngerman" wngerman \
  ca904e86f30b392f562888d751d2d53338ed35c70e08901bc464e39452baf746 german
