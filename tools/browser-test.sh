#!/usr/bin/env bash
# Opens the HTML report of every bundled example (examples/*.dat) and of the
# whole-run decks of the tests (tests/decks/*.dat: staged, SI) in headless
# Chromium, with the network shut off, and fails on
#   - any console message (an error, an uncaught exception, a failed fetch);
#   - a page whose own drawing check (data-selfcheck on the root element,
#     written by the page's script from the browser's geometry) is not "ok":
#     a curve outside its plot area, a chart with nothing drawn, no wall;
#   - a missing chart: a solved problem without its wall drawing, deflection,
#     moment, shear, soil-reaction and iteration charts, or without its
#     pressure and p-y charts when it has pressure and curves, or a staged
#     run without its envelope of deflection and moment;
#   - a summary value (iterations, largest deflection, moment and shear with
#     their depths, tie-back forces) that differs from the fixed-column report
#     at the report's precision.
# Installs nothing: needs `chromium` (Debian's package) and a built host.
#
# usage: tools/browser-test.sh [BUILD_DIR] [--screenshot DIR]
#   BUILD_DIR defaults to build/release (the host is BUILD_DIR/kestro);
#   --screenshot DIR also writes DIR/NAME.png of each page, for a person to
#   look at.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/release
shots=
while [ $# -gt 0 ]; do
  case "$1" in
    --screenshot) shots=$2; shift 2 ;;
    *) build=$1; shift ;;
  esac
done
kestro=$build/kestro
[ -x "$kestro" ] || { echo "browser-test: no host at $kestro (build it first)" >&2; exit 2; }
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "browser-test: chromium is not installed" >&2; exit 2; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
chrome() {
  "$browser" --headless --no-sandbox --disable-gpu --no-first-run --disable-extensions \
    --host-resolver-rules="MAP * ~NOTFOUND" --enable-logging=stderr --v=0 "$@"
}

# The expected summary of a report: per problem with a results table, in
# order, "K key value" lines with values at the report's precision.
expected_summary() {
  awk '
    function abs(v) { return v < 0 ? -v : v }
    function flush() {
      if (rows == 0) return
      printf "%d iterations %d\n", k, iterations
      printf "%d deflection %s %s\n", k, bd, bdx
      printf "%d moment %s %s\n", k, bm, bmx
      printf "%d shear %s %s\n", k, bv, bvx
      rows = 0
    }
    /NUMBER OF ITERATIONS :/ { iterations = $NF }
    /STA I +X +DEFL\./ { flush(); k++; inside = 1; rows = 0; next }
    /HOR\.FORCE\/STA\./ { ties = 1; next }
    inside && NF == 9 && $1 ~ /^[0-9]+$/ {
      if (rows == 0 || abs($3 + 0) > abs(bd + 0)) { bd = $3; bdx = $2 }
      if (rows == 0 || abs($5 + 0) > abs(bm + 0)) { bm = $5; bmx = $2 }
      if (rows == 0 || abs($6 + 0) > abs(bv + 0)) { bv = $6; bvx = $2 }
      rows++; next
    }
    inside && NF == 0 && rows > 0 { flush(); inside = 0 }
    ties && NF == 6 && $1 ~ /^[0-9]+$/ {
      printf "%d tieback-%s %s %s\n", k, $1, $6, $4; next
    }
    ties && NF == 0 { ties = 0 }
    END { flush() }
  ' "$1" | sort
}

