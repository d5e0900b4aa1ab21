// Soak run of the sound library and the package reader in one process, for memory that
// stays behind: 10,000 Play/Stop cycles of a short sample through the audio output, then
// 100 decodes of a package made with the encoder. Prints the resident memory (VmRSS, KiB)
// at the start, after the sound cycles and at the end, and the growth, which should stay
// under 1 MiB once the allocator has given back what it holds free. A plain program, run by
// hand from a Release build:
//   cmake --build build-release --target mv_bench_soak && build-release/bench/mv_bench_soak
// Exit status 0 when that growth is under the goal, 1 when not or when a step failed.
#include "app/decode/adpcm_encode.h"
#include "app/decode/package_reader.h"
#include "app/decode/wav_image.h"
#include "bench/bench_sound.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_sdl.h"
#include "tools/tool_startup.h"

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int SoundCycles = 10000;
constexpr int PackageDecodes = 100;
// The sample played: 0.1 s at 22050 Hz, 17 KiB of output, longer than one render pass.
constexpr int64_t SampleRate = 22050;
constexpr int64_t SampleCount = 2205;
// The package: 16 records of 256 Ki code bytes, 4 MiB of codes and 16 MiB of images,
// enough to decode on every core.
constexpr int64_t PackageRecords = 16;
constexpr int64_t RecordCodeBytes = 256 << 10;
constexpr int64_t GrowthGoalKiB = 1024;

// VmRSS of this process in KiB, or -1.
int64_t ResidentKiB() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    int64_t kib = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmRSS:", 6) == 0)
            kib = std::strtoll(line + 6, nullptr, 10);
    }
    std::fclose(status);
    return kib;
}

// A mono 16-bit WAV image of the benchmark sound.
std::vector<uint8_t> SampleImage() {
    const std::vector<int16_t> sound = BenchSound(SampleCount);
    const int64_t dataSize = 2 * SampleCount;
    std::vector<uint8_t> image(static_cast<size_t>(WavHeaderSize + dataSize));
    WriteWavHeader(image.data(), SampleRate, static_cast<int32_t>(dataSize));
    std::memcpy(image.data() + WavHeaderSize, sound.data(), static_cast<size_t>(dataSize));
    return image;
}

// Waits until the render callback has mixed part of sound 0 (or played it to its end);
// false after a second without.
bool AwaitMixing() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (SoundPosition(0) == 0 && SoundStatus(0) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    return true;
}

// Catch, play, stop and free sound 0 SoundCycles times; false when a step failed.
bool RunSoundCycles() {
    const std::vector<uint8_t> image = SampleImage();
    for (int cycle = 0; cycle < SoundCycles; cycle++) {
        if (!CatchSound(0, image.data(), static_cast<int64_t>(image.size())) || !PlaySound(0)) {
            std::fprintf(stderr, "cycle %d: the sample could not be played\n", cycle);
            return false;
        }
        if (!AwaitMixing()) {
            std::fprintf(stderr, "cycle %d: the render callback does not run\n", cycle);
            return false;
        }
        StopSound(0);
        FreeSound(0);
    }
    return true;
}

// Writes the package to a temporary file; its path, or empty.
std::string WritePackage() {
    const std::vector<int16_t> sound = BenchSound(2 * RecordCodeBytes);
    std::vector<uint8_t> package;
    for (int64_t r = 0; r < PackageRecords; r++) {
        if (!AppendPackageRecord(package, 22050, sound.data(), 2 * RecordCodeBytes))
            return {};
    }
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/mv-soak-XXXXXX.mus";
    const int fd = mkstemps(path.data(), 4);
    if (fd < 0)
        return {};
    const bool written =
        write(fd, package.data(), package.size()) == static_cast<ssize_t>(package.size());
    close(fd);
    if (!written) {
        unlink(path.c_str());
        return {};
    }
    return path;
}

// Decodes the package PackageDecodes times, as the window does (every image kept until the
// next decode), then frees the last samples, so that only what stays behind is measured;
// false when a decode came out wrong.
bool RunDecodes(const std::string& path) {
    char16_t* name = Utf8ToNew(path.c_str());
    StringAssign(&PackageFile, name);
    MemFree(name);
    for (int decode = 0; decode < PackageDecodes; decode++) {
        DecodePackage();
        if (ListSize(Samples.list) != PackageRecords) {
            std::fprintf(stderr, "decode %d: %lld records instead of %lld\n", decode,
                         static_cast<long long>(ListSize(Samples.list)),
                         static_cast<long long>(PackageRecords));
            return false;
        }
    }
    ClearSamples(Samples.list);
    return true;
}

// Opens the audio output on SDL's disk driver writing to /dev/null without delay, so that
// the render callback runs all the time.
bool OpenOutput() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    SetSoundPlatform(SdlSoundPlatform());
    return InitSound() != nullptr;
}

void PrintKiB(const std::string& what, int64_t kib) {
    std::printf("%-34s %8lld KiB\n", what.c_str(), static_cast<long long>(kib));
}

// The allocator keeps freed memory for later requests: after the first decode the images
// come from its heap, which it does not give back, and each decode reuses it (the same
// after 2 or 400 decodes). What it holds free is told apart from what stays in use by
// returning it to the system; the growth left then is what the goal is about. 0 when
// the allocator cannot tell.
int64_t ReturnFreeMemoryKiB() {
#if defined(__GLIBC__)
    const int64_t free = static_cast<int64_t>(mallinfo2().fordblks) / 1024;
    malloc_trim(0);
    return free;
#else
    return 0;
#endif
}

} // namespace

int main() {
    // The companion's runtime, and the window's sample list that DecodePackage fills.
    RunToolStartup();
    InitSamples();
    const std::string path = WritePackage();
    if (path.empty() || !OpenOutput()) {
        std::fprintf(stderr, "cannot write the package or open the audio output\n");
        return 1;
    }
    const int64_t start = ResidentKiB();
    PrintKiB("VmRSS at the start:", start);
    bool ok = RunSoundCycles();
    PrintKiB("after " + std::to_string(SoundCycles) + " sound cycles:", ResidentKiB());
    ok = ok && RunDecodes(path);
    unlink(path.c_str());
    const int64_t end = ResidentKiB();
    PrintKiB("after " + std::to_string(PackageDecodes) + " package decodes:", end);
    PrintKiB("growth:", end - start);
    PrintKiB("of which free in the allocator:", ReturnFreeMemoryKiB());
    const int64_t kept = ResidentKiB() - start;
    PrintKiB("growth once that is given back:", kept);
    std::printf("goal: growth under %lld KiB\n", static_cast<long long>(GrowthGoalKiB));
    EndSound();
    FreeSampleList(Samples.list);
    RunToolShutdown();
    return ok && kept < GrowthGoalKiB ? 0 : 1;
}
