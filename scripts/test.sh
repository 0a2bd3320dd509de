#!/usr/bin/env bash
# Checks the formatting, builds the program and runs the whole test suite (unit, integration and
# widget tests).
# Installs what is missing first. Build trees: build/ (debug) and build-asan/ (sanitizers).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh
jobs=$(nproc)
# Paths inside the checkout are hashed relative to it, so that another clone of the project (a CI
# run's, say) reuses what ccache compiled for this one.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true

echo "== Checking the formatting"
./scripts/check-format.sh

# Ninja and ccache make rebuilds cheap; a build tree configured earlier keeps its generator.
configure() {
  local dir=$1; shift
  local extra=()
  [ -f "$dir/CMakeCache.txt" ] || { command -v ninja >/dev/null && extra+=(-G Ninja); }
  command -v ccache >/dev/null && extra+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$dir" "${extra[@]}" "$@" >/dev/null
}

echo "== Building (build/)"
configure build -DCMAKE_BUILD_TYPE=Debug
cmake --build build -j"$jobs"
echo "== Running the tests"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$jobs"

if [ "${KAVELO_SKIP_SANITIZERS:-0}" != 1 ]; then
  echo "== Building with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)"
  configure build-asan -DCMAKE_BUILD_TYPE=Debug -DKAVELO_SANITIZE=ON
  cmake --build build-asan -j"$jobs"
  echo "== Running the tests under the sanitizers"
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"
fi
echo "== All tests passed"