# The same lines from the summary blocks of the dumped page, its numbers
# written with the report's edit descriptors.
found_summary() {
  awk '
    function value(rec, key,   at, rest) {
      at = index(rec, "data-check=\"" key "\">")
      if (at == 0) return "missing"
      rest = substr(rec, at + length(key) + 14)
      return substr(rest, 1, index(rest, "<") - 1)
    }
    function e3(v) { return v == "missing" ? v : sprintf("%.3E", v + 0) }
    function e4(v) { return v == "missing" ? v : sprintf("%.4E", v + 0) }
    BEGIN { RS = "<section class=\"problem\"" }
    NR > 1 && index($0, "data-solved=\"true\"") {
      k++
      printf "%d iterations %s\n", k, value($0, "iterations")
      printf "%d deflection %s %s\n", k, e3(value($0, "deflection")), e3(value($0, "deflection-x"))
      printf "%d moment %s %s\n", k, e3(value($0, "moment")), e3(value($0, "moment-x"))
      printf "%d shear %s %s\n", k, e3(value($0, "shear")), e3(value($0, "shear-x"))
      for (t = 1; index($0, "data-check=\"tieback-" t "-force\""); t++)
        printf "%d tieback-%d %s %s\n", k, t, e4(value($0, "tieback-" t "-force")),
          e4(value($0, "tieback-" t "-horizontal"))
    }
  ' "$1" | sed 's/-0\.000E+00/0.000E+00/g' | sort
}

failures=0
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

for deck in examples/*.dat tests/decks/*.dat; do
  name=$(basename "$deck" .dat)
  status=0
  "$kestro" run "$deck" --output-dir "$out" --html > "$out/$name.host" 2>&1 || status=$?
  if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then
    fail "$name" "the host exited $status: $(cat "$out/$name.host")"
    continue
  fi
  page=$out/$name.html
  chrome --dump-dom "file://$page" > "$out/$name.dom" 2> "$out/$name.log" || true
  if [ ! -s "$out/$name.dom" ]; then
    fail "$name" "chromium dumped no page: $(tail -3 "$out/$name.log")"
    continue
  fi
  if grep -q 'CONSOLE' "$out/$name.log"; then
    fail "$name" "console: $(grep 'CONSOLE' "$out/$name.log" | head -3)"
  fi
  verdict=$(grep -o 'data-selfcheck="[^"]*"' "$out/$name.dom" | head -1)
  [ "$verdict" = 'data-selfcheck="ok"' ] || fail "$name" "drawing check: ${verdict:-no verdict (the script did not run)}"

  # Every solved problem has its charts.
  for section in $(grep -o '<section class="problem" id="p[0-9]*" data-solved="true" data-curves="[0-9]*" data-pressure="[0-9]*"' "$out/$name.dom" |
                   sed 's/.*id="\(p[0-9]*\)".*data-curves="\([0-9]*\)".*data-pressure="\([0-9]*\)"/\1:\2:\3/'); do
    IFS=: read -r pid curves pressure <<< "$section"
    charts="deflection moment shear soil history"
    [ "$pressure" -gt 0 ] && charts="$charts pressure"
    [ "$curves" -gt 0 ] && charts="$charts mobilised py-1"
    grep -q "<svg class=\"drawing\" id=\"$pid-wall\"" "$out/$name.dom" || fail "$name" "$pid: no wall drawing"
    for chart in $charts; do
      grep -q "<svg class=\"chart\" id=\"$pid-$chart\"" "$out/$name.dom" || fail "$name" "$pid: no $chart chart"
    done
  done

  solved=$({ grep -o 'data-solved="true"' "$out/$name.dom" || true; } | wc -l)
  if [ "$solved" -gt 1 ]; then
    for chart in envelope-deflection envelope-moment; do
      grep -q "<svg class=\"chart\" id=\"$chart\"" "$out/$name.dom" || fail "$name" "no $chart chart"
    done
  fi

  report=$out/$name.out
  expected=$(expected_summary "$report")
  found=$(found_summary "$out/$name.dom")
  if [ "$expected" != "$found" ]; then
    fail "$name" "summary differs from the report:"
    diff <(echo "$expected") <(echo "$found") | sed 's/^/    /' || true
  fi
  echo "checked $name: $({ grep -o '<svg class="chart"' "$out/$name.dom" || true; } | wc -l) charts, $(echo "$expected" | grep -c . || true) summary values"

  if [ -n "$shots" ]; then
    mkdir -p "$shots"
    chrome --hide-scrollbars --window-size=1280,2400 --screenshot="$shots/$name.png" "file://$page" 2> /dev/null > /dev/null || true
    echo "screenshot $shots/$name.png"
  fi
done

if [ "$failures" -gt 0 ]; then
  echo "browser-test: $failures failure(s)"
  exit 1
fi
echo "browser-test: every page passed"
