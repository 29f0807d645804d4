#!/usr/bin/env bash
# Peak memory of zembu with the passes in its process over long texts: filter mode on
# SENTENCES sentences (the sample text's sentences in turn) and on a tenth of them, then
# on bad input: a 1 MB line of words, 64 KB of binary bytes, and a rule set whose idiom
# stops the engine in every second sentence. Not a test: it prints the figures.
# Usage: endurance.sh [bin dir] [SENTENCES] [RULES]  (RULES default: rules/rules.txt)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=$(realpath "${1:-$root/build/bin}")
sentences=${2:-100000}
rules=$(realpath "${3:-$root/rules/rules.txt}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run/definitions"
cp "$bin/makezembu" "$bin/zembu" "$work/run/"
cp "$rules" "$work/run/rules.txt"
grep -v '^$' "$root/rules/sample.txt" | sed 's/\([.!?]\) /\1\n/g' > "$work/sentences"
n=$(wc -l < "$work/sentences")
text() { awk -v want="$1" -v n="$n" '{ s[NR] = $0 } END { for (i = 0; i < want; i++) print s[i % n + 1] }' "$work/sentences"; }

# "status wall_s peak_rss_kb" of zembu - on the file $1 (with a second argument: zembu in
# file mode on it, standard input empty).
run() {
  if [ $# -gt 1 ]; then
    (cd "$work/run" && /usr/bin/time -f "%x %e %M" -o "$work/time" ./zembu "$1" < /dev/null > "$work/out" 2> /dev/null) || true
  else
    (cd "$work/run" && /usr/bin/time -f "%x %e %M" -o "$work/time" ./zembu - < "$1" > "$work/out" 2> /dev/null) || true
  fi
  tail -1 "$work/time"
}

text $((sentences / 10)) > "$work/tenth"
text "$sentences" > "$work/all"
read -r s1 t1 m1 < <(run "$work/tenth")
read -r s2 t2 m2 < <(run "$work/all")
echo "$((sentences / 10)) sentences: status $s1, ${t1} s, peak RSS ${m1} KB"
echo "$sentences sentences: status $s2, ${t2} s, peak RSS ${m2} KB"

awk 'BEGIN { for (i = 0; i < 75000; i++) printf "the red house "; print "is red" }' > "$work/megabyte"
read -r s t m < <(run "$work/megabyte")
echo "a line of $(wc -c < "$work/megabyte") bytes: status $s, ${t} s, peak RSS ${m} KB"
head -c 65536 /dev/urandom > "$work/binary"
read -r s t m < <(run "$work/binary")
echo "64 KB of random bytes: status $s, ${t} s, peak RSS ${m} KB"
# An idiom whose action stops the engine for every word in -ing.
printf '%s\n' "IDIOMS" "+ING" "A3" "-----" >> "$work/run/rules.txt"
awk -v want="$((sentences / 10))" 'BEGIN { for (i = 0; i < want; i++) print (i % 2 ? "He is walking." : "The house is red.") }' > "$work/stops"
read -r s t m < <(run "$work/stops" file)
echo "$((sentences / 10)) sentences, every second one stopping the engine: status $s, ${t} s, peak RSS ${m} KB"
