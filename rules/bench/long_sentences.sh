#!/usr/bin/env bash
# The engine's time for long sentences with a rule source: every sentence of
# rules/bench/long_sentences.txt (about 30 words each, many clauses) and, five at a time,
# the English sentences of the regression suite joined into one, each through one zembu2
# run in the direct form, less the best time of a run on a one-word text (starting the
# program and reading the definitions). Prints the slowest sentences and the median; it
# is not a test.
#   rules/bench/long_sentences.sh [bin dir] [rules file] [RUNS]
#     rules file  default build/dict/rules.txt (made by ./translate), else rules/rules.txt
#     RUNS        runs per sentence, the best counts (default 3)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=$(realpath "${1:-$root/build/bin}")
rules=${2:-$root/build/dict/rules.txt}
[ -f "$rules" ] || rules=$root/rules/rules.txt
rules=$(realpath "$rules")
runs=${3:-3}
for p in makezembu zembu2; do
  [ -x "$bin/$p" ] || { echo "long_sentences.sh: $bin/$p is missing" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir definitions
cp "$rules" rules.txt
"$bin/makezembu" > /dev/null || { echo "long_sentences.sh: makezembu failed" >&2; exit 2; }
printf 'old file mode TRUE\nshow output FALSE\n' > zembu.cfg

cp "$here/long_sentences.txt" sentences
cut -f1 "$root/rules/regression.tsv" | grep -v '^#' | grep -v '^english$' |
  sed 's/[.!?]$//' | paste -d'\t' - - - - - | sed 's/\t/, and /g; s/$/./' >> sentences

# Best wall time in microseconds of RUNS engine runs over the text in file $1.
best_us() {
  local best=""
  for ((r = 1; r <= runs; r++)); do
    local t0 t1
    t0=$(date +%s%N)
    "$bin/zembu2" "$1" definitions/ > /dev/null
    t1=$(date +%s%N)
    local us=$(( (t1 - t0) / 1000 ))
    if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
  done
  echo "$best"
}

echo "Yes." > start.txt
start=$(best_us start.txt)
: > times
while IFS= read -r s; do
  [ -n "$s" ] || continue
  printf '%s\n' "$s" > one.txt
  us=$(best_us one.txt)
  words=$(wc -w < one.txt)
  printf '%d\t%d\t%s\n' $(( us > start ? us - start : 0 )) "$words" "$s" >> times
done < sentences

n=$(wc -l < times)
echo "rules: $rules"
echo "start-up and definitions (a one-word text): $(( start / 1000 )).$(( start % 1000 / 100 )) ms"
echo "engine time of $n long sentences (best of $runs runs, start-up taken off):"
sort -n times | awk -F'\t' -v n="$n" '
  { t[NR] = $1; w[NR] = $2; s[NR] = $3 }
  END {
    printf "  median %.1f ms; slowest:\n", t[int((n + 1) / 2)] / 1000
    for (i = n; i > n - 5 && i > 0; i--)
      printf "  %6.1f ms  %2d words  %.70s...\n", t[i] / 1000, w[i], s[i]
  }'
