#!/usr/bin/env bash
# Builds and tests twice: a plain build in build/ and a sanitizer build in build-asan/.
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
  cmake -S "$root" -B "$root/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  echo "=== build ${dir}"
  cmake --build "$root/$dir" -j"$jobs"
  echo "=== test ${dir}"
  ctest --test-dir "$root/$dir" --output-on-failure -j"$jobs"
}

run_build "$build_dir"
# Caches that the system libraries under Qt keep until exit are not leaks of ours; anything
# else fails the run.
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
  run_build "$asan_dir" -DZK_SANITIZE=ON
echo "=== all tests passed"
