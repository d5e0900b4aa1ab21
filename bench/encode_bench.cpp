// The program of bench/encode_compare.sh: encodes sounds into one-record packages and
// reports round-trip quality and encode time against ffmpeg's encoder.
//   mv_bench_encode encode greedy|search RATE IN.raw OUT.sel
//       one record of the 16-bit little-endian mono samples of IN.raw, at RATE Hz
//   mv_bench_encode cpu COMMAND [ARG...]
//       runs COMMAND (its output to /dev/null) and prints the CPU seconds (user + system)
//       it took; fails when it fails
//   mv_bench_encode report DIR
//       DIR/sources lists one source a line: NAME RATE GREEDY-CPU SEARCH-CPU FFMPEG-CPU
//       (- when ffmpeg is missing); DIR holds NAME.raw, NAME.greedy.sel, NAME.search.sel
//       and NAME.ffmpeg.raw. Prints the table and whether each goal holds.
#include "app/decode/adpcm_encode.h"
#include "runtime/core/memory/memory.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<uint8_t> bytes(in ? static_cast<size_t>(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::vector<int16_t> ReadSamples(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); i++)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

// The samples of a one-record package, through the decoder's kernel.
std::vector<int16_t> DecodeRecord(const std::vector<uint8_t>& package) {
    std::vector<int16_t> samples;
    AdpcmState state;
    for (size_t at = 8; at + 8 <= package.size();) {
        const size_t count =
            std::min<size_t>(package[at] | package[at + 1] << 8, package.size() - at - 8);
        std::vector<uint8_t> pcm(4 * count);
        DecodeAdpcmBytes(state, package.data() + at + 8, static_cast<int64_t>(count), pcm.data());
        for (size_t i = 0; i < pcm.size(); i += 2)
            samples.push_back(static_cast<int16_t>(pcm[i] | pcm[i + 1] << 8));
        at += 8 + count;
    }
    return samples;
}

// Signal-to-noise ratio in dB of decoded against source, over the source's length (decoded
// samples missing count as silence).
double Snr(const std::vector<int16_t>& source, const std::vector<int16_t>& decoded) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < source.size(); i++) {
        const double x = source[i], y = i < decoded.size() ? decoded[i] : 0;
        signal += x * x;
        noise += (x - y) * (x - y);
    }
    return noise > 0 ? 10 * std::log10(signal / noise) : INFINITY;
}

int Encode(const std::string& encoder, const std::string& rate, const std::string& in,
           const std::string& out) {
    const std::vector<int16_t> samples = ReadSamples(in);
    std::vector<uint8_t> package;
    const AdpcmEncoder which = encoder == "search" ? AdpcmEncoder::Search : AdpcmEncoder::Greedy;
    if (!AppendPackageRecord(package, static_cast<uint16_t>(std::stoi(rate)), samples.data(),
                             static_cast<int64_t>(samples.size()), which))
        return 1;
    std::ofstream file(out, std::ios::binary);
    file.write(reinterpret_cast<const char*>(package.data()),
               static_cast<std::streamsize>(package.size()));
    return file.good() ? 0 : 1;
}

int MeasureCpu(char** command) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execvp(command[0], command);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) < 0)
        return 1;
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    std::printf("%.3f\n", seconds(usage.ru_utime) + seconds(usage.ru_stime));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Source {
    std::string name;
    int rate = 0;
    double greedyCpu = 0, searchCpu = 0, ffmpegCpu = -1;
    double greedy = 0, search = 0, ffmpeg = NAN;
    int64_t samples = 0;
    bool scoredExactly = false; // the search's own score is the decoded record's error
};

// Scores one source from its files; times the search once more in this process.
Source Score(const std::string& dir, std::istringstream& line, double& searchSeconds) {
    Source s;
    std::string ffmpegCpu;
    line >> s.name >> s.rate >> s.greedyCpu >> s.searchCpu >> ffmpegCpu;
    const std::string base = dir + "/" + s.name;
    const std::vector<int16_t> source = ReadSamples(base + ".raw");
    const std::vector<int16_t> search = DecodeRecord(ReadBytes(base + ".search.sel"));
    s.samples = static_cast<int64_t>(source.size());
    s.greedy = Snr(source, DecodeRecord(ReadBytes(base + ".greedy.sel")));
    s.search = Snr(source, search);
    if (ffmpegCpu != "-") {
        s.ffmpegCpu = std::stod(ffmpegCpu);
        s.ffmpeg = Snr(source, ReadSamples(base + ".ffmpeg.raw"));
    }
    std::vector<uint8_t> codes(static_cast<size_t>(s.samples + 1) / 2);
    uint64_t scored = 0;
    const double start = ProcessCpuSeconds();
    AdpcmSearchEncode(source.data(), s.samples, codes.data(), scored);
    searchSeconds += ProcessCpuSeconds() - start;
    uint64_t error = 0;
    for (int64_t i = 0; i < s.samples; i++) {
        const int64_t d = source[i] - (i < static_cast<int64_t>(search.size()) ? search[i] : 0);
        error += static_cast<uint64_t>(d * d);
    }
    s.scoredExactly = error == scored;
    return s;
}

