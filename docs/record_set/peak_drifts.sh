#!/bin/sh
# One line per run: the run, its exit status, and the peak drift ratios of
# storeys 1 and 2 (largest |floor sway| / 144 and |roof - floor sway| / 144
# over the steps), from the histories that "READ" lists in each report.
#   peak_drifts.sh > drifts.txt
set -eu
printf '%-24s %6s %12s %12s\n' RUN STATUS DRIFT1 DRIFT2
for dir in runs/*/; do
  run=$(basename "$dir")
  status=$(cat "$dir/status.txt" 2>/dev/null || echo "-")
  awk -v run="$run" -v status="$status" -v h=144.0 '
    /^ +DEGREE OF FREEDOM .*READ FROM UNIT # *21 / { u = 21; next }
    /^ +DEGREE OF FREEDOM .*READ FROM UNIT # *22 / { u = 22; next }
    /%5E%/ { u = 0 }
    u { sub(/^ *\*[0-9]+\*/, "") }
    u && $1 ~ /^[0-9]+$/ { if (u == 21) f[$1] = $4; else r[$1] = $4 }
    END {
      d1 = d2 = 0.0
      for (k in f) {
        a = f[k] < 0 ? -f[k] : f[k]; if (a > d1) d1 = a
        b = r[k] - f[k]; if (b < 0) b = -b; if (b > d2) d2 = b
      }
      printf "%-24s %6s %12.5e %12.5e\n", run, status, d1 / h, d2 / h
    }' "$dir/study.out"
done
