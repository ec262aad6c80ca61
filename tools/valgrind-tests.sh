#!/usr/bin/env bash
# Runs test programs under valgrind memcheck; any memory error or leak fails
# the run.  Builds a debug tree in build/valgrind first.
#   tools/valgrind-tests.sh                      every test program
#   tools/valgrind-tests.sh driver input catalogue   those of tests/<folder>/
# Child processes (the command-line host the host tests start) are not traced.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/valgrind
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKESTRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

dirs=()
if [ "$#" -eq 0 ]; then
  dirs=("$build/tests")
else
  for folder in "$@"; do dirs+=("$build/tests/$folder"); done
fi
mapfile -t programs < <(find "${dirs[@]}" -type f -executable -name '*_test' | sort)
if [ "${#programs[@]}" -eq 0 ]; then
  echo "no test programs in ${dirs[*]}"
  exit 1
fi

failed=0
for program in "${programs[@]}"; do
  log="$build/$(basename "$program").valgrind.log"
  start=$SECONDS
  if valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
      --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect \
      --log-file="$log" "$program" --gtest_brief=1 >/dev/null 2>&1; then
    echo "ok      $(basename "$program") ($((SECONDS - start)) s)"
  else
    echo "FAILED  $(basename "$program") (exit $?); see $log"
    grep -E '^==[0-9]+== (ERROR SUMMARY|.*(Invalid|uninitialised|definitely|indirectly))' "$log" | head -20 || true
    failed=1
  fi
done
exit "$failed"
