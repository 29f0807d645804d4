#!/usr/bin/env bash
# Words per second of the engine started once: the direct form (plain text, "old file
# mode") over a text of SENTENCES sentences taken in turn from rules/sample.txt, with a
# rule source (default: the full one ./translate generates, build/dict/rules.txt, else the
# sample rules). Not a test: it prints the figures.
#   engine/bench/throughput.sh [bindir] [rules file] [SENTENCES]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(cd "${1:-$root/build/bin}" && pwd)
rules=${2:-$root/build/dict/rules.txt}
[ -f "$rules" ] || rules=$root/rules/rules.txt
rules=$(cd "$(dirname "$rules")" && pwd)/$(basename "$rules")
sentences=${3:-2000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir definitions
cp "$rules" rules.txt
"$bin/makezembu" > /dev/null
printf 'old file mode TRUE\nshow output FALSE\n' > zembu.cfg
grep -v '^$' "$root/rules/sample.txt" | sed 's/\([.!?]\) /\1\n/g' > sentences
n=$(wc -l < sentences)
for ((i = 0; i < sentences; i++)); do sed -n "$((i % n + 1))p" sentences; done > text.txt
words=$(wc -w < text.txt)
t0=$(date +%s%N)
"$bin/zembu2" text.txt definitions/ > /dev/null
t1=$(date +%s%N)
ms=$(( (t1 - t0) / 1000000 ))
lines=$(wc -l < text.XLT)
echo "rules: $rules"
echo "zembu2 direct form: $sentences sentences, $words words, $lines result lines in $ms ms:" \
  "$(( words * 1000 / (ms > 0 ? ms : 1) )) words/s, $(( sentences * 1000 / (ms > 0 ? ms : 1) )) sentences/s"
