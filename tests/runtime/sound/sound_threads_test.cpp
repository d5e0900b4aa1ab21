// SDL's audio thread through its disk driver calling back without delay: the capture file,
// commands racing the callback, and the watcher closing and Play reopening the device. A target
// of its own, so that a ThreadSanitizer build runs it.
#include "runtime/sound/sound_internal.h"
#include "runtime/sound/sound_sdl.h"
#include "sound_fixture.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <unistd.h>

namespace {

class SdlTest : public SoundTest {
protected:
    void SetUp() override { Open("/dev/null"); }
    void TearDown() override {
        SoundTest::TearDown();
        EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);
    }
    static void Open(const char* file) {
        EndSound();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file, 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
        SetSoundPlatform(SdlSoundPlatform());
        ASSERT_NE(InitSound(), nullptr);
    }
};

TEST_F(SdlTest, DiskDriverCapturesTheConvertedSamplesInsideSilence) {
    const std::filesystem::path capture = std::filesystem::temp_directory_path() /
                                          ("mv_sound_capture_" + std::to_string(getpid()) + ".raw");
    Open(capture.c_str());
    Samples data, expected; // each mono 22050 Hz sample becomes two frames of (s, s)
    for (int i = 0; i < 700; ++i) {
        data.push_back(static_cast<int16_t>((i % 2 == 0 ? 1 : -1) * (100 + i * 37)));
        expected.insert(expected.end(), 4, data.back());
    }
    const Bytes image = MakeWav(1, 22050, 16, S16(data));
    ASSERT_NE(CatchSound(0, image.data(), Size(image)), 0);
    ASSERT_EQ(PlaySound(0), 1);
    for (int ms = 0; ms < 20000 && SoundStatus(0) != 0; ++ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EndSound();
    std::ifstream file(capture, std::ios::binary);
    const Bytes stream(std::istreambuf_iterator<char>(file), {});
    std::filesystem::remove(capture);
    const int64_t start =
        std::find_if(stream.begin(), stream.end(), [](uint8_t b) { return b != 0; }) -
        stream.begin();
    const int64_t end = start + 4 * Size(S16(data));
    ASSERT_LE(end, Size(stream));
    EXPECT_EQ(start % (512 * SoundFrameBytes), 0); // where a device buffer begins
    EXPECT_EQ(ToSamples(stream.data() + start, end - start), expected);
    EXPECT_EQ(std::count(stream.begin() + end, stream.end(), 0), Size(stream) - end);
}

// Long sounds (about 200 callbacks each) stopped or replaced while the callback mixes them:
// its write-back of the remaining count must never revive a stopped channel, and no buffer
// may be released while the callback can still read it.
TEST_F(SdlTest, StopsAndReplacementsRaceTheCallbackSafely) {
    const Bytes image = MakeWav(2, 44100, 16, Bytes(400000, 3)); // copied, not resampled
    for (int64_t n = 0; n < 16; ++n) {
        ASSERT_NE(CatchSound(n, image.data(), Size(image)), 0);
    }
    for (int round = 0; round < 300; ++round) {
        for (int64_t n = 0; n < 16; ++n) {
            ASSERT_EQ(PlaySound(n), 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(50 + round % 7 * 30));
        ASSERT_NE(CatchSound(round % 16, image.data()), 0); // replaces a playing sound
        for (int64_t n = 0; n < 16; ++n) {
            StopSound(round % 2 == 0 ? AllObjects : n);
        }
        for (int check = 0; check < 32; ++check) {
            ASSERT_EQ(SoundStatus(check % 16), 0) << "round " << round << " sound " << check % 16;
            std::this_thread::sleep_for(std::chrono::microseconds(10));
        }
    }
}

// The watcher closes the device once a sound has ended, and each Play opens it again in time
// to play its sound to the end; the end (in TearDown) finds the output resting or running.
TEST_F(SdlTest, TheWatcherRestsTheDeviceBetweenSounds) {
    const auto waitFor = [](auto done) {
        for (int ms = 0; ms < 20000 && !done(); ++ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    };
    const Bytes image = MakeWav(2, 44100, 16, Bytes(40000, 3)); // 10,000 frames
    ASSERT_NE(CatchSound(0, image.data(), Size(image)), 0);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(waitFor(SoundOutputRests)) << round;
        ASSERT_EQ(PlaySound(0), 1);
        EXPECT_FALSE(SoundOutputRests());
        ASSERT_TRUE(waitFor([] { return SoundStatus(0) == 0; })) << round;
    }
    ASSERT_EQ(PlaySound(0), 1);
}

} // namespace
