#!/usr/bin/env bash
# Builds everything and runs every test: once in an optimised build, once
# under AddressSanitizer and UndefinedBehaviorSanitizer.
# Usage: scripts/test.sh [--no-sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

passed=0
failed=0
# Counts what ctest ran, so the last line sums every suite; a failing suite
# still fails the whole command once the rest has run.
status=0
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  local log="$dir/ctest-summary.log"
  ctest --test-dir "$dir" -j "$jobs" --timeout 600 2>&1 | tee "$log" || status=1
  local line
  line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    local f t
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + t - f))
    failed=$((failed + f))
  else
    status=1
  fi
}

echo "== build and test (build/)"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ "${1:-}" != "--no-sanitize" ]; then
  echo "== build and test under ASan/UBSan (build-asan/)"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DVOREL_SANITIZE=ON -DVOREL_BENCH=OFF -DCMAKE_CXX_FLAGS=-O1
fi

echo "== fuzz the install-archive reader briefly (needs clang)"
bash scripts/fuzz-archive.sh 30 || { echo "fuzzing found a fault"; status=1; failed=$((failed + 1)); }
echo "== fuzz the GIF reader briefly (needs clang)"
bash scripts/fuzz-gif.sh 20 || { echo "fuzzing found a fault"; status=1; failed=$((failed + 1)); }

echo "== fuzz opening a table file briefly (needs clang)"
bash scripts/fuzz-tables.sh 20 || { echo "fuzzing found a fault"; status=1; failed=$((failed + 1)); }

echo "== fuzz the viewer's picture readers briefly (needs clang)"
bash scripts/fuzz-images.sh 20 || { echo "fuzzing found a fault"; status=1; failed=$((failed + 1)); }

echo "== fuzz the RTF reader briefly (needs clang)"
bash scripts/fuzz-rtf.sh 20 || { echo "fuzzing found a fault in the RTF reader"; status=1; failed=$((failed + 1)); }

echo
echo "tests: $passed passed, $failed failed"
exit $status
