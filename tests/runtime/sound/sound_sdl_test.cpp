// The SDL output end to end: the disk driver captures exactly what the callback renders,
// and a driver that cannot open leaves the library silent.
#include "sound_fixture.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <unistd.h>

namespace {

// Bytes per device buffer: 512 frames of 4 bytes.
constexpr int64_t DeviceBufferBytes = 512 * 4;

class SdlOutputTest : public ::testing::Test {
protected:
    void SetUp() override { SetSoundPlatform(SdlSoundPlatform()); }
    void TearDown() override {
        EndSound();
        SetSoundPlatform(nullptr);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    // Waits until sound number has finished playing; false after timeout.
    static bool WaitForEnd(int64_t number, std::chrono::seconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (SoundStatus(number) != 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
};

// A mono 22050 Hz sound of count samples, none of them zero.
Bytes TestSamples(int count) {
    Bytes data(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        const int value = (i % 2 == 0 ? 1 : -1) * (100 + i * 37);
        PutU16(data, static_cast<size_t>(2 * i), static_cast<uint32_t>(value) & 0xFFFF);
    }
    return data;
}

TEST_F(SdlOutputTest, DiskDriverCapturesTheConvertedSamplesInsideSilence) {
    const std::filesystem::path capture = std::filesystem::temp_directory_path() /
                                          ("mv_sound_capture_" + std::to_string(getpid()) + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    ASSERT_NE(InitSound(), nullptr);

    const Bytes data = TestSamples(700);
    const Bytes image = MakeWav({1, 22050, 16, {}}, data);
    ASSERT_NE(CatchSound(0, image.data(), static_cast<int64_t>(image.size())), 0);
    // Each input sample becomes two frames of (s, s).
    std::vector<int> expected;
    for (int s : ToSamples(data.data(), static_cast<int64_t>(data.size()))) {
        expected.insert(expected.end(), {s, s, s, s});
    }
    ASSERT_EQ(PlaySound(0), 1);
    ASSERT_TRUE(WaitForEnd(0, std::chrono::seconds(20)));
    EndSound();

    std::ifstream file(capture, std::ios::binary);
    const Bytes stream((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();
    std::filesystem::remove(capture);

    size_t start = 0;
    while (start < stream.size() && stream[start] == 0) {
        ++start;
    }
    const size_t length = expected.size() * 2;
    ASSERT_LE(start + length, stream.size());
    EXPECT_EQ(start % DeviceBufferBytes, 0u);
    EXPECT_EQ(ToSamples(stream.data() + start, static_cast<int64_t>(length)), expected);
    EXPECT_TRUE(std::all_of(stream.begin() + static_cast<ptrdiff_t>(start + length), stream.end(),
                            [](uint8_t b) { return b == 0; }));
}

TEST_F(SdlOutputTest, AnOutputThatCannotOpenLeavesEveryCommandSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(InitSound(), nullptr);
    const Bytes image = MakeWav({}, TestSamples(4));
    EXPECT_EQ(CatchSound(0, image.data(), static_cast<int64_t>(image.size())), 0);
    EXPECT_EQ(PlaySound(0), 0);
    StopSound(0);
    EndSound();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

} // namespace
