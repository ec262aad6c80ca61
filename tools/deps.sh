#!/usr/bin/env bash
# Installs the Debian packages the build needs, those that are missing only:
#   tools/deps.sh build   the engine and the host ({fmt}, fast_float, JSON, a compiler)
#   tools/deps.sh test    and the test and benchmark libraries
#   tools/deps.sh web     the engine's build and emscripten and node, for the page
#   tools/deps.sh all     and what CI runs besides (clang, valgrind, Chromium, Python,
#                         emscripten and node for the WebAssembly module and the page,
#                         Firefox for the page's test in it; the page's tests also need
#                         npm, which Debian's nodejs lacks)
# Runs apt-get as root, or through sudo for a user.
set -euo pipefail

build=(cmake make g++ pkg-config libfmt-dev libfast-float-dev nlohmann-json3-dev)
test=(libgtest-dev libbenchmark-dev)
all=(clang libclang-rt-14-dev binutils valgrind chromium
     pybind11-dev python3-pybind11 python3-dev python3-numpy python3-pandas python3-distributed
     python3-matplotlib python3-pytest python3-setuptools python3-pip python3-venv
     firefox-esr)
web=(emscripten node-acorn nodejs)

case "${1:-build}" in
  build) wanted=("${build[@]}") ;;
  test) wanted=("${build[@]}" "${test[@]}") ;;
  web) wanted=("${build[@]}" "${web[@]}") ;;
  all) wanted=("${build[@]}" "${test[@]}" "${web[@]}" "${all[@]}") ;;
  *) echo "usage: tools/deps.sh build|test|web|all" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
[ "${#missing[@]}" -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
