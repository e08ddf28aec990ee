#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite headless
# under Xvfb, twice: in build/ as the program is built, and in build-asan/
# with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, where
# any report fails the test it came from. --normal or --sanitize runs one of
# the two. The last line sums up both runs: "N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
cubiscope_install_packages
cubiscope_german_locale

runs=(normal sanitize)
case "${1:-}" in
  "") ;;
  --normal) runs=(normal) ;;
  --sanitize) runs=(sanitize) ;;
  *)
    echo "usage: $0 [--normal | --sanitize]" >&2
    exit 2
    ;;
esac

passed=0
failed=0

# run_suite DIR [cmake options...]: builds in DIR and runs its tests, adding
# to the counts. A build that fails counts as one failed test.
run_suite() {
  local dir=$1
  shift
  echo "=== building in $dir"
  if ! cubiscope_build "$dir" "$@"; then
    failed=$((failed + 1))
    return
  fi
  mkdir -p "$dir/Testing"
  local log=$dir/Testing/ctest-output.log
  # One test at a time: the GUI tests share the display's focus and clipboard.
  (cd "$dir" && cubiscope_headless ctest --output-on-failure --timeout 300) |
    tee "$log" || true
  local summary
  summary=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -1 || true)
  if [ -z "$summary" ]; then
    failed=$((failed + 1))
    return
  fi
  local f t
  read -r f _ _ _ _ t <<<"$summary"
  passed=$((passed + t - f))
  failed=$((failed + f))
}

for run in "${runs[@]}"; do
  if [ "$run" = normal ]; then
    # Switched on in case ./run.sh made build/ without them.
    run_suite build -DCUBISCOPE_TESTS=ON -DCUBISCOPE_BENCH=ON
    continue
  fi
  cubiscope_sanitizer_options
  run_suite build-asan -DCUBISCOPE_SANITIZE=ON -DCUBISCOPE_BENCH=OFF
  unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
