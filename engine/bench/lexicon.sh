#!/usr/bin/env bash
# Lexicon search cost per word, text and indexed form, for lexicons of 1 000, 10 000 and
# 100 000 entries. Half of the searched words are in the lexicon, half are not (a word
# that is not there costs a scan of the whole text lexicon or of one index block).
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
awk -v n="$words" "$(gen_word)"' BEGIN {
  print "STR ------"
  for (i = 0; i < n; i++) {
    w = (i % 2 == 0) ? word(i * 13) : word(i + 5000000) "Q"
    printf "ZZZ %s \377ZZZ---ZZZ%s\n", w, tolower(w)
  }
  print "SEN . \377ZZZ---ZZZ."
}' > pass3

# Milliseconds of the best of $runs engine runs with the script $1.
best_ms() {
  printf 'PROCEDURES\n%s\n' "$1" > definitions/exec.zmb
  local best=""
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s%N)
    "$bin/zembu2" SHELLMODE definitions/ pass3 pass2 > /dev/null
    t1=$(date +%s%N)
    local ms=$(( (t1 - t0) / 1000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

base=$(best_ms "")
printf '%-10s %-22s %-22s\n' entries "text form, us/word" "indexed form, us/word"
for n in 1000 10000 100000; do
  awk -v n="$n" "$(gen_word)"' BEGIN { for (i = 0; i < n; i++) { w = word(i); printf "%s\n\377NOM---Sns%s\n", w, tolower(w) } }' \
    > definitions/lexi.zmb
  "$bin/makelexi" definitions/lexi.zmb definitions/lexi > /dev/null
  text=$(best_ms "l lexi.zmb")
  indexed=$(best_ms "l lexi")
  printf '%-10s %-22s %-22s\n' "$n" $(( (text - base) / words )) $(( (indexed - base) / words ))
done
echo "(best of $runs runs of one sentence of $words words; engine start-up alone: $base us)"
