// Seed inputs of the fuzz targets, written by fuzz_make_corpus into fuzz/corpus/<target>/.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct Seed {
    const char* name;
    Bytes bytes;
};

// count little-endian bytes of value, appended.
void AppendLe(Bytes& to, uint64_t value, int count);

// Seeds of the targets whose formats need no encoder of the project (corpus_media.cpp).
std::vector<Seed> AudioInputSeeds();
std::vector<Seed> CatchSoundSeeds();
std::vector<Seed> StringConvertSeeds();
std::vector<Seed> BmpDecoderSeeds();
