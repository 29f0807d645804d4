#!/usr/bin/env bash
# The German regression suite outside ctest: translates every English sentence of
# rules/regression.tsv in one `zembu -` run and prints the table of each group (passed /
# total), the failing sentences (English, expected, got; "known" when
# rules/regression_known_failures.txt lists them) and the overall pass rate, as the
# GrammarRegression test does.
#   rules/bench/regression.sh [bin dir] [rules file]
#     bin dir     the built programs (default build/bin)
#     rules file  a full rule source; by default it is generated here from
#                 rules/rules.txt, rules/dict_overrides.txt and Debian's dictionary with the
#                 bin dir's makedict (rules/rules.txt alone when the dictionary is missing)
# Exit status: 0 when the test would pass; 1 when a sentence fails that is not a known
# failure, or a known failure passes (it is then to be removed from the list); 2 when
# something needed is missing.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
fail() {
  echo "regression.sh: $1" >&2
  exit "${2:-2}"
}

bin=${1:-$root/build/bin}
rules=${2:-}
suite=$root/rules/regression.tsv
known=$root/rules/regression_known_failures.txt
dict=/usr/share/trans/de-en

[ -d "$bin" ] || fail "no directory $bin: build the programs first (see README.md)"
bin=$(cd "$bin" && pwd)
for p in makezembu zembu zembu1 zembu2 zembu3 zembu4; do
  [ -x "$bin/$p" ] || fail "$bin/$p is missing: build the programs first"
done
[ -r "$suite" ] || fail "cannot read $suite"
[ -r "$known" ] || fail "cannot read $known"
if [ -n "$rules" ]; then
  [ -r "$rules" ] && [ -f "$rules" ] || fail "the rules file $rules cannot be read"
  rules=$(cd "$(dirname "$rules")" && pwd)/$(basename "$rules")
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/zembu-regression.XXXXXX") || fail "no scratch directory"
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM
mkdir -p "$scratch/work/definitions"

if [ -z "$rules" ]; then
  if [ -r "$dict" ] && [ -x "$bin/makedict" ]; then
    "$bin/makedict" --overrides "$root/rules/dict_overrides.txt" "$dict" "$root/rules/rules.txt" \
      > "$scratch/work/rules.txt" 2> "$scratch/makedict.log" ||
      { cat "$scratch/makedict.log" >&2; fail "makedict failed"; }
    rules="generated from $root/rules/rules.txt and $dict"
  else
    echo "regression.sh: no dictionary or makedict; translating with rules/rules.txt alone" >&2
    cp "$root/rules/rules.txt" "$scratch/work/rules.txt"
    rules=$root/rules/rules.txt
  fi
else
  cp "$rules" "$scratch/work/rules.txt"
fi
for p in makezembu zembu zembu1 zembu2 zembu3 zembu4; do cp "$bin/$p" "$scratch/work/"; done

# The English side: every line that is neither empty nor a "#" line, up to its TAB.
awk -F'\t' '{ sub(/[ \t\r]+$/, "") } $0 != "" && substr($0, 1, 1) != "#" { print $1 }' \
  "$suite" > "$scratch/english.txt"
n=$(wc -l < "$scratch/english.txt")
[ "$n" -gt 0 ] || fail "no sentences in $suite"

(cd "$scratch/work" && ./zembu - < ../english.txt > ../german.txt 2> ../zembu.err)
status=$?
[ "$status" -eq 0 ] || { head -n 20 "$scratch/zembu.err" >&2; fail "zembu stopped with status $status" 1; }
[ "$(wc -l < "$scratch/german.txt")" -eq "$n" ] ||
  fail "zembu wrote $(wc -l < "$scratch/german.txt") lines for $n sentences" 1

echo "Rules: $rules (programs: $bin)"
awk -v got_file="$scratch/german.txt" -v known_file="$known" -v suite_name="rules/regression.tsv" \
  -v known_name="rules/regression_known_failures.txt" '
  function trim(s) { sub(/[ \t\r]+$/, "", s); return s }
  BEGIN {
    FS = "\t"
    while ((getline line < known_file) > 0) {
      line = trim(line)
      if (line == "" || substr(line, 1, 1) == "#") continue
      split(line, f, "\t")
      known[f[1]] = 1
    }
  }
  { $0 = trim($0) }
  $0 == "" || substr($0, 1, 2) == "##" { next }
  substr($0, 1, 1) == "#" {
    group = $0
    sub(/^[# ]+/, "", group)
    if (!(group in total)) order[++groups] = group
    total[group] += 0
    next
  }
  {
    english = $1
    german = $0
    sub(/^[^\t]*\t/, "", german)
    getline result < got_file
    result = trim(result)
    count = split(german, alternative, " \\|\\| ")
    right = 0
    for (i = 1; i <= count; i++) if (trim(alternative[i]) == result) right = 1
    total[group]++
    all++
    if (right) {
      passed[group]++
      passed_all++
      if (english in known) stale[++stales] = english
      next
    }
    note = (english in known) ? "  (known)" : "  (NEW)"
    if (!(english in known)) news++
    failing = failing "  [" group "] " english note "\n    expected: " trim(alternative[1]) \
              "\n    got:      " result "\n"
  }
  END {
    printf "Grammar regression suite (%s): %d of %d sentences right (%.1f %%)\n", suite_name,
           passed_all, all, all ? 100 * passed_all / all : 0
    print "  passed / total  group"
    for (i = 1; i <= groups; i++) printf "  %6d / %5d  %s\n", passed[order[i]], total[order[i]], order[i]
    if (failing != "") printf "Failing sentences:\n%s", failing
    if (stales) {
      printf "%d known failures translate right now; remove them from %s:\n", stales, known_name
      for (i = 1; i <= stales; i++) print "  " stale[i]
    }
    if (news) printf "%d sentences fail that are not in %s\n", news, known_name
    exit ((news || stales) ? 1 : 0)
  }
' "$suite"
