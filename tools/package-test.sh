#!/usr/bin/env bash
# Installs the engine from a build tree into a fresh prefix and builds and
# runs, against the installed tree only, a consumer project that finds it
# with find_package(kestro) (the engine, the shared library and the report
# library), the example project of docs/cpp-package.md
# (examples/cpp, which must be on that page exactly as it is in the files,
# and must print what the page says it prints), the C++ program and the
# report program built with pkg-config, and the C header compiled as C99 and
# as C++98.
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
"$work/consumer/use_report" "$work/report-csv"

# The example of docs/cpp-package.md: the page shows the files as they are,
# and their program prints what the page says.
page=docs/cpp-package.md
block() {  # block LANGUAGE [AFTER-LINE]: the first fenced block of LANGUAGE (after AFTER-LINE)
  awk -v lang="$1" -v after="${2:-}" '
    after != "" && !seen { seen = ($0 == after); next }
    !inside && $0 == "```" lang { inside = 1; next }
    inside && $0 == "```" { exit }
    inside { print }' "$page"
}
block cmake | diff -u examples/cpp/CMakeLists.txt - ||
  { echo "package test: $page shows another examples/cpp/CMakeLists.txt" >&2; exit 1; }
block cpp | diff -u examples/cpp/run_deck.cpp - ||
  { echo "package test: $page shows another examples/cpp/run_deck.cpp" >&2; exit 1; }
cmake -S examples/cpp -B "$work/run_deck" -DCMAKE_PREFIX_PATH="$work/prefix" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="-Wall -Wextra -Wpedantic -Werror" >/dev/null
cmake --build "$work/run_deck" >/dev/null
"$work/run_deck/run_deck" examples/tied-back-wall.dat > "$work/run_deck.txt"
block "" prints | diff -u - "$work/run_deck.txt" ||
  { echo "package test: examples/cpp prints other than $page says" >&2; exit 1; }
echo "example of $page: $(tail -1 "$work/run_deck.txt")"

# pkg-config, as a Makefile user would
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
g++ -std=c++17 -Wall -Wextra -Werror $(pkg-config --cflags kestro) tests/package/use_cpp.cpp \
    -o "$work/use_cpp_pc" $(pkg-config --libs --static kestro)
"$work/use_cpp_pc"
g++ -std=c++17 -Wall -Wextra -Werror $(pkg-config --cflags kestro-report) \
    tests/package/use_report.cpp -o "$work/use_report_pc" $(pkg-config --libs --static kestro-report)
"$work/use_report_pc" "$work/report-csv-pc"

# The C header alone, in C and in old C++
for compile in "gcc -std=c99 -x c" "g++ -std=c++98 -x c++"; do
  echo '#include <kestro/kestro.h>
int main(void) { return 0; }' | $compile -Wall -Wextra -Wpedantic -Werror \
    -I"$work/prefix/include" -fsyntax-only -
done
echo "package test: passed"
