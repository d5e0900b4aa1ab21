#!/bin/sh
# Whole-process decode speed of marrowvale-sounds extract against ffmpeg's and sox's IMA
# ADPCM decoders on the same 64 MiB of codes (128 Mi samples): a package for the
# companion, the nibble-swapped raw stream for ffmpeg, an IMA WAV file for sox. Every
# tool writes 16-bit PCM WAV files into a RAM folder; each time is the median of three
# runs, and the ratios are the others' times over the companion's. Run by hand, not by
# CI:
#   bench/setup.sh            (installs ffmpeg and sox, benchmark only)
#   bench/compare.sh [BUILD]  (BUILD: a Release build folder, default build-release)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-release}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target marrowvale-sounds mv_bench_inputs >/dev/null
for tool in ffmpeg sox; do
    command -v "$tool" >/dev/null || {
        echo "compare: $tool is missing; run bench/setup.sh" >&2
        exit 1
    }
done

ram=/dev/shm
[ -d "$ram" ] && [ -w "$ram" ] || ram=${TMPDIR:-/tmp}
work=$(mktemp -d "$ram/mv-compare-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
mkdir "$work/in" "$work/out"
"$build/bench/mv_bench_inputs" "$work/in"
sounds=$(cd "$build/tools" && pwd)/marrowvale-sounds

# Seconds of the median of three runs of the command; the output folder is emptied
# before each run, so that every run writes fresh files.
median3() {
    : >"$work/times"
    for _ in 1 2 3; do
        rm -rf "$work/out" && mkdir "$work/out"
        start=$(date +%s.%N)
        if ! "$@" >/dev/null 2>"$work/err"; then
            cat "$work/err" >&2
            return 1
        fi
        end=$(date +%s.%N)
        echo "$start $end" | awk '{ printf "%.4f\n", $2 - $1 }' >>"$work/times"
    done
    sort -n "$work/times" | sed -n 2p
}

ours=$(median3 "$sounds" extract -o "$work/out" "$work/in/codes.mus")
ours_bytes=$(cat "$work/out"/*.WAV | wc -c)
ffmpeg=$(median3 ffmpeg -nostdin -v error -y -f u8 -ar 22050 -ac 1 -c:a adpcm_ima_ssi \
    -i "$work/in/codes.ssi" "$work/out/ffmpeg.wav")
ffmpeg_bytes=$(wc -c <"$work/out/ffmpeg.wav")
sox=$(median3 sox "$work/in/codes.wav" -e signed-integer -b 16 "$work/out/sox.wav")
sox_bytes=$(wc -c <"$work/out/sox.wav")

awk -v ours="$ours" -v ffmpeg="$ffmpeg" -v sox="$sox" -v cores="$(nproc)" \
    -v ob="$ours_bytes" -v fb="$ffmpeg_bytes" -v sb="$sox_bytes" 'BEGIN {
    samples = 128 * 1048576
    printf "cores: %d; 64 MiB of codes, %d Mi samples; median of 3 runs\n", cores, samples / 1048576
    printf "%-20s %8.3f s %8.0f M samples/s  %4.0f MiB of WAV\n", "marrowvale-sounds", ours, samples / ours / 1e6, ob / 1048576
    printf "%-20s %8.3f s %8.0f M samples/s  %4.0f MiB of WAV\n", "ffmpeg", ffmpeg, samples / ffmpeg / 1e6, fb / 1048576
    printf "%-20s %8.3f s %8.0f M samples/s  %4.0f MiB of WAV\n", "sox", sox, samples / sox / 1e6, sb / 1048576
    printf "ratio to ffmpeg: %.2fx   ratio to sox: %.2fx\n", ffmpeg / ours, sox / ours
}'
