#!/usr/bin/env bash
# Prints, for each subsystem under src/, the other subsystems its files
# include, e.g. "solver: common input".  Run from the top of the tree.
set -euo pipefail
cd "$(dirname "$0")/.."
for dir in src/*/; do
  name=$(basename "$dir")
  used=$(grep -ho '#include "[a-z_]*/' "$dir"* 2>/dev/null | sed 's/#include "//; s#/##' |
         sort -u | grep -vx "$name" | grep -vx kestro | tr '\n' ' ' || true)
  echo "$name: ${used% }"
done
