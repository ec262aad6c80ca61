#!/usr/bin/env bash
# Installs the engine from a build tree into a fresh prefix and builds and
# runs, against the installed tree only, a consumer project that finds it
# with find_package(kestro), a C program built with pkg-config, and the
# C header compiled as C99 and as C++98.
# Usage: tools/package-test.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S tests/package -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/prefix" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/consumer" -j2 >/dev/null
(cd "$work" && mkdir c-run && cd c-run && LD_LIBRARY_PATH="$work/prefix/lib" "$work/consumer/use_c")
"$work/consumer/use_cpp"

# pkg-config, as a Makefile user would
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
g++ -std=c++17 -Wall -Wextra -Werror $(pkg-config --cflags kestro) tests/package/use_cpp.cpp \
    -o "$work/use_cpp_pc" $(pkg-config --libs --static kestro)
"$work/use_cpp_pc"

# The C header alone, in C and in old C++
for compile in "gcc -std=c99 -x c" "g++ -std=c++98 -x c++"; do
  echo '#include <kestro/kestro.h>
int main(void) { return 0; }' | $compile -Wall -Wextra -Wpedantic -Werror \
    -I"$work/prefix/include" -fsyntax-only -
done
echo "package test: passed"
