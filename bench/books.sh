#!/bin/sh
# EPUBs and folders of pages through the tool, with figures:
#
# - a book of CHAPTERS chapters of English XHTML, about BOOK_MB megabytes,
#   made with Python's zipfile from the text of Debian's copyright files and
#   licences (each chapter the next stretch of them): the XHTML megabytes a
#   second of `sillabor --epub BOOK -o OUT`, and its peak resident set;
# - a folder of PAGES copies of an HTML page (ninja's manual, or the GPL):
#   `sillabor --html --in-place --jobs N` with 1 and 2 jobs, in turns, RUNS
#   times each, on a fresh copy each time, and the ratio of the medians.
#
#     bench/books.sh SILLABOR [CHAPTERS] [BOOK_MB] [PAGES] [RUNS]
#     (defaults: 1000 chapters, 200 MB, 1000 pages, 5 runs)
set -eu
tool=$1
chapters=${2:-1000}
book_mb=${3:-200}
pages=${4:-1000}
runs=${5:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/book.epub" "$chapters" "$book_mb" <<'PY'
import sys, zipfile, html
path, chapters, mb = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
import glob
files = sorted(glob.glob("/usr/share/doc/*/copyright")) + sorted(glob.glob("/usr/share/common-licenses/*"))
text = "\n\n".join(open(f, encoding="utf-8", errors="replace").read() for f in files if not glob.os.path.isdir(f))
paragraphs = ["<p>" + html.escape(" ".join(p.split())) + "</p>" for p in text.split("\n\n") if p.strip()]
per, at = mb * 1_000_000 // chapters, 0
def chapter():
    global at
    body, size = [], 0
    while size < per:
        body.append(paragraphs[at % len(paragraphs)])
        size += len(body[-1]) + 1
        at += 1
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<html xmlns="http://www.w3.org/1999/xhtml" '
            'xml:lang="en-US"><head><title>Chapter</title></head><body>' + "\n".join(body) + "</body></html>")
items = "".join(f'<item id="c{i}" href="c{i}.xhtml" media-type="application/xhtml+xml"/>' for i in range(chapters))
spine = "".join(f'<itemref idref="c{i}"/>' for i in range(chapters))
with zipfile.ZipFile(path, "w") as z:
    z.writestr("mimetype", "application/epub+zip", zipfile.ZIP_STORED)
    z.writestr("META-INF/container.xml", '<container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles><rootfile full-path="book.opf" media-type="application/oebps-package+xml"/></rootfiles></container>', zipfile.ZIP_DEFLATED)
    z.writestr("book.opf", '<package xmlns="http://www.idpf.org/2007/opf" version="3.0"><metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:language>en-US</dc:language></metadata><manifest>' + items + "</manifest><spine>" + spine + "</spine></package>", zipfile.ZIP_DEFLATED)
    total = 0
    for i in range(chapters):
        c = chapter().encode()
        total += len(c)
        z.writestr(f"c{i}.xhtml", c, zipfile.ZIP_DEFLATED)
print(f"book: {chapters} chapters, {total / 1e6:.0f} MB of XHTML", file=sys.stderr)
PY
xhtml=$(python3 -c "import sys, zipfile; print(sum(i.file_size for i in zipfile.ZipFile(sys.argv[1]).infolist() if i.filename.endswith('.xhtml')))" "$work/book.epub")
for r in $(seq "$runs"); do
  rm -f "$work/out.epub"
  /usr/bin/time -f "%e %M" -o "$work/time" "$tool" --epub "$work/book.epub" -o "$work/out.epub"
  read -r seconds kb < "$work/time"
  echo "epub run $r: $(echo "$xhtml $seconds" | awk '{ printf "%.1f", $1 / 1e6 / $2 }') MB/s of XHTML," \
       "$seconds s, peak $((kb / 1024)) MB resident"
done

page=/usr/share/doc/ninja-build/manual.html
[ -e "$page" ] || page=/usr/share/common-licenses/GPL-3
mkdir "$work/site"
for i in $(seq "$pages"); do cp "$page" "$work/site/page$i.html"; done
echo "folder: $pages copies of $page ($(du -sm "$work/site" | cut -f1) MB)"
for r in $(seq "$runs"); do
  for jobs in 1 2; do
    rm -rf "$work/copy" && cp -r "$work/site" "$work/copy"
    start=$(date +%s.%N)
    "$tool" --html --in-place --jobs "$jobs" "$work/copy" 2>/dev/null
    end=$(date +%s.%N)
    echo "$jobs $(echo "$start $end" | awk '{ print $2 - $1 }')" >> "$work/folder"
  done
done
median() { grep "^$1 " "$work/folder" | cut -d' ' -f2 | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
one=$(median 1)
two=$(median 2)
echo "--jobs 1: median $one s; --jobs 2: median $two s; scaling $(echo "$one $two" | awk '{ printf "%.2f", $1 / $2 }')x"
