#!/bin/sh
# Builds and runs every test (installing what is missing): the normal build with all its
# tests, then the tests again under AddressSanitizer and UndefinedBehaviorSanitizer, the
# audio thread test under ThreadSanitizer, and every fuzz target (fuzz/run.sh: each one's
# seed corpus, then a fixed-seed pass; 2 to 3 minutes).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

echo "== build and test" >&2
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMV_WERROR=ON \
    -DMV_BUILD_BENCH=OFF >/dev/null
cmake --build build-test
ctest --test-dir build-test --output-on-failure -j "$jobs"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer" >&2
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMV_WERROR=ON \
    -DMV_SANITIZE=address,undefined -DMV_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan --target mv_tests
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== audio thread test under ThreadSanitizer" >&2
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMV_WERROR=ON \
    -DMV_SANITIZE=thread -DMV_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan --target test_sound_threads
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/runtime/sound/test_sound_threads

echo "== fuzz targets: seed corpora, then a fixed-seed pass each" >&2
fuzz/run.sh

echo "== all tests passed" >&2
