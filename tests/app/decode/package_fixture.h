// Hand-built package bytes and a runtime brought up for the reader.
#pragma once

#include "app/decode/decode.h"
#include "runtime/core/files/files.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutLe16(Bytes& b, int64_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutLe32(Bytes& b, int64_t v) {
    PutLe16(b, v & 0xFFFF);
    PutLe16(b, (v >> 16) & 0xFFFF);
}

inline void PutRecordHeader(Bytes& b, int64_t rate, int64_t packedSize) {
    PutLe16(b, rate);
    PutLe32(b, packedSize);
    b.push_back(1);
    b.push_back(0);
}

inline void PutBlock(Bytes& b, int64_t nibbleBytes, int64_t outputBytes, const Bytes& codes) {
    PutLe16(b, nibbleBytes);
    PutLe16(b, outputBytes);
    PutLe32(b, 0x12345678);
    b.insert(b.end(), codes.begin(), codes.end());
}

inline Bytes Pattern(size_t count, uint8_t seed) {
    Bytes b;
    for (size_t i = 0; i < count; i++)
        b.push_back(static_cast<uint8_t>(seed + i * 29 + (i >> 3)));
    return b;
}

inline std::u16string Wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

inline std::string Narrow(const char16_t* s) {
    std::string out;
    for (; s && *s; s++)
        out.push_back(static_cast<char>(*s));
    return out;
}

class PackageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool started = false;
        if (started)
            return;
        started = true;
        InitStringLocale();
        InitStringBuffer();
        InitArrays();
        InitLists();
        InitMemory();
        InitFiles();
        InitDecoderTables();
        InitSamples();
    }

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("mv-package-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }

    void TearDown() override { std::filesystem::remove_all(dir); }

    // Writes bytes as dir/name and decodes it into Samples.
    void Decode(const Bytes& bytes, const std::string& name = "sounds.sel") {
        const std::filesystem::path path = dir / name;
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        DecodePath(path.string());
    }

    void DecodePath(const std::string& path) {
        StringAssign(&PackageFile, Wide(path).c_str());
        DecodePackage();
        entries.clear();
        ResetList(Samples.list);
        while (NextElement(Samples.list))
            entries.push_back(CurrentSample());
    }

    // The samples of an entry's data area (DataSize bytes; a last odd byte is dropped).
    static std::vector<int16_t> SamplesOf(const SampleEntry* e) {
        std::vector<int16_t> out;
        for (int64_t i = 0; i + 1 < e->DataSize; i += 2)
            out.push_back(static_cast<int16_t>(PeekW(e->WavImage + WavHeaderSize + i)));
        return out;
    }

    // What the decoder gives for a run of code bytes from the start state.
    static std::vector<int16_t> Reference(const Bytes& codes) {
        AdpcmState state;
        Bytes pcm(codes.size() * 4);
        DecodeAdpcmBytes(state, codes.data(), static_cast<int64_t>(codes.size()), pcm.data());
        std::vector<int16_t> out;
        for (size_t i = 0; i < pcm.size(); i += 2)
            out.push_back(static_cast<int16_t>(pcm[i] | pcm[i + 1] << 8));
        return out;
    }

    std::filesystem::path dir;
    std::vector<SampleEntry*> entries;
};
