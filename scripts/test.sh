#!/usr/bin/env bash
# Builds and tests twice: a plain build in build/ and a sanitizer build in build-asan/.
# Both run even when the first fails, so one run shows every failure; the exit status is
# non-zero when anything failed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${ZK_JOBS:-2}"
build_dir="${ZK_BUILD_DIR:-build}"
asan_dir="${ZK_ASAN_BUILD_DIR:-build-asan}"
export QT_QPA_PLATFORM=offscreen

run_build() {
  local dir="$1"
  shift
  echo "=== configure ${dir}"
  cmake -S "$root" -B "$root/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" || return 1
  echo "=== build ${dir}"
  cmake --build "$root/$dir" -j"$jobs" || return 1
  echo "=== test ${dir}"
  ctest --test-dir "$root/$dir" --output-on-failure -j"$jobs" || return 1
}

failed=()
run_build "$build_dir" || failed+=("$build_dir")
# Caches that the system libraries under Qt keep until exit are not leaks of ours; anything
# else fails the run.
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
  run_build "$asan_dir" -DZK_SANITIZE=ON || failed+=("$asan_dir")

if [ "${#failed[@]}" -ne 0 ]; then
  echo "=== FAILED in: ${failed[*]}" >&2
  exit 1
fi
echo "=== all tests passed"
