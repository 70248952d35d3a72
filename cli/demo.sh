#!/bin/sh
# The demo: the sillabor tool on words of each language the build embeds (as
# SILLABOR_LANGUAGES names them; English and German when it names none), and
# on a sentence of running text in the first of them.
#
#     demo.sh TOOL [LANGUAGE...]
set -e
tool=$1
shift
[ $# -gt 0 ] || set -- en-us de-1996
first=$1
sentence="Hyphenation inserts soft hyphens into running text, invisibly."
for language in "$@"; do
  words=
  case $(printf '%s' "$language" | tr 'A-Z_' 'a-z-') in
    en* | english*) words="Typesetting hyphenation associate" ;;
    de* | german*) words="Silbentrennung Übergrößenträger" ;;
    fr* | french) words="typographie dictionnaire" ;;
    es* | spanish) words="tipografía diccionario" ;;
    it* | italian) words="tipografia dizionario" ;;
    pt* | portuguese) words="tipografia dicionário" ;;
    nl* | dutch) words="lettergrepen woordenboek" ;;
    pl* | polish) words="typografia słownik" ;;
    ru* | russian) words="типография словарь" ;;
    hu* | hungarian) words="elválasztás szótár" ;;
    sv* | swedish) words="avstavning ordbok" ;;
    da* | danish) words="orddeling ordbog" ;;
    nb* | nn* | no* | norwegian*) words="orddeling ordbok" ;;
    fi* | finnish) words="tavutus sanakirja" ;;
    cs* | czech) words="dělení slovník" ;;
  esac
  if [ "$language" = "$first" ]; then
    case $(printf '%s' "$language" | tr 'A-Z_' 'a-z-') in
      de* | german*) sentence="Die Silbentrennung fügt weiche Trennstriche in den Fließtext ein." ;;
      fr* | french) sentence="La typographie française coupe les mots en syllabes." ;;
    esac
  fi
  echo "== $language"
  if [ -n "$words" ]; then
    # shellcheck disable=SC2086 # the words are split on purpose
    "$tool" --language "$language" $words
  fi
done
echo "== running text in $first, soft hyphens shown as |"
printf '%s\n' "$sentence" | "$tool" --language "$first" --text --separator '|'
