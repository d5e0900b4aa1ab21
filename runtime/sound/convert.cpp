// Conversion of 8-bit or 16-bit, mono or stereo PCM at any rate to the output format, in
// one pass over the input.
//
// The result is what three stages would give: 8-bit samples widened to 16 bits (byte size
// doubled), the rate changed by repeating or dropping whole samples (byte size times
// 44100 / rate, truncated), mono samples doubled into left-right pairs (byte size
// doubled). Every write is checked by where it ends, and the buffer starts zero-filled, so
// positions that no input sample reaches (and a partial sample at the end) are silence.
#include "runtime/sound/sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Conversion {
    const uint8_t* input;
    int64_t channels; // 1 or 2
    bool eightBit;
    int64_t widenedBytes; // input as 16-bit samples
    int64_t resampledBytes;
    uint8_t* output;
};

// Sample j of the input, as a signed 16-bit value.
int32_t InputSample(const Conversion& c, int64_t j) {
    if (c.eightBit) {
        return (c.input[j] - 128) * 256 + 128;
    }
    const uint8_t* p = c.input + 2 * j;
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

void WriteSample(uint8_t* p, int32_t value) {
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// Writes input unit i (a sample for mono, a frame for stereo) as output frame p. Mono
// samples become left-right pairs, so every unit lands as one 4-byte frame.
void WriteUnit(const Conversion& c, int64_t i, int64_t p) {
    uint8_t* out = c.output + p * SoundFrameBytes;
    const int32_t left = InputSample(c, i * c.channels);
    const int32_t right = c.channels == 2 ? InputSample(c, i * 2 + 1) : left;
    WriteSample(out, left);
    WriteSample(out + 2, right);
}

// At the output rate every whole sample maps onto itself.
void ConvertSameRate(const Conversion& c) {
    if (c.channels == 2 && !c.eightBit) {
        std::memcpy(c.output, c.input, static_cast<size_t>(c.widenedBytes));
        return;
    }
    const int64_t samples = c.widenedBytes / 2;
    for (int64_t j = 0; j < samples; ++j) {
        if (c.channels == 2) {
            WriteSample(c.output + 2 * j, InputSample(c, j));
        } else {
            WriteSample(c.output + 4 * j, InputSample(c, j));
            WriteSample(c.output + 4 * j + 2, InputSample(c, j));
        }
    }
}

// Unit i goes to units trunc(i * ratio) up to trunc(i * ratio) + k - 1 (k = ceil(ratio)
// when upsampling, 1 when downsampling); a later unit overwrites an earlier one. A unit
// whose 16-bit form would end beyond the resampled size is dropped.
void ConvertRate(const Conversion& c, double ratio) {
    const int64_t unitBytes = 2 * c.channels;
    const int64_t units = c.widenedBytes / unitBytes;
    const int64_t fitting = c.resampledBytes / unitBytes; // units that end inside
    const int64_t repeat = ratio > 1.0 ? static_cast<int64_t>(std::ceil(ratio)) : 1;
    for (int64_t i = 0; i < units; ++i) {
        const int64_t first = static_cast<int64_t>(static_cast<double>(i) * ratio);
        const int64_t end = std::min(first + repeat, fitting);
        for (int64_t p = first; p < end; ++p) {
            WriteUnit(c, i, p);
        }
    }
}

// Fills the sizes of c for byteCount bytes at rate; returns the output byte size. With
// byteCount at most SoundMaxBufferBytes and rate at least 1 every size stays below 2^50.
int64_t PlanSizes(Conversion* c, int64_t byteCount, int64_t rate, double* ratio) {
    c->widenedBytes = c->eightBit ? byteCount * 2 : byteCount;
    c->resampledBytes = c->widenedBytes;
    if (rate != SoundOutputRate) {
        *ratio = static_cast<double>(SoundOutputRate) / static_cast<double>(rate);
        c->resampledBytes = static_cast<int64_t>(static_cast<double>(c->widenedBytes) * *ratio);
    }
    return c->channels == 1 ? c->resampledBytes * 2 : c->resampledBytes;
}

bool InRange(int64_t byteCount, int64_t channels, int64_t rate) {
    return byteCount >= 0 && byteCount <= SoundMaxBufferBytes && rate > 0 &&
           (channels == 1 || channels == 2);
}

} // namespace

uint8_t* ConvertToOutputFormat(const uint8_t* samples, int64_t byteCount, int64_t channels,
                               int64_t bits, int64_t rate, int64_t* outSize) {
    if (!InRange(byteCount, channels, rate) || (samples == nullptr && byteCount > 0)) {
        return nullptr;
    }
    Conversion c{samples, channels, bits == 8, 0, 0, nullptr};
    double ratio = 1.0;
    const int64_t size = PlanSizes(&c, byteCount, rate, &ratio);
    if (size > SoundMaxConvertedBytes) {
        return nullptr;
    }
    c.output = NewSampleBuffer(size);
    if (c.output == nullptr) {
        return nullptr;
    }
    if (rate == SoundOutputRate) {
        ConvertSameRate(c);
    } else {
        ConvertRate(c, ratio);
    }
    *outSize = size;
    return c.output;
}

int64_t ConvertedSize(int64_t byteCount, int64_t channels, int64_t bits, int64_t rate) {
    if (!InRange(byteCount, channels, rate)) {
        return -1;
    }
    Conversion c{nullptr, channels, bits == 8, 0, 0, nullptr};
    double ratio = 1.0;
    return PlanSizes(&c, byteCount, rate, &ratio);
}
