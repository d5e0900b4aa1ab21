// Reading a WAV file held in memory: the fixed format fields and the chunk walk to the
// data chunk. Every read is checked against the end of the image first.
#include "runtime/sound/sound_internal.h"

#include <algorithm>
#include <cstring>

namespace {

// Offsets of the fields read, in bytes from the start of the image.
constexpr int64_t FormatChunkOffset = 12;
constexpr int64_t ChannelsOffset = 22;
constexpr int64_t RateOffset = 24;
constexpr int64_t BitsOffset = 34;
constexpr int64_t FixedFieldsEnd = 36; // the bits per sample end here
constexpr int64_t ChunkHeaderBytes = 8;

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool HasId(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// End of the readable image: the end of the RIFF chunk, and never beyond imageSize when
// that is given.
int64_t ImageEnd(const uint8_t* image, int64_t imageSize) {
    const int64_t riffEnd = ChunkHeaderBytes + static_cast<int64_t>(ReadU32(image + 4));
    return imageSize < 0 ? riffEnd : std::min(imageSize, riffEnd);
}

// Offset of the "data" chunk header, or -1 when no header inside the image has that id.
// Chunks are not padded to even sizes.
int64_t FindDataChunk(const uint8_t* image, int64_t end) {
    int64_t offset = FormatChunkOffset;
    while (offset + ChunkHeaderBytes <= end) {
        if (HasId(image + offset, "data")) {
            return offset;
        }
        offset += ChunkHeaderBytes + static_cast<int64_t>(ReadU32(image + offset + 4));
    }
    return -1;
}

} // namespace

bool ParseWavImage(const uint8_t* image, int64_t imageSize, WavFormat* format) {
    if (image == nullptr || (imageSize >= 0 && imageSize < FixedFieldsEnd)) {
        return false;
    }
    if (!HasId(image, "RIFF")) {
        return false;
    }
    const int64_t end = ImageEnd(image, imageSize);
    if (end < FixedFieldsEnd || !HasId(image + FormatChunkOffset, "fmt ")) {
        return false;
    }
    const int64_t dataChunk = FindDataChunk(image, end);
    if (dataChunk < 0) {
        return false;
    }
    const int64_t dataStart = dataChunk + ChunkHeaderBytes;
    const int64_t dataSize = ReadU32(image + dataChunk + 4);
    if (dataSize > end - dataStart) {
        return false;
    }
    format->channels = ReadU16(image + ChannelsOffset);
    format->rate = ReadU32(image + RateOffset);
    format->bits = ReadU16(image + BitsOffset) == 8 ? 8 : 16;
    format->data = image + dataStart;
    format->dataSize = dataSize;
    return (format->channels == 1 || format->channels == 2) && format->rate > 0;
}
