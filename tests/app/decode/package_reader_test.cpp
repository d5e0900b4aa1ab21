#include "package_fixture.h"

#include <cstring>

namespace {

int64_t HeaderField(const SampleEntry* e, int at) {
    return PeekL(e->WavImage + at);
}

TEST_F(PackageTest, RecordsDecodeInFileOrderWithTheirNames) {
    Bytes package;
    const Bytes first = Pattern(40, 0x13);
    const Bytes second = Pattern(6000, 0x5A); // crosses the file buffer and needs 3 blocks
    PutRecordHeader(package, 22050, 8 + first.size());
    PutBlock(package, first.size(), 4 * first.size(), first);
    PutRecordHeader(package, 11025, 3 * 8 + second.size());
    PutBlock(package, 2048, 8192, {second.begin(), second.begin() + 2048});
    PutBlock(package, 2048, 8192, {second.begin() + 2048, second.begin() + 4096});
    PutBlock(package, 1904, 4 * 1904, {second.begin() + 4096, second.end()});
    PutRecordHeader(package, 8000, 0);
    Decode(package);

    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(Narrow(entries[0]->Name), "sounds.sel.000");
    EXPECT_EQ(Narrow(entries[1]->Name), "sounds.sel.001");
    EXPECT_EQ(Narrow(entries[2]->Name), "sounds.sel.002");
    EXPECT_EQ(SamplesOf(entries[0]), Reference(first));
    // The decoder state runs on across block boundaries.
    EXPECT_EQ(SamplesOf(entries[1]), Reference(second));
    EXPECT_EQ(entries[1]->DataSize, 24000);
    EXPECT_EQ(HeaderField(entries[1], 24), 11025);
    EXPECT_EQ(HeaderField(entries[1], 40), 24000);
    EXPECT_EQ(entries[2]->DataSize, 0);
    EXPECT_EQ(HeaderField(entries[2], 4), 36);
    for (const SampleEntry* e : entries)
        EXPECT_EQ(e->Problems, 0u) << Narrow(e->Name);
}

TEST_F(PackageTest, EmptyAndNegativeBlocksCountTheirOutputBytesOnly) {
    const Bytes a = Pattern(32, 1), b = Pattern(32, 2), c = Pattern(16, 3);
    Bytes package;
    PutRecordHeader(package, 22050, 5 * 8 + 80);
    PutBlock(package, 32, 128, a);
    PutBlock(package, 0, 40, {});
    PutBlock(package, 32, 128, b);
    PutBlock(package, -5, 24, {});
    PutBlock(package, 16, 64, c);
    Decode(package);

    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->DataSize, 384);
    Bytes codes = a;
    codes.insert(codes.end(), b.begin(), b.end());
    codes.insert(codes.end(), c.begin(), c.end());
    std::vector<int16_t> expected = Reference(codes);
    expected.resize(192, 0); // 320 bytes decoded, the last 64 stay silent
    EXPECT_EQ(SamplesOf(entries[0]), expected);
    EXPECT_EQ(entries[0]->DecodedBytes, 320);
}

TEST_F(PackageTest, DataSizeBelowTheDecodedBytesKeepsTheFirstSamples) {
    const Bytes a = Pattern(64, 7), b = Pattern(64, 8);
    Bytes package;
    PutRecordHeader(package, 22050, 2 * 8 + 128);
    PutBlock(package, 64, 100, a);
    PutBlock(package, 64, 55, b); // DataSize 155: odd, ends inside a sample
    Decode(package);

    ASSERT_EQ(entries.size(), 1u);
    ASSERT_EQ(entries[0]->DataSize, 155);
    std::vector<int16_t> expected = Reference(a);
    expected.resize(77);
    EXPECT_EQ(SamplesOf(entries[0]), expected);
    const int16_t next = Reference(a)[77];
    EXPECT_EQ(entries[0]->WavImage[44 + 154], static_cast<uint8_t>(next));
    EXPECT_EQ(MemorySize(entries[0]->WavImage), 44 + 155);
}

TEST_F(PackageTest, RecordCutByTheEndOfTheFileDecodesMissingCodesAsZero) {
    const Bytes present = Pattern(10, 0x77);
    Bytes package;
    PutRecordHeader(package, 22050, 0x7FFFFFFF); // claims 2 GiB
    PutBlock(package, 100, 400, present);        // 90 code bytes missing
    Decode(package);

    ASSERT_EQ(entries.size(), 1u);
    const SampleEntry* e = entries[0];
    EXPECT_EQ(e->Problems, static_cast<uint32_t>(RecordTruncated));
    EXPECT_EQ(e->MissingBytes, 0x7FFFFFFF - 18);
    EXPECT_EQ(e->DataSize, 400);
    EXPECT_EQ(MemorySize(e->WavImage), 444); // sized from the blocks, not from PackedSize
    Bytes codes = present;
    codes.resize(100, 0);
    EXPECT_EQ(SamplesOf(e), Reference(codes));
    EXPECT_NE(SamplesOf(e).back(), 0); // code 0 is not silence
}

