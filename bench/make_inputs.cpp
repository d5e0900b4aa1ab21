// Writes the inputs of bench/compare.sh: the same 64 MiB of IMA ADPCM codes as
//   codes.mus  a sample package: records of 256 KiB of codes in blocks of 2048 bytes,
//   codes.ssi  the codes as one raw stream with the nibbles of each byte swapped (the
//              high nibble is decoded first there), and
//   codes.wav  an IMA ADPCM WAV file (format 0x11, mono, blocks of 2048 code bytes
//              behind the 4-byte state header each),
// so that each decoder turns the same codes into 128 Mi samples.
// Usage: mv_bench_inputs DIR
#include "app/decode/adpcm.h"
#include "app/decode/adpcm_encode.h"
#include "app/decode/package_reader.h"
#include "bench/bench_sound.h"
#include "tools/tool_startup.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int64_t CodeBytes = 64 << 20;
constexpr int64_t RecordCodeBytes = 256 << 10;
constexpr int64_t WavBlockCodeBytes = 2048;
constexpr uint16_t SampleRate = 22050;

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// The codes of the package's records, one record after the other, without the headers.
std::vector<uint8_t> PackageCodes(const std::vector<uint8_t>& package) {
    std::vector<uint8_t> codes;
    codes.reserve(CodeBytes);
    for (size_t p = 0; p < package.size();) {
        const uint32_t packed = package[p + 2] | package[p + 3] << 8 | package[p + 4] << 16 |
                                static_cast<uint32_t>(package[p + 5]) << 24;
        const size_t end = p + 8 + packed;
        for (p += 8; p < end;) {
            const size_t count = package[p] | package[p + 1] << 8;
            codes.insert(codes.end(), package.begin() + static_cast<std::ptrdiff_t>(p + 8),
                         package.begin() + static_cast<std::ptrdiff_t>(p + 8 + count));
            p += 8 + count;
        }
    }
    return codes;
}

// The IMA WAV file: each block header holds the decoder state that the codes before it
// left, or the start state at the first block of a record, so that the file decodes to
// the package's samples (plus one header sample per block).
std::vector<uint8_t> ImaWav(const std::vector<uint8_t>& codes) {
    const auto blocks = static_cast<uint32_t>(codes.size() / WavBlockCodeBytes);
    const uint32_t blockAlign = 4 + WavBlockCodeBytes;
    const uint32_t samplesPerBlock = 2 * WavBlockCodeBytes + 1;
    const uint32_t dataBytes = blocks * blockAlign;
    std::vector<uint8_t> wav;
    wav.reserve(dataBytes + 64);
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    PutLe(wav, 4 + 28 + 12 + 8 + dataBytes, 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(wav, 20, 4);
    PutLe(wav, 0x11, 2); // IMA ADPCM
    PutLe(wav, 1, 2);
    PutLe(wav, SampleRate, 4);
    PutLe(wav, SampleRate * blockAlign / samplesPerBlock, 4);
    PutLe(wav, blockAlign, 2);
    PutLe(wav, 4, 2); // bits per sample
    PutLe(wav, 2, 2); // extra bytes
    PutLe(wav, samplesPerBlock, 2);
    wav.insert(wav.end(), {'f', 'a', 'c', 't'});
    PutLe(wav, 4, 4);
    PutLe(wav, blocks * samplesPerBlock, 4);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    PutLe(wav, dataBytes, 4);
    AdpcmState state;
    std::vector<uint8_t> pcm(4 * WavBlockCodeBytes);
    for (uint32_t b = 0; b < blocks; b++) {
        if (b % (RecordCodeBytes / WavBlockCodeBytes) == 0)
            state = AdpcmState{};
        PutLe(wav, static_cast<uint16_t>(state.predictor), 2);
        PutLe(wav, static_cast<uint32_t>(state.stepIndex), 2);
        const uint8_t* block = codes.data() + static_cast<size_t>(b) * WavBlockCodeBytes;
        wav.insert(wav.end(), block, block + WavBlockCodeBytes);
        DecodeAdpcmBytes(state, block, WavBlockCodeBytes, pcm.data());
    }
    return wav;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mv_bench_inputs DIR\n");
        return 2;
    }
    RunToolStartup();
    const std::string dir = argv[1];
    const std::vector<int16_t> sound = BenchSound(2 * RecordCodeBytes + 128);
    std::vector<uint8_t> package;
    for (int64_t done = 0; done < CodeBytes; done += RecordCodeBytes) {
        // The records differ: each starts at another point of the same sound.
        const int64_t shift = 2 * (done / RecordCodeBytes % 64);
        AppendPackageRecord(package, SampleRate, sound.data() + shift, 2 * RecordCodeBytes);
    }
    std::vector<uint8_t> codes = PackageCodes(package);
    const std::vector<uint8_t> wav = ImaWav(codes);
    for (uint8_t& byte : codes)
        byte = static_cast<uint8_t>(byte << 4 | byte >> 4);
    const bool ok = WriteFile(dir + "/codes.mus", package) &&
                    WriteFile(dir + "/codes.ssi", codes) && WriteFile(dir + "/codes.wav", wav);
    if (!ok)
        std::fprintf(stderr, "mv_bench_inputs: cannot write into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
