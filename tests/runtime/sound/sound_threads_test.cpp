// The main thread plays, stops, replaces and frees sounds while the real callback runs
// on SDL's audio thread. The disk driver writing to the null device with no delay calls
// back as fast as it can, which keeps the two threads meeting all the time. Built on its
// own so that a ThreadSanitizer build can run just this.
#include "sound_fixture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

class SoundThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
        SetSoundPlatform(SdlSoundPlatform());
        ASSERT_NE(InitSound(), nullptr);
    }
    void TearDown() override {
        EndSound();
        SetSoundPlatform(nullptr);
        EXPECT_EQ(SoundBuffersAwaitingRelease(), 0);
    }
};

// A mono 22050 Hz image of count samples (4 output bytes per input byte).
Bytes Image(int count, int value) {
    Bytes data(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        PutU16(data, static_cast<size_t>(2 * i), static_cast<uint32_t>(value + i) & 0xFFFF);
    }
    return MakeWav({1, 22050, 16, {}}, data);
}

int64_t Catch(int64_t number, const Bytes& image) {
    return CatchSound(number, image.data(), static_cast<int64_t>(image.size()));
}

// Small deterministic generator, so that a failure repeats.
struct Lcg {
    uint64_t state = 12345;
    uint64_t Next(uint64_t bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (state >> 33) % bound;
    }
};

TEST_F(SoundThreadsTest, MainThreadCommandsRaceTheCallbackSafely) {
    const Bytes images[] = {Image(64, 1), Image(700, 2), Image(5000, 3)};
    constexpr int64_t Numbers = 8;
    Lcg random;
    for (int step = 0; step < 4000; ++step) {
        const auto number = static_cast<int64_t>(random.Next(Numbers));
        switch (random.Next(7)) {
        case 0:
        case 1:
            Catch(number, images[random.Next(3)]);
            break;
        case 2:
        case 3:
            PlaySound(number);
            break;
        case 4:
            StopSound(random.Next(4) == 0 ? AllObjects : number);
            break;
        case 5:
            FreeSound(random.Next(8) == 0 ? AllObjects : number);
            break;
        default: {
            const int64_t id = Catch(AnyNumber, images[random.Next(3)]);
            ASSERT_NE(id, 0);
            ASSERT_EQ(PlaySound(id), 1);
            SoundPosition(id);
            FreeSound(id);
            ASSERT_EQ(SoundStatus(id), 0);
        }
        }
        if (step % 64 == 0) {
            std::this_thread::yield();
        }
    }
    FreeSound(AllObjects);
    for (int64_t n = 0; n < Numbers; ++n) {
        EXPECT_EQ(SoundStatus(n), 0);
    }
}

// The callback's write-back of the remaining count must never revive a stopped channel:
// sounds long enough to play on for thousands of callbacks, stopped while the callback is
// busy mixing them, must read as stopped from then on.
TEST_F(SoundThreadsTest, AStopIsNeverUndoneByTheCallback) {
    const Bytes image = Image(100000, 7); // 400000 bytes: about 200 callbacks
    constexpr int64_t Sounds = 16;
    for (int64_t n = 0; n < Sounds; ++n) {
        ASSERT_NE(Catch(n, image), 0);
    }
    for (int round = 0; round < 300; ++round) {
        for (int64_t n = 0; n < Sounds; ++n) {
            ASSERT_EQ(PlaySound(n), 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(50 + round % 7 * 30));
        if (round % 2 == 0) {
            StopSound(AllObjects);
        } else {
            for (int64_t n = 0; n < Sounds; ++n) {
                StopSound(n);
            }
        }
        for (int check = 0; check < 20; ++check) {
            for (int64_t n = 0; n < Sounds; ++n) {
                ASSERT_EQ(SoundStatus(n), 0) << "round " << round << " sound " << n;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    }
}

} // namespace
