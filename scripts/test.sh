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

exclude=""
include=""
targets=""
passed=0
failed=0
skipped=0
# Counts what ctest ran, so the last line sums every suite; a skipped test is
# counted apart, never as passed. A failing suite still fails the whole
# command once the rest has run.
status=0
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" ${targets:+--target $targets}
  local log="$dir/ctest-summary.log"
  # The screenshot tests write every tab and dialog here, to be looked at.
  rm -rf "$dir/screenshots" && mkdir -p "$dir/screenshots"
  VOREL_SHOTS_DIR="$PWD/$dir/screenshots" ctest --test-dir "$dir" -j "$jobs" --timeout 600 \
    ${exclude:+-E "$exclude"} ${include:+-R "$include"} 2>&1 | tee "$log" || status=1
  local line
  line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    local f t s
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    s=$(grep -cE '^[[:space:]]*[0-9]+ - .*\(Skipped\)$' "$log" || true)
    passed=$((passed + t - f - s))
    failed=$((failed + f))
    skipped=$((skipped + s))
  else
    status=1
  fi
}

echo "== build and test (build/)"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The diskettes must hold the distribution in a shipped (Release) build
# too: only its programs and the tests that build it and span it.
echo "== the distribution in a Release build (build-release/)"
targets="setup-unattended setup_unattended_tests sysroot-reboot setup-loader"
include='^(SetupUnattended\.ABuiltSetupExe|setup-loader\.links_no_qt$)'
run_suite build-release -DCMAKE_BUILD_TYPE=Release -DVOREL_BENCH=OFF
targets=""
include=""

if [ "${1:-}" != "--no-sanitize" ]; then
  echo "== build and test under ASan/UBSan (build-asan/)"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # The distributions built from sanitized programs (about 33 MB for the
  # setup alone) cannot fit the 1.44 MB diskettes that the diskette tests
  # span onto, and the README walk runs Qt's X11 platform, whose keyboard
  # library trips the strict string checks: those two run in the first suite.
  exclude='^(ReadmeInstall\.|SetupUnattended\.ABuiltSetupExe)'
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DVOREL_SANITIZE=ON -DVOREL_BENCH=OFF -DCMAKE_CXX_FLAGS=-O1
fi

# The readers of untrusted input, each fuzzed briefly (needs clang).
for fuzz in "archive 30" "tables 20" "images 20" "gif 20" "rtf 20" "html 20"; do
  set -- $fuzz
  echo "== fuzz the $1 reader for $2 s"
  bash scripts/fuzz.sh "$1" "$2" || { echo "fuzzing the $1 reader found a fault"; status=1; failed=$((failed + 1)); }
done

echo
echo "tests: $passed passed, $failed failed, $skipped skipped"
exit $status
