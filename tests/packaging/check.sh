#!/bin/sh
# Installs the project as the README says and uses it as the README says:
# the README's install lines and its pkg-config lines, run exactly as written
# in a copy of the checkout with HOME in a scratch folder, for the default
# static library and then for a shared one (the README's first line with
# -DBUILD_SHARED_LIBS=ON, as it says). The quick-start programs in C++ and C
# must build and print what the README shows; the installed tool must run
# without LD_LIBRARY_PATH; a libhyphen program must link with the
# sillabor-hyphen line. Then a CMake project uses the install through
# find_package, and another the source tree through add_subdirectory.
#
#     check.sh SOURCE_DIR WORK_DIR PINNED DATA_DIR DATA_VERIFY
#
# PINNED is 1 when the build embeds the pinned data; the programs' outputs
# are compared only then.
set -eu
source=$1 work=$2 pinned=$3 data_dir=$4 data_verify=$5
readme="$source/README.md"
rm -rf "$work"
mkdir -p "$work/src" "$work/home"

# block LANG [TEXT]: the first fenced block of LANG in the README that holds
# TEXT. after LANG: the block right after the first block of LANG.
block() {
  awk -v lang="$1" -v want="${2-}" '
    /^```/ {
      if (inside) { inside = 0; if (ok && index(text, want)) { printf "%s", text; exit } next }
      inside = 1; ok = substr($0, 4) == lang; text = ""; next
    }
    inside { text = text $0 "\n" }' "$readme"
}
after() {
  awk -v lang="$1" '
    /^```/ {
      if (inside) { inside = 0; if (found == 1) found = 2; else if (found == 2) exit; next }
      inside = 1; if (!found && substr($0, 4) == lang) found = 1; next
    }
    inside && found == 2 { print }' "$readme"
}
fail() { echo "packaging: $*" >&2; exit 1; }

# The checkout as a user has it: its files, not its build folders.
if git -C "$source" rev-parse >/dev/null 2>&1; then
  (cd "$source" && git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$work/src")
else
  (cd "$source" && tar --exclude=./build -cf - .) | (cd "$work/src" && tar -xf -)
fi
export HOME="$work/home"
cd "$work/src"
install=$(block sh "cmake --install build/demo")
[ -n "$install" ] || fail "the README has no install lines"
block cpp > "$work/app.cpp"
block c > "$work/app.c"
cxx_line=$(block sh "c++ -std=c++20 app.cpp" | head -n 1)
c_line=$(block sh "cc app.c" | head -n 1)
[ -s "$work/app.cpp" ] && [ -s "$work/app.c" ] && [ -n "$cxx_line" ] && [ -n "$c_line" ] ||
  fail "the README lacks its C++ or C program or their pkg-config lines"
after cpp > "$work/app-cpp.expected"
after c > "$work/app-c.expected"

# uses KIND: the README's programs built and run against the install.
uses() {
  kind=$1
  cd "$work"
  rm -f app
  echo "== $kind: $cxx_line"
  sh -ec "$cxx_line" || fail "$kind: the README's C++ line does not build"
  LD_LIBRARY_PATH="$HOME/.local/lib" ./app > app-cpp.out || fail "$kind: the C++ program fails"
  rm -f app
  echo "== $kind: $c_line"
  sh -ec "$c_line" || fail "$kind: the README's C line does not build"
  LD_LIBRARY_PATH="$HOME/.local/lib" ./app > app-c.out || fail "$kind: the C program fails"
  cp "$source/tests/libhyphen/example.c" libhyphen.c
  sh -ec "cc libhyphen.c \$(pkg-config --cflags --libs sillabor-hyphen) -o libhyphen" ||
    fail "$kind: a libhyphen program does not link with sillabor-hyphen's pkg-config line"
  LD_LIBRARY_PATH="$HOME/.local/lib" ./libhyphen "$source/tests/libhyphen/small.dic" asszonnyal |
    grep -q "asz=szony=nyal" || fail "$kind: the libhyphen program gives other breaks"
  # The installed tool finds its library by itself.
  env -u LD_LIBRARY_PATH "$HOME/.local/bin/sillabor" --version > /dev/null ||
    fail "$kind: the installed tool does not run"
  if [ "$pinned" = 1 ]; then
    diff app-cpp.expected app-cpp.out || fail "$kind: the C++ program prints other text"
    diff app-c.expected app-c.out || fail "$kind: the C program prints other text"
  fi
  cd "$work/src"
}

# The README says where a prefix's pkg-config files are.
export PKG_CONFIG_PATH="$HOME/.local/lib/pkgconfig"
options="-DSILLABOR_DATA_DIR=$data_dir -DSILLABOR_DATA_VERIFY=$data_verify"
echo "== static: the README's install lines"
printf '%s\n' "$install" | sed "1s|\$| $options|" > "$work/install-static.sh"
sh -ex "$work/install-static.sh" || fail "static: the README's install lines fail"
[ -f "$HOME/.local/lib/libsillabor.a" ] || fail "static: no libsillabor.a installed"
[ ! -e "$HOME/.local/include/Text/Sillabor/detail" ] || fail "the install holds internal headers"
for f in include/sillabor.h include/Text/Sillabor.hpp lib/pkgconfig/sillabor.pc \
         lib/cmake/Sillabor/SillaborConfig.cmake share/man/man1/sillabor.1 \
         share/doc/Sillabor/hyph-utf8/hyph-en-us.lic.txt; do
  [ -e "$HOME/.local/$f" ] || fail "the install lacks $f"
done
uses static

echo "== the install through find_package"
cmake -S "$source/tests/packaging/find_package" -B "$work/find_package" \
  -DCMAKE_PREFIX_PATH="$HOME/.local" > /dev/null
cmake --build "$work/find_package" > /dev/null
expected=""
[ "$pinned" = 1 ] && expected=Type-set-ting
"$work/find_package/consumer" $expected

echo "== shared: the README's install lines with -DBUILD_SHARED_LIBS=ON"
rm -rf build/demo "$HOME/.local"
printf '%s\n' "$install" | sed "1s|\$| -DBUILD_SHARED_LIBS=ON $options|" > "$work/install-shared.sh"
sh -ex "$work/install-shared.sh" || fail "shared: the README's install lines fail"
[ -f "$HOME/.local/lib/libsillabor.so.0" ] || fail "shared: no libsillabor.so.0 installed"
uses shared

echo "== the source tree through add_subdirectory"
cmake -S "$source/tests/packaging/subdirectory" -B "$work/subdirectory" \
  -DSILLABOR_SOURCE_DIR="$source" $options -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$work/subdirectory" --parallel > /dev/null
"$work/subdirectory/consumer" $expected
echo "packaging: as the README says"
