#!/bin/sh
# Round-trip quality and encode time of the package encoders, greedy and search, against
# ffmpeg's IMA ADPCM WAV encoder with -trellis 8, on a corpus made here with espeak-ng and
# sox: speech of two voices at 11025, 22050 and 44100 Hz, music-like signals, noise,
# sweeps and clipping square waves, 22 sources of 5 to 9 s. Each encode runs as a process
# of its own on one thread and is timed by its CPU time (user + system), so that other
# work on the machine counts little; ffmpeg decodes its own files for its SNR. Without
# ffmpeg the table leaves its columns empty. Run by hand, not by CI:
#   bench/setup.sh                   (installs ffmpeg and sox, benchmark only)
#   bench/encode_compare.sh [BUILD]  (BUILD: a Release build folder, default build-release)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-release}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target mv_bench_encode >/dev/null
for tool in espeak-ng sox; do
    command -v "$tool" >/dev/null || {
        echo "encode_compare: $tool is missing; run scripts/setup.sh" >&2
        exit 1
    }
done
ffmpeg=yes
command -v ffmpeg >/dev/null || {
    ffmpeg=no
    echo "encode_compare: ffmpeg is missing (bench/setup.sh installs it); its columns stay empty" >&2
}
bench=$(cd "$build/bench" && pwd)/mv_bench_encode

ram=/dev/shm
[ -d "$ram" ] && [ -w "$ram" ] || ram=${TMPDIR:-/tmp}
work=$(mktemp -d "$ram/mv-encode-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# speech NAME RATE VOICE PITCH TEXT: espeak-ng speaks at 22050 Hz; sox converts the rate.
speech() {
    espeak-ng -v "$3" -p "$4" -s 155 -w "$work/voice.wav" "$5"
    sox -V1 "$work/voice.wav" -r "$2" "$work/$1.wav"
}
# synth NAME RATE EFFECTS...: a sox-made signal, the same on every run (-R: noise from a
# fixed seed); the instrument-like ones fade in over 10 ms, as a recorded note does,
# instead of starting at full swing.
synth() {
    name=$1 rate=$2
    shift 2
    sox -V1 -R -n -r "$rate" -b 16 "$work/$name.wav" "$@"
}

a="The lantern by the mill still burns at night. Bring the rope, the salt and two loaves of
bread before the river rises over the old stone bridge."
b="The valley sleeps under fog. Quiet voices whisper near the chapel, and somewhere a bell
rings seven times."
for rate in 11025 22050 44100; do
    speech "speech-m-$rate" "$rate" en-us 50 "$a"
    speech "speech-f-$rate" "$rate" en-gb+f3 60 "$b"
done
fadein="fade q 0.01"
synth pluck-22050 22050 synth 5 pluck A2 pluck E3 pluck A3 pluck C#4 pluck E4 \
    channels 5 remix - norm -3
synth pluck-44100 44100 synth 5 pluck D3 pluck A3 pluck D4 pluck F#4 channels 4 remix - norm -3
synth organ-22050 22050 synth 5 sine C3 sine G3 sine C4 sine E4 channels 4 remix - $fadein \
    tremolo 5 40 norm -6
synth lead-44100 44100 synth 5 sawtooth 110 trapezium 440-880 channels 2 remix - $fadein \
    lowpass 4000 norm -4
synth bell-11025 11025 synth 5 sine 523 sine 1307 sine 2093 sine 2790 channels 4 remix - \
    fade q 0.01 5 4.9 norm -2
synth strings-32000 32000 synth 5 triangle E2 triangle B2 sine E3 sine G#3 channels 4 \
    remix - $fadein reverb 60 norm -3
synth dtmf-11025 11025 synth 5 sine 697 sine 1209 channels 2 remix - $fadein tremolo 3 100 \
    norm -6
synth bursts-44100 44100 synth 0.3 sine 660 pad 0 0.4 repeat 6 fade q 0.002 5
synth drums-22050 22050 synth 0.15 whitenoise fade q 0.001 0.15 0.14 pad 0 0.35 repeat 9 \
    lowpass 3000 norm -3
synth white-22050 22050 synth 5 whitenoise vol 0.3
synth pink-44100 44100 synth 5 pinknoise vol 0.5
synth brown-11025 11025 synth 5 brownnoise vol 0.7
synth sweep-44100 44100 synth 5 sine 20:20000 vol 0.5
synth sweep-22050 22050 synth 5 sine 50+11000 vol 0.8
synth square-22050 22050 synth 5 square 220 vol 2.5
synth square-44100 44100 synth 5 square 1000 vol 4
rm -f "$work/voice.wav"

for wav in "$work"/*.wav; do
    name=$(basename "$wav" .wav)
    rate=$(soxi -r "$wav")
    base="$work/$name"
    sox -V1 "$wav" -t raw -e signed-integer -b 16 -L -c 1 "$base.raw"
    greedy=$("$bench" cpu "$bench" encode greedy "$rate" "$base.raw" "$base.greedy.sel")
    search=$("$bench" cpu "$bench" encode search "$rate" "$base.raw" "$base.search.sel")
    trellis=-
    if [ "$ffmpeg" = yes ]; then
        trellis=$("$bench" cpu ffmpeg -nostdin -v error -threads 1 -filter_threads 1 -y \
            -i "$wav" -c:a adpcm_ima_wav -trellis 8 "$base.ffmpeg.wav")
        ffmpeg -nostdin -v error -y -i "$base.ffmpeg.wav" -f s16le -c:a pcm_s16le "$base.ffmpeg.raw"
    fi
    echo "$name $rate $greedy $search $trellis" >>"$work/sources"
done
"$bench" report "$work"
