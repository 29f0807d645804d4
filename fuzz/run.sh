#!/usr/bin/env bash
# Runs the fuzz targets with libFuzzer, AddressSanitizer and UBSan. (The targets work in a
# scratch directory of their own, so every path given to them is absolute.)
#   fuzz/run.sh [seconds] [target...]
# seconds: run time per target (default 60); targets: any of compiler tokenizer suffix
# subst engine_tokens engine_defs frontend frontend_passes (default all). Two targets run at a time
# (FUZZ_JOBS to change). Installs clang when it is missing, builds into build-fuzz/, keeps
# the growing corpus in build-fuzz/corpus/<target> (seeded from fuzz/corpus/<target>) and
# the findings in build-fuzz/findings/<target>/. Ends with one line per target: executions
# per second, coverage (edges covered of the instrumented edges, and features), and the
# crashes, leaks and timeouts found.
# Exit status 1 when anything was found.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
all=(compiler tokenizer suffix subst engine_tokens engine_defs frontend frontend_passes)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
jobs=${FUZZ_JOBS:-2}

# clang with libFuzzer and the sanitizer runtimes, from Debian's packages.
if ! command -v clang++ >/dev/null 2>&1 || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang libclang-rt-dev cmake make
fi

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DZEMBU_SANITIZE=ON -DZEMBU_TESTS=OFF -DZEMBU_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build build-fuzz -j2 --target $(printf '%s_fuzz ' "${targets[@]}") >/dev/null

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_target() {
  local t=$1
  local corpus=$PWD/build-fuzz/corpus/$t findings=$PWD/build-fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  cp -n fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
  # Inputs of the regression folder that crashed once are seeds too.
  [ -d fuzz/regress/"$t" ] && cp -n fuzz/regress/"$t"/* "$corpus"/ 2>/dev/null || true
  # The engine with its trace on may take seconds for a sentence whose rules keep each
  # other busy up to the engine's bound on the work of a sentence.
  local timeout=10
  case $t in engine_*) timeout=30 ;; esac
  build-fuzz/fuzz/"$t"_fuzz -max_total_time="$seconds" -timeout=$timeout -rss_limit_mb=2048 \
    -max_len=8192 -print_final_stats=1 -artifact_prefix="$findings"/ \
    "$corpus" >build-fuzz/findings/"$t".log 2>&1 || true
}

running=0
for t in "${targets[@]}"; do
  run_target "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

found=0
printf '%-14s %10s %12s %8s  %s\n' target exec/s edges features findings
for t in "${targets[@]}"; do
  log=build-fuzz/findings/$t.log
  done_line=$(grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -1 || true)
  edges=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$done_line")
  features=$(sed -n 's/.*ft: \([0-9]*\).*/\1/p' <<<"$done_line")
  total=$(sed -n 's/.*Loaded 1 modules *(\([0-9]*\) inline.*/\1/p' "$log" | head -1)
  execs=$(sed -n 's/^stat::average_exec_per_sec:[[:space:]]*//p' "$log" | tail -1)
  n=$(find build-fuzz/findings/"$t" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  what=none
  if [ "$n" -gt 0 ] || grep -q 'ERROR: libFuzzer\|ERROR: AddressSanitizer\|runtime error' "$log"; then
    what="$n input(s) in build-fuzz/findings/$t, see $log"
    found=1
  fi
  printf '%-14s %10s %12s %8s  %s\n' "$t" "${execs:-?}" "${edges:-?}/${total:-?}" "${features:-?}" "$what"
done
exit $found
