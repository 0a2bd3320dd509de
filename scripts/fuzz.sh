#!/usr/bin/env bash
# Builds the fuzz harnesses of tests/fuzz with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (build tree build-fuzz/) and runs each for SECONDS (default 60), one
# after another. Prints one line per harness: its name, executions, findings.
# An input that crashes, trips a sanitizer or runs longer than 2 seconds stops that harness and is
# kept in build-fuzz/findings/<harness>/; once fixed it belongs in tests/fuzz/regressions/<harness>/.
# FUZZ_ONLY="name ..." runs only those harnesses; FUZZ_RUNS=N also stops each after N executions.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

# libFuzzer and the sanitizer runtimes of Debian 12's clang 14.
./scripts/setup-deps.sh clang libclang-rt-14-dev

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
echo "== Building the fuzz harnesses (build-fuzz/)"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DKAVELO_FUZZ=ON \
  "${launcher[@]}" >/dev/null
cmake --build build-fuzz --target fuzz_all -j"$(nproc)"

harnesses=${FUZZ_ONLY:-$(sed -n 's/^kavelo_add_fuzzer(\([a-z0-9_]*\).*/\1/p' tests/fuzz/CMakeLists.txt)}
runs=()
[ -n "${FUZZ_RUNS:-}" ] && runs=(-runs="$FUZZ_RUNS")
# No allocation stacks: recording them costs more than the parsers; rerun a finding with
# ASAN_OPTIONS=detect_leaks=0 for them.
export ASAN_OPTIONS=detect_leaks=0:malloc_context_size=0:max_malloc_fill_size=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

echo "== Fuzzing, ${seconds} s per harness"
total_findings=0
for h in $harnesses; do
  work=build-fuzz/corpus/$h findings=build-fuzz/findings/$h log=build-fuzz/fuzz-$h.log
  mkdir -p "$work" "$findings"
  before=$(find "$findings" -type f | wc -l)
  inputs=(tests/fuzz/corpus/"$h")
  [ -d tests/fuzz/regressions/"$h" ] && inputs+=(tests/fuzz/regressions/"$h")
  # The first folder collects the inputs that reach new code; the tree's corpus stays as it is.
  "build-fuzz/tests/fuzz/fuzz_$h" -max_total_time="$seconds" "${runs[@]}" -timeout=2 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$work" "${inputs[@]}" >"$log" 2>&1 || true
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ -z "$executions" ]; then
    # A finding ends the run before the final statistics: take the last progress line.
    executions=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
  fi
  found=$(($(find "$findings" -type f | wc -l) - before))
  total_findings=$((total_findings + found))
  printf '%-20s %12s executions %3d findings\n' "$h" "${executions:-0}" "$found"
  [ "$found" -gt 0 ] && grep -m3 -E 'ERROR|SUMMARY|Test unit written' "$log" | sed 's/^/    /'
done
echo "== Logs in build-fuzz/fuzz-<harness>.log; findings in build-fuzz/findings/"
[ "$total_findings" -eq 0 ]
