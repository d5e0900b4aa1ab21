// CPU time of the program's window that nobody touches, over 10 s of WaitWindowEvent, every
// thread counted: the program's own start-up (its SDL audio output included), the main
// window, a package built here decoded into the list, and its first sample played to the end
// before the measurement. Also the time from the Play command to the first frames that the
// audio callback mixes, for a Play after a long idle stretch and for a replay. Run it
// headless (QT_QPA_PLATFORM=offscreen) or under a display; SDL_AUDIODRIVER chooses the
// output (dummy when not set: it calls back at the device's pace without a card).
#include "app/decode/adpcm_encode.h"
#include "app/decode/package_reader.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "bench/bench_sound.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/gadgets/gadgets.h"
#include "runtime/gui/windows/windows.h"
#include "runtime/sound/sound.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct ThreadTimes {
    std::string name;
    int64_t ticks = 0; // utime + stime of /proc/self/task/*/stat, in clock ticks
    int64_t ns = 0;    // time on a CPU from .../schedstat, in ns
};

// Every thread of the process by id, with its CPU time so far.
std::map<int64_t, ThreadTimes> ReadThreadTimes() {
    std::map<int64_t, ThreadTimes> threads;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream statFile(task.path() / "stat");
        const std::string stat((std::istreambuf_iterator<char>(statFile)), {});
        const size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        ThreadTimes& t = threads[std::stoll(task.path().filename())];
        t.name = stat.substr(open + 1, close - open - 1);
        std::istringstream fields(stat.substr(close + 2)); // from field 3, the state
        std::string field;
        for (int i = 3; i <= 15 && fields >> field; i++)
            if (i >= 14) // utime, stime
                t.ticks += std::stoll(field);
        std::ifstream(task.path() / "schedstat") >> t.ns;
    }
    return threads;
}

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Lets the window run for ms milliseconds, as the program's loop waits for events.
void Pump(int64_t ms) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    for (Clock::time_point now; (now = Clock::now()) < end;)
        WaitWindowEvent(static_cast<int32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1));
}

// A package of two records of the benchmark tone at 22050 Hz, 0.5 s and 0.25 s, written
// by the project's encoder into a file of its own; its path.
std::string WritePackage() {
    std::vector<uint8_t> package;
    for (int64_t count : {11025, 5513}) {
        const std::vector<int16_t> samples = BenchSound(count);
        AppendPackageRecord(package, 22050, samples.data(), count);
    }
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("mv_bench_idle_" + std::to_string(getpid()) + ".sel"))
                                 .string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(package.data()),
               static_cast<std::streamsize>(package.size()));
    return path;
}

// The window's decode of the package at path, as its Decode button ends up doing.
void DecodeIntoWindow(const std::string& path) {
    char16_t* name = Utf8ToNew(path.c_str());
    StringAssign(&PackageFile, name);
    MemFree(name);
    ClearGadgetItems(SampleListGadget);
    DecodePackage();
    ResetList(Samples.list);
    while (NextElement(Samples.list))
        AddGadgetItem(SampleListGadget, static_cast<int32_t>(ListIndex(Samples.list)),
                      CurrentSample()->Name);
    SetGadgetState(SampleListGadget, 0);
    UpdateControls();
}

// Milliseconds from the Play command to the first frames mixed by the audio callback
// (the tone is not silent from its first frames on), or -1 after a second without any.
double PlayLatencyMs() {
    const Clock::time_point start = Clock::now();
    PlaySample();
    while (SoundPosition(0) == 0) {
        if (Clock::now() - start > std::chrono::seconds(1))
            return -1;
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void PlayToTheEnd() {
    PlaySample();
    while (SoundStatus(0) != 0)
        WaitWindowEvent(10);
}

// Median and largest of the latencies of five Plays, each after the given idle time.
void MeasurePlays(benchmark::State& state, const char* name, int64_t idleMs) {
    std::vector<double> ms;
    for (int i = 0; i < 5; i++) {
        Pump(idleMs);
        ms.push_back(PlayLatencyMs());
        PlayToTheEnd();
    }
    std::sort(ms.begin(), ms.end());
    state.counters[std::string(name) + "_median_ms"] = ms[2];
    state.counters[std::string(name) + "_max_ms"] = ms.back();
}

// What each thread used between the two readings; the main thread's figure includes the
// readings themselves (about 0.3 ms), which cpu_10s_ms leaves out.
void PrintThreads(const std::map<int64_t, ThreadTimes>& before,
                  const std::map<int64_t, ThreadTimes>& after) {
    const double tickMs = 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::printf("%-8s %-16s %12s %12s\n", "thread", "name", "stat_ms", "schedstat_ms");
    for (const auto& [id, t] : after) {
        const auto old = before.find(id);
        const ThreadTimes zero{};
        const ThreadTimes& b = old != before.end() ? old->second : zero;
        std::printf("%-8lld %-16s %12.1f %12.3f\n", static_cast<long long>(id), t.name.c_str(),
                    static_cast<double>(t.ticks - b.ticks) * tickMs,
                    static_cast<double>(t.ns - b.ns) / 1e6);
    }
}

void BM_IdleWindow(benchmark::State& state) {
    RunStartup();
    OpenMainWindow();
    state.counters["sound"] = InitSound() != nullptr ? 1 : 0; // the program's output is open
    Pump(500);                                                // the first paint and activation
    const std::string path = WritePackage();
    DecodeIntoWindow(path);
    std::filesystem::remove(path);
    // A Play after a long idle stretch, and a replay just after the last sound ended.
    MeasurePlays(state, "play_idle", 2000);
    MeasurePlays(state, "play_again", 0);
    PlayToTheEnd();
    const double settleStart = ProcessCpuMs();
    Pump(1000);
    state.counters["settle_1s_cpu_ms"] = ProcessCpuMs() - settleStart;
    int64_t returns = 0;
    for (auto _ : state) {
        const std::map<int64_t, ThreadTimes> before = ReadThreadTimes();
        const double cpuStart = ProcessCpuMs();
        const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
        for (Clock::time_point now; (now = Clock::now()) < end; returns++)
            WaitWindowEvent(static_cast<int32_t>(
                std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1));
        state.counters["cpu_10s_ms"] = ProcessCpuMs() - cpuStart;
        PrintThreads(before, ReadThreadTimes());
    }
    state.counters["returns"] = static_cast<double>(returns);
    CloseWindow(AllObjects);
    RunShutdown();
}
BENCHMARK(BM_IdleWindow)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::printf("SDL_AUDIODRIVER=%s\n", std::getenv("SDL_AUDIODRIVER"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
