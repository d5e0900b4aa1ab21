#!/bin/sh
# CI entry for the package reader's fuzz target: builds it with clang in build-fuzz/,
# replays the seed corpus (fuzz/corpus/), then fuzzes for a fixed number of runs from a
# fixed seed, so that the result does not depend on chance. A crash, a sanitizer report or a
# broken invariant ends the script with a non-zero status; the input that caused it is kept
# under build-fuzz/artifacts/. New inputs go to a scratch directory, never into the corpus.
#
# FUZZ_RUNS overrides the number of runs of the fuzzing pass (default 200000).
set -eu
cd "$(dirname "$0")/.."

build=build-fuzz
fuzzer=$build/fuzz/fuzz_package_reader
runs=${FUZZ_RUNS:-200000}

echo "== build the fuzz target (clang)" >&2
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMV_BUILD_FUZZ=ON -DMV_SANITIZE=address,undefined -DMV_BUILD_TESTS=OFF \
    -DMV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_package_reader -j "$(nproc)"

artifacts=$build/artifacts
mkdir -p "$artifacts"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM

echo "== replay the seed corpus" >&2
"$fuzzer" -artifact_prefix="$artifacts/" fuzz/corpus/*

echo "== fuzz: $runs runs from seed 1" >&2
"$fuzzer" -seed=1 -runs="$runs" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$scratch" fuzz/corpus

echo "== fuzzing found nothing" >&2
