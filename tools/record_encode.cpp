#include "tools/record_encode.h"

#include "app/decode/adpcm.h"
#include "app/decode/adpcm_encode.h"
#include "tools/interruption.h"

#include <ebur128.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int64_t RecordHeaderBytes = 8;
constexpr int64_t BlockHeaderBytes = 8;

int64_t Le(const uint8_t* p, int bytes) {
    int64_t value = 0;
    for (int k = bytes - 1; k >= 0; k--)
        value = value << 8 | p[k];
    return value;
}

// The samples a record of this system's encoder decodes to (its blocks back to back).
std::vector<int16_t> DecodeRecord(const uint8_t* record, int64_t size) {
    std::vector<int16_t> decoded;
    std::vector<uint8_t> pcm;
    AdpcmState state;
    for (int64_t p = RecordHeaderBytes; p + BlockHeaderBytes <= size;) {
        const int64_t codes = std::min(Le(record + p, 2), size - p - BlockHeaderBytes);
        pcm.resize(static_cast<size_t>(4 * codes));
        DecodeAdpcmBytes(state, record + p + BlockHeaderBytes, codes, pcm.data());
        for (size_t k = 0; k + 1 < pcm.size(); k += 2)
            decoded.push_back(static_cast<int16_t>(pcm[k] | pcm[k + 1] << 8));
        p += BlockHeaderBytes + codes;
    }
    return decoded;
}

double SignalToNoise(const std::vector<int16_t>& source, const std::vector<int16_t>& decoded) {
    double power = 0, noise = 0;
    for (size_t k = 0; k < source.size() && k < decoded.size(); k++) {
        power += static_cast<double>(source[k]) * source[k];
        noise += std::pow(static_cast<double>(decoded[k]) - source[k], 2);
    }
    if (noise == 0)
        return HUGE_VAL;
    return power == 0 ? -HUGE_VAL : 10 * std::log10(power / noise);
}

} // namespace

int64_t ConvertedLength(int64_t sourceFrames, int64_t sourceRate, int64_t rate) {
    if (sourceFrames < 0 || sourceRate <= 0)
        return -1;
    if (sourceRate == rate)
        return sourceFrames;
    return static_cast<int64_t>(
        std::llround(static_cast<double>(sourceFrames) * rate / sourceRate));
}

std::string ToRecordSamples(const std::vector<float>& mono, int64_t sourceRate, int64_t rate,
                            double gain, std::vector<int16_t>& samples, int64_t& clipped) {
    std::vector<float> converted;
    const std::vector<float>* at = &mono;
    const int64_t length = ConvertedLength(std::ssize(mono), sourceRate, rate);
    // A sound shorter than one sample at the record's rate (a header claiming a rate of
    // millions of hertz) converts to nothing: the resampler is not asked for no samples.
    if (sourceRate != rate && length > 0) {
        converted.resize(static_cast<size_t>(length));
        size_t done = 0;
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        const soxr_error_t error = soxr_oneshot(
            static_cast<double>(sourceRate), static_cast<double>(rate), 1, mono.data(), mono.size(),
            nullptr, converted.data(), converted.size(), &done, nullptr, &quality, nullptr);
        if (error)
            return std::string("cannot be converted to ") + std::to_string(rate) + " Hz: " + error;
        converted.resize(done);
        at = &converted;
    } else if (sourceRate != rate) {
        at = &converted;
    }
    samples.resize(at->size());
    clipped = 0;
    for (size_t k = 0; k < at->size(); k++) {
        // A float file may hold NaN, which no 16-bit sample stands for: silence.
        const double sample = std::isnan((*at)[k]) ? 0.0 : static_cast<double>((*at)[k]);
        const double value = std::nearbyint(sample * gain * 32768.0);
        const double kept = std::clamp(value, -32768.0, 32767.0);
        clipped += kept != value ? 1 : 0;
        samples[k] = static_cast<int16_t>(kept);
    }
    return {};
}

double IntegratedLoudness(const int16_t* samples, int64_t count, int64_t rate) {
    ebur128_state* state = ebur128_init(1, static_cast<unsigned long>(rate), EBUR128_MODE_I);
    if (!state)
        return -HUGE_VAL;
    double loudness = -HUGE_VAL;
    if (ebur128_add_frames_short(state, samples, static_cast<size_t>(count)) != EBUR128_SUCCESS ||
        ebur128_loudness_global(state, &loudness) != EBUR128_SUCCESS)
        loudness = -HUGE_VAL;
    ebur128_destroy(&state);
    return loudness;
}

bool EncodeRecord(const std::vector<int16_t>& samples, int64_t rate, std::vector<uint8_t>& package,
                  RecordPreview& preview, AdpcmEncoder encoder) {
    const size_t start = package.size();
    const auto count = static_cast<int64_t>(samples.size());
    if (count > MaxRecordSamples || rate < 1 || rate > 65535 ||
        !AppendPackageRecord(package, static_cast<uint16_t>(rate), samples.data(), count, encoder,
                             Interrupted))
        return false;
    preview.rate = rate;
    preview.samples = count;
    const auto size = static_cast<int64_t>(package.size() - start);
    preview.snr = SignalToNoise(samples, DecodeRecord(package.data() + start, size));
    return true;
}
