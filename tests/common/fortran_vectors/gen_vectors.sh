#!/bin/sh
# Regenerates the formatter test vectors from gfortran:
#   tests/common/fortran_vectors/gen_vectors.sh
# The vectors are committed; run this only after changing gen_vectors.f90.
# -fno-sign-zero: the engine writes no minus sign on a value that prints as
# zero.  The seed fixes the random values, so a rerun gives the same files.
set -eu

SEED=20240517
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

gfortran -std=gnu -fno-sign-zero -O0 -o "$work/gen_vectors" "$here/gen_vectors.f90"
(cd "$work" && ./gen_vectors "$SEED")
cp "$work/edit_vectors.txt" "$work/record_vectors.txt" "$here/"
echo "edit vectors:   $(grep -vc '^#' "$here/edit_vectors.txt")"
echo "record vectors: $(grep -vc '^#' "$here/record_vectors.txt")"