// A value of ffmpeg's columns, or - without ffmpeg.
std::string Column(double value, const char* format, bool present) {
    char text[32] = "-";
    if (present)
        std::snprintf(text, sizeof text, format, value);
    return text;
}

void PrintRow(const Source& s) {
    const bool ffmpeg = s.ffmpegCpu >= 0;
    std::printf("%-16s %6d %7.2f %7.2f %7.2f %9s %8s %8.3f %9s%s\n", s.name.c_str(), s.rate,
                static_cast<double>(s.samples) / s.rate, s.greedy, s.search,
                Column(s.ffmpeg, "%.2f", ffmpeg).c_str(),
                Column(s.search - s.ffmpeg, "%+.2f", ffmpeg).c_str(), s.searchCpu,
                Column(s.ffmpegCpu, "%.3f", ffmpeg).c_str(), s.scoredExactly ? "" : "  (!)");
}

void PrintSummary(const std::vector<Source>& sources, double searchSeconds) {
    double greedy = 0, search = 0, ffmpeg = 0, greedyCpu = 0, searchCpu = 0, ffmpegCpu = 0;
    double leastGain = INFINITY;
    int64_t samples = 0;
    bool exact = true, withFfmpeg = true;
    for (const Source& s : sources) {
        greedy += s.greedy, search += s.search, ffmpeg += s.ffmpeg;
        greedyCpu += s.greedyCpu, searchCpu += s.searchCpu, ffmpegCpu += s.ffmpegCpu;
        leastGain = std::min(leastGain, s.search - s.greedy);
        samples += s.samples;
        exact = exact && s.scoredExactly;
        withFfmpeg = withFfmpeg && s.ffmpegCpu >= 0;
    }
    const double n = static_cast<double>(sources.size()), count = static_cast<double>(samples);
    std::printf("%-16s %6s %7s %7.2f %7.2f %9s %8s %8.3f %9s\n", "mean / total", "", "", greedy / n,
                search / n, Column(ffmpeg / n, "%.2f", withFfmpeg).c_str(),
                Column((search - ffmpeg) / n, "%+.2f", withFfmpeg).c_str(), searchCpu,
                Column(ffmpegCpu, "%.3f", withFfmpeg).c_str());
    std::printf("\n%zu sources, %lld samples; encode CPU seconds, whole processes: greedy %.3f, "
                "search %.3f, ffmpeg -trellis 8 %s\n",
                sources.size(), static_cast<long long>(samples), greedyCpu, searchCpu,
                Column(ffmpegCpu, "%.3f", withFfmpeg).c_str());
    std::printf("search speed on one core: %.2f M samples/s whole processes, %.2f M samples/s "
                "in-process; greedy %.1f M samples/s whole processes\n",
                count / searchCpu / 1e6, count / searchSeconds / 1e6, count / greedyCpu / 1e6);
    std::printf("search never below greedy: %s (least gain %+.2f dB); its scores are the "
                "decoded errors: %s\n",
                leastGain >= 0 ? "yes" : "NO", leastGain, exact ? "yes" : "NO");
    if (withFfmpeg)
        std::printf("mean SNR at least ffmpeg -trellis 8's: %s (%+.2f dB); CPU at most a tenth "
                    "of its: %s (1/%.1f)\n",
                    search >= ffmpeg ? "yes" : "NO", (search - ffmpeg) / n,
                    searchCpu * 10 <= ffmpegCpu ? "yes" : "NO", ffmpegCpu / searchCpu);
}

int Report(const std::string& dir) {
    std::ifstream list(dir + "/sources");
    std::vector<Source> sources;
    double searchSeconds = 0;
    std::printf("Round-trip SNR (dB) and encode CPU (s, whole process, one core)\n");
    std::printf("%-16s %6s %7s %7s %7s %9s %8s %8s %9s\n", "source", "rate", "seconds", "greedy",
                "search", "ffmpeg-t8", "s-ffmpeg", "search-s", "ffmpeg-s");
    for (std::string text; std::getline(list, text);) {
        std::istringstream line(text);
        sources.push_back(Score(dir, line, searchSeconds));
        PrintRow(sources.back());
    }
    if (sources.empty())
        return 1;
    PrintSummary(sources, searchSeconds);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    InitArrays();
    InitDecoderTables();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "encode" && argc == 6)
        return Encode(argv[2], argv[3], argv[4], argv[5]);
    if (mode == "cpu" && argc > 2)
        return MeasureCpu(argv + 2);
    if (mode == "report" && argc == 3)
        return Report(argv[2]);
    std::fprintf(stderr, "usage: mv_bench_encode encode greedy|search RATE IN.raw OUT.sel\n"
                         "       mv_bench_encode cpu COMMAND [ARG...]\n"
                         "       mv_bench_encode report DIR\n");
    return 2;
}
