// What the decoder tests share: the libraries the package reader runs on, packages built
// field by field, the reference decode of code bytes, and a temporary folder per test
// where packages are written and read back into Samples.
#pragma once

#include "app/decode/adpcm.h"
#include "app/decode/package_reader.h"
#include "app/decode/wav_image.h"
#include "runtime/core/files/files.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;
using Samples16 = std::vector<int16_t>;

inline void StartReaderLibraries() {
    InitStringBuffer();
    InitArrays();
    InitLists();
    InitFiles();
    InitDecoderTables();
    InitSamples();
}

inline void PutLe(Bytes& b, int64_t v, int bytes) {
    for (int i = 0; i < bytes; i++)
        b.push_back(static_cast<uint8_t>(v >> 8 * i));
}

inline Bytes Join(const std::vector<Bytes>& parts) {
    Bytes b;
    for (const Bytes& part : parts)
        b.insert(b.end(), part.begin(), part.end());
    return b;
}

// A block: NibbleBytes, OutputBytes, a word the reader skips, then the code bytes.
inline Bytes Block(int64_t nibbleBytes, int64_t outputBytes, const Bytes& codes) {
    Bytes b;
    PutLe(b, nibbleBytes, 2);
    PutLe(b, outputBytes, 2);
    PutLe(b, 0x12345678, 4);
    return Join({b, codes});
}

// A record: the rate word, PackedSize, a word the reader skips, then the blocks.
inline Bytes Record(int64_t rate, int64_t packedSize, const std::vector<Bytes>& blocks = {}) {
    Bytes b;
    PutLe(b, rate, 2);
    PutLe(b, packedSize, 4);
    PutLe(b, 1, 2);
    return Join({b, Join(blocks)});
}

// The samples of code bytes (low nibble first) through the reference step; the state runs on.
inline Samples16 StepDecode(const Bytes& codes, AdpcmState& state) {
    Samples16 out;
    for (uint8_t byte : codes) {
        for (uint32_t code : {byte & 0x0Fu, static_cast<uint32_t>(byte >> 4)})
            out.push_back(
                static_cast<int16_t>(AdpcmDecodeStep(state, code, IndexTable, StepTable)));
    }
    return out;
}

inline Samples16 StepDecode(const Bytes& codes) {
    AdpcmState state;
    return StepDecode(codes, state);
}

class ReaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartReaderLibraries(); }
    static void TearDownTestSuite() { EndStrings(); }

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("mv-reader-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Writes bytes as dir/sounds.sel (empty bytes: an empty file) and gives its path.
    std::string Write(const Bytes& bytes) const {
        const std::string path = (dir / "sounds.sel").string();
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }
    static void SetPackageFile(const std::string& path) {
        StringAssign(&PackageFile, std::u16string(path.begin(), path.end()).c_str());
    }

    // Decodes the package at path and collects the entries of Samples.
    void DecodePath(const std::string& path) {
        SetPackageFile(path);
        DecodePackage();
        entries.clear();
        ResetList(Samples.list);
        while (NextElement(Samples.list))
            entries.push_back(CurrentSample());
    }
    void Decode(const Bytes& bytes) { DecodePath(Write(bytes)); }

    // The samples of an entry's data area (a last odd byte is left out).
    static Samples16 SamplesOf(const SampleEntry* e) {
        Samples16 out;
        for (int64_t i = 0; i + 1 < e->DataSize; i += 2)
            out.push_back(static_cast<int16_t>(PeekW(e->WavImage + WavHeaderSize + i)));
        return out;
    }

    std::filesystem::path dir;
    std::vector<SampleEntry*> entries;
};
