// Shared helpers for the sound tests: hand-built WAV images, sample byte strings, and an
// audio output that only counts its calls, so that tests drive RenderAudio themselves.
#pragma once

#include "runtime/sound/sound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

inline void PutU32(Bytes& b, size_t at, uint32_t v) {
    PutU16(b, at, v & 0xFFFF);
    PutU16(b, at + 2, v >> 16);
}

inline void PutId(Bytes& b, size_t at, const char* id) {
    for (int i = 0; i < 4; ++i) {
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(id[i]);
    }
}

// Little-endian bytes of 16-bit samples.
inline Bytes Samples16(std::initializer_list<int> values) {
    Bytes b(values.size() * 2);
    size_t at = 0;
    for (int v : values) {
        PutU16(b, at, static_cast<uint32_t>(v) & 0xFFFF);
        at += 2;
    }
    return b;
}

inline int16_t SampleAt(const uint8_t* p, int64_t index) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[2 * index] | (p[2 * index + 1] << 8)));
}

// The 16-bit samples of a byte range.
inline std::vector<int> ToSamples(const uint8_t* p, int64_t bytes) {
    std::vector<int> out;
    for (int64_t i = 0; i + 1 < bytes; i += 2) {
        out.push_back(SampleAt(p, i / 2));
    }
    return out;
}

struct WavSpec {
    int channels = 1;
    uint32_t rate = 22050;
    int bits = 16;
    Bytes extraChunk; // whole chunk (header included) placed between "fmt " and "data"
};

// A canonical WAV file: RIFF header, a 16-byte "fmt " chunk, optional extra chunk, data.
inline Bytes MakeWav(const WavSpec& spec, const Bytes& data) {
    Bytes b(36);
    PutId(b, 0, "RIFF");
    PutId(b, 8, "WAVE");
    PutId(b, 12, "fmt ");
    PutU32(b, 16, 16);
    PutU16(b, 20, 1);
    PutU16(b, 22, static_cast<uint32_t>(spec.channels));
    PutU32(b, 24, spec.rate);
    const uint32_t align = static_cast<uint32_t>(spec.channels * spec.bits / 8);
    PutU32(b, 28, spec.rate * align);
    PutU16(b, 32, align);
    PutU16(b, 34, static_cast<uint32_t>(spec.bits));
    b.insert(b.end(), spec.extraChunk.begin(), spec.extraChunk.end());
    const size_t dataHeader = b.size();
    b.resize(dataHeader + 8);
    PutId(b, dataHeader, "data");
    PutU32(b, dataHeader + 4, static_cast<uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    PutU32(b, 4, static_cast<uint32_t>(b.size() - 8));
    return b;
}

// Output that opens without a device and counts its calls; Open or Start can fail.
struct FakeOutput {
    static inline int opens, starts, stops, closes;
    static inline bool failOpen, failStart;
    static inline int handle;

    static void Reset() {
        opens = starts = stops = closes = 0;
        failOpen = failStart = false;
    }
    static void* Open() {
        ++opens;
        return failOpen ? nullptr : &handle;
    }
    static int Start(void*) {
        ++starts;
        return failStart ? 0 : 1;
    }
    static void Stop(void*) { ++stops; }
    static void Close(void*) { ++closes; }
    static const SoundPlatform* Platform() {
        static const SoundPlatform platform{Open, Start, Stop, Close};
        return &platform;
    }
};

// A test with the library open on the counting output.
class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeOutput::Reset();
        SetSoundPlatform(FakeOutput::Platform());
        ASSERT_NE(InitSound(), nullptr);
    }
    void TearDown() override {
        EndSound();
        SetSoundPlatform(nullptr);
    }

    // One callback of bytes bytes, as 16-bit samples.
    static std::vector<int> Render(int64_t bytes) {
        Bytes buffer(static_cast<size_t>(bytes), 0xAB);
        RenderAudio(nullptr, buffer.data(), bytes);
        return ToSamples(buffer.data(), bytes);
    }

    // Loads a stereo 44100 Hz sound whose frames are the given left-right samples.
    static int64_t CatchStereo(int64_t number, std::initializer_list<int> samples) {
        const Bytes wav = MakeWav({2, 44100, 16, {}}, Samples16(samples));
        return CatchSound(number, wav.data(), static_cast<int64_t>(wav.size()));
    }

    static SoundRecord* Record(int64_t number) {
        return reinterpret_cast<SoundRecord*>(IsSound(number));
    }
};
