// The mixer: MixSamples arithmetic, RenderAudio over the channel table, playing and
// stopping, and when freed sample buffers are released.
#include "sound_fixture.h"

namespace {

struct MixCase {
    const char* name;
    std::vector<int> out;
    std::vector<int> src;
    int32_t scale;
    std::vector<int> expected;
};

Bytes ToBytes(const std::vector<int>& samples) {
    Bytes b(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        PutU16(b, 2 * i, static_cast<uint32_t>(samples[i]) & 0xFFFF);
    }
    return b;
}

const std::vector<MixCase>& MixCases() {
    static const std::vector<MixCase> cases = {
        {"FullScaleAddsExactly", {0, 5, -5}, {32767, -32768, 1}, 128, {32767, -32763, -4}},
        {"HalfScaleRoundsTowardZero",
         {0, 0, 0, 0},
         {3, -3, 1000, -32768},
         64,
         {1, -1, 500, -16384}},
        {"ClipsAtTheTop", {30000, 32767}, {30000, 1}, 128, {32767, 32767}},
        {"ClipsAtTheBottom", {-30000, -32768}, {-30000, -1}, 128, {-32768, -32768}},
        {"ScaleZeroLeavesTheOutput", {7, -7}, {1000, 1000}, 0, {7, -7}},
        {"ScaleAboveRangeActsAsFull", {0}, {1234}, 1000, {1234}},
        {"NegativeScaleActsAsZero", {9}, {1234}, -5, {9}},
    };
    return cases;
}

class MixSamplesTest : public ::testing::TestWithParam<MixCase> {};

TEST_P(MixSamplesTest, AddsScalesAndClips) {
    const MixCase& c = GetParam();
    Bytes out = ToBytes(c.out);
    const Bytes src = ToBytes(c.src);
    MixSamples(out.data(), src.data(), static_cast<int64_t>(src.size()), c.scale);
    EXPECT_EQ(ToSamples(out.data(), static_cast<int64_t>(out.size())), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sound, MixSamplesTest, ::testing::ValuesIn(MixCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MixSamplesTest, IgnoresAnOddLastByte) {
    Bytes out{0, 0, 0x11};
    const Bytes src{2, 0, 0x7F};
    MixSamples(out.data(), src.data(), 3, 128);
    EXPECT_EQ(out, (Bytes{2, 0, 0x11}));
}

using MixerTest = SoundTest;

TEST_F(MixerTest, NothingPlayingRendersSilence) {
    EXPECT_EQ(Render(16), std::vector<int>(8, 0));
    EXPECT_EQ(RenderAudio(nullptr, nullptr, 16), 0);
    Bytes untouched(4, 0xAB);
    EXPECT_EQ(RenderAudio(nullptr, untouched.data(), 0), 0);
    EXPECT_EQ(untouched, Bytes(4, 0xAB));
}

TEST_F(MixerTest, ASoundPlaysAcrossBuffersAndEndsInSilence) {
    ASSERT_NE(CatchStereo(0, {1, -1, 2, -2, 3, -3}), 0);
    ASSERT_EQ(PlaySound(0), 1);
    EXPECT_EQ(SoundStatus(0), 1);
    EXPECT_EQ(SoundPosition(0), 0);
    EXPECT_EQ(Render(8), (std::vector<int>{1, -1, 2, -2}));
    EXPECT_EQ(SoundPosition(0), 2);
    EXPECT_EQ(Render(8), (std::vector<int>{3, -3, 0, 0}));
    EXPECT_EQ(SoundStatus(0), 0);
    EXPECT_EQ(SoundPosition(0), 0);
    EXPECT_EQ(Render(8), std::vector<int>(4, 0));
}

TEST_F(MixerTest, TwoSoundsAddAndClip) {
    ASSERT_NE(CatchStereo(0, {30000, -30000, 100, 0}), 0);
    ASSERT_NE(CatchStereo(1, {30000, -30000}), 0);
    ASSERT_EQ(PlaySound(0), 1);
    ASSERT_EQ(PlaySound(1), 1);
    EXPECT_EQ(Render(8), (std::vector<int>{32767, -32768, 100, 0}));
}

TEST_F(MixerTest, VolumeScalesAndZeroKeepsTiming) {
    ASSERT_NE(CatchStereo(0, {1000, -1001, 2000, 2000}), 0);
    Record(0)->Volume = 50; // scale 64
    ASSERT_EQ(PlaySound(0), 1);
    EXPECT_EQ(Render(4), (std::vector<int>{500, -500}));
    Record(0)->Volume = 0;
    ASSERT_EQ(PlaySound(0), 1);
    EXPECT_EQ(Render(4), (std::vector<int>{0, 0}));
    EXPECT_EQ(SoundPosition(0), 1);
    EXPECT_EQ(Render(4), (std::vector<int>{0, 0}));
    EXPECT_EQ(SoundStatus(0), 0);
}

TEST_F(MixerTest, PlayingAgainRestartsOnOneChannel) {
    ASSERT_NE(CatchStereo(0, {10, 10, 20, 20, 30, 30}), 0);
    ASSERT_EQ(PlaySound(0), 1);
    EXPECT_EQ(Render(4), (std::vector<int>{10, 10}));
    ASSERT_EQ(PlaySound(0), 1);
    EXPECT_EQ(SoundPosition(0), 0);
    EXPECT_EQ(Render(8), (std::vector<int>{10, 10, 20, 20}));
}

TEST_F(MixerTest, ThirtyTwoBusyChannelsRefuseAThirtyThird) {
    for (int64_t n = 0; n <= SoundChannelCount; ++n) {
        ASSERT_NE(CatchStereo(n, {1, 1}), 0);
    }
    for (int64_t n = 0; n < SoundChannelCount; ++n) {
        ASSERT_EQ(PlaySound(n), 1) << n;
    }
    EXPECT_EQ(PlaySound(SoundChannelCount), 0);
    EXPECT_EQ(SoundStatus(SoundChannelCount), 0);
    StopSound(7);
    EXPECT_EQ(PlaySound(SoundChannelCount), 1);
    EXPECT_EQ(Render(4), (std::vector<int>{32, 32}));
}

TEST_F(MixerTest, StopActsOnOneSoundOrOnAll) {
    EXPECT_EQ(PlaySound(0), 0); // no such sound yet
    EXPECT_EQ(PlaySound(AnyNumber), 0);
    for (int n = 0; n < 3; ++n) {
        ASSERT_NE(CatchStereo(n, {n + 1, n + 1, n + 1, n + 1}), 0);
        ASSERT_EQ(PlaySound(n), 1);
    }
    StopSound(5); // not playing: nothing happens
    EXPECT_EQ(Render(4), (std::vector<int>{6, 6}));
    StopSound(0);
    EXPECT_EQ(SoundStatus(0), 0);
    EXPECT_EQ(SoundStatus(1), 1);
    EXPECT_EQ(Render(4), (std::vector<int>{5, 5}));
    ASSERT_EQ(PlaySound(0), 1);
    StopSound(AllObjects);
    for (int64_t n = 0; n < 3; ++n) {
        EXPECT_EQ(SoundStatus(n), 0);
    }
    EXPECT_EQ(Render(8), std::vector<int>(4, 0));
}

TEST_F(MixerTest, ReplacingAPlayingSoundStopsIt) {
    ASSERT_NE(CatchStereo(0, {9, 9, 9, 9}), 0);
    ASSERT_EQ(PlaySound(0), 1);
    ASSERT_NE(CatchStereo(0, {4, 4}), 0);
    EXPECT_EQ(SoundStatus(0), 0);
    EXPECT_EQ(Render(4), (std::vector<int>{0, 0}));
    ASSERT_EQ(PlaySound(0), 1);
    EXPECT_EQ(Render(8), (std::vector<int>{4, 4, 0, 0}));
}

// A buffer that a stopped channel was reading waits for one completed pass; one that no
// channel can reach goes at once.
TEST_F(MixerTest, FreedBuffersWaitForTheAudioThread) {
    ASSERT_NE(CatchStereo(0, {1, 1}), 0);
    FreeSound(0);
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);

    ASSERT_NE(CatchStereo(0, {1, 1}), 0);
    ASSERT_EQ(PlaySound(0), 1);
    FreeSound(0);
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 1);
    Render(4);
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);

    ASSERT_NE(CatchStereo(1, {1, 1}), 0);
    ASSERT_EQ(PlaySound(1), 1);
    StopSound(1);
    FreeSound(1); // the stop's pass may still be mixing it
    ASSERT_NE(CatchStereo(2, {1, 1}), 0);
    ASSERT_EQ(PlaySound(2), 1);
    ASSERT_NE(CatchStereo(2, {3, 3}), 0); // replaces a playing sound
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 2);
    Render(4);
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);

    ASSERT_EQ(PlaySound(2), 1);
    Render(8); // plays to its end: the callback is done with it
    FreeSound(2);
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);
}

} // namespace
