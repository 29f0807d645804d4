#!/usr/bin/env bash
# Times the whole pipeline: zembu in file mode on a text of SENTENCES sentences (taken in
# turn from rules/sample.txt) with the sample rules, the passes inside zembu's process
# (the default) and as programs (zembu --processes), against the process pipeline with the
# four pass programs and the compiler replaced by a stand-in that only creates the file each
# pass leaves (compiled here from a few lines of C), which leaves the front end's own work
# and the cost of starting the processes. Not a test: it prints the figures.
# Usage: run.sh [bin dir] [SENTENCES] [RUNS] [RULES]   (RULES: default rules/rules.txt; the
# full rule source ./translate generates is build/dict/rules.txt)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=$(realpath "${1:-$root/build/bin}")
sentences=${2:-200}
runs=${3:-5}
rules=$(realpath "${4:-$root/rules/rules.txt}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/real/definitions" "$work/true/definitions"
for p in makezembu zembu zembu1 zembu2 zembu3 zembu4; do cp "$bin/$p" "$work/real/"; done
cp "$rules" "$work/real/rules.txt"
cp "$bin/zembu" "$work/true/"
# The stand-in creates the result file of the pass it stands for: pass1 for zembu1, the
# second argument for zembu4 and zembu3, the fourth for zembu2; makezembu makes nothing.
cat > "$work/stand_in.c" <<'C'
#include <fcntl.h>
#include <string.h>
#include <unistd.h>
int main(int argc, char** argv) {
  const char* name = strrchr(argv[0], '/') ? strrchr(argv[0], '/') + 1 : argv[0];
  const char* out = !strcmp(name, "zembu1") ? "pass1"
                    : !strcmp(name, "zembu2") ? (argc > 4 ? argv[4] : 0)
                    : !strcmp(name, "makezembu") ? 0 : (argc > 2 ? argv[2] : 0);
  if (out) close(open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644));
  return 0;
}
C
cc -O2 -o "$work/stand_in" "$work/stand_in.c"
for p in makezembu zembu1 zembu2 zembu3 zembu4; do cp "$work/stand_in" "$work/true/$p"; done

# One sentence a line: the sentences zembu itself cuts out of the sample, in turn.
(cd "$work/real" && ./zembu "$root/rules/sample.txt") |
  awk 'NR > 5 && (NR - 6) % 3 == 0 { sub(/^ +/, ""); print }' > "$work/sentences"
n=$(wc -l < "$work/sentences")
for ((i = 0; i < sentences; i++)); do sed -n "$((i % n + 1))p" "$work/sentences"; done \
  > "$work/text.txt"

# Best wall time of RUNS runs of zembu in directory $1 (with the options after $2), as
# "wall_ms cpu_ms" (the CPU time, user + system of zembu and everything it started, of that
# same run).
best_ms() {
  local dir=$1 name=$2 best="" cpu=""
  shift 2
  for ((r = 1; r <= runs; r++)); do
    (cd "$dir" && /usr/bin/time -f "%e %U %S" -o "$work/time" ./zembu "$@" "$work/text.txt" \
      > "$work/out.$name")
    local ms c
    ms=$(awk '{ printf "%d", $1 * 1000 }' "$work/time")
    c=$(awk '{ printf "%d", ($2 + $3) * 1000 }' "$work/time")
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; cpu=$c; fi
  done
  echo "$best $cpu"
}

read -r inproc inproc_cpu < <(best_ms "$work/real" inproc)
# Start-up alone (the lock, makezembu, the banner): the same run on an empty text.
mv "$work/text.txt" "$work/full.txt"
: > "$work/text.txt"
read -r startup startup_cpu < <(best_ms "$work/real" startup)
mv "$work/full.txt" "$work/text.txt"
read -r real real_cpu < <(best_ms "$work/real" real --processes)
read -r bare bare_cpu < <(best_ms "$work/true" true --processes)
translated=$(awk 'NR > 5 && (NR - 6) % 3 == 1' "$work/out.real" | grep -c .)
cmp -s "$work/out.inproc" "$work/out.real" || echo "the passes in zembu's process and as programs translate differently" >&2

true_bin=$(type -P true)
start=$(date +%s%N)
for ((i = 0; i < 5 * sentences; i++)); do "$true_bin"; done
end=$(date +%s%N)
loop=$(( (end - start) / 1000000 ))

per() { echo $(( $1 * 1000 / (sentences > 0 ? sentences : 1) )); }
echo "text: $sentences sentences, $translated translation lines; best of $runs runs"
echo "zembu, passes in its process: ${inproc} ms wall ($(( sentences * 1000 / (inproc > 0 ? inproc : 1) )) sentences/s), ${inproc_cpu} ms CPU; per sentence $(per "$inproc") us wall, $(per "$inproc_cpu") us CPU"
after=$(( inproc - startup ))
echo "  of which start-up (compiling the rules): ${startup} ms wall; after it $(( sentences * 1000 / (after > 0 ? after : 1) )) sentences/s, $(per "$after") us a sentence"
echo "zembu --processes, real passes:     ${real} ms wall ($(( sentences * 1000 / (real > 0 ? real : 1) )) sentences/s), ${real_cpu} ms CPU; per sentence $(per "$real") us wall, $(per "$real_cpu") us CPU"
echo "zembu --processes, stand-in passes:  ${bare} ms wall, ${bare_cpu} ms CPU; per sentence $(per "$bare") us wall, $(per "$bare_cpu") us CPU"
echo "share of starting processes and the front end's own work in --processes: $(( bare * 100 / (real > 0 ? real : 1) ))% of the wall time, $(( bare_cpu * 100 / (real_cpu > 0 ? real_cpu : 1) ))% of the CPU time"
echo "shell starting /bin/true 5 times a sentence: ${loop} ms"
