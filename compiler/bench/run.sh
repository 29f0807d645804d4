#!/usr/bin/env bash
# Times makezembu on a large synthetic rule source (see genrules.sh). Not a test: it
# prints the wall time of each run and the best and median of them.
# Usage: run.sh [path/to/makezembu] [ENTRIES] [PAIRS] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prog=$(realpath "${1:-$here/../../build/bin/makezembu}")
entries=${2:-300000}
pairs=${3:-20}
runs=${4:-7}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/definitions"
"$here/genrules.sh" "$entries" "$pairs" > "$work/rules.txt"
echo "rules.txt: $(wc -l < "$work/rules.txt") lines, $(wc -c < "$work/rules.txt") bytes" \
     "($entries lexicon entries, $pairs substitution pairs)"

cd "$work"
times=()
for ((i = 1; i <= runs; i++)); do
  start=$(date +%s%N)
  out=$("$prog")
  end=$(date +%s%N)
  if [ -n "$out" ]; then echo "makezembu said: $out" >&2; exit 1; fi
  ms=$(( (end - start) / 1000000 ))
  times+=("$ms")
  echo "run $i: ${ms} ms"
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "best ${sorted[0]} ms, median ${sorted[$((runs / 2))]} ms" \
     "(lexi.zmb: $(wc -l < definitions/lexi.zmb) lines, $(wc -c < definitions/lexi.zmb) bytes)"
