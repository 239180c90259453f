#!/usr/bin/env bash
# Builds the libFuzzer target of the C interface with clang and runs it from
# the seed corpus for a fixed number of executions with fixed seeds, split
# over parallel fuzzing processes. Any finding (sanitizer report, leak, crash,
# broken promise, timeout, memory above the limit) stops its process with a
# non-zero status, which fails the script, and leaves the input that caused it
# as build-fuzz/fuzz-<process>-crash-* (or -leak-, -timeout-, -oom-). Replay it
# with: build-fuzz/tests/fuzz/vorl_fuzzer FILE (VORL_FUZZ_TRACE=1 lists the
# calls and their results).
#
# Needs clang, libclang-rt-dev (libFuzzer and the sanitizer runtimes), cmake,
# ninja-build and libgtest-dev. Environment: VORL_FUZZ_RUNS, the executions in
# all (default 200000); VORL_FUZZ_JOBS, the processes (default 2, one per
# core); VORL_FUZZ_BUILD_DIR (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/../.."

runs=${VORL_FUZZ_RUNS:-200000}
jobs=${VORL_FUZZ_JOBS:-2}
build=${VORL_FUZZ_BUILD_DIR:-build-fuzz}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVORL_BUILD_FUZZER=ON -DVORL_BUILD_TOOLS=OFF -DVORL_BUILD_EXAMPLES=OFF -DVORL_WERROR=ON >/dev/null
cmake --build "$build" --target vorl_fuzzer -j2

# Each process grows its own corpus in a scratch folder; the seeds in the tree
# stay as they are.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

pids=()
for ((job = 1; job <= jobs; ++job)); do
  mkdir -p "$scratch/corpus-$job"
  # -close_fd_mask=1: AboutBrimlow's text on standard output is not wanted here.
  "$build/tests/fuzz/vorl_fuzzer" -runs=$((runs / jobs)) -seed="$job" -max_len=2048 -timeout=30 \
    -rss_limit_mb=2048 -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$build/fuzz-$job-" \
    "$scratch/corpus-$job" tests/fuzz/corpus >"$scratch/log-$job" 2>&1 &
  pids+=($!)
done

status=0
for ((job = 1; job <= jobs; ++job)); do
  if wait "${pids[job - 1]}"; then
    echo "== fuzzing process $job: no finding"
    grep -E '^(Done|stat::)' "$scratch/log-$job" || true
  else
    status=1
    echo "== fuzzing process $job: FINDING"
    grep -vE '^(#|")' "$scratch/log-$job" | tail -n 80
  fi
done
exit "$status"
