// Start and end of the library, and the mixer: playing, stopping, scaling, clipping, releasing.
#include "runtime/sound/sound_internal.h"
#include "runtime/sound/sound_null.h"
#include "sound_fixture.h"

namespace {

using MixerTest = SoundTest;

TEST_F(MixerTest, OpensOnceEndsOnceAndFailsCleanly) {
    ASSERT_NE(CatchStereo(0, {1, 2}), 0);
    ASSERT_EQ(PlaySound(0), 1);
    ASSERT_NE(CatchStereo(AnyNumber, {1, 2}), 0);
    EXPECT_EQ(InitSound(), InitSound());
    EndSound();
    EndSound();
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);
    OutputFailures = "O";
    EXPECT_EQ(InitSound(), nullptr);
    OutputFailures = "S";
    EXPECT_EQ(InitSound(), nullptr);
    // Without an output every command does nothing and returns 0.
    EXPECT_EQ(CatchStereo(0, {1, 2}), 0);
    EXPECT_EQ(IsSound(0) + PlaySound(0) + SoundStatus(0) + SoundPosition(0) + SoundLength(0), 0);
    StopSound(AllObjects);
    FreeSound(AllObjects);
    EndSound();
    EXPECT_EQ(OutputLog, "OSsCOOSC"); // a failed start closes what was opened
    OutputFailures = "";
    ASSERT_NE(InitSound(), nullptr);
    EXPECT_EQ(IsSound(0), 0); // the end freed every sound, even the one playing
    EXPECT_EQ(Render(8), Samples(4, 0));
}

// The output without a device renders only what is pulled from it, and only while open.
TEST_F(MixerTest, TheNullOutputRendersWhatThePullerAsksFor) {
    EndSound();
    SetSoundPlatform(NullSoundPlatform());
    ASSERT_NE(InitSound(), nullptr);
    ASSERT_NE(CatchStereo(0, {7, -7, 9, -9}), 0);
    ASSERT_EQ(PlaySound(0), 1);
    Bytes buffer(12, 0xAB);
    EXPECT_EQ(PullNullSound(buffer.data(), 12), 12);
    EXPECT_EQ(ToSamples(buffer.data(), 12), Samples({7, -7, 9, -9, 0, 0}));
    EndSound();
    EXPECT_FALSE(NullSoundRunning());
    EXPECT_EQ(PullNullSound(buffer.data(), 12), 0);
    SetSoundPlatform(FakeOutput());
    ASSERT_NE(InitSound(), nullptr);
}

TEST_F(MixerTest, PlaysAcrossBuffersScaledAndEndsInSilence) {
    ASSERT_NE(CatchStereo(0, {1000, -1001, 2000, 2000, 3, -3}), 0);
    ASSERT_EQ(PlaySound(0), 1);
    EXPECT_EQ(Render(8), Samples({1000, -1001, 2000, 2000}));
    EXPECT_EQ(SoundPosition(0), 2);
    Record(0)->Volume = 50;     // scale 64, rounding toward zero
    ASSERT_EQ(PlaySound(0), 1); // restarts from the beginning
    EXPECT_EQ(Render(8), Samples({500, -500, 1000, 1000}));
    EXPECT_EQ(Render(8), Samples({1, -1, 0, 0}));
    EXPECT_EQ(SoundStatus(0) + SoundPosition(0), 0);
    Record(0)->Volume = 0;
    ASSERT_EQ(PlaySound(0), 1);
    EXPECT_EQ(Render(8), Samples(4, 0));
    EXPECT_EQ(SoundPosition(0), 2); // muted, yet on time
}

TEST_F(MixerTest, ThirtyTwoChannelsAddClipAndRefuseAThirtyThird) {
    EXPECT_EQ(PlaySound(0), 0); // no such sound
    for (int64_t n = 0; n <= SoundChannelCount; ++n) {
        ASSERT_NE(CatchStereo(n, {1024, -1025, 1, -1}), 0);
        ASSERT_EQ(PlaySound(n), n < SoundChannelCount ? 1 : 0) << n;
    }
    StopSound(7);
    EXPECT_EQ(PlaySound(SoundChannelCount), 1);
    EXPECT_EQ(Render(8), Samples({32767, -32768, 32, -32})); // 32 x 1024 is 32768
    StopSound(AllObjects);
    EXPECT_EQ(SoundStatus(0) + SoundStatus(SoundChannelCount), 0);
}

