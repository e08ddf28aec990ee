#!/usr/bin/env bash
# The soak: ./soak.sh [--actions N] [--seed S] [--seconds T] [--sanitize]
# Opens the program's own windows in a test harness under Xvfb and performs
# N random actions (1000 unless given) drawn from seed S (a fresh one unless
# given, printed first so that any run can be repeated), with the program's
# invariants checked after every action (tests/soak/checks.h). --sanitize
# runs it in build-asan/ with AddressSanitizer, UndefinedBehaviorSanitizer
# and leak detection, as ./test.sh runs its tests; else in build/. A failed
# check, a crash or a sanitizer report prints the last 20 actions and the
# command that repeats them, and the exit status is non-zero. --seconds T
# starts no action after T seconds (the summary says how many ran).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

usage() {
  echo "usage: $0 [--actions N] [--seed S] [--seconds T] [--sanitize]" >&2
  exit 2
}
actions=1000
seed=
limit=()
sanitize=0
while [ $# -gt 0 ]; do
  case "$1" in
    --actions | --seed | --seconds)
      [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]+$ ]] || usage
      case "$1" in
        --actions) actions=$2 ;;
        --seed) seed=$2 ;;
        *) limit=(--seconds "$2") ;;
      esac
      shift 2
      ;;
    --sanitize)
      sanitize=1
      shift
      ;;
    *) usage ;;
  esac
done
[ -n "$seed" ] || seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')

cubiscope_install_packages
if [ "$sanitize" = 1 ]; then
  dir=build-asan
  cubiscope_build "$dir" -DCUBISCOPE_SANITIZE=ON -DCUBISCOPE_BENCH=OFF
  cubiscope_sanitizer_options
else
  dir=build
  # The soak is a test program, which ./run.sh leaves out of build/.
  cubiscope_build "$dir" -DCUBISCOPE_TESTS=ON
fi
cubiscope_headless "$dir/tests/soak" --actions "$actions" --seed "$seed" "${limit[@]}"