TEST_F(PackageTest, RecordHeaderCutByTheEndOfTheFileKeepsItsLowBytes) {
    // Two stray bytes make one more empty entry; a cut field keeps the bytes that exist.
    const std::pair<Bytes, int64_t> cases[] = {{{0x22, 0x56}, 0}, {{0x44, 0xAC, 0x05}, 5}};
    for (const auto& [tail, packedSize] : cases) {
        Bytes package;
        PutRecordHeader(package, 11025, 0);
        package.insert(package.end(), tail.begin(), tail.end());
        Decode(package);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[1]->SampleRate, tail[0] | tail[1] << 8); // unsigned: 0xAC44 = 44100
        EXPECT_EQ(entries[1]->PackedSize, packedSize);
        EXPECT_EQ(entries[1]->MissingBytes, 8 - static_cast<int64_t>(tail.size()) + packedSize);
        EXPECT_EQ(entries[1]->Problems, static_cast<uint32_t>(RecordTruncated));
        EXPECT_EQ(MemorySize(entries[1]->WavImage), 44);
        EXPECT_EQ(HeaderField(entries[1], 24), tail[0] | tail[1] << 8);
    }
}

struct LimitCase {
    const char* what;
    Bytes record;
    uint32_t problems;
    int32_t dataSize;
    size_t entries; // the next record is an empty one at rate 8000 when it is reached
};

Bytes Record(int64_t packedSize, std::initializer_list<Bytes> blocks) {
    Bytes b;
    PutRecordHeader(b, 22050, packedSize);
    for (const Bytes& block : blocks)
        b.insert(b.end(), block.begin(), block.end());
    return b;
}

Bytes Block(int64_t nibbleBytes, int64_t outputBytes, size_t codeBytes) {
    Bytes b;
    PutBlock(b, nibbleBytes, outputBytes, Pattern(codeBytes, 0x31));
    return b;
}

TEST_F(PackageTest, RecordsOutsideTheLimitsFollowOnePolicyEach) {
    const LimitCase cases[] = {
        {"negative PackedSize ends the package", Record(-8, {}), RecordNegativeSize, 0, 1},
        {"codes past the record are cut", Record(20, {Block(100, 48, 12)}), RecordBlockCut, 48, 2},
        {"a block header that does not fit is cut", Record(12, {Block(2, 8, 2), Bytes{1, 2}}),
         RecordBlockCut, 8, 2},
        {"DataSize above 4 x PackedSize is cut", Record(12, {Block(4, 1000, 4)}), RecordDataSizeCut,
         48, 2},
        {"negative DataSize becomes 0", Record(12, {Block(4, -16, 4)}), RecordDataSizeNegative, 0,
         2},
    };
    for (const LimitCase& c : cases) {
        Bytes package = c.record;
        PutRecordHeader(package, 8000, 0);
        Decode(package);
        ASSERT_EQ(entries.size(), c.entries) << c.what;
        EXPECT_EQ(entries[0]->Problems, c.problems) << c.what;
        EXPECT_EQ(entries[0]->DataSize, c.dataSize) << c.what;
        EXPECT_EQ(MemorySize(entries[0]->WavImage), 44 + c.dataSize) << c.what;
        EXPECT_EQ(HeaderField(entries[0], 40), c.dataSize) << c.what;
        if (c.entries == 2) {
            EXPECT_EQ(entries[1]->SampleRate, 8000) << c.what;
        }
    }
}

TEST_F(PackageTest, PackagesThatCannotBeReadLeaveSamplesEmpty) {
    Bytes package;
    PutRecordHeader(package, 22050, 0);
    Decode(package);
    ASSERT_EQ(entries.size(), 1u);

    DecodePath((dir / "missing.sel").string());
    EXPECT_EQ(ListSize(Samples.list), 0);
    Decode(package);
    DecodePath(dir.string()); // a directory opens on Linux, but never reads
    EXPECT_EQ(ListSize(Samples.list), 0);
    Decode({});
    EXPECT_EQ(ListSize(Samples.list), 0);
}

TEST_F(PackageTest, NamesRepeatFromPosition1000On) {
    Bytes package;
    for (int i = 0; i < 1001; i++)
        PutRecordHeader(package, 11025, 0);
    Decode(package, "music.mus");
    ASSERT_EQ(entries.size(), 1001u);
    EXPECT_EQ(Narrow(entries[7]->Name), "music.mus.007");
    EXPECT_EQ(Narrow(entries[100]->Name), "music.mus.100");
    EXPECT_EQ(Narrow(entries[999]->Name), "music.mus.999");
    EXPECT_EQ(Narrow(entries[1000]->Name), "music.mus.100");
}

TEST_F(PackageTest, EncoderWritesBlocksOf2048CodeBytesWithStateRunningOn) {
    std::vector<int16_t> source;
    for (int i = 0; i < 4099; i++) // odd: one padding code
        source.push_back(static_cast<int16_t>((i * 7919) % 20000 - 10000));
    Bytes package;
    ASSERT_EQ(AppendPackageRecord(package, 22050, source.data(), source.size()), 1);
    ASSERT_EQ(package.size(), 8u + 2 * 8 + 2050);
    EXPECT_EQ(PeekL(package.data() + 2), 2 * 8 + 2050);
    EXPECT_EQ(PeekW(package.data() + 8), 2048);
    EXPECT_EQ(PeekW(package.data() + 10), 8192);
    EXPECT_EQ(PeekW(package.data() + 8 + 8 + 2048), 2);
    EXPECT_EQ(PeekW(package.data() + 8 + 8 + 2048 + 2), 8);

    Decode(package);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->DataSize, 4 * 2050);
    // Every decoded sample is what the encoder's own state predicted.
    AdpcmState state;
    std::vector<int16_t> predicted;
    for (int16_t s : source) {
        AdpcmEncodeStep(state, s);
        predicted.push_back(static_cast<int16_t>(state.predictor));
    }
    std::vector<int16_t> decoded = SamplesOf(entries[0]);
    ASSERT_EQ(decoded.size(), source.size() + 1);
    decoded.pop_back();
    EXPECT_EQ(decoded, predicted);
}

} // namespace
