// Conversion to 16-bit stereo 44100 Hz: sizes, sample values, and bounds at the ends.
#include "sound_fixture.h"

#include <algorithm>

namespace {

struct ConvertCase {
    const char* name;
    int64_t channels;
    int64_t bits;
    int64_t rate;
    Bytes input;
    std::vector<int> expected; // output samples, left and right interleaved
};

struct Converted {
    uint8_t* data = nullptr;
    int64_t size = -1;
    ~Converted() { FreeSampleBuffer(data); }
};

void Convert(const Bytes& input, int64_t channels, int64_t bits, int64_t rate, Converted* out) {
    out->data = ConvertToOutputFormat(input.data(), static_cast<int64_t>(input.size()), channels,
                                      bits, rate, &out->size);
}

const std::vector<ConvertCase>& Cases() {
    static const std::vector<ConvertCase> cases = {
        {"Mono22050RepeatsEachSampleFourTimes",
         1,
         16,
         22050,
         Samples16({100, -200}),
         {100, 100, 100, 100, -200, -200, -200, -200}},
        {"Mono11025BecomesEightTimesTheBytes",
         1,
         16,
         11025,
         Samples16({5}),
         {5, 5, 5, 5, 5, 5, 5, 5}},
        {"Mono44100DoublesIntoPairs", 1, 16, 44100, Samples16({1, -1}), {1, 1, -1, -1}},
        {"Stereo44100IsCopied", 2, 16, 44100, Samples16({1, 2, 3, 4}), {1, 2, 3, 4}},
        {"Stereo22050RepeatsFrames",
         2,
         16,
         22050,
         Samples16({1, 2, 3, 4}),
         {1, 2, 1, 2, 3, 4, 3, 4}},
        {"EightBitMapping",
         1,
         8,
         44100,
         Bytes{128, 0, 255},
         {128, 128, -32640, -32640, 32640, 32640}},
        {"EightBitStereo", 2, 8, 44100, Bytes{0, 255, 1, 127}, {-32640, 32640, -32384, -128}},
        {"EightBitMono22050", 1, 8, 22050, Bytes{255}, {32640, 32640, 32640, 32640}},
        {"OtherBitDepthsReadAs16", 1, 24, 44100, Samples16({300}), {300, 300}},
        // 32000 Hz: ratio 1.378125, k = 2; the overlap goes to the later sample.
        {"NonIntegerUpsampling",
         1,
         16,
         32000,
         Samples16({10, 20, 30}),
         {10, 10, 20, 20, 30, 30, 30, 30}},
        // 8000 Hz: ratio 5.5125, k = 6; sample 1 lands at 5 and overwrites sample 0 there.
        {"LaterSampleOverwritesOverlap", 1, 16, 8000, Samples16({7, 9}), {7, 7, 7, 7, 7, 7, 7, 7,
                                                                          7, 7, 9, 9, 9, 9, 9, 9,
                                                                          9, 9, 9, 9, 9, 9}},
        // 88200 Hz: ratio 0.5; inputs 0 and 1 land on output 0, the last one wins.
        {"DownsamplingLastWins", 1, 16, 88200, Samples16({1, 2, 3, 4}), {2, 2, 4, 4}},
        {"StereoDownsampling", 2, 16, 88200, Samples16({1, 2, 3, 4, 5, 6, 7, 8}), {3, 4, 7, 8}},
        // One sample at 32000 Hz: 2 bytes x ratio = 2 bytes, so the repeat is dropped.
        {"UpsampledRepeatBeyondTheEndIsDropped", 1, 16, 32000, Samples16({-5}), {-5, -5}},
        // One sample at 48000 Hz: 2 x 0.91875 = 1 byte, no whole sample fits: silence.
        {"DownsampledSampleThatDoesNotFitIsSilence", 1, 16, 48000, Samples16({1234}), {0}},
        // Two samples at 48000 Hz: 3 bytes; one whole sample and a silent partial one.
        {"PartialSampleAtTheEndIsSilence", 1, 16, 48000, Samples16({11, 22}), {22, 22, 0}},
        {"OddByteOfMonoIsSilence", 1, 16, 44100, Bytes{1, 0, 0x7F}, {1, 1, 0}},
        {"EmptyInput", 1, 16, 22050, Bytes{}, {}},
    };
    return cases;
}

class ConvertTableTest : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTableTest, ProducesExactSamples) {
    const ConvertCase& c = GetParam();
    Converted out;
    Convert(c.input, c.channels, c.bits, c.rate, &out);
    ASSERT_NE(out.data, nullptr);
    EXPECT_EQ(ToSamples(out.data, out.size), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sound, ConvertTableTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertTest, StereoOddByteIsCopiedUnchanged) {
    const Bytes input{1, 2, 3, 4, 5};
    Converted out;
    Convert(input, 2, 16, 44100, &out);
    ASSERT_EQ(out.size, 5);
    EXPECT_EQ(Bytes(out.data, out.data + 5), input);
}

// Every length below 2000 at 48000 Hz, where the last input sample often lands on a
// partial output sample: the size is trunc(2n x ratio) doubled, every whole output frame
// holds input, a partial one is silence, and nothing is written past the end (the
// sanitizer build checks that).
TEST(ConvertTest, DownsamplingStaysInsideForEveryLength) {
    for (int n = 1; n < 2000; ++n) {
        Bytes input(static_cast<size_t>(2 * n), 0x11);
        Converted out;
        Convert(input, 1, 16, 48000, &out);
        const auto resampled = static_cast<int64_t>(2.0 * n * (44100.0 / 48000.0));
        ASSERT_EQ(out.size, 2 * resampled) << n;
        const std::vector<int> samples = ToSamples(out.data, out.size);
        ASSERT_TRUE(std::all_of(samples.begin(), samples.begin() + resampled / 2 * 2, [](int v) {
            return v == 0x1111;
        })) << n;
        if (resampled % 2 == 1) {
            ASSERT_EQ(samples.back(), 0) << n;
        }
    }
}

TEST(ConvertTest, RejectsInputOutsideTheAcceptedRange) {
    const Bytes input = Samples16({1, 2, 3, 4});
    for (int64_t channels : {0, 3, 6}) {
        Converted out;
        Convert(input, channels, 16, 44100, &out);
        EXPECT_EQ(out.data, nullptr) << channels;
    }
    Converted zeroRate;
    Convert(input, 1, 16, 0, &zeroRate);
    EXPECT_EQ(zeroRate.data, nullptr);
    int64_t size = 7;
    EXPECT_EQ(ConvertToOutputFormat(nullptr, 4, 1, 16, 44100, &size), nullptr);
    EXPECT_EQ(ConvertToOutputFormat(input.data(), -1, 1, 16, 44100, &size), nullptr);
    EXPECT_EQ(size, 7);
}

// Results above 4 GiB - 1 bytes cannot be described by a 32-bit size: refused before any
// allocation or input read (the input pointer here covers only a few bytes).
TEST(ConvertTest, RejectsResultsAboveFourGibibytes) {
    const Bytes small(16, 0);
    int64_t size = 0;
    // 1 Hz multiplies the size by 44100: 100000 bytes would give 8.8 GB.
    EXPECT_EQ(ConvertToOutputFormat(small.data(), 100000, 1, 16, 1, &size), nullptr);
    // Mono at the output rate doubles: 2 GiB of input would need exactly 4 GiB.
    EXPECT_EQ(ConvertToOutputFormat(small.data(), int64_t{1} << 31, 1, 16, 44100, &size), nullptr);
    EXPECT_EQ(ConvertToOutputFormat(small.data(), int64_t{1} << 32, 2, 16, 44100, &size), nullptr);
    EXPECT_EQ(ConvertToOutputFormat(small.data(), int64_t{1} << 31, 2, 8, 44100, &size), nullptr);
}

} // namespace
