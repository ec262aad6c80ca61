#!/bin/sh
# The Python package's checks, as CI runs them (the Debian packages of the
# README must be installed): builds the command-line host and the extension
# kestro._engine with CMake, runs the pytest suite against them, runs both
# example studies on a two-worker local cluster, and installs the package
# with pip into a throw-away virtual environment that sees Debian's packages.
#
#   tools/python-test.sh            # everything
#   SKIP_PIP=1 tools/python-test.sh # without the pip install
set -eu
cd "$(dirname "$0")/.."
PYTHON=${PYTHON:-/usr/bin/python3}
BUILD=${BUILD:-build/python-test}
JOBS=${JOBS:-2}

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DKESTRO_BUILD_TESTS=OFF \
  -DKESTRO_BUILD_BENCH=OFF -DKESTRO_BUILD_PYTHON=ON -DPython3_EXECUTABLE="$PYTHON"
cmake --build "$BUILD" -j"$JOBS" --target kestro_host kestro_python

export PYTHONPATH="$PWD/$BUILD/python"
export KESTRO_HOST="$PWD/$BUILD/kestro"
"$PYTHON" -m pytest -q -p no:cacheprovider python/tests
"$PYTHON" examples/study_embedment.py --workers 2 --out "$BUILD/study"
"$PYTHON" examples/study_monte_carlo.py --workers 2 --samples 200 --out "$BUILD/study"

if [ -z "${SKIP_PIP:-}" ]; then
  rm -rf "$BUILD/venv"
  "$PYTHON" -m venv --system-site-packages "$BUILD/venv"
  KESTRO_BUILD_DIR="$PWD/$BUILD" "$BUILD/venv/bin/pip" install -q --no-build-isolation \
    --no-index ./python
  rm -rf python/build python/kestro.egg-info
  (cd "$BUILD" && env -u PYTHONPATH venv/bin/python -c \
    'import kestro, sys; r = kestro.run(open(sys.argv[1]).read()); assert r.solved, r.outcome; assert "<svg" in r.html()' \
    "$OLDPWD/examples/tied-back-wall.dat")
fi
echo "python-test: all passed"
