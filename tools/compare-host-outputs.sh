#!/usr/bin/env bash
# Runs every bundled example (examples/*.dat) and golden deck
# (tests/decks/*.dat) through two builds of the command-line host, with the
# HTML page, the CSV tables and the JSON document, and compares everything
# they write, their standard output and error and their exit status byte by
# byte.  Both hosts see the same fixed clock (time() is replaced through
# LD_PRELOAD) and write into the same folder, so the report header is the
# same.  Use it to show that a change to the host or the renderers leaves
# their outputs as they were.
# Usage: tools/compare-host-outputs.sh OLD_KESTRO NEW_KESTRO
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
  echo "usage: $0 OLD_KESTRO NEW_KESTRO" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 2024-03-15 10:20:30 UTC for every call of time().
cat > "$work/fixed_time.c" <<'C'
#include <time.h>
time_t time(time_t* out) {
  const time_t fixed = 1710498030;
  if (out) *out = fixed;
  return fixed;
}
C
gcc -shared -fPIC -o "$work/fixed_time.so" "$work/fixed_time.c"

decks=(examples/*.dat tests/decks/*.dat)
for which in old new; do
  host=${!which}
  for deck in "${decks[@]}"; do
    out="$work/out"
    mkdir -p "$out"
    status=0
    (cd "$work" && TZ=UTC LD_PRELOAD="$work/fixed_time.so" "$host" run "$OLDPWD/$deck" \
       --output-dir out --html --csv out/csv --json out/run.json \
       >out/stdout.txt 2>out/stderr.txt) || status=$?
    echo "$status" > "$out/status.txt"
    mkdir -p "$work/$which/$(dirname "$deck")"
    mv "$out" "$work/$which/$deck"
  done
  # The batch over both folders at once: its pages and JSON documents.
  out="$work/out"
  mkdir -p "$out"
  status=0
  (cd "$work" && TZ=UTC LD_PRELOAD="$work/fixed_time.so" "$host" batch "$OLDPWD/examples" \
     "$OLDPWD/tests/decks" --jobs 1 --output-dir out --html --csv out/csv --json \
     >out/stdout.txt 2>out/stderr.txt) || status=$?
  echo "$status" > "$out/status.txt"
  # The batch prints how long it took; that line differs from run to run.
  sed -i -E 's/, [0-9.]+ (µs|ms|s|min [0-9]+ s)$/, TIME/' "$out/stdout.txt"
  mv "$out" "$work/$which/batch"
done

# The clock must have been the fixed one, or the comparison proves little.
for which in old new; do
  grep -q "March 15, 2024" "$work/$which/examples/tied-back-wall.dat/tied-back-wall.out" ||
    { echo "compare-host-outputs: the $which host did not see the fixed clock" >&2; exit 1; }
done
files=$(cd "$work/old" && find . -type f | wc -l)
if diff -r "$work/old" "$work/new" >"$work/diff.txt"; then
  echo "compare-host-outputs: ${#decks[@]} decks and one batch, $files files, all identical"
else
  head -50 "$work/diff.txt"
  echo "compare-host-outputs: the outputs differ" >&2
  exit 1
fi
