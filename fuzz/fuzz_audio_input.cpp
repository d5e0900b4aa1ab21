// Fuzz target for the companion's sound input: arbitrary bytes opened as a sound file from
// memory, as standard input is. Whatever the sound file library makes of them, what
// reaches a record must be what the companion's own checks allow: a positive rate, at
// least one channel, no more frames than the header said, and 16-bit samples that encode
// into a record whose preview counts them all. A broken rule aborts, so that libFuzzer
// keeps the input.
#include "app/decode/adpcm.h"
#include "tools/audio_input.h"
#include "tools/record_encode.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Longest sound the target converts, in samples at the record rate: pack takes far
// longer ones, but the fuzzer's memory stays small.
constexpr int64_t MaxFuzzSamples = 1 << 20;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "audio input: %s\n", what);
        std::abort();
    }
}

} // namespace

// The system's Vorbis decoder, under the sound file library, loses a header block (some
// 6 KiB) on some damaged Ogg streams: a fault of that library, not of the companion, which
// reads each file once.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libvorbis.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitDecoderTables();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AudioFile file;
    if (!file.OpenMemory(data, size).empty())
        return 0;
    const int64_t rate = file.Rate() >= 1 && file.Rate() <= 65535 ? file.Rate() : FallbackRate;
    const int64_t length = ConvertedLength(file.Frames(), file.Rate(), rate);
    if (file.Rate() < 1 || length < 0 || length > MaxFuzzSamples)
        return 0;
    std::vector<float> mono;
    if (!file.Read(mono).empty())
        return 0;
    Check(file.Channels() >= 1, "samples read without a channel");
    Check(file.Frames() < 0 || static_cast<int64_t>(mono.size()) <= file.Frames(),
          "more frames than the header said");
    std::vector<int16_t> samples;
    int64_t clipped = 0;
    if (!ToRecordSamples(mono, file.Rate(), rate, 1, samples, clipped).empty())
        return 0;
    Check(clipped >= 0 && clipped <= static_cast<int64_t>(samples.size()), "clipped count");
    std::vector<uint8_t> package;
    RecordPreview preview;
    Check(EncodeRecord(samples, rate, package, preview), "a short sound did not encode");
    Check(preview.samples == static_cast<int64_t>(samples.size()) && preview.rate == rate,
          "preview of another sound");
    return 0;
}
