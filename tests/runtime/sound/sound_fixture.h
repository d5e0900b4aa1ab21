// Hand-built WAV images and samples (the host is little-endian like the output format), and an
// output without a device that logs (O)pen (S)tart (s)top (C)lose, failing OutputFailures.
#pragma once

#include "runtime/sound/sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct SoundTest : ::testing::Test {
    static inline std::string OutputLog, OutputFailures;

    void SetUp() override {
        OutputLog = OutputFailures = "";
        SetSoundPlatform(FakeOutput());
        ASSERT_NE(InitSound(), nullptr);
    }
    void TearDown() override {
        EndSound();
        SetSoundPlatform(nullptr);
    }
    static bool Log(char op) {
        OutputLog += op;
        return OutputFailures.find(op) == std::string::npos;
    }
    static const SoundPlatform* FakeOutput() {
        static const SoundPlatform platform{
            []() -> void* { return Log('O') ? &OutputLog : nullptr; },
            [](void*) { return Log('S') ? 1 : 0; }, [](void*) { Log('s'); },
            [](void*) { Log('C'); }};
        return &platform;
    }

    static Bytes Raw(const void* p, size_t n) {
        return Bytes(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    }
    static Bytes Le(uint32_t v, size_t bytes) { return Raw(&v, bytes); }
    static Bytes Id(const char* id) { return Raw(id, 4); }
    static Bytes S16(const Samples& s) { return Raw(s.data(), 2 * s.size()); }
    static Samples ToSamples(const uint8_t* p, int64_t bytes) {
        Samples s(static_cast<size_t>(bytes / 2));
        std::copy_n(p, 2 * s.size(), reinterpret_cast<uint8_t*>(s.data()));
        return s;
    }
    static int64_t Size(const Bytes& b) { return static_cast<int64_t>(b.size()); }

    // "RIFF" header, 16-byte "fmt " chunk, optional extra chunk, "data".
    static Bytes MakeWav(int channels, uint32_t rate, int bits, const Bytes& data,
                         const Bytes& extra = {}) {
        const auto align = static_cast<uint32_t>(channels * bits / 8);
        const Bytes chunks = Id("fmt ") + Le(16, 4) + Le(1, 2) + Le(channels, 2) + Le(rate, 4) +
                             Le(rate * align, 4) + Le(align, 2) + Le(bits, 2) + extra + Id("data") +
                             Le(static_cast<uint32_t>(data.size()), 4) + data;
        return Id("RIFF") + Le(static_cast<uint32_t>(chunks.size() + 4), 4) + Id("WAVE") + chunks;
    }
    static int64_t CatchStereo(int64_t number, const Samples& samples) {
        return CatchSound(number, MakeWav(2, 44100, 16, S16(samples)).data());
    }
    static SoundRecord* Record(int64_t number) {
        return reinterpret_cast<SoundRecord*>(IsSound(number));
    }
    static Samples Render(int64_t bytes) { // one callback
        Bytes buffer(static_cast<size_t>(bytes), 0xAB);
        RenderAudio(nullptr, buffer.data(), bytes);
        return ToSamples(buffer.data(), bytes);
    }
};
