// The canonical 44-byte header of a mono 16-bit PCM WAV image.
#include "app/decode/wav_image.h"

#include "runtime/core/memory/memory.h"

namespace {

constexpr int64_t Channels = 1;
constexpr int64_t BitsPerSample = 16;

// Four ASCII characters in file order, as the little-endian 32-bit value PokeL stores.
constexpr int64_t ChunkId(const char (&id)[5]) {
    return static_cast<int64_t>(static_cast<uint8_t>(id[0])) |
           static_cast<int64_t>(static_cast<uint8_t>(id[1])) << 8 |
           static_cast<int64_t>(static_cast<uint8_t>(id[2])) << 16 |
           static_cast<int64_t>(static_cast<uint8_t>(id[3])) << 24;
}

} // namespace

void WriteWavHeader(void* image, int64_t sampleRate, int32_t dataSize) {
    auto* at = static_cast<uint8_t*>(image);
    const int64_t blockAlign = Channels * (BitsPerSample / 8);
    PokeL(at + 0, ChunkId("RIFF"));
    PokeL(at + 4, static_cast<int64_t>(dataSize) + 36);
    PokeL(at + 8, ChunkId("WAVE"));
    PokeL(at + 12, ChunkId("fmt "));
    PokeL(at + 16, 16);
    PokeW(at + 20, 1); // integer PCM
    PokeW(at + 22, Channels);
    PokeL(at + 24, sampleRate);
    PokeL(at + 28, sampleRate * blockAlign);
    PokeW(at + 32, blockAlign);
    PokeW(at + 34, BitsPerSample);
    PokeL(at + 36, ChunkId("data"));
    PokeL(at + 40, dataSize);
}
