#!/bin/sh
# Writes a small set of ground records (in g's) into records/: each a
# sine pulse train of its own period, 0.3 g, two cycles, then still ground,
# 4 s at 0.01 s.  A real study puts its own records here in the same form:
# two title lines, then the accelerations, free format.
set -eu
mkdir -p records
for tp in 0.25 0.35 0.5 0.7 1.0; do
  awk -v tp="$tp" 'BEGIN {
    pi = 3.14159265358979; dt = 0.01; n = 401
    printf "SINE PULSES, PERIOD %s S, 0.3 G\n%d POINTS AT %.2f S\n", tp, n, dt
    for (i = 0; i < n; i++) {
      t = i * dt
      a = (t < 2 * tp) ? 0.3 * sin(2 * pi * t / tp) : 0.0
      printf "%.6f\n", a
    }
  }' > "records/pulse_$tp.txt"
done
