#include "tools/wav_reader.h"

#include <cstring>

namespace {

constexpr size_t ChunkHeaderSize = 8;
constexpr size_t PlainFormatSize = 16;      // the fields every fmt chunk has
constexpr size_t ExtensibleFormatSize = 40; // with cbSize, valid bits, mask and sub-format
constexpr uint16_t FormatPcm = 1;
constexpr uint16_t FormatFloat = 3;
constexpr uint16_t FormatExtensible = 0xFFFE;
constexpr uint32_t MaxSampleRate = 65535; // the package's 16-bit rate word

// Bytes 2 to 15 of the sub-format GUID of an extensible fmt chunk: the fixed tail that
// follows the 16-bit format code.
const uint8_t SubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(Le16(p)) | static_cast<uint32_t>(Le16(p + 2)) << 16;
}

bool IdIs(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

struct Chunk {
    const uint8_t* body = nullptr;
    size_t size = 0;
};

// The format code: that of the sub-format for an extensible chunk. Empty when the chunk
// holds the fields that the code needs, else the reason.
std::string FormatCode(const Chunk& fmt, uint16_t& code) {
    code = Le16(fmt.body);
    if (code != FormatExtensible)
        return {};
    if (fmt.size < ExtensibleFormatSize || Le16(fmt.body + 16) < 22)
        return "its extensible fmt chunk is too short";
    if (std::memcmp(fmt.body + 26, SubFormatTail, sizeof SubFormatTail) != 0)
        return "its extensible fmt chunk names an unknown sub-format";
    if (Le16(fmt.body + 18) != 16)
        return "it has " + std::to_string(Le16(fmt.body + 18)) +
               " valid bits per sample; only 16-bit samples can be packed";
    code = Le16(fmt.body + 24);
    return {};
}

std::string CheckFormat(const Chunk& fmt, uint16_t& rate) {
    if (fmt.size < PlainFormatSize)
        return "its fmt chunk is " + std::to_string(fmt.size) + " bytes, too short";
    uint16_t code = 0;
    std::string problem = FormatCode(fmt, code);
    if (!problem.empty())
        return problem;
    if (code != FormatPcm)
        return code == FormatFloat ? "its samples are floating point; only 16-bit integer PCM "
                                     "can be packed"
                                   : "it is not integer PCM (format code " + std::to_string(code) +
                                         "); only PCM can be packed";
    const uint16_t channels = Le16(fmt.body + 2);
    if (channels != 1)
        return "it has " + std::to_string(channels) +
               " channels; only mono can be packed (mix it down first)";
    const uint16_t bits = Le16(fmt.body + 14);
    if (bits != 16)
        return "it has " + std::to_string(bits) + "-bit samples; only 16-bit samples can be packed";
    const uint32_t sampleRate = Le32(fmt.body + 4);
    if (sampleRate == 0 || sampleRate > MaxSampleRate)
        return "its sample rate " + std::to_string(sampleRate) +
               " Hz is outside 1 to 65535 Hz, the range a package can hold";
    if (Le16(fmt.body + 12) != 2 || Le32(fmt.body + 8) != sampleRate * 2)
        return "its block align or byte rate does not match mono 16-bit samples";
    rate = static_cast<uint16_t>(sampleRate);
    return {};
}

// Walks the chunks of the RIFF form in [12, end); fmt and data must each appear once.
std::string FindChunks(const uint8_t* data, size_t end, Chunk& fmt, Chunk& dataChunk) {
    size_t at = 12;
    while (at < end) {
        if (end - at < ChunkHeaderSize)
            return "it ends inside a chunk header at offset " + std::to_string(at);
        const uint8_t* header = data + at;
        const size_t size = Le32(header + 4);
        if (size > end - at - ChunkHeaderSize)
            return "its chunk \"" + std::string(reinterpret_cast<const char*>(header), 4) +
                   "\" at offset " + std::to_string(at) + " runs past the end of the file";
        Chunk* known = IdIs(header, "fmt ") ? &fmt : IdIs(header, "data") ? &dataChunk : nullptr;
        if (known && known->body)
            return "it has a second \"" + std::string(reinterpret_cast<const char*>(header), 4) +
                   "\" chunk";
        if (known)
            *known = Chunk{header + ChunkHeaderSize, size};
        // A chunk of odd size is followed by a pad byte, which the last chunk may lack.
        at += ChunkHeaderSize + size + (size & 1);
    }
    if (!fmt.body)
        return "it has no fmt chunk";
    if (!dataChunk.body)
        return "it has no data chunk";
    return {};
}

} // namespace

std::string ParsePcmWav(const uint8_t* data, size_t size, PcmWav& wav) {
    if (size < 12 || !IdIs(data, "RIFF") || !IdIs(data + 8, "WAVE"))
        return "it is not a RIFF WAVE file";
    const size_t riffSize = Le32(data + 4);
    if (riffSize < 4 || riffSize > size - 8)
        return "its RIFF size (" + std::to_string(riffSize) + " bytes) does not fit the file (" +
               std::to_string(size) + " bytes)";
    Chunk fmt, dataChunk;
    std::string problem = FindChunks(data, 8 + riffSize, fmt, dataChunk);
    if (problem.empty())
        problem = CheckFormat(fmt, wav.sampleRate);
    if (!problem.empty())
        return problem;
    if (dataChunk.size % 2 != 0)
        return "its data chunk holds " + std::to_string(dataChunk.size) +
               " bytes, not a whole number of 16-bit samples";
    wav.samples.resize(dataChunk.size / 2);
    for (size_t i = 0; i < wav.samples.size(); i++)
        wav.samples[i] = static_cast<int16_t>(Le16(dataChunk.body + 2 * i));
    return {};
}

int64_t DeclaredSampleCount(const uint8_t* data, size_t size) {
    if (size < 12 || !IdIs(data, "RIFF") || !IdIs(data + 8, "WAVE"))
        return -1;
    for (size_t at = 12; size - at >= ChunkHeaderSize;) {
        const size_t chunk = Le32(data + at + 4);
        if (IdIs(data + at, "data"))
            return chunk == 0 || chunk == 0xFFFFFFFF ? -1 : static_cast<int64_t>(chunk / 2);
        if (chunk > size - at - ChunkHeaderSize)
            return -1;
        at += ChunkHeaderSize + chunk + (chunk & 1);
    }
    return -1;
}
