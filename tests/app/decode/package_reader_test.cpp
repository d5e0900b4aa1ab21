#include "decode_fixture.h"

namespace {

Bytes Codes(size_t count, uint8_t seed) {
    Bytes b;
    for (size_t i = 0; i < count; i++)
        b.push_back(static_cast<uint8_t>(seed + i * 29 + (i >> 3)));
    return b;
}

class PackageTest : public ReaderTest {
protected:
    static std::string Name(const SampleEntry* e) {
        return {e->Name, e->Name + StringLength(e->Name)};
    }
    static int64_t Header(const SampleEntry* e, int at) { return PeekL(e->WavImage + at); }
};

TEST_F(PackageTest, RecordsDecodeInFileOrderWithStateRunningAcrossBlocks) {
    const Bytes first = Codes(40, 0x13), second = Codes(6000, 0x5A); // 3 blocks, 4 KiB buffer
    Decode(Join({Record(22050, 48, {Block(40, 160, first)}),
                 Record(11025, 6024,
                        {Block(2048, 8192, {second.begin(), second.begin() + 2048}),
                         Block(2048, 8192, {second.begin() + 2048, second.begin() + 4096}),
                         Block(1904, 7616, {second.begin() + 4096, second.end()})}),
                 Record(0xAC44, 0)}));

    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(Name(entries[0]), "sounds.sel.000");
    EXPECT_EQ(Name(entries[2]), "sounds.sel.002");
    EXPECT_EQ(SamplesOf(entries[0]), StepDecode(first));
    EXPECT_EQ(SamplesOf(entries[1]), StepDecode(second));
    EXPECT_EQ(Header(entries[1], 40), 24000);
    EXPECT_EQ(Header(entries[2], 24), 44100); // the rate word is unsigned
    EXPECT_EQ(Header(entries[2], 4), 36);
    for (const SampleEntry* e : entries)
        EXPECT_EQ(e->Problems, 0u);
}

TEST_F(PackageTest, DataSizeIsTheSumOfOutputBytesNotOfDecodedBytes) {
    // Empty and negative blocks take 8 bytes and decode nothing, but their OutputBytes count.
    const Bytes a = Codes(32, 1), b = Codes(32, 2), c = Codes(16, 3);
    Decode(Record(22050, 120,
                  {Block(32, 128, a), Block(0, 40, {}), Block(32, 128, b), Block(-5, 24, {}),
                   Block(16, 64, c)}));
    ASSERT_EQ(entries.size(), 1u);
    Samples16 expected = StepDecode(Join({a, b, c}));
    expected.resize(192, 0); // 320 bytes decoded, the last 64 stay silent
    EXPECT_EQ(SamplesOf(entries[0]), expected);

    // DataSize 155 ends inside a sample: the image holds its low byte.
    const Bytes d = Codes(64, 7);
    Decode(Record(22050, 144, {Block(64, 100, d), Block(64, 55, Codes(64, 8))}));
    ASSERT_EQ(entries[0]->DataSize, 155);
    const Samples16 decoded = StepDecode(d);
    EXPECT_EQ(SamplesOf(entries[0]), Samples16(decoded.begin(), decoded.begin() + 77));
    EXPECT_EQ(entries[0]->WavImage[44 + 154], static_cast<uint8_t>(decoded[77]));
    EXPECT_EQ(MemorySize(entries[0]->WavImage), 44 + 155);
}

TEST_F(PackageTest, RecordCutByTheEndOfTheFileIsSizedFromTheBytesPresent) {
    // Each record claims 2 GiB; missing codes decode as code 0.
    const Bytes present = Codes(10, 0x77);
    Bytes padded = present;
    padded.resize(100, 0);
    const std::vector<Bytes> empty(1024, Block(0, 32767, {})); // 8 KiB declaring 32 MiB
    const uint32_t cut = RecordTruncated | RecordDataSizeCut;
    const struct {
        const char* what;
        Bytes record;
        uint32_t problems;
        int32_t dataSize;
        Samples16 samples;
    } cases[] = {
        {"as declared", Record(22050, 0x7FFFFFFF, {Block(100, 400, present)}), RecordTruncated, 400,
         StepDecode(padded)},
        {"to the codes of the blocks", Record(22050, 0x7FFFFFFF, {Block(100, 32767, present)}), cut,
         400, StepDecode(padded)},
        {"to 4 x the bytes present", Record(22050, 0x7FFFFFFF, empty), cut, 4 * 8192,
         Samples16(2 * 8192, 0)},
    };
    for (const auto& c : cases) {
        Decode(c.record);
        ASSERT_EQ(entries.size(), 1u) << c.what;
        EXPECT_EQ(entries[0]->Problems, c.problems) << c.what;
        EXPECT_EQ(entries[0]->MissingBytes, 0x7FFFFFFFLL + 8 - std::ssize(c.record)) << c.what;
        EXPECT_EQ(entries[0]->DataSize, c.dataSize) << c.what;
        EXPECT_EQ(MemorySize(entries[0]->WavImage), 44 + c.dataSize) << c.what;
        EXPECT_EQ(Header(entries[0], 40), c.dataSize) << c.what;
        EXPECT_EQ(SamplesOf(entries[0]), c.samples) << c.what;
    }
}

TEST_F(PackageTest, RecordHeaderCutByTheEndOfTheFileKeepsItsLowBytes) {
    // Two stray bytes make one more empty entry; a cut field keeps the bytes that exist.
    const std::pair<Bytes, int64_t> cases[] = {{{0x22, 0x56}, 0}, {{0x44, 0xAC, 0x05}, 5}};
    for (const auto& [tail, packedSize] : cases) {
        Decode(Join({Record(11025, 0), tail}));
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(Header(entries[1], 24), tail[0] | tail[1] << 8);
        EXPECT_EQ(entries[1]->PackedSize, packedSize);
        EXPECT_EQ(entries[1]->MissingBytes, 8 - static_cast<int64_t>(tail.size()) + packedSize);
        EXPECT_EQ(entries[1]->Problems, static_cast<uint32_t>(RecordTruncated));
        EXPECT_EQ(MemorySize(entries[1]->WavImage), 44);
    }
}

TEST_F(PackageTest, RecordsOutsideTheLimitsFollowOnePolicyEach) {
    const Bytes codes = Codes(12, 0x31);
    const struct {
        const char* what;
        Bytes record;
        uint32_t problems;
        int32_t dataSize;
        size_t entries; // 2 when the empty record behind it is reached
    } cases[] = {
        {"negative PackedSize ends the package", Record(22050, -8), RecordNegativeSize, 0, 1},
        {"codes past the record are cut", Record(22050, 20, {Block(100, 48, codes)}),
         RecordBlockCut, 48, 2},
        {"a block header that does not fit is cut",
         Record(22050, 12, {Block(2, 8, {1, 2}), Bytes{1, 2}}), RecordBlockCut, 8, 2},
        {"DataSize above 4 x PackedSize is cut", Record(22050, 12, {Block(4, 1000, {1, 2, 3, 4})}),
         RecordDataSizeCut, 48, 2},
        {"negative DataSize becomes 0", Record(22050, 12, {Block(4, -16, {1, 2, 3, 4})}),
         RecordDataSizeNegative, 0, 2},
    };
    for (const auto& c : cases) {
        Decode(Join({c.record, Record(8000, 0)}));
        ASSERT_EQ(entries.size(), c.entries) << c.what;
        EXPECT_EQ(entries[0]->Problems, c.problems) << c.what;
        EXPECT_EQ(MemorySize(entries[0]->WavImage), 44 + c.dataSize) << c.what;
        EXPECT_EQ(Header(entries[0], 40), c.dataSize) << c.what;
    }
}

TEST_F(PackageTest, PackagesThatCannotBeReadLeaveSamplesEmpty) {
    for (const std::string& path : {(dir / "missing.sel").string(), dir.string()}) {
        Decode(Record(22050, 0));
        ASSERT_EQ(entries.size(), 1u);
        DecodePath(path); // a directory opens on Linux, but never reads
        EXPECT_EQ(ListSize(Samples.list), 0) << path;
    }
    Decode({});
    EXPECT_EQ(ListSize(Samples.list), 0);
}

} // namespace
