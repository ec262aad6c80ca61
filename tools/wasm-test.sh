#!/usr/bin/env bash
# Compares the WebAssembly module with the native host: every bundled example
# (examples/*.dat), golden deck (tests/decks/*.dat) and catalogue deck
# (tests/catalogue/decks/*.dat) runs through the host, with the clock fixed
# at 2024-03-15 10:20:30 UTC (time() replaced through LD_PRELOAD, as
# tools/compare-host-outputs.sh does), and through build/wasm/kestro-engine.js
# under node, whose clock is that date; report, plot-data, monitor, p-y curve
# and earth-pressure files, the results export and the exit status must be
# the same, and for the examples and golden decks the HTML page and the CSV
# tables too (tools/wasm-test.mjs says what else it checks).
# Usage: tools/wasm-test.sh [NATIVE_BUILD_DIR]   (default build/release)
# The native host must be built; the module is configured (cmake --preset
# wasm) when build/wasm is missing and brought up to date either way.
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/release}
host=$(realpath "$native/kestro" 2>/dev/null || true)
if [ -z "$host" ] || [ ! -x "$host" ]; then
  echo "wasm-test: no native host in $native; build it first (cmake --build --preset release)" >&2
  exit 2
fi
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
[ -f build/wasm/CMakeCache.txt ] || cmake --preset wasm >/dev/null
cmake --build --preset wasm -j2 >/dev/null
module=build/wasm/kestro-engine.js

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/fixed_time.c" <<'C'
#include <time.h>
time_t time(time_t* out) {
  const time_t fixed = 1710498030;
  if (out) *out = fixed;
  return fixed;
}
C
gcc -shared -fPIC -o "$work/fixed_time.so" "$work/fixed_time.c"

# Each deck is copied into a folder of its own, where the host writes its
# files; the module is given the copy's full name, so both report headers
# name the same folder.
start=$(date +%s.%N)
i=0
for deck in examples/*.dat tests/decks/*.dat tests/catalogue/decks/*.dat; do
  dir="$work/decks/$i"
  mkdir -p "$dir"
  cp "$deck" "$dir/"
  name=$(basename "$deck")
  extra=()
  case "$deck" in
    tests/catalogue/*) ;;
    *) extra=(--html --csv "$dir/csv") ;;
  esac
  status=0
  (cd "$dir" && TZ=UTC LD_PRELOAD="$work/fixed_time.so" "$host" run "$name" \
     --json "$dir/results.json" "${extra[@]}" >stdout.txt 2>stderr.txt) || status=$?
  echo "$status" > "$dir/status"
  printf '%s\t%s\n' "$deck" "$dir/$name" >> "$work/manifest"
  i=$((i + 1))
done
native_end=$(date +%s.%N)
node tools/wasm-test.mjs "$module" "$work/manifest" "$PWD"
end=$(date +%s.%N)
awk -v s="$start" -v n="$native_end" -v e="$end" \
  'BEGIN { printf "wasm-test: %.1f s for the native runs, %.1f s under node\n", n - s, e - n }'
