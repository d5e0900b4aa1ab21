// CatchSound's reading of WAV images: what is accepted, what is refused, and that a
// refused image leaves the existing sound alone.
#include "sound_fixture.h"

#include <functional>

namespace {

using WavLoadTest = SoundTest;

Bytes ValidImage() {
    return MakeWav({1, 22050, 16, {}}, Samples16({100, -200, 300}));
}

int64_t Catch(int64_t number, const Bytes& image) {
    return CatchSound(number, image.data(), static_cast<int64_t>(image.size()));
}

TEST_F(WavLoadTest, LoadsAMonoImageIntoTheOutputFormat) {
    const int64_t result = Catch(0, ValidImage());
    ASSERT_NE(result, 0);
    SoundRecord* record = Record(0);
    ASSERT_EQ(reinterpret_cast<int64_t>(record), result);
    EXPECT_EQ(record->Size, 24u); // 6 bytes, 4 times
    EXPECT_EQ(record->Volume, 100);
    EXPECT_EQ(record->Rate, 44100);
    EXPECT_EQ(record->Bits, 16);
    EXPECT_EQ(record->Channels, 2);
    EXPECT_EQ(ToSamples(record->Data, record->Size),
              (std::vector<int>{100, 100, 100, 100, -200, -200, -200, -200, 300, 300, 300, 300}));
    EXPECT_EQ(SoundLength(0), 6);
}

TEST_F(WavLoadTest, WithoutALengthTheRiffChunkBoundsTheImage) {
    const Bytes image = ValidImage();
    ASSERT_NE(CatchSound(1, image.data()), 0);
    EXPECT_EQ(Record(1)->Size, 24u);
}

TEST_F(WavLoadTest, TheWalkSkipsChunksBeforeTheData) {
    Bytes list(8 + 6, 'x');
    PutId(list, 0, "LIST");
    PutU32(list, 4, 6);
    Bytes odd(8 + 3, 'y'); // odd sizes are not padded
    PutId(odd, 0, "junk");
    PutU32(odd, 4, 3);
    for (const Bytes& chunk : {list, odd}) {
        const Bytes image = MakeWav({2, 44100, 16, chunk}, Samples16({5, -6}));
        ASSERT_NE(Catch(2, image), 0);
        EXPECT_EQ(ToSamples(Record(2)->Data, Record(2)->Size), (std::vector<int>{5, -6}));
    }
}

TEST_F(WavLoadTest, TheImageMayBeReleasedAfterLoading) {
    auto image = std::make_unique<Bytes>(ValidImage());
    ASSERT_NE(Catch(0, *image), 0);
    std::fill(image->begin(), image->end(), 0xEE);
    image.reset();
    EXPECT_EQ(ToSamples(Record(0)->Data, 4), (std::vector<int>{100, 100}));
}

struct BadImage {
    const char* name;
    std::function<void(Bytes&)> damage;
    int64_t sizeChange; // added to the length passed
};

const std::vector<BadImage>& BadImages() {
    static const std::vector<BadImage> cases = {
        {"NoRiff", [](Bytes& b) { PutId(b, 0, "RIFX"); }, 0},
        {"NoFmtAtTwelve", [](Bytes& b) { PutId(b, 12, "fmt_"); }, 0},
        {"NoDataChunk", [](Bytes& b) { PutId(b, 36, "date"); }, 0},
        {"DataLongerThanTheImage", [](Bytes& b) { PutU32(b, 40, 7); }, 0},
        {"ImageCutInsideTheData", [](Bytes&) {}, -1},
        {"DataSizeAtTheTopOfItsRange", [](Bytes& b) { PutU32(b, 40, 0xFFFFFFFF); }, 0},
        {"ChunkSizeJumpsPastTheEnd", [](Bytes& b) { PutU32(b, 16, 0xFFFFFFF0); }, 0},
        {"RiffChunkEndsBeforeTheData", [](Bytes& b) { PutU32(b, 4, 32); }, 0},
        {"ShorterThanTheFormatFields", [](Bytes&) {}, -20},
        {"RateZero", [](Bytes& b) { PutU32(b, 24, 0); }, 0},
        {"ThreeChannels", [](Bytes& b) { PutU16(b, 22, 3); }, 0},
        {"ZeroChannels", [](Bytes& b) { PutU16(b, 22, 0); }, 0},
    };
    return cases;
}

class BadImageTest : public SoundTest, public ::testing::WithParamInterface<BadImage> {};

TEST_P(BadImageTest, IsRefusedAndLeavesTheOldSound) {
    const BadImage& c = GetParam();
    ASSERT_NE(CatchStereo(0, {1, 2}), 0);
    const uint8_t* oldData = Record(0)->Data;
    Bytes image = ValidImage();
    c.damage(image);
    EXPECT_EQ(CatchSound(0, image.data(), static_cast<int64_t>(image.size()) + c.sizeChange), 0);
    ASSERT_NE(IsSound(0), 0);
    EXPECT_EQ(Record(0)->Data, oldData);
    EXPECT_EQ(ToSamples(Record(0)->Data, Record(0)->Size), (std::vector<int>{1, 2}));
}

INSTANTIATE_TEST_SUITE_P(Sound, BadImageTest, ::testing::ValuesIn(BadImages()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WavLoadTest, RefusesNullAddressAndNumbersBelowAnyNumber) {
    EXPECT_EQ(CatchSound(0, nullptr, 100), 0);
    const Bytes image = ValidImage();
    EXPECT_EQ(Catch(-2, image), 0);
    EXPECT_EQ(IsSound(0), 0);
}

TEST_F(WavLoadTest, AnImageWhoseConversionIsTooLargeIsRefused) {
    // 1 Hz multiplies the size by 44100: 50000 mono bytes would need 4.4 GB.
    const Bytes image = MakeWav({1, 1, 16, {}}, Bytes(50000, 1));
    EXPECT_EQ(Catch(0, image), 0);
    EXPECT_EQ(IsSound(0), 0);
}

} // namespace
