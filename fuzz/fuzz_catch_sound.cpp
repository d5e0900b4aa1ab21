// Fuzz target for the sound library's WAV image loading: CatchSound on arbitrary bytes,
// then FreeSound. The library runs on an output table that opens no device and never
// renders. The image's fields are read here independently; a sound that loads must be as
// long as its data converts to (SoundLength in frames of 44100 Hz stereo), and one that
// would last longer than an hour must be refused before anything is allocated.
#include "runtime/sound/sound.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// One hour of output: 3600 s x 44100 frames x 4 bytes.
constexpr int64_t MaxOutputBytes = 3600 * SoundOutputRate * SoundFrameBytes;
// Longer sounds take the same conversion loops as short ones, only for longer (some
// 6 ms per MiB here): they are not loaded, unless they are refused for their length. At
// 16 MiB a fixed-seed pass could wander among long loads and take many minutes.
constexpr int64_t MaxLoadedBytes = 1 << 20;
constexpr int64_t SoundNumber = 1;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "catch sound: %s\n", what);
        std::abort();
    }
}

int64_t Le(const uint8_t* p, int bytes) {
    int64_t value = 0;
    for (int i = bytes - 1; i >= 0; i--)
        value = value << 8 | p[i];
    return value;
}

// Bytes of output the image converts to, or -1 when it is not acceptable: "RIFF", "fmt "
// at 12, the fixed fields inside the form, a "data" chunk found by the chunk sizes (no pad
// bytes) whose body lies inside, 1 or 2 channels and a rate above 0.
int64_t OutputBytes(const uint8_t* image, int64_t size) {
    if (size < 36 || std::memcmp(image, "RIFF", 4) != 0)
        return -1;
    const int64_t end = std::min(size, 8 + Le(image + 4, 4));
    if (end < 36 || std::memcmp(image + 12, "fmt ", 4) != 0)
        return -1;
    int64_t at = 12;
    while (at + 8 <= end && std::memcmp(image + at, "data", 4) != 0)
        at += 8 + Le(image + at + 4, 4);
    const int64_t channels = Le(image + 22, 2), rate = Le(image + 24, 4);
    if (at + 8 > end || Le(image + at + 4, 4) > end - at - 8 || channels < 1 || channels > 2 ||
        rate == 0)
        return -1;
    int64_t bytes = Le(image + at + 4, 4) * (Le(image + 34, 2) == 8 ? 2 : 1);
    if (rate != SoundOutputRate)
        bytes = static_cast<int64_t>(static_cast<double>(bytes) *
                                     (static_cast<double>(SoundOutputRate) / rate));
    return channels == 1 ? 2 * bytes : bytes;
}

// An output that is open at once and never calls back.
int Output;
const SoundPlatform Silent = {[]() -> void* { return &Output; }, [](void*) { return 1; },
                              [](void*) {}, [](void*) {}};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetSoundPlatform(&Silent);
    Check(InitSound() != nullptr, "the sound library does not start");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int64_t bytes = OutputBytes(data, static_cast<int64_t>(size));
    if (bytes > MaxLoadedBytes && bytes <= MaxOutputBytes)
        return 0;
    const int64_t loaded = CatchSound(SoundNumber, data, static_cast<int64_t>(size));
    if (bytes < 0 || bytes > MaxOutputBytes) {
        Check(loaded == 0 && IsSound(SoundNumber) == 0, "an unacceptable image loaded");
        return 0;
    }
    Check(loaded != 0, "an acceptable image refused");
    Check(SoundLength(SoundNumber) == bytes / SoundFrameBytes, "SoundLength");
    FreeSound(SoundNumber);
    Check(IsSound(SoundNumber) == 0 && SoundBuffersAwaitingRelease() == 0, "sound not freed");
    return 0;
}
