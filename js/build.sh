#!/bin/sh
# Builds the package's WebAssembly module and language files into js/dist,
# with Debian's emscripten (whose JavaScript optimizer needs NODE_PATH).
#
#     js/build.sh [BUILD_FOLDER]     (default: build/js)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-$root/build/js}
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
flags="-fwasm-exceptions -msimd128 -msse2 -flto"
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSILLABOR_JS=ON \
  -DSILLABOR_EMBED_DATA=OFF -DSILLABOR_WERROR=ON \
  "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_EXE_LINKER_FLAGS=-fwasm-exceptions -flto" >/dev/null
cmake --build "$build" --parallel
node "$here/tools/languages.mjs" "$root/include/Text/Sillabor/Languages.def" "$root/data/hyph-utf8" \
  "$here/dist/languages"
node "$here/tools/hyphen.mjs"
