// The reader's window and its decoding threads change nothing: every package decodes to
// the same Samples (names, sizes, findings and image bytes, in the same order) whether
// the window holds the whole file or a few KiB, whether records are larger than the
// window, whether the images are filled on one thread or on several, and whether they
// are handed out batch by batch as they are filled.
#include "app/decode/adpcm.h"
#include "app/decode/package_reader.h"
#include "app/decode/wav_image.h"
#include "decode_fixture.h"

#include "runtime/core/files/files.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void PutLe(Bytes& b, int64_t v, int bytes) {
    for (int i = 0; i < bytes; i++)
        b.push_back(static_cast<uint8_t>(v >> 8 * i));
}

// A record of blocks of the given code byte counts (random codes, OutputBytes 4 x
// NibbleBytes); PackedSize is the data's size unless claimed.
Bytes Record(std::mt19937& random, const std::vector<int>& blocks,
             std::optional<int64_t> claimed = std::nullopt) {
    Bytes data;
    for (int count : blocks) {
        PutLe(data, count, 2);
        PutLe(data, 4 * count, 2);
        PutLe(data, 0, 4);
        for (int i = 0; i < count; i++)
            data.push_back(static_cast<uint8_t>(random()));
    }
    Bytes record;
    PutLe(record, 22050, 2);
    PutLe(record, claimed.value_or(static_cast<int64_t>(data.size())), 4);
    PutLe(record, 1, 2);
    record.insert(record.end(), data.begin(), data.end());
    return record;
}

// What Samples held after a decode, entry by entry.
struct Entry {
    std::string name;
    int32_t dataSize, sampleRate;
    int64_t packedSize, decodedBytes, missingBytes;
    uint32_t problems;
    Bytes image;
    bool operator==(const Entry&) const = default;
};

class PackageWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartReaderLibraries(); }
    static void TearDownTestSuite() { EndStrings(); }

    void SetUp() override {
        path = std::filesystem::temp_directory_path() /
               ("mv-window-" + std::to_string(::getpid()) + ".sel");
    }
    void TearDown() override {
        PackageWindowBytes = DefaultWindow;
        DecodeThreadCodeBytes = DefaultThreadBytes;
        std::filesystem::remove(path);
    }

    static Entry Snapshot(const SampleEntry* e) {
        return {{e->Name, e->Name + StringLength(e->Name)},
                e->DataSize,
                e->SampleRate,
                e->PackedSize,
                e->DecodedBytes,
                e->MissingBytes,
                e->Problems,
                Bytes(e->WavImage, e->WavImage + WavHeaderSize + e->DataSize)};
    }

    // handOut: the entries as the hook receives them, each image freed at once as
    // extract does; else Samples after the decode.
    std::vector<Entry> Decode(const Bytes& package, int64_t window, int64_t threadBytes,
                              bool handOut = false) {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(package.data(), 1, package.size(), f);
        std::fclose(f);
        PackageWindowBytes = window;
        DecodeThreadCodeBytes = threadBytes;
        const std::string text = path.string();
        StringAssign(&PackageFile, std::u16string(text.begin(), text.end()).c_str());
        std::vector<Entry> entries;
        if (handOut) {
            DecodePackage([&](SampleEntry* const* batch, size_t count) {
                for (size_t k = 0; k < count; k++) {
                    entries.push_back(Snapshot(batch[k]));
                    FreeMemory(batch[k]->WavImage);
                    batch[k]->WavImage = nullptr;
                }
            });
            return entries;
        }
        DecodePackage();
        ResetList(Samples.list);
        while (NextElement(Samples.list))
            entries.push_back(Snapshot(CurrentSample()));
        return entries;
    }

    const int64_t DefaultWindow = PackageWindowBytes;
    const int64_t DefaultThreadBytes = DecodeThreadCodeBytes;
    std::filesystem::path path;
};

