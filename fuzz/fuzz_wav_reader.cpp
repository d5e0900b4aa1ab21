// Fuzz target for the companion's WAV input, ParsePcmWav. Its contract: on success a rate
// of 1 to 65535 Hz and samples that are exactly the bytes of a "data" chunk of the input,
// as little-endian int16, inside the RIFF form; on failure a reason and nothing else.
#include "tools/wav_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t SmallestFile = 44; // RIFF header, a 16-byte fmt chunk, a data chunk header

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "wav reader: %s\n", what);
        std::abort();
    }
}

uint32_t Le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Whether the samples are the body of some "data" chunk whose header states their size
// and which ends inside the RIFF form.
bool SamplesAreADataChunk(const uint8_t* data, const PcmWav& wav) {
    const size_t bytes = 2 * wav.samples.size();
    const size_t formEnd = 8 + static_cast<size_t>(Le32(data + 4));
    for (size_t at = 12; at + 8 + bytes <= formEnd; at++) {
        if (std::memcmp(data + at, "data", 4) == 0 && Le32(data + at + 4) == bytes &&
            (bytes == 0 || std::memcmp(data + at + 8, wav.samples.data(), bytes) == 0))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PcmWav wav;
    const std::string problem = ParsePcmWav(data, size, wav);
    if (!problem.empty()) {
        Check(wav.samples.empty(), "samples kept from a refused file");
        return 0;
    }
    Check(size >= SmallestFile && Le32(data + 4) <= size - 8, "accepted past the input's end");
    Check(wav.sampleRate >= 1, "sample rate 0 accepted");
    Check(2 * wav.samples.size() <= size - SmallestFile, "more samples than the input holds");
    Check(SamplesAreADataChunk(data, wav), "samples are not a data chunk's bytes");
    return 0;
}
