#!/bin/sh
# Runs every deck under runs/ with KELVORAN (the program's path), as many at
# once as the machine has cores; each run answers the three prompts with its
# own folder ("" is the current one), the deck and the report's name.
#   KELVORAN=/path/to/kelvoran run_all.sh [JOBS]
set -eu
: "${KELVORAN:?set KELVORAN to the program}"
jobs=${1:-$(nproc)}
export KELVORAN
ls -d runs/*/ | xargs -P "$jobs" -I{} sh -c '
  cd "{}" && printf "\nstudy.dat\nstudy.out\n" | "$KELVORAN" > console.txt 2>&1
  echo $? > status.txt'
