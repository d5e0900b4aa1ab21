#!/bin/sh
# The fuzz targets (fuzz/fuzz_<target>.cpp), built with clang in build-fuzz/.
#
#   fuzz/run.sh                   the CI pass: for every target, replays its seed corpus
#                                 (fuzz/corpus/<target>/), then fuzzes a fixed number of runs
#                                 from seed 1, so that the result does not depend on chance
#   fuzz/run.sh TARGET SECONDS    a campaign: TARGET fuzzes for SECONDS from its seed corpus;
#                                 prints executions and coverage at the end
#
# A crash, a sanitizer report or a broken invariant ends the script with a non-zero status
# and the tail of the fuzzer's log; the input that caused it is kept under
# build-fuzz/artifacts/<target>/. New inputs go to a scratch directory, removed at the end,
# never into the tree. FUZZ_RUNS_SCALE multiplies the CI pass's run counts (default 1).
set -eu
cd "$(dirname "$0")/.."

build="build-fuzz"
targets="package_reader audio_input catch_sound string_convert bmp_decoder"
# The CI pass runs every target. The sound input refuses the WAV headers on which the
# system's sound file library loops without end (a LIST chunk holding a chunk that claims
# 4 GiB); its seed corpus holds such headers, so that a pass fails if the loop comes back.
ci_targets="$targets"

# Per target: runs of the CI pass and the fuzzer's options. The counts give each target
# some 10 to 40 s: the whole pass, build included, takes about 2.5 minutes on 2 cores, 3.5
# while other builds share them. The sound target may allocate no block above 256 MiB: it
# loads at most 1 MiB of output, and an image longer than an hour must be refused before
# anything is allocated.
settings() {
    case $1 in
    package_reader) runs=300000 options="-max_len=4096" ;;
    audio_input) runs=15000 options="-max_len=4096" ;;
    catch_sound) runs=1500000 options="-max_len=4096 -malloc_limit_mb=256" ;;
    string_convert) runs=750000 options="-max_len=1024" ;;
    bmp_decoder) runs=3000000 options="-max_len=4096" ;;
    *)
        echo "unknown fuzz target: $1 (one of: $targets)" >&2
        exit 2
        ;;
    esac
    runs=$((runs * ${FUZZ_RUNS_SCALE:-1}))
}

if [ $# -ne 0 ] && [ $# -ne 2 ]; then
    echo "usage: fuzz/run.sh [TARGET SECONDS]" >&2
    exit 2
fi
[ $# -eq 2 ] && settings "$1"

echo "== build the fuzz targets (clang)" >&2
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMV_BUILD_FUZZ=ON -DMV_SANITIZE=address,undefined -DMV_BUILD_TESTS=OFF \
    -DMV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target mv_fuzz -j "$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM

# run TARGET LOG ARGS...: the target's fuzzer with its options, its log in LOG; on failure
# the log's tail and the script's end.
run() {
    target=$1 log=$2
    shift 2
    artifacts=$build/artifacts/$target
    mkdir -p "$artifacts"
    # shellcheck disable=SC2086 # options holds several words
    if ! "$build/fuzz/fuzz_$target" -timeout=10 -rss_limit_mb=2048 $options \
        -artifact_prefix="$artifacts/" "$@" >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "== $target: FAILED; the input is under $artifacts/" >&2
        exit 1
    fi
}

# The final statistics of a log: executions, their rate, coverage.
summary() {
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$1")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$1")
    coverage=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$1" | grep -oE 'cov: [0-9]+ ft: [0-9]+' || true)
    echo "$executions executions, $rate exec/s, $coverage"
}

if [ $# -eq 2 ]; then
    target=$1 seconds=$2
    mkdir "$scratch/corpus"
    echo "== $target: fuzzing for $seconds s" >&2
    run "$target" "$scratch/log" -max_total_time="$seconds" -print_final_stats=1 \
        "$scratch/corpus" "fuzz/corpus/$target"
    found=$(find "$scratch/corpus" -type f | wc -l)
    echo "== $target: $(summary "$scratch/log"), $found new inputs" >&2
    exit 0
fi

for target in $ci_targets; do
    settings "$target"
    started=$(date +%s)
    run "$target" "$scratch/replay.log" "fuzz/corpus/$target"/*
    mkdir "$scratch/$target"
    run "$target" "$scratch/fuzz.log" -seed=1 -runs="$runs" -print_final_stats=1 \
        "$scratch/$target" "fuzz/corpus/$target"
    echo "== $target: corpus replayed, $(summary "$scratch/fuzz.log") in" \
        "$(($(date +%s) - started)) s" >&2
done
echo "== fuzzing found nothing" >&2
