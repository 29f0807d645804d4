#!/usr/bin/env bash
# Times the whole pipeline: zembu in file mode on a text of SENTENCES sentences (taken in
# turn from rules/sample.txt) with the sample rules, against the same run with the four
# pass programs and the compiler replaced by /bin/true, which leaves the front end's own
# work and the cost of starting the processes. Not a test: it prints the figures.
# Usage: run.sh [bin dir] [SENTENCES] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=$(realpath "${1:-$root/build/bin}")
sentences=${2:-200}
runs=${3:-5}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/real/definitions" "$work/true/definitions"
for p in makezembu zembu zembu1 zembu2 zembu3 zembu4; do cp "$bin/$p" "$work/real/"; done
cp "$root/rules/rules.txt" "$work/real/"
cp "$bin/zembu" "$work/true/"
for p in makezembu zembu1 zembu2 zembu3 zembu4; do cp "$(type -P true)" "$work/true/$p"; done

# One sentence a line: the sentences zembu itself cuts out of the sample, in turn.
(cd "$work/real" && ./zembu "$root/rules/sample.txt") |
  awk 'NR > 5 && (NR - 6) % 3 == 0 { sub(/^ +/, ""); print }' > "$work/sentences"
n=$(wc -l < "$work/sentences")
for ((i = 0; i < sentences; i++)); do sed -n "$((i % n + 1))p" "$work/sentences"; done \
  > "$work/text.txt"

# Best wall time in milliseconds of RUNS runs of zembu in directory $1.
best_ms() {
  local best=""
  for ((r = 1; r <= runs; r++)); do
    local start end
    start=$(date +%s%N)
    (cd "$1" && ./zembu "$work/text.txt" > "$work/out.$2")
    end=$(date +%s%N)
    local ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

real=$(best_ms "$work/real" real)
bare=$(best_ms "$work/true" true)
translated=$(awk 'NR > 5 && (NR - 6) % 3 == 1' "$work/out.real" | grep -c .)

true_bin=$(type -P true)
start=$(date +%s%N)
for ((i = 0; i < 5 * sentences; i++)); do "$true_bin"; done
end=$(date +%s%N)
loop=$(( (end - start) / 1000000 ))

echo "text: $sentences sentences, $translated translation lines; best of $runs runs"
echo "zembu with the real passes:        ${real} ms = $(( sentences * 1000 / (real > 0 ? real : 1) )) sentences/s"
echo "zembu with /bin/true as the passes: ${bare} ms ($(( bare * 100 / (real > 0 ? real : 1) ))% of the real run)"
echo "shell starting /bin/true 5 times a sentence: ${loop} ms"
