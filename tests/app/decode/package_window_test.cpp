// The reader's window and its decoding threads change nothing: every package decodes to
// the same Samples (names, sizes, findings and image bytes, in the same order) whether
// the window holds the whole file or a few KiB, whether records are larger than the
// window, whether the images are filled on one thread or on several, and whether they
// are handed out batch by batch as they are filled.
#include "decode_fixture.h"

#include <algorithm>
#include <optional>
#include <random>

namespace {

// A record of blocks of the given code byte counts (random codes, OutputBytes 4 x
// NibbleBytes); PackedSize is the blocks' size unless claimed.
Bytes RandomRecord(std::mt19937& random, const std::vector<int>& counts,
                   std::optional<int64_t> claimed = std::nullopt) {
    std::vector<Bytes> blocks;
    for (int count : counts) {
        Bytes codes(static_cast<size_t>(count));
        for (uint8_t& code : codes)
            code = static_cast<uint8_t>(random());
        blocks.push_back(Block(count, 4 * count, codes));
    }
    return Record(22050, claimed.value_or(std::ssize(Join(blocks))), blocks);
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

class PackageWindowTest : public ReaderTest {
protected:
    void TearDown() override {
        PackageWindowBytes = DefaultWindow;
        DecodeThreadCodeBytes = DefaultThreadBytes;
        ReaderTest::TearDown();
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
        SetPackageFile(Write(package));
        PackageWindowBytes = window;
        DecodeThreadCodeBytes = threadBytes;
        std::vector<Entry> got;
        if (handOut) {
            DecodePackage([&](SampleEntry* const* batch, size_t count) {
                for (size_t k = 0; k < count; k++) {
                    got.push_back(Snapshot(batch[k]));
                    FreeMemory(batch[k]->WavImage);
                    batch[k]->WavImage = nullptr;
                }
            });
            return got;
        }
        DecodePackage();
        ResetList(Samples.list);
        while (NextElement(Samples.list))
            got.push_back(Snapshot(CurrentSample()));
        return got;
    }

    const int64_t DefaultWindow = PackageWindowBytes;
    const int64_t DefaultThreadBytes = DecodeThreadCodeBytes;
};

TEST_F(PackageWindowTest, EveryWindowAndThreadCountGivesTheSameSamples) {
    std::mt19937 random(7);
    Bytes many; // small records of uneven sizes: the 4 KiB window moves often
    for (int i = 0; i < 150; i++) {
        const Bytes r = RandomRecord(random, {static_cast<int>(random() % 1500), 9, 0});
        many.insert(many.end(), r.begin(), r.end());
    }
    Bytes mixed = RandomRecord(random, {2048, 2048, 2048, 700}); // larger than the small windows
    for (const Bytes& r :
         {RandomRecord(random, {30}), RandomRecord(random, {2048, 2048, 2048, 2048, 2048}),
          RandomRecord(random, {100, 0, 5}), RandomRecord(random, {12})})
        mixed.insert(mixed.end(), r.begin(), r.end());
    Bytes cutLarge = many; // the last record, larger than a small window, ends early
    const Bytes large = RandomRecord(random, {2048, 2048, 2048, 2048});
    cutLarge.insert(cutLarge.end(), large.begin(), large.end() - 3000);
    Bytes cutSmall = mixed; // ... a small one
    const Bytes small = RandomRecord(random, {300});
    cutSmall.insert(cutSmall.end(), small.begin(), small.end() - 100);
    Bytes claims = many; // claims 2 GiB, holds 1 KiB
    const Bytes huge = RandomRecord(random, {1016}, 0x7FFFFFF0);
    claims.insert(claims.end(), huge.begin(), huge.end());
    Bytes negative = mixed; // negative PackedSize ends the package; the rest is not read
    const Bytes stop = RandomRecord(random, {}, -20);
    negative.insert(negative.end(), stop.begin(), stop.end());
    negative.insert(negative.end(), many.begin(), many.begin() + 5000);
    Bytes cut = RandomRecord(random, {32}); // a block claiming 64 code bytes, cut at 32
    cut[8] = 64;
    cut.insert(cut.end(), many.begin(), many.end());
    cut.insert(cut.end(), {0x44, 0xAC, 0x05});
    // Eight empty blocks declaring 32 bytes each before 100 code bytes: the last 256 bytes
    // of the image are silence, written by whichever thread fills it.
    Bytes silent = RandomRecord(random, {0, 0, 0, 0, 0, 0, 0, 0, 100});
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
        const Bytes r = RandomRecord(random, std::vector<int>(32, 2048));
        package.insert(package.end(), r.begin(), r.end());
    }
    const std::vector<Entry> threaded = Decode(package, DefaultWindow, DefaultThreadBytes);
    const std::vector<Entry> alone = Decode(package, DefaultWindow, 1 << 30);
    ASSERT_EQ(threaded.size(), 40u);
    EXPECT_EQ(threaded[39].name, "sounds.sel.039");
    EXPECT_EQ(threaded[39].dataSize, 32 * 4 * 2048);
    EXPECT_TRUE(threaded == alone);

    // The last record's samples, from its codes through the reference step.
    Bytes codes;
    for (size_t block = package.size() / 40 * 39 + 8; block < package.size(); block += 8 + 2048)
        codes.insert(codes.end(), package.begin() + block + 8, package.begin() + block + 8 + 2048);
    const Bytes& image = threaded[39].image;
    Samples16 samples;
    for (size_t at = WavHeaderSize; at + 1 < image.size(); at += 2)
        samples.push_back(static_cast<int16_t>(image[at] | image[at + 1] << 8));
    EXPECT_EQ(samples, StepDecode(codes));
}

} // namespace
