// Writes the seed corpora of the fuzz targets, one folder per target under the directory
// given as the only argument: for the package reader, packages made by the encoder and
// hand-damaged variants of them, each a few KiB at most; for the others, the hand-built
// files of corpus_media.cpp. The output is the same on every run.
#include "corpus_seeds.h"

#include "app/decode/adpcm.h"
#include "app/decode/adpcm_encode.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Offsets inside a record made by the encoder.
constexpr size_t PackedSizeAt = 2;
constexpr size_t FirstBlockAt = 8; // NibbleBytes, then OutputBytes at + 2

// A chirp with a little deterministic noise: varied codes in every block.
std::vector<int16_t> Sound(int64_t count, uint32_t seed) {
    std::vector<int16_t> samples(static_cast<size_t>(count));
    uint32_t noise = seed;
    for (int64_t i = 0; i < count; i++) {
        noise = noise * 1664525u + 1013904223u;
        const double t = static_cast<double>(i) / 22050.0;
        const double tone = 12000.0 * std::sin(2.0 * M_PI * (200.0 + 900.0 * t) * t);
        samples[static_cast<size_t>(i)] =
            static_cast<int16_t>(tone + static_cast<int32_t>(noise >> 24) - 128);
    }
    return samples;
}

Bytes Record(uint16_t rate, int64_t sampleCount, uint32_t seed) {
    const std::vector<int16_t> samples = Sound(sampleCount, seed);
    Bytes record;
    AppendPackageRecord(record, rate, samples.data(), sampleCount);
    return record;
}

void Append(Bytes& to, const Bytes& from) {
    to.insert(to.end(), from.begin(), from.end());
}

void PutLe(Bytes& bytes, size_t at, uint32_t value, int count) {
    for (int i = 0; i < count; i++)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

// A block of hand-chosen header fields and count code bytes of value code.
Bytes Block(int16_t nibbleBytes, int16_t outputBytes, size_t count, uint8_t code) {
    Bytes block(8, 0);
    PutLe(block, 0, static_cast<uint16_t>(nibbleBytes), 2);
    PutLe(block, 2, static_cast<uint16_t>(outputBytes), 2);
    block.insert(block.end(), count, code);
    return block;
}

// A record header followed by the given compressed data; packedSize as given.
Bytes RawRecord(uint16_t rate, int32_t packedSize, const Bytes& data) {
    Bytes record(8, 0);
    PutLe(record, 0, rate, 2);
    PutLe(record, PackedSizeAt, static_cast<uint32_t>(packedSize), 4);
    record[6] = 1;
    Append(record, data);
    return record;
}

std::vector<Seed> WellFormed() {
    std::vector<Seed> seeds;
    seeds.push_back({"one_record.mus", Record(22050, 1500, 1)});
    Bytes three = Record(11025, 300, 2);
    Append(three, Record(22050, 801, 3)); // odd: one padding code
    Append(three, Record(44100, 64, 4));  // a rate word with its top bit set
    seeds.push_back({"three_records.sel", three});
    seeds.push_back({"two_blocks.svl", Record(22050, 4500, 5)});
    Bytes empty = Record(8000, 0, 6);
    Append(empty, Record(8000, 200, 7));
    seeds.push_back({"empty_record.sel", empty});
    Bytes stray = Record(11025, 100, 8);
    Append(stray, Record(11025, 150, 9));
    stray.push_back(0x44);
    stray.push_back(0xAC);
    seeds.push_back({"stray_bytes.sel", stray});
    return seeds;
}

std::vector<Seed> Damaged() {
    std::vector<Seed> seeds;
    Bytes truncated = Record(22050, 1000, 10);
    truncated.resize(8 + 8 + 250);
    seeds.push_back({"truncated_record.mus", truncated});

    Bytes header = Record(22050, 120, 11);
    Append(header, Bytes{0x22, 0x56, 0x10, 0x00, 0x00});
    seeds.push_back({"truncated_header.mus", header});

    // The first block claims more code bytes than the record holds; the second record
    // ends in 4 bytes of a block header.
    Bytes cut = Record(22050, 400, 12);
    PutLe(cut, FirstBlockAt, 0x7FFF, 2);
    Bytes partial = Record(22050, 300, 13);
    PutLe(partial, PackedSizeAt, static_cast<uint32_t>(partial.size() - 8 + 4), 4);
    Append(partial, Bytes{0x10, 0x00, 0x40, 0x00});
    Append(cut, partial);
    Append(cut, Record(22050, 50, 14));
    seeds.push_back({"cut_block.sel", cut});

    Bytes negative = Record(11025, 200, 15);
    Append(negative, RawRecord(11025, -1, Bytes{}));
    Append(negative, Record(11025, 200, 16));
    seeds.push_back({"negative_packed_size.sel", negative});

    const Bytes encoded = Record(22050, 1200, 17);
    const Bytes blocks(encoded.begin() + 8, encoded.end());
    seeds.push_back({"huge_packed_size.mus", RawRecord(22050, INT32_MAX, blocks)});

    // Odd and negative OutputBytes, blocks without codes, a DataSize above 4 x PackedSize.
    Bytes odd = Block(64, 101, 64, 0x77);
    Append(odd, Block(0, 100, 0, 0));
    Append(odd, Block(-5, -40, 0, 0));
    Append(odd, Block(32, 126, 32, 0xF7));
    Bytes odd2 = Block(16, 32767, 16, 0x19);
    Bytes odd3 = Block(8, -32768, 8, 0x08);
    Bytes oddPackage = RawRecord(16000, static_cast<int32_t>(odd.size()), odd);
    Append(oddPackage, RawRecord(16000, static_cast<int32_t>(odd2.size()), odd2));
    Append(oddPackage, RawRecord(16000, static_cast<int32_t>(odd3.size()), odd3));
    seeds.push_back({"odd_data_size.svl", oddPackage});
    return seeds;
}

bool Write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<Seed> PackageReaderSeeds() {
    std::vector<Seed> seeds = WellFormed();
    for (Seed& seed : Damaged())
        seeds.push_back(std::move(seed));
    return seeds;
}

} // namespace

void AppendLe(Bytes& to, uint64_t value, int count) {
    for (int i = 0; i < count; i++)
        to.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus root directory>\n", argv[0]);
        return 2;
    }
    InitStringBuffer();
    InitArrays();
    InitMemory();
    InitDecoderTables();
    const std::pair<const char*, std::vector<Seed>> targets[] = {
        {"package_reader", PackageReaderSeeds()}, {"audio_input", AudioInputSeeds()},
        {"catch_sound", CatchSoundSeeds()},       {"string_convert", StringConvertSeeds()},
        {"bmp_decoder", BmpDecoderSeeds()},
    };
    for (const auto& [target, seeds] : targets) {
        const std::filesystem::path dir = std::filesystem::path(argv[1]) / target;
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        for (const Seed& seed : seeds) {
            if (!Write(dir / seed.name, seed.bytes)) {
                std::fprintf(stderr, "cannot write %s/%s\n", target, seed.name);
                return 1;
            }
        }
    }
    return 0;
}
