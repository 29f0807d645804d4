#!/usr/bin/env bash
# Translation quality of a rule set on the development sentence pairs of Debian's
# English-German dictionary (trans-de-en): the English side is translated by zembu in one
# filter run and word by word with the same rules' lexicon, and both are scored against
# the German side. Prints figures; it is not a test.
#   rules/bench/quality.sh [bin dir] [rules file] [N] [SKIP]
#     bin dir     the built programs (default build/bin)
#     rules file  default build/work/rules.txt (prepared by ./translate), else
#                 rules/rules.txt
#     N           the first N development pairs (default 2000), or "all"
#     SKIP        start after the first SKIP pairs (default 0): "2000 2000" scores pairs
#                 2001-4000, a second slice to check that a change made while looking at
#                 the first one is a general gain
#   QUALITY_DICT names another dictionary file; QUALITY_KEEP=DIR keeps the run's files
#   (sentences, translations, token file, word file) in DIR.
# Figures: chrF (character 1- to 6-grams, beta 2, corpus statistics), the exact-match rate
# (case, blanks and final punctuation ignored) and the share of English word tokens that
# stayed unknown. Exit status 0; 2 for a missing dictionary, program or rules file.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
fail() {
  echo "quality.sh: $1" >&2
  exit "${2:-1}"
}

bin=${1:-$root/build/bin}
rules=${2:-}
if [ -z "$rules" ]; then
  rules=$root/rules/rules.txt
  [ -f "$root/build/work/rules.txt" ] && rules=$root/build/work/rules.txt
fi
count=${3:-2000}
skip=${4:-0}
dict=${QUALITY_DICT:-/usr/share/trans/de-en}

[ -r "$dict" ] && [ -f "$dict" ] ||
  fail "the dictionary $dict is missing; install the Debian package trans-de-en" 2
[ -r "$rules" ] && [ -f "$rules" ] || fail "the rules file $rules cannot be read" 2
[ -d "$bin" ] || fail "no directory $bin: build the programs first (see README.md)" 2
bin=$(cd "$bin" && pwd)
rules=$(cd "$(dirname "$rules")" && pwd)/$(basename "$rules")
for p in quality makezembu zembu zembu1 zembu2 zembu3 zembu4; do
  [ -x "$bin/$p" ] || fail "$bin/$p is missing: build the programs first" 2
done
case "$count" in
  all) ;;
  '' | *[!0-9]* | 0) fail "N must be a positive number or \"all\", not \"$count\"" 2 ;;
esac
case "$skip" in
  '' | *[!0-9]*) fail "SKIP must be a number, not \"$skip\"" 2 ;;
esac

scratch=$(mktemp -d "${TMPDIR:-/tmp}/zembu-quality.XXXXXX") || fail "no scratch directory"
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM
cd "$scratch" || fail "cannot enter $scratch"

# The development pairs; the tool drops the held-out ones while it reads the dictionary.
"$bin/quality" extract "$dict" > all.tsv || fail "quality extract failed"
tail -n +"$((skip + 1))" all.tsv > rest.tsv
if [ "$count" = all ]; then mv rest.tsv pairs.tsv; else head -n "$count" rest.tsv > pairs.tsv; fi
n=$(wc -l < pairs.tsv)
[ "$n" -gt 0 ] || fail "no development pairs in $dict" 2
cut -f1 pairs.tsv > english.txt
cut -f2 pairs.tsv > german.txt

# zembu: one front-end run in filter mode, one German line for each English line.
mkdir -p work/definitions
for p in makezembu zembu zembu1 zembu2 zembu3 zembu4; do cp "$bin/$p" work/; done
cp "$rules" work/rules.txt
t0=$(date +%s)
(cd work && ./zembu - < ../english.txt > ../zembu.txt 2> ../zembu.err)
status=$?
seconds=$(( $(date +%s) - t0 ))
case $status in
  0) ;;
  3) echo "quality.sh: some passes failed (their sentences stay empty):" >&2
     head -n 5 zembu.err >&2 ;;
  *) head -n 20 zembu.err >&2; fail "zembu stopped with status $status" ;;
esac
[ "$(wc -l < zembu.txt)" -eq "$n" ] ||
  fail "zembu wrote $(wc -l < zembu.txt) lines for $n sentences"

# Unknown words. The front end deletes the engine's word file zembu.wor after every
# sentence, so the words are counted in a run of their own: the tokenizer and the suffix
# splitter cut every sentence into one token file, as the front end's passes do, and one
# engine run looks the words up with the rule set's procedure script up to its first
# word-file procedure S (there the lexicon searches and the unknown-word rules are done;
# a script with syntax rules writes the word file a second time at its end).
"$bin/quality" encode < english.txt > work/english.437 || fail "quality encode failed"
mkdir work/countdefs
cp -p work/definitions/* work/countdefs/  # -p: the lexicon indexes check the times
awk '{ print } /^S / { exit }' work/definitions/exec.zmb > work/countdefs/exec.zmb
(
  cd work || exit 1
  rm -f zembu.ind zembu.wor tokens
  limit=$((4 * n + 10))
  while [ "$limit" -gt 0 ]; do
    ./zembu1 english.437 zembu.ind quiet > /dev/null
    st=$?
    [ $st -eq 3 ] && break
    [ $st -eq 0 ] || exit 1
    ./zembu4 pass1 pass3 > /dev/null || exit 1
    cat pass3 >> tokens
    limit=$((limit - 1))
  done
  ./zembu2 SHELLMODE countdefs/ tokens counted > /dev/null
) || fail "the token run for the unknown words failed"
"$bin/quality" unknown work/tokens work/zembu.wor > zembu.unknown || fail "quality unknown failed"

# The word-by-word baseline with the same rules.
"$bin/quality" baseline "$rules" < english.txt > baseline.txt 2> baseline.unknown ||
  fail "quality baseline failed"

"$bin/quality" score german.txt zembu.txt > zembu.score || fail "quality score failed"
"$bin/quality" score german.txt baseline.txt > baseline.score || fail "quality score failed"

field() { awk -v k="$1" '$1 == k { print $2 }' "$2"; }
row() {  # name, score file, unknown file
  local words unknown share
  words=$(field words "$3")
  unknown=$(field unknown "$3")
  share=$(awk -v u="$unknown" -v w="$words" 'BEGIN { printf "%.1f", (w > 0 ? 100 * u / w : 0) }')
  printf '%-14s %7s %12s  %6s %% (%s of %s)\n' "$1" "$(field chrF "$2")" \
    "$(field exact "$2") %" "$share" "$unknown" "$words"
}
echo "Development pairs of $dict: $n sentences (after the first $skip)"
echo "Rules: $rules"
echo "zembu translated them in $seconds s (programs: $bin)"
printf '%-14s %7s %12s  %s\n' "" chrF "exact match" "unknown words"
row zembu zembu.score zembu.unknown
row "word by word" baseline.score baseline.unknown

if [ -n "${QUALITY_KEEP:-}" ]; then
  mkdir -p "$QUALITY_KEEP" &&
    cp pairs.tsv english.txt german.txt zembu.txt zembu.err baseline.txt work/tokens \
      "$QUALITY_KEEP"/ &&
    { [ ! -f work/zembu.wor ] || cp work/zembu.wor "$QUALITY_KEEP"/; } &&
    echo "The run's files are in $QUALITY_KEEP"
fi
exit 0
