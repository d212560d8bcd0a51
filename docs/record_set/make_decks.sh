#!/bin/sh
# One folder per record and scale under runs/: the deck study.dat made from
# frame.tpl, and the record as the side file temp20.out that the deck reads.
#   make_decks.sh [SCALE ...]     (default: 0.5 1.0 1.5 2.0)
set -eu
here=$(dirname "$0")
[ $# -gt 0 ] || set -- 0.5 1.0 1.5 2.0
for rec in records/*.txt; do
  name=$(basename "$rec" .txt)
  npts=$(($(wc -l < "$rec") - 2))
  dt=0.01
  tf=$(awk -v n="$npts" -v dt="$dt" 'BEGIN { printf "%.3f", (n - 1) * dt }')
  for scale in "$@"; do
    dir="runs/${name}_x$scale"
    mkdir -p "$dir"
    sed -e "s/@NAME@/$name/g" -e "s/@SCALE@/$scale/g" -e "s/@NPTS@/$npts/g" \
        -e "s/@DT@/$dt/g" -e "s/@TF@/$tf/g" "$here/frame.tpl" > "$dir/study.dat"
    cp "$rec" "$dir/temp20.out"
  done
done
