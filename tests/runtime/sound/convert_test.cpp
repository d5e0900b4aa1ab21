// Conversion to 16-bit stereo 44100 Hz, and CatchSound's reading of WAV images.
#include "sound_fixture.h"

#include <memory>
#include <optional>
#include <tuple>

namespace {

using ConvertTest = SoundTest;

std::optional<Samples> Convert(const Bytes& in, int64_t channels, int64_t bits, int64_t rate) {
    int64_t size = -1;
    const std::unique_ptr<uint8_t, void (*)(uint8_t*)> out(
        ConvertToOutputFormat(in.data(), SoundTest::Size(in), channels, bits, rate, &size),
        FreeSampleBuffer);
    return out ? std::optional(SoundTest::ToSamples(out.get(), size)) : std::nullopt;
}

TEST_F(ConvertTest, ProducesExactSamples) {
    // Channels, bits, rate, input, output (left and right interleaved).
    const std::tuple<int64_t, int64_t, int64_t, Bytes, Samples> cases[] = {
        {1, 16, 22050, S16({100, -200}), {100, 100, 100, 100, -200, -200, -200, -200}},
        {1, 16, 11025, S16({5}), {5, 5, 5, 5, 5, 5, 5, 5}},
        {1, 16, 44100, S16({1, -1}), {1, 1, -1, -1}},
        {2, 16, 44100, S16({1, 2, 3, 4}), {1, 2, 3, 4}},
        {2, 16, 22050, S16({1, 2, 3, 4}), {1, 2, 1, 2, 3, 4, 3, 4}},
        {1, 8, 44100, {128, 0, 255}, {128, 128, -32640, -32640, 32640, 32640}},
        {1, 24, 44100, S16({300}), {300, 300}}, // any depth but 8 reads as 16
        // 8000 Hz: 6 copies every 5.5125 samples; the later sample takes the overlap.
        {1, 16, 8000, S16({7, 9}), {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 9,
                                    9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},
        {1, 16, 88200, S16({1, 2, 3, 4}), {2, 2, 4, 4}}, // the later of two inputs wins
        {2, 16, 88200, S16({1, 2, 3, 4, 5, 6, 7, 8}), {3, 4, 7, 8}},
        {1, 16, 32000, S16({-5}), {-5, -5}},        // 2 bytes: the repeat past the end is dropped
        {1, 16, 48000, S16({1234}), {0}},           // 1 byte: no whole sample fits, silence
        {1, 16, 48000, S16({11, 22}), {22, 22, 0}}, // 3 bytes: a silent partial sample
        {1, 16, 44100, {1, 0, 0x7F}, {1, 1, 0}},    // an odd last byte
        {1, 16, 22050, {}, {}},
    };
    for (const auto& [channels, bits, rate, input, expected] : cases) {
        EXPECT_EQ(Convert(input, channels, bits, rate), expected) << rate;
    }
}

TEST_F(ConvertTest, RejectsBadInputAndSoundsLongerThanAnHour) {
    const Bytes in = S16({1, 2, 3, 4});
    EXPECT_EQ(Convert(in, 0, 16, 44100), std::nullopt);
    EXPECT_EQ(Convert(in, 3, 16, 44100), std::nullopt);
    EXPECT_EQ(Convert(in, 1, 16, 0), std::nullopt);
    int64_t size = 0;
    EXPECT_EQ(ConvertToOutputFormat(nullptr, 4, 1, 16, 44100, &size), nullptr);
    EXPECT_EQ(ConvertToOutputFormat(in.data(), -1, 1, 16, 44100, &size), nullptr);
    // Results above one hour are refused before the input (8 bytes here) is read.
    EXPECT_EQ(ConvertToOutputFormat(in.data(), 100000, 1, 16, 1, &size), nullptr); // 8.8 GB
    EXPECT_EQ(ConvertToOutputFormat(in.data(), int64_t{1} << 31, 1, 16, 44100, &size), nullptr);
    EXPECT_EQ(ConvertToOutputFormat(in.data(), int64_t{1} << 32, 2, 16, 44100, &size), nullptr);
    EXPECT_EQ(ConvertToOutputFormat(in.data(), int64_t{1} << 31, 2, 8, 44100, &size), nullptr);
    const int64_t hour = SoundMaxConvertedBytes;
    EXPECT_EQ(ConvertToOutputFormat(in.data(), hour + 4, 2, 16, 44100, &size), nullptr);
    // At 1 Hz, 3600 mono 16-bit samples last exactly one hour; one more is refused.
    EXPECT_EQ(std::vector<int64_t>({ConvertedSize(7200, 1, 16, 1), ConvertedSize(7202, 1, 16, 1),
                                    ConvertedSize(hour, 2, 16, 44100), ConvertedSize(3600, 1, 8, 1),
                                    ConvertedSize(4, 3, 16, 44100), ConvertedSize(4, 1, 16, 0)}),
              std::vector<int64_t>({hour, hour + 176400, hour, hour, -1, -1}));
    const Bytes overAnHour = MakeWav(1, 1, 16, S16(Samples(3601, 5)));
    EXPECT_EQ(CatchSound(0, overAnHour.data(), Size(overAnHour)), 0);
    EXPECT_EQ(CatchSound(0, MakeWav(1, 1, 16, Bytes(12000, 5)).data()), 0); // 1.06 GB
    EXPECT_EQ(IsSound(0), 0);
}

TEST_F(ConvertTest, CatchSoundLoadsImagesThatMayThenBeReleased) {
    Bytes image = MakeWav(1, 22050, 16, S16({100, -200}));
    const int64_t id = CatchSound(0, image.data()); // bounded by the RIFF chunk size
    image.assign(image.size(), 0xEE);               // the sound keeps its own copy
    ASSERT_EQ(IsSound(0), id);
    const SoundRecord& r = *Record(0);
    EXPECT_EQ(std::vector<int64_t>({r.Volume, r.Rate, r.Bits, r.Channels, SoundLength(0)}),
              std::vector<int64_t>({100, 44100, 16, 2, 4}));
    EXPECT_EQ(ToSamples(r.Data, r.Size), Samples({100, 100, 100, 100, -200, -200, -200, -200}));
    // Chunks between "fmt " and "data" are skipped; odd sizes are not padded.
    for (const Bytes& chunk :
         {Id("LIST") + Le(6, 4) + Bytes(6, 'x'), Id("junk") + Le(3, 4) + Bytes(3, 'y')}) {
        const Bytes wav = MakeWav(2, 44100, 16, S16({5, -6}), chunk);
        ASSERT_NE(CatchSound(2, wav.data(), Size(wav)), 0);
        EXPECT_EQ(ToSamples(Record(2)->Data, Record(2)->Size), Samples({5, -6}));
    }
}

TEST_F(ConvertTest, RefusedImagesLeaveTheOldSound) {
    // Where a patch overwrites a valid image, the patch, bytes taken off the length passed.
    const std::tuple<size_t, Bytes, int64_t> cases[] = {
        {3, {'X'}, 0},              // no "RIFF"
        {15, {'_'}, 0},             // no "fmt " at 12
        {39, {'e'}, 0},             // no "data"
        {40, Le(7, 4), 0},          // data past the end
        {0, {}, 1},                 // image cut inside the data
        {40, Le(0xFFFFFFFF, 4), 0}, // data size near 4 GiB
        {16, Le(0xFFFFFFF0, 4), 0}, // chunk size near 4 GiB
        {4, Le(32, 4), 0},          // RIFF chunk ending before "data"
        {0, {}, 20},                // no room for the format fields
        {24, Le(0, 4), 0},          // rate 0
        {22, Le(3, 2), 0},          // 3 channels
    };
    ASSERT_NE(CatchStereo(0, {1, 2}), 0);
    const uint8_t* oldData = Record(0)->Data;
    const Bytes valid = MakeWav(1, 22050, 16, S16({100, -200, 300}));
    for (const auto& [at, patch, cut] : cases) {
        Bytes image = valid;
        std::copy(patch.begin(), patch.end(), image.begin() + static_cast<ptrdiff_t>(at));
        EXPECT_EQ(CatchSound(0, image.data(), Size(image) - cut), 0) << at << " " << cut;
    }
    EXPECT_EQ(CatchSound(0, nullptr, 100), 0);
    ASSERT_EQ(Record(0)->Data, oldData);
    EXPECT_EQ(ToSamples(Record(0)->Data, Record(0)->Size), Samples({1, 2}));
}

} // namespace
