#!/usr/bin/env bash
# The page's browser tests: builds the page (the wasm preset) unless told
# where it is, installs the pinned playwright-core (npm ci in web/), and runs
# web/test/*.test.mjs in headless Chromium (Debian's /usr/bin/chromium; no
# browser is downloaded), the page opened from file:// with every network
# request refused.  The summary tests compare with the native host, which
# must be built (build/release/kestro, or KESTRO_HOST).  With Firefox
# installed (/usr/bin/firefox, or FIREFOX), the page is also opened in it,
# over WebDriver BiDi, and its values compared with Chromium's.
#
# usage: tools/web-test.sh [PAGE]   PAGE defaults to build/wasm/kestro.html
#        tools/web-test.sh --bench  also runs web/bench/edit-redraw.mjs
set -euo pipefail
cd "$(dirname "$0")/.."

page=build/wasm/kestro.html
bench=
for arg in "$@"; do
  case "$arg" in
    --bench) bench=1 ;;
    *) page=$arg ;;
  esac
done
if [ "$page" = build/wasm/kestro.html ]; then
  cmake --preset wasm > /dev/null
  cmake --build build/wasm -j2
fi
[ -f "$page" ] || { echo "web-test: no page at $page" >&2; exit 2; }
[ -x /usr/bin/chromium ] || [ -n "${CHROMIUM:-}" ] || { echo "web-test: chromium is not installed" >&2; exit 2; }

command -v npm > /dev/null || { echo "web-test: npm is not installed" >&2; exit 2; }
(cd web && npm ci --no-audit --no-fund --loglevel=error)
export KESTRO_PAGE=$PWD/$page
node --experimental-websocket --test --test-concurrency=1 web/test/*.test.mjs
if [ -n "$bench" ]; then
  node web/bench/edit-redraw.mjs
fi
