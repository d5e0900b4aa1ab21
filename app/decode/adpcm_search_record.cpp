// Package records with the codes of a chosen encoder.
#include "app/decode/adpcm_encode.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

int AppendPackageRecord(std::vector<uint8_t>& package, uint16_t sampleRate, const int16_t* samples,
                        int64_t sampleCount, AdpcmEncoder encoder, AdpcmStopRequest stop) {
    if (encoder == AdpcmEncoder::Greedy)
        return AppendPackageRecord(package, sampleRate, samples, sampleCount);
    // The layout of AppendPackageRecord: the 8-byte record header, then blocks of up to
    // PackageBlockCodeBytes codes behind their 8-byte headers.
    const int64_t codeBytes = sampleCount < 0 ? 0 : (sampleCount + 1) / 2;
    const int64_t blocks = (codeBytes + PackageBlockCodeBytes - 1) / PackageBlockCodeBytes;
    const int64_t packedSize = codeBytes + 8 * blocks;
    if (sampleCount < 0 || packedSize > INT32_MAX)
        return 0;
    const std::unique_ptr<uint8_t[]> codes(new (std::nothrow) uint8_t[codeBytes]);
    uint64_t squaredError = 0;
    if (!codes || !AdpcmSearchEncode(samples, sampleCount, codes.get(), squaredError, stop))
        return 0;
    package.reserve(package.size() + 8 + static_cast<size_t>(packedSize));
    PutLe(package, sampleRate, 2);
    PutLe(package, static_cast<uint32_t>(packedSize), 4);
    PutLe(package, 1, 2); // channels 1, reserved 0
    for (int64_t first = 0; first < codeBytes; first += PackageBlockCodeBytes) {
        const int64_t count = std::min(PackageBlockCodeBytes, codeBytes - first);
        PutLe(package, static_cast<uint32_t>(count), 2);
        PutLe(package, static_cast<uint32_t>(4 * count), 2);
        PutLe(package, 0, 4);
        package.insert(package.end(), codes.get() + first, codes.get() + first + count);
    }
    return 1;
}
