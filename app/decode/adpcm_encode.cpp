// IMA ADPCM encoding into the package layout: the mirror of the reader, used by the
// command-line companion's pack command, by tests and by benchmarks.
#include "app/decode/adpcm_encode.h"

#include <algorithm>

namespace {

constexpr int64_t RecordHeaderSize = 8;
constexpr int64_t BlockHeaderSize = 8;

void PutLe16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

// Encodes code bytes [first, first + count) of the record: sample 2k goes to the low
// nibble of byte k, sample 2k + 1 to its high nibble; a missing last sample is code 0.
void EncodeBlock(std::vector<uint8_t>& out, AdpcmState& state, const int16_t* samples,
                 int64_t sampleCount, int64_t first, int64_t count) {
    for (int64_t k = first; k < first + count; k++) {
        const int64_t s = 2 * k;
        const uint32_t low = AdpcmEncodeStep(state, samples[s]);
        uint32_t high = 0;
        if (s + 1 < sampleCount)
            high = AdpcmEncodeStep(state, samples[s + 1]);
        else
            AdpcmDecodeStep(state, 0, IndexTable, StepTable);
        out.push_back(static_cast<uint8_t>(low | high << 4));
    }
}

} // namespace

uint32_t AdpcmEncodeStep(AdpcmState& state, int32_t sample) {
    int32_t diff = sample - state.predictor;
    uint32_t code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    // Successive approximation of diff by step, step / 2 and step / 4, as the decoder
    // adds them back.
    int32_t part = StepTable[state.stepIndex];
    for (uint32_t bit = 4; bit != 0; bit >>= 1) {
        if (diff >= part) {
            code |= bit;
            diff -= part;
        }
        part >>= 1;
    }
    AdpcmDecodeStep(state, code, IndexTable, StepTable);
    return code;
}

int AppendPackageRecord(std::vector<uint8_t>& package, uint16_t sampleRate, const int16_t* samples,
                        int64_t sampleCount) {
    if (sampleCount < 0)
        return 0;
    const int64_t codeBytes = (sampleCount + 1) / 2;
    const int64_t blocks = (codeBytes + PackageBlockCodeBytes - 1) / PackageBlockCodeBytes;
    const int64_t packedSize = codeBytes + blocks * BlockHeaderSize;
    if (packedSize > INT32_MAX)
        return 0;

    package.reserve(package.size() + RecordHeaderSize + packedSize);
    PutLe16(package, sampleRate);
    PutLe32(package, static_cast<uint32_t>(packedSize));
    package.push_back(1); // channels: read and not used by the reader
    package.push_back(0);

    AdpcmState state;
    for (int64_t first = 0; first < codeBytes; first += PackageBlockCodeBytes) {
        const int64_t count = std::min(PackageBlockCodeBytes, codeBytes - first);
        PutLe16(package, static_cast<uint32_t>(count));
        PutLe16(package, static_cast<uint32_t>(4 * count));
        PutLe32(package, 0);
        EncodeBlock(package, state, samples, sampleCount, first, count);
    }
    return 1;
}