TEST_F(MixerTest, MixSamplesCapsTheScaleAndIgnoresAnOddLastByte) {
    Bytes out = S16({9, -9}) + Bytes{0x11};
    const Bytes src = S16({1234, 32767}) + Bytes{0x7F};
    MixSamples(out.data(), src.data(), 5, 1000);
    EXPECT_EQ(out, S16({1243, 32758}) + Bytes{0x11});
}

// The watcher's check, made here by hand (its thread makes the same, so each result is the same
// whichever makes it): never while a channel plays, only after 8 quiet passes with no Play,
// and a Play starts the output again with its channel already set.
TEST_F(MixerTest, TheOutputRestsOnlyAfterQuietPassesAndPlayStartsIt) {
    ASSERT_NE(CatchStereo(0, Samples(40, 9)), 0); // 20 frames, one mixed a pass
    for (bool stop : {false, true}) {             // the sound ends, or is stopped
        ASSERT_EQ(PlaySound(0), 1);
        for (int pass = 0; pass < (stop ? 3 : 20); ++pass) {
            EXPECT_FALSE(RestOutputIfQuiet()) << pass;
            EXPECT_EQ(Render(4), Samples({9, 9})) << pass;
        }
        if (stop) {
            StopSound(0);
            EXPECT_FALSE(RestOutputIfQuiet());
            Render(4);
            Render(4);
            ASSERT_EQ(PlaySound(0), 1); // a Play starts the count again
            StopSound(0);
        }
        for (int64_t pass = 0; pass < QuietPassesBeforeRest; ++pass) {
            EXPECT_FALSE(RestOutputIfQuiet()) << pass; // the first notes the count
            Render(4);
        }
        EXPECT_TRUE(RestOutputIfQuiet());
    }
    ASSERT_EQ(PlaySound(0), 1);
    EXPECT_EQ(Render(4), Samples({9, 9}));
    EXPECT_EQ(OutputLog, "OSsSsS");
    StopSound(0);
    Render(4);
    ASSERT_NE(CatchStereo(0, {1, 1}), 0);
    for (int pass = 0; pass <= QuietPassesBeforeRest; ++pass) {
        RestOutputIfQuiet();
        Render(4);
    }
    ASSERT_TRUE(SoundOutputRests());
    OutputFailures = "S"; // a failed start plays nothing; the output rests on
    EXPECT_EQ(PlaySound(0), 0);
    EXPECT_EQ(SoundStatus(0), 0);
    FreeSound(0); // no pass can have read it: it goes at once
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);
    EndSound();
    EXPECT_EQ(OutputLog, "OSsSsSsSC"); // closed without a second stop
}

// A buffer that a stopped channel was reading waits for one completed pass; others go at once.
TEST_F(MixerTest, FreedBuffersWaitForTheAudioThread) {
    ASSERT_NE(CatchStereo(0, {1, 1}), 0);
    FreeSound(0);
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);
    for (int64_t n : {1, 2}) {
        ASSERT_NE(CatchStereo(n, {1, 1}), 0);
        ASSERT_EQ(PlaySound(n), 1);
    }
    StopSound(1);
    FreeSound(1);                         // the stop's pass may still be mixing it
    ASSERT_NE(CatchStereo(2, {3, 3}), 0); // replacing a playing sound stops it
    EXPECT_EQ(SoundStatus(2), 0);
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 2);
    Render(4);
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);
    ASSERT_EQ(PlaySound(2), 1);
    EXPECT_EQ(Render(8), Samples({3, 3, 0, 0})); // plays to its end
    FreeSound(2);
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);
}

} // namespace
