#!/usr/bin/env bash
# Lexicon search cost per word for lexicons of 1 000, 10 000, 100 000 and 200 000 entries:
# a text lexicon compiled by makezembu, searched through its headword index (lexi.zix) and
# scanned whole (the index moved away), and the same entries in the indexed record form
# (makelexi). Half of the searched words are in the lexicon, half are not. Then
# makezembu's time for the largest LEXICON section, index included.
#   engine/bench/lexicon.sh [bindir] [runs]
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir definitions

words=50
# Words of random letters; word i of every lexicon is the same, so the searched words
# (every other one a lexicon word, the rest made up) are found in each size.
gen_word() {  # awk function text: the i-th word
  cat <<'AWK'
function word(i,   w, len, k) {
  srand(i * 7 + 3); len = 3 + int(rand() * 8); w = ""
  for (k = 0; k < len; k++) w = w sprintf("%c", 65 + int(rand() * 26))
  return w
}
AWK
}
# One sentence in pass1; the same sentence $many times in pass100, so that a fast search is
# measured over many sentences (every sentence opens and checks the lexicon anew).
many=100
awk -v n="$words" "$(gen_word)"' BEGIN {
  print "STR ------"
  for (i = 0; i < n; i++) {
    w = (i % 2 == 0) ? word(i * 13) : word(i + 5000000) "Q"
    printf "ZZZ %s \377ZZZ---ZZZ%s\n", w, tolower(w)
  }
  print "SEN . \377ZZZ---ZZZ."
}' > pass1
for _ in $(seq "$many"); do cat pass1; done > pass100

now_us() { echo $(( $(date +%s%N) / 1000 )); }

# Microseconds of the best of $runs engine runs with the script $1 over the token file $2.
best_us() {
  printf 'PROCEDURES\n%s\n' "$1" > definitions/exec.zmb
  local best=""
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(now_us)
    "$bin/zembu2" SHELLMODE definitions/ "$2" pass2 > /dev/null
    t1=$(now_us)
    local us=$(( t1 - t0 ))
    if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
  done
  echo "$best"
}

# Time $1 less the start-up time $2, divided by $3, with two decimals.
share() { awk -v t="$1" -v b="$2" -v n="$3" 'BEGIN { printf "%.2f", (t - b) / n }'; }

base1=$(best_us "" pass1)
base100=$(best_us "" pass100)
printf '%-8s %-14s %-14s %-18s %-14s\n' entries "text, scan" "text, index" "index, sentence" "records"
for n in 1000 10000 100000 200000; do
  awk -v n="$n" "$(gen_word)"' BEGIN {
    print "LEXICON"
    for (i = 0; i < n; i++) { w = word(i); printf "%s NOM---Sns%s\n", tolower(w), tolower(w) }
    print "-----"
  }' > rules.txt
  best_make=""
  for _ in 1 2 3; do
    t0=$(now_us)
    "$bin/makezembu" > /dev/null
    t1=$(now_us)
    if [ -z "$best_make" ] || [ $(( t1 - t0 )) -lt "$best_make" ]; then best_make=$(( t1 - t0 )); fi
  done
  indexed=$(best_us "l lexi.zmb" pass100)
  mv definitions/lexi.zix lexi.zix.away
  scanned=$(best_us "l lexi.zmb" pass1)
  mv lexi.zix.away definitions/lexi.zix
  "$bin/makelexi" definitions/lexi.zmb definitions/lexi > /dev/null
  records=$(best_us "l lexi" pass100)
  printf '%-8s %-14s %-14s %-18s %-14s\n' "$n" "$(share "$scanned" "$base1" "$words")" \
    "$(share "$indexed" "$base100" $(( many * words )))" "$(share "$indexed" "$base100" "$many")" \
    "$(share "$records" "$base100" $(( many * words )))"
  last_make=$best_make
  last_size=$(stat -c %s rules.txt)
done
echo "(microseconds per word: best of $runs engine runs less a run of the same sentences"
echo " without procedures; the scan over one sentence of $words words, the index and the"
echo " records over $many such sentences. 'index, sentence': the whole lexicon procedure of one"
echo " sentence with the index, opening and checking it and $words searches)"
awk -v t="$last_make" -v s="$last_size" 'BEGIN {
  printf "makezembu, LEXICON of 200000 entries (%.1f MB), index included: %.3f s (best of 3)\n", s / 1e6, t / 1e6 }'