TEST_F(PackageWindowTest, EveryWindowAndThreadCountGivesTheSameSamples) {
    std::mt19937 random(7);
    Bytes many; // small records of uneven sizes: the 4 KiB window moves often
    for (int i = 0; i < 150; i++) {
        const Bytes r = Record(random, {static_cast<int>(random() % 1500), 9, 0});
        many.insert(many.end(), r.begin(), r.end());
    }
    Bytes mixed = Record(random, {2048, 2048, 2048, 700}); // larger than the small windows
    for (const Bytes& r : {Record(random, {30}), Record(random, {2048, 2048, 2048, 2048, 2048}),
                           Record(random, {100, 0, 5}), Record(random, {12})})
        mixed.insert(mixed.end(), r.begin(), r.end());
    Bytes cutLarge = many; // the last record, larger than a small window, ends early
    const Bytes large = Record(random, {2048, 2048, 2048, 2048});
    cutLarge.insert(cutLarge.end(), large.begin(), large.end() - 3000);
    Bytes cutSmall = mixed; // ... a small one
    const Bytes small = Record(random, {300});
    cutSmall.insert(cutSmall.end(), small.begin(), small.end() - 100);
    Bytes claims = many; // claims 2 GiB, holds 1 KiB
    const Bytes huge = Record(random, {1016}, 0x7FFFFFF0);
    claims.insert(claims.end(), huge.begin(), huge.end());
    Bytes negative = mixed; // negative PackedSize ends the package; the rest is not read
    const Bytes stop = Record(random, {}, -20);
    negative.insert(negative.end(), stop.begin(), stop.end());
    negative.insert(negative.end(), many.begin(), many.begin() + 5000);
    Bytes cut = Record(random, {32}); // a block claiming 64 code bytes, cut at 32
    cut[8] = 64;
    cut.insert(cut.end(), many.begin(), many.end());
    cut.insert(cut.end(), {0x44, 0xAC, 0x05});
    // Eight empty blocks declaring 32 bytes each before 100 code bytes: the last 256 bytes
    // of the image are silence, written by whichever thread fills it.
    Bytes silent = Record(random, {0, 0, 0, 0, 0, 0, 0, 0, 100});
    for (size_t at = 10; at < 8 + 8 * 8; at += 8)
        silent[at] = 32;
    silent.insert(silent.end(), many.begin(), many.end());

    const struct {
        const char* what;
        const Bytes& package;
        size_t entries;
    } cases[] = {
        {"many small records", many, 150},
        {"records larger than the window", mixed, 5},
        {"a large record cut short", cutLarge, 151},
        {"a small record cut short", cutSmall, 6},
        {"a record claiming 2 GiB", claims, 151},
        {"negative PackedSize", negative, 6},
        {"a block cut and a cut header", cut, 152},
        {"blocks declaring a silent tail", silent, 151},
    };
    const std::pair<int64_t, int64_t> settings[] = {
        {4096, 1}, {5000, 1}, {65536, 1}, {4096, 1 << 30}};
    for (const auto& c : cases) {
        const std::vector<Entry> want = Decode(c.package, DefaultWindow, 1 << 30);
        ASSERT_EQ(want.size(), c.entries) << c.what;
        for (const auto& [window, threadBytes] : settings) {
            EXPECT_TRUE(Decode(c.package, window, threadBytes) == want)
                << c.what << ", window " << window << ", a thread per " << threadBytes;
            // Handed out batch by batch: every entry once, in file order, image filled.
            EXPECT_TRUE(Decode(c.package, window, threadBytes, true) == want)
                << c.what << " handed out, window " << window;
        }
    }
    const Entry tail = Decode(silent, 4096, 1)[0];
    ASSERT_EQ(tail.dataSize, 656);
    EXPECT_TRUE(
        std::all_of(tail.image.end() - 256, tail.image.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(PackageWindowTest, ThreadsKeepTheImagesOfAWholePackage) {
    // Enough codes for several threads at the default settings: 40 records of 64 KiB.
    std::mt19937 random(11);
    Bytes package;
    for (int i = 0; i < 40; i++) {
        const Bytes r = Record(random, std::vector<int>(32, 2048));
        package.insert(package.end(), r.begin(), r.end());
    }
    const std::vector<Entry> threaded = Decode(package, DefaultWindow, DefaultThreadBytes);
    const std::vector<Entry> alone = Decode(package, DefaultWindow, 1 << 30);
    ASSERT_EQ(threaded.size(), 40u);
    EXPECT_EQ(threaded[39].name, path.filename().string() + ".039");
    EXPECT_EQ(threaded[39].dataSize, 32 * 4 * 2048);
    EXPECT_TRUE(threaded == alone);

    // The last record's samples, from its codes through the reference step.
    const size_t record = package.size() / 40 * 39;
    AdpcmState state;
    Bytes pcm;
    for (size_t block = record + 8; block < package.size(); block += 8 + 2048) {
        for (size_t k = block + 8; k < block + 8 + 2048; k++) {
            for (uint32_t code : {package[k] & 0x0Fu, static_cast<uint32_t>(package[k] >> 4)}) {
                const int32_t sample = AdpcmDecodeStep(state, code, IndexTable, StepTable);
                pcm.push_back(static_cast<uint8_t>(sample));
                pcm.push_back(static_cast<uint8_t>(sample >> 8));
            }
        }
    }
    EXPECT_TRUE(Bytes(threaded[39].image.begin() + WavHeaderSize, threaded[39].image.end()) == pcm);
}

} // namespace
