#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang and runs each for a given time.
#
#   scripts/fuzz.sh [options] SECONDS [TARGET...]   run TARGETs (default: all) for SECONDS each
#   scripts/fuzz.sh --ci                             what CI runs: every target for 60 seconds
#
# Options:
#   --parallel     run the targets at the same time (nice -n 10), not one after the other
#   --seeds-only   only run every seed (and regression) input once; SECONDS may be left out
#   --no-build     use the targets already built
#
# Seeds come from fuzz/corpus/TARGET/ and are never written to; what a run learns goes to
# BUILD/fuzz-corpus/TARGET/ (kept between runs, not in the repository). Inputs that make a target
# fail go to BUILD/fuzz-artifacts/TARGET/, the output of each run to BUILD/fuzz-logs/TARGET.log.
# BUILD is $ZK_FUZZ_BUILD_DIR (default build-fuzz); $ZK_FUZZ_ARGS adds libFuzzer flags (for
# example "-jobs=1", which goes on fuzzing after a failure). Exit status 0 when no target failed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZK_FUZZ_BUILD_DIR:-build-fuzz}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
jobs="${ZK_JOBS:-2}"
all_targets=(ini_fuzzer user_reg_fuzzer path_fuzzer project_file_fuzzer unit_scanner_fuzzer
             settings_fuzzer link_file_fuzzer)

usage() { sed -n '2,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 2; }

parallel=0
seeds_only=0
do_build=1
seconds=""
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --ci) seconds=60 ;;
    --parallel) parallel=1 ;;
    --seeds-only) seeds_only=1 ;;
    --no-build) do_build=0 ;;
    -h|--help) usage ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; usage ;;
    *)
      if [ -z "$seconds" ] && [[ "$1" =~ ^[0-9]+$ ]]; then
        seconds="$1"
      else
        targets+=("$1")
      fi
      ;;
  esac
  shift
done
if [ -z "$seconds" ] && [ "$seeds_only" -eq 0 ]; then usage; fi
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
for t in "${targets[@]}"; do
  if [[ ! " ${all_targets[*]} " =~ " $t " ]]; then
    echo "fuzz.sh: no fuzz target $t (there are: ${all_targets[*]})" >&2
    exit 2
  fi
done

if [ "$do_build" -eq 1 ]; then
  if ! command -v "${CXX:-clang++}" >/dev/null; then
    echo "fuzz.sh: ${CXX:-clang++} not found; the targets need clang with libFuzzer" \
         "(Debian: apt-get install clang libclang-rt-14-dev)" >&2
    exit 2
  fi
  if ! grep -q '^ZK_FUZZ:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
    echo "=== configure $build"
    CC="${CC:-clang}" CXX="${CXX:-clang++}" cmake -S "$root" -B "$build" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZK_FUZZ=ON -DZK_BUILD_TESTS=OFF -DZK_BUILD_BENCH=OFF
  fi
  echo "=== build ${targets[*]}"
  cmake --build "$build" --target "${targets[@]}" -j"$jobs"
fi

mkdir -p "$build/fuzz-corpus" "$build/fuzz-artifacts" "$build/fuzz-logs"

# The targets' work folders (in memory where /dev/shm exists); a target that fails cannot remove
# its own, so they all go when the script ends.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm="${TMPDIR:-/tmp}"
ZK_FUZZ_TMPDIR="$(mktemp -d "$shm/zkfuzz-run-XXXXXX")"
export ZK_FUZZ_TMPDIR
trap 'rm -rf "$ZK_FUZZ_TMPDIR"' EXIT

# Runs one target; its summary line goes to the log's last line.
run_target() {
  local t="$1"
  local bin="$build/fuzz/$t"
  local seeds="$root/fuzz/corpus/$t"
  local corpus="$build/fuzz-corpus/$t"
  local artifacts="$build/fuzz-artifacts/$t"
  local log="$build/fuzz-logs/$t.log"
  mkdir -p "$corpus" "$artifacts"
  local args=(-timeout=20 -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1
              "-artifact_prefix=$artifacts/")
  [ -f "$root/fuzz/dict/$t.dict" ] && args+=("-dict=$root/fuzz/dict/$t.dict")
  # shellcheck disable=SC2206
  [ -n "${ZK_FUZZ_ARGS:-}" ] && args+=(${ZK_FUZZ_ARGS})
  rm -f "$artifacts"/fuzz-*.log
  local marker="$artifacts/.started"
  touch "$marker"
  local status=0
  # libFuzzer writes its worker logs into the current folder.
  if [ "$seeds_only" -eq 1 ]; then
    (cd "$artifacts" && "$bin" "${args[@]}" -runs=0 "$seeds") >"$log" 2>&1 || status=$?
  else
    (cd "$artifacts" && nice -n "${ZK_FUZZ_NICE:-0}" "$bin" "${args[@]}" \
       -max_total_time="$seconds" "$corpus" "$seeds") >"$log" 2>&1 || status=$?
  fi
  # Workers started with -jobs may end without passing their failure on: the inputs they leave
  # behind count.
  local found
  found="$(find "$artifacts" -maxdepth 1 -newer "$marker" \( -name 'crash-*' -o -name 'timeout-*' \
           -o -name 'leak-*' -o -name 'oom-*' \) | head -1)"
  [ -n "$found" ] && [ "$status" -eq 0 ] && status=1
  # With -jobs the workers log to fuzz-N.log beside the artifacts.
  # (the main log then repeats their output, so it counts only when there are none).
  local execs logs=("$artifacts"/fuzz-*.log)
  [ -e "${logs[0]}" ] || logs=("$log")
  execs="$(cat "${logs[@]}" 2>/dev/null |
           grep -o 'stat::number_of_executed_units: *[0-9]*' | grep -o '[0-9]*$' |
           awk '{ s += $1 } END { if (NR) print s }' || true)"
  if [ "$status" -eq 0 ]; then
    echo "$t: ok, ${execs:-?} executions" | tee -a "$log"
  else
    echo "$t: FAILED (status $status, ${execs:-?} executions); see $log and $artifacts/" | tee -a "$log"
    cat "$log" "$artifacts"/fuzz-*.log 2>/dev/null | grep -E 'ERROR|property violated|SUMMARY' |
      head -5 >&2 || true
  fi
  return "$status"
}

failed=0
if [ "$parallel" -eq 1 ]; then
  export ZK_FUZZ_NICE="${ZK_FUZZ_NICE:-10}"
  pids=()
  for t in "${targets[@]}"; do
    run_target "$t" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
else
  for t in "${targets[@]}"; do
    echo "=== fuzz $t${seconds:+ for ${seconds}s}"
    run_target "$t" || failed=1
  done
fi
exit "$failed"
