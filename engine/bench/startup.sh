#!/usr/bin/env bash
# Wall time of one engine run in the pipeline's shell form: a one-sentence token file
# and a ten-line procedure script (no lexicon files, so only start-up, reading and
# output are measured).
#   engine/bench/startup.sh [bindir] [runs]
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
runs=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir definitions
printf '%s\n' "INTRO Please enter sentences:" "MODUS COMPUTER" "PROCEDURES" \
  "F *              visible = false" "0 term.zmb       terminations" \
  "L lexi.zmb       lexicon" "L user1.zmb      simple entries" "2 user2.zmb      compounds" \
  "f *              visible = true" "3 *              syntax start" "6 restart" \
  "9 *              first readings" "R *" "S *              show with part of speech" \
  > definitions/exec.zmb
printf 'STR ------\nYYY *\n' > pass3
for w in The house is red; do printf 'ZZZ %s \377ZZZ---ZZZ%s\n' "$(echo $w | tr a-z A-Z)" "$w" >> pass3; done
printf 'SEN . \377ZZZ---ZZZ.\n' >> pass3

t0=$(date +%s%N)
for _ in $(seq "$runs"); do "$bin/zembu2" SHELLMODE definitions/ pass3 pass2 > /dev/null; done
t1=$(date +%s%N)
echo "zembu2, one sentence, ten procedures: $(( (t1 - t0) / runs / 1000 )) us per run (mean of $runs)"
t0=$(date +%s%N)
for _ in $(seq "$runs"); do /bin/true; done
t1=$(date +%s%N)
echo "starting /bin/true for comparison:     $(( (t1 - t0) / runs / 1000 )) us per run"
