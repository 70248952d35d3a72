#!/usr/bin/env bash
# Makes docs/justified-column.png: one paragraph set in a narrow justified
# column, as it is and after `sillabor --html`, side by side in headless
# Chromium.
#
#     docs/make_picture.sh [path to the sillabor tool]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=${1:-$here/../build/test/cli/sillabor}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

paragraph='<p>Typesetting a justified paragraph in a narrow column is a matter of
hyphenation: without it, the spaces between the words of characteristically
long lines stretch into rivers of white, and internationalization,
incomprehensibility and electroencephalography leave whole lines almost
empty. With the breaks that the patterns of the language allow, the column
keeps an even colour from its first line to its last.</p>'
hyphenated=$(printf '<meta charset="utf-8">%s' "$paragraph" | "$tool" --html)

cat > "$work/page.html" <<HTML
<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><style>
body { margin: 16px; background: #fff; font: 17px/1.35 "DejaVu Serif", serif; color: #222; }
.pair { display: flex; gap: 40px; }
.col { width: 230px; }
.col p { text-align: justify; hyphens: manual; margin: 0; }
h2 { font: bold 13px "DejaVu Sans", sans-serif; color: #555; margin: 0 0 8px; }
</style></head><body><div class="pair">
<div class="col"><h2>As it is</h2>$paragraph</div>
<div class="col"><h2>After sillabor --html</h2>${hyphenated#<meta charset=\"utf-8\">}</div>
</div></body></html>
HTML

chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$work/profile" --hide-scrollbars --window-size=560,470 \
  --screenshot="$here/justified-column.png" "file://$work/page.html" 2>/dev/null
echo "wrote $here/justified-column.png"
