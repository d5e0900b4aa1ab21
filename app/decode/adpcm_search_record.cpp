// Package records with the codes of a chosen encoder.
#include "app/decode/adpcm_encode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

int AppendPackageRecord(std::vector<uint8_t>& package, uint16_t sampleRate, const int16_t* samples,
                        int64_t sampleCount, AdpcmEncoder encoder) {
    const size_t start = package.size();
    if (!AppendPackageRecord(package, sampleRate, samples, sampleCount))
        return 0;
    if (encoder == AdpcmEncoder::Greedy)
        return 1;
    // The greedy record lays out the headers and blocks; the search's codes take the place
    // of the greedy ones, block by block.
    const int64_t codeBytes = (sampleCount + 1) / 2;
    const std::unique_ptr<uint8_t[]> codes(new (std::nothrow) uint8_t[codeBytes]);
    uint64_t squaredError = 0;
    if (!codes || !AdpcmSearchEncode(samples, sampleCount, codes.get(), squaredError)) {
        package.resize(start);
        return 0;
    }
    constexpr size_t RecordHeaderSize = 8, BlockHeaderSize = 8;
    size_t at = start + RecordHeaderSize;
    for (int64_t first = 0; first < codeBytes; first += PackageBlockCodeBytes) {
        const auto count = static_cast<size_t>(std::min(PackageBlockCodeBytes, codeBytes - first));
        std::memcpy(package.data() + at + BlockHeaderSize, codes.get() + first, count);
        at += BlockHeaderSize + count;
    }
    return 1;
}
