// Start and end of the sound library, and the life of sound objects in their registry.
#include "sound_fixture.h"

namespace {

class SoundLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeOutput::Reset();
        SetSoundPlatform(FakeOutput::Platform());
    }
    void TearDown() override {
        EndSound();
        SetSoundPlatform(nullptr);
    }
};

TEST_F(SoundLifecycleTest, InitTwiceOpensOnceAndReturnsTheSameRegistry) {
    ObjectRegistry* first = InitSound();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(InitSound(), first);
    EXPECT_EQ(FakeOutput::opens, 1);
    EXPECT_EQ(FakeOutput::starts, 1);
}

TEST_F(SoundLifecycleTest, EndStopsThenClosesTheOutputOnce) {
    ASSERT_NE(InitSound(), nullptr);
    EndSound();
    EndSound();
    EXPECT_EQ(FakeOutput::stops, 1);
    EXPECT_EQ(FakeOutput::closes, 1);
}

// Without an output every command does nothing and returns 0.
void ExpectSilentLibrary() {
    const Bytes image = MakeWav({}, Samples16({1, 2}));
    EXPECT_EQ(CatchSound(0, image.data(), static_cast<int64_t>(image.size())), 0);
    EXPECT_EQ(IsSound(0), 0);
    EXPECT_EQ(PlaySound(0), 0);
    EXPECT_EQ(SoundStatus(0), 0);
    EXPECT_EQ(SoundPosition(0), 0);
    EXPECT_EQ(SoundLength(0), 0);
    StopSound(0);
    StopSound(AllObjects);
    FreeSound(0);
    FreeSound(AllObjects);
}

TEST_F(SoundLifecycleTest, BeforeInitOrWithoutPlatformCommandsDoNothing) {
    ExpectSilentLibrary();
    EXPECT_EQ(FakeOutput::opens, 0);
    SetSoundPlatform(nullptr);
    EXPECT_EQ(InitSound(), nullptr);
    ExpectSilentLibrary();
}

TEST_F(SoundLifecycleTest, FailedOpenLeavesTheLibraryUninitialised) {
    FakeOutput::failOpen = true;
    EXPECT_EQ(InitSound(), nullptr);
    ExpectSilentLibrary();
    EndSound();
    EXPECT_EQ(FakeOutput::closes, 0);
}

TEST_F(SoundLifecycleTest, FailedStartClosesWhatWasOpened) {
    FakeOutput::failStart = true;
    EXPECT_EQ(InitSound(), nullptr);
    EXPECT_EQ(FakeOutput::closes, 1);
    ExpectSilentLibrary();
    FakeOutput::failStart = false;
    EXPECT_NE(InitSound(), nullptr);
}

TEST_F(SoundLifecycleTest, EndFreesEverySoundEvenWhilePlaying) {
    ASSERT_NE(InitSound(), nullptr);
    const Bytes image = MakeWav({}, Samples16({1, 2}));
    ASSERT_NE(CatchSound(0, image.data()), 0);
    ASSERT_EQ(PlaySound(0), 1);
    ASSERT_NE(CatchSound(AnyNumber, image.data()), 0);
    EndSound();
    EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);
    ASSERT_NE(InitSound(), nullptr);
    EXPECT_EQ(IsSound(0), 0);
    EXPECT_EQ(SoundStatus(0), 0);
    Bytes buffer(64, 0xFF);
    RenderAudio(nullptr, buffer.data(), 64);
    EXPECT_EQ(buffer, Bytes(64, 0));
}

using SoundObjectTest = SoundTest;

TEST_F(SoundObjectTest, AnyNumberGivesADynamicIdThatFreeSoundReleases) {
    const int64_t id = CatchStereo(AnyNumber, {1, 2});
    ASSERT_NE(id, 0);
    EXPECT_EQ(IsSound(id), id);
    EXPECT_EQ(SoundLength(id), 1);
    ASSERT_EQ(PlaySound(id), 1);
    EXPECT_EQ(SoundStatus(id), 1);
    FreeSound(id);
    EXPECT_EQ(IsSound(id), 0);
    EXPECT_EQ(SoundStatus(id), 0);
}

TEST_F(SoundObjectTest, FreeSoundOfAllFreesNumberedAndDynamicSounds) {
    ASSERT_NE(CatchStereo(0, {1, 2}), 0);
    ASSERT_NE(CatchStereo(5, {1, 2}), 0);
    const int64_t id = CatchStereo(AnyNumber, {1, 2});
    FreeSound(AllObjects);
    EXPECT_EQ(IsSound(0), 0);
    EXPECT_EQ(IsSound(5), 0);
    EXPECT_EQ(IsSound(id), 0);
}

TEST_F(SoundObjectTest, CatchingUnderANumberInUseReplacesTheSound) {
    ASSERT_NE(CatchStereo(3, {1, 2}), 0);
    const int64_t second = CatchStereo(3, {7, 8, 9, 10});
    ASSERT_NE(second, 0);
    EXPECT_EQ(IsSound(3), second);
    EXPECT_EQ(ToSamples(Record(3)->Data, Record(3)->Size), (std::vector<int>{7, 8, 9, 10}));
}

TEST_F(SoundObjectTest, FreeingAnUnknownNumberDoesNothing) {
    ASSERT_NE(CatchStereo(0, {1, 2}), 0);
    FreeSound(1);
    FreeSound(1000);
    FreeSound(-12345);
    EXPECT_NE(IsSound(0), 0);
}

} // namespace
