#!/usr/bin/env bash
# Installs what the build needs, configures, builds and runs every test.
#
#   scripts/test.sh              debug build with warnings as errors, all tests
#   scripts/test.sh --sanitize   the same under AddressSanitizer and UBSan
#   scripts/test.sh --fuzz       builds the fuzz targets with clang and runs
#                                each for a bounded number of executions
#   scripts/test.sh --bench      builds the benchmarks and runs every case once
#
# Build folders: build/ (default), build-asan/, build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
mode=${1:-default}
jobs=${JOBS:-$(nproc)}

# Debian packages the build needs; each is installed only when absent.
source "$root/scripts/deps.sh"
if [ "$mode" = --fuzz ]; then packages+=(clang libclang-rt-14-dev); fi

install_missing "${packages[@]}"

configure_and_build() {
  local dir=$1 target=$2; shift 2
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" --target "$target"
}

case "$mode" in
  default)
    configure_and_build build all -DCMAKE_BUILD_TYPE=Debug -DWEBAGENT_WERROR=ON
    ctest --test-dir build --output-on-failure -j "$jobs"
    ;;
  --sanitize)
    configure_and_build build-asan all -DCMAKE_BUILD_TYPE=Debug -DWEBAGENT_WERROR=ON \
      -DWEBAGENT_SANITIZE=ON -DWEBAGENT_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      ctest --test-dir build-asan --output-on-failure -j "$jobs"
    ;;
  --fuzz)
    CC=clang CXX=clang++ configure_and_build build-fuzz fuzzers -DCMAKE_BUILD_TYPE=Debug \
      -DWEBAGENT_SANITIZE=ON -DWEBAGENT_FUZZ=ON -DWEBAGENT_BENCH=OFF
    for f in build-fuzz/fuzz/fuzz_*; do
      [ -x "$f" ] || continue
      name=$(basename "$f")
      corpus=$(mktemp -d)
      seeds="$root/fuzz/corpus/${name#fuzz_}"
      [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
      # Slow targets name a smaller count in fuzz/<target>.runs; FUZZ_RUNS
      # overrides every count.
      runs=200000
      [ -f "$root/fuzz/${name#fuzz_}.runs" ] && runs=$(tr -dc 0-9 <"$root/fuzz/${name#fuzz_}.runs")
      echo "fuzzing $name"
      "$f" -runs="${FUZZ_RUNS:-$runs}" -max_len=70000 "$corpus"
    done
    ;;
  --bench)
    configure_and_build build all -DCMAKE_BUILD_TYPE=Debug -DWEBAGENT_WERROR=ON
    for b in build/bench/bench_*; do
      [ -x "$b" ] || continue
      echo "benchmark smoke run: $(basename "$b")"
      "$b" --benchmark_min_time=0.000001 >/dev/null
    done
    ;;
  *)
    echo "usage: scripts/test.sh [--sanitize | --fuzz | --bench]" >&2
    exit 2
    ;;
esac
