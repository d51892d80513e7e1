#!/usr/bin/env bash
# The backup benchmark: pbackup against the copy floor, the dialog against pbackup, N and 2N.
#
#   scripts/bench.sh [backup_bench options]     e.g. --runs 9, --work DIR, --units 500
#
# Builds an optimised tree in build-bench/ and runs bench/backup_bench. The synthetic projects
# go to /dev/shm (memory) unless --work says otherwise: on a shared disk the time to create a
# file swings by a factor of two from one minute to the next, which hides what the code costs.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${ZK_JOBS:-2}"
build="$root/build-bench"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target pbackup pbview_backup backup_bench -j"$jobs" >/dev/null

work=/tmp/zk-backup-bench
[ -d /dev/shm ] && [ -w /dev/shm ] && work=/dev/shm/zk-backup-bench
exec "$build/bin/backup_bench" --work "$work" --dialog "$build/tests/pbview_backup" "$@"
