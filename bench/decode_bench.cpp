// Throughput of sample package decoding: the decoder's per-sample loop over a long run of
// code bytes against the bare step-index chain on the same codes, and DecodePackage over
// a large package written by the encoder. They report samples per second (items).
#include "app/decode/adpcm.h"
#include "app/decode/adpcm_encode.h"
#include "app/decode/package_reader.h"
#include "bench/bench_sound.h"
#include "runtime/core/files/files.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"
#include "tools/tool_startup.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int64_t MiB = 1 << 20;
// Code bytes of the decoder run: 32 Mi samples.
constexpr int64_t LoopCodeBytes = 16 * MiB;
// Code bytes of the package, spread over records of the size the benchmark names.
constexpr int64_t PackageCodeBytes = 64 * MiB;

// Uniformly distributed code bytes, the same on every run.
std::vector<uint8_t> PseudoRandomBytes(int64_t count) {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    uint64_t x = 0x9E3779B97F4A7C15u;
    for (uint8_t& byte : bytes) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        byte = static_cast<uint8_t>(x >> 32);
    }
    return bytes;
}

// The bare step-index chain of the decoder on the same table and with the same
// addressing: one dependent load per code and nothing else, the bound of any decoder
// that follows one IMA stream. Out of line like the kernel, so that each loop is
// compiled alone; the empty asm keeps the compiler from folding the code's table base
// into the chain (as in the kernel).
__attribute__((noinline)) uint32_t StepIndexChain(const uint8_t* codes, int64_t byteCount) {
    const char* table = reinterpret_cast<const char*>(FusedStepTable);
    uint64_t row = 0;
    for (int64_t i = 0; i < byteCount; i++) {
        const uint32_t byte = codes[i];
        const char* low = table + sizeof(FusedStep) * (byte & 0x0F);
        const char* high = table + sizeof(FusedStep) * (byte >> 4);
        asm("" : "+r"(low));
        asm("" : "+r"(high));
        row = reinterpret_cast<const FusedStep*>(low + row)->next;
        row = reinterpret_cast<const FusedStep*>(high + row)->next;
    }
    return static_cast<uint32_t>(row);
}

const std::vector<uint8_t>& LoopCodes() {
    static const std::vector<uint8_t> codes = PseudoRandomBytes(LoopCodeBytes);
    return codes;
}

// Seconds of one kernel run over the loop codes.
double TimeKernel(std::vector<uint8_t>& pcm) {
    const auto start = std::chrono::steady_clock::now();
    AdpcmState decoder;
    DecodeAdpcmBytes(decoder, LoopCodes().data(), LoopCodeBytes, pcm.data());
    benchmark::DoNotOptimize(pcm.data());
    benchmark::ClobberMemory();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds of one chain run over the loop codes.
double TimeChain() {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(StepIndexChain(LoopCodes().data(), LoopCodeBytes));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_DecodeAdpcmBytes(benchmark::State& state) {
    std::vector<uint8_t> pcm(static_cast<size_t>(4 * LoopCodeBytes));
    for (auto _ : state)
        state.SetIterationTime(TimeKernel(pcm));
    state.SetItemsProcessed(state.iterations() * 2 * LoopCodeBytes);
    state.SetBytesProcessed(state.iterations() * LoopCodeBytes);
}
BENCHMARK(BM_DecodeAdpcmBytes)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_StepIndexChain(benchmark::State& state) {
    for (auto _ : state)
        state.SetIterationTime(TimeChain());
    state.SetItemsProcessed(state.iterations() * 2 * LoopCodeBytes);
}
BENCHMARK(BM_StepIndexChain)->Unit(benchmark::kMillisecond)->UseManualTime();

// Kernel and chain in turn on the same codes, so that a neighbour's load slows both
// alike; the counter kernel/chain is the kernel's speed over the chain's, best run of
// each (1.0: the kernel runs at the bound).
void BM_KernelOverChain(benchmark::State& state) {
    std::vector<uint8_t> pcm(static_cast<size_t>(4 * LoopCodeBytes));
    double bestKernel = 1e9;
    double bestChain = 1e9;
    for (auto _ : state) {
        const double chain = TimeChain();
        const double kernel = TimeKernel(pcm);
        bestChain = std::min(bestChain, chain);
        bestKernel = std::min(bestKernel, kernel);
        state.SetIterationTime(chain + kernel);
    }
    const double samples = 2.0 * LoopCodeBytes;
    state.counters["kernel_Msps"] = samples / bestKernel / 1e6;
    state.counters["chain_Msps"] = samples / bestChain / 1e6;
    state.counters["kernel/chain"] = bestChain / bestKernel;
}
BENCHMARK(BM_KernelOverChain)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

// A package of PackageCodeBytes code bytes in records of recordCodeBytes each, written once
// per record size to a temporary file that is removed at exit.
struct Package {
    std::string path;
    int64_t fileBytes = 0;
    int64_t samples = 0;
};

std::vector<std::string> TemporaryFiles;

void RemoveTemporaryFiles() {
    for (const std::string& path : TemporaryFiles)
        unlink(path.c_str());
}

const Package* MakePackage(int64_t recordCodeBytes) {
    static std::map<int64_t, Package> made;
    auto found = made.find(recordCodeBytes);
    if (found != made.end())
        return &found->second;

    const std::vector<int16_t> sound = BenchSound(2 * recordCodeBytes);
    std::vector<uint8_t> record;
    if (!AppendPackageRecord(record, 22050, sound.data(), 2 * recordCodeBytes))
        return nullptr;
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/mv-bench-XXXXXX.mus";
    const int fd = mkstemps(path.data(), 4);
    if (fd < 0)
        return nullptr;
    if (TemporaryFiles.empty())
        std::atexit(RemoveTemporaryFiles);
    TemporaryFiles.push_back(path);

    Package package{path, 0, 0};
    bool written = true;
    for (int64_t done = 0; done < PackageCodeBytes && written; done += recordCodeBytes) {
        const ssize_t n = write(fd, record.data(), record.size());
        written = n == static_cast<ssize_t>(record.size());
        package.fileBytes += static_cast<int64_t>(record.size());
        package.samples += 2 * recordCodeBytes;
    }
    close(fd);
    if (!written)
        return nullptr;
    return &made.emplace(recordCodeBytes, package).first->second;
}

// Argument: code bytes per record.
void BM_DecodePackage(benchmark::State& state) {
    const Package* package = MakePackage(state.range(0));
    if (!package) {
        state.SkipWithError("cannot write the temporary package");
        return;
    }
    char16_t* path = Utf8ToNew(package->path.c_str());
    StringAssign(&PackageFile, path);
    MemFree(path);
    for (auto _ : state) {
        DecodePackage();
        benchmark::DoNotOptimize(Samples.list);
    }
    if (ListSize(Samples.list) != PackageCodeBytes / state.range(0))
        state.SkipWithError("the package did not decode into one sample per record");
    state.SetItemsProcessed(state.iterations() * package->samples);
    state.SetBytesProcessed(state.iterations() * package->fileBytes);
    state.counters["records"] = static_cast<double>(ListSize(Samples.list));
}
BENCHMARK(BM_DecodePackage)
    ->Arg(64 * 1024)
    ->Arg(4 * MiB)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // The runtime the companion runs on (strings, arrays, lists, memory, files, the
    // decoder tables), and the window's sample list that DecodePackage fills.
    RunToolStartup();
    InitSamples();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
