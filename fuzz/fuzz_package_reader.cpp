// Fuzz target for the sample package reader. Every input becomes the content of one
// temporary package file (made once per process, rewritten per input) and is decoded with
// DecodePackage. Then every entry of Samples is checked against a walk of the same bytes
// done here independently: where its record lies, what its header fields and problem flags
// must be, and every byte of its WAV image. A broken invariant prints what broke and aborts,
// so libFuzzer keeps the input as a crash.
#include "app/decode/decode.h"
#include "runtime/core/files/files.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"
#include "tools/tool_startup.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int64_t RecordHeaderSize = 8;
constexpr int64_t BlockHeaderSize = 8;
constexpr int64_t MaxDataSize = INT32_MAX - WavHeaderSize;

int PackageFd = -1;
std::string PackagePath; // the temporary package
std::string PackageName; // its file name: every sample name starts with it

void RemovePackage() {
    if (!PackagePath.empty())
        unlink(PackagePath.c_str());
}

// The abort skips the exit handlers, so the temporary package goes first; libFuzzer keeps
// the input itself.
[[noreturn]] void Fail(const char* what, int64_t record) {
    std::fprintf(stderr, "package reader: %s (record %lld)\n", what,
                 static_cast<long long>(record));
    RemovePackage();
    std::abort();
}

void Check(bool ok, const char* what, int64_t record) {
    if (!ok)
        Fail(what, record);
}

// The fuzz input; bytes beyond its end read as zero, like a record cut short by the end of
// the file.
struct Input {
    const uint8_t* data;
    int64_t size;

    int64_t Byte(int64_t at) const { return at >= 0 && at < size ? data[at] : 0; }
    // count (1 to 4) little-endian bytes at at, unsigned.
    int64_t Unsigned(int64_t at, int count) const {
        int64_t value = 0;
        for (int i = count - 1; i >= 0; i--)
            value = value << 8 | Byte(at + i);
        return value;
    }
};

// What the record at a given offset must decode to. The reader's rules for damaged
// records: missing bytes read as zero, a block running past the record is cut at its end,
// a negative PackedSize ends the package, DataSize is kept within 0 to 4 x PackedSize.
struct Expected {
    int64_t rate = 0;
    int64_t packedSize = 0;   // as the header claims, may be negative
    int64_t consumed = 0;     // bytes of the file that the record takes
    int64_t missing = 0;      // bytes of the record beyond the end of the file
    int64_t decodedBytes = 0; // PCM bytes of all the blocks' codes
    int64_t dataSize = 0;
    uint32_t problems = 0;
    std::vector<uint8_t> pcm; // the decoded samples, as far as DataSize needs them
};

// The codes of one block: input offset of the first code byte and their count.
struct CodeRun {
    int64_t first;
    int64_t count;
};

// Walks the blocks of a record whose compressed data starts at data, available bytes of
// it being in the file; collects their code runs and returns the sum of their OutputBytes.
int64_t WalkBlocks(const Input& in, int64_t data, int64_t packed, int64_t available, Expected& e,
                   std::vector<CodeRun>& runs) {
    int64_t declared = 0;
    // Blocks that lie wholly beyond the end of the file are zero bytes: they add nothing.
    for (int64_t p = 0; p < packed && p < available;) {
        if (p + BlockHeaderSize > packed) {
            e.problems |= RecordBlockCut;
            break;
        }
        const int64_t nibbleBytes = static_cast<int16_t>(in.Unsigned(data + p, 2));
        declared += static_cast<int16_t>(in.Unsigned(data + p + 2, 2));
        p += BlockHeaderSize;
        int64_t codes = std::max<int64_t>(nibbleBytes, 0);
        if (p + codes > packed) {
            codes = packed - p;
            e.problems |= RecordBlockCut;
        }
        runs.push_back({data + p, codes});
        e.decodedBytes += 4 * codes;
        p += codes;
    }
    return declared;
}

// Decodes the runs from the start state, code bytes at or beyond end reading as zero,
// until pcm holds at least wanted bytes.
void DecodeRuns(const Input& in, const std::vector<CodeRun>& runs, int64_t end, int64_t wanted,
                std::vector<uint8_t>& pcm) {
    AdpcmState state;
    pcm.reserve(static_cast<size_t>(std::min(wanted, int64_t{1} << 24)) + 4);
    for (const CodeRun& run : runs) {
        for (int64_t k = run.first; k < run.first + run.count; k++) {
            if (static_cast<int64_t>(pcm.size()) >= wanted)
                return;
            const uint32_t byte = k < end ? static_cast<uint32_t>(in.Byte(k)) : 0;
            for (uint32_t code : {byte & 0x0F, byte >> 4}) {
                const int32_t sample = AdpcmDecodeStep(state, code, IndexTable, StepTable);
                pcm.push_back(static_cast<uint8_t>(sample));
                pcm.push_back(static_cast<uint8_t>(sample >> 8));
            }
        }
    }
}

Expected ExpectRecord(const Input& in, int64_t offset) {
    Expected e;
    e.rate = in.Unsigned(offset, 2);
    e.packedSize = static_cast<int32_t>(in.Unsigned(offset + 2, 4));
    const int64_t packed = std::max<int64_t>(e.packedSize, 0);
    const int64_t headerBytes = std::clamp<int64_t>(in.size - offset, 0, RecordHeaderSize);
    const int64_t data = offset + RecordHeaderSize;
    const int64_t available = std::clamp<int64_t>(in.size - data, 0, packed);
    e.consumed = headerBytes + available;
    e.missing = RecordHeaderSize - headerBytes + packed - available;
    if (e.missing > 0)
        e.problems |= RecordTruncated;
    if (e.packedSize < 0)
        e.problems |= RecordNegativeSize;

    std::vector<CodeRun> runs;
    const int64_t declared = WalkBlocks(in, data, packed, available, e, runs);
    const int64_t limit = std::min(4 * packed, MaxDataSize);
    e.dataSize = std::clamp<int64_t>(declared, 0, limit);
    if (declared < 0)
        e.problems |= RecordDataSizeNegative;
    if (declared > limit)
        e.problems |= RecordDataSizeCut;
    DecodeRuns(in, runs, data + available, e.dataSize, e.pcm);
    return e;
}

// The 44-byte header: sizes from DataSize, the rate from the record, mono 16-bit PCM.
void CheckHeader(const uint8_t* image, int64_t rate, int64_t dataSize, int64_t record) {
    const Input header{image, WavHeaderSize};
    Check(std::memcmp(image, "RIFF", 4) == 0 && std::memcmp(image + 8, "WAVEfmt ", 8) == 0 &&
              std::memcmp(image + 36, "data", 4) == 0,
          "chunk ids of the WAV header", record);
    Check(header.Unsigned(4, 4) == dataSize + 36, "RIFF chunk size is not DataSize + 36", record);
    Check(header.Unsigned(40, 4) == dataSize, "data chunk size is not DataSize", record);
    Check(header.Unsigned(16, 4) == 16 && header.Unsigned(20, 2) == 1 &&
              header.Unsigned(22, 2) == 1 && header.Unsigned(32, 2) == 2 &&
              header.Unsigned(34, 2) == 16,
          "format chunk of the WAV header", record);
    Check(header.Unsigned(24, 4) == rate && header.Unsigned(28, 4) == 2 * rate,
          "sample rate or byte rate of the WAV header", record);
}

void CheckImage(const SampleEntry& entry, const Expected& e, int64_t record) {
    Check(entry.WavImage != nullptr, "no WAV image", record);
    Check(entry.DataSize >= 0 && entry.DataSize <= MaxDataSize, "DataSize out of range", record);
    const int64_t dataSize = entry.DataSize;
    Check(MemorySize(entry.WavImage) >= dataSize + WavHeaderSize,
          "WAV image smaller than DataSize + 44", record);
    CheckHeader(entry.WavImage, e.rate, dataSize, record);
    // Decoded samples up to DataSize, silence after the last one.
    const uint8_t* samples = entry.WavImage + WavHeaderSize;
    const int64_t decoded = std::min<int64_t>(dataSize, static_cast<int64_t>(e.pcm.size()));
    Check(decoded == 0 || std::memcmp(samples, e.pcm.data(), decoded) == 0, "wrong decoded samples",
          record);
    Check(std::all_of(samples + decoded, samples + dataSize, [](uint8_t b) { return b == 0; }),
          "image not silent after the decoded samples", record);
}

void CheckEntry(const SampleEntry& entry, const Expected& e, int64_t record) {
    Check(entry.SampleRate == e.rate, "SampleRate", record);
    Check(entry.PackedSize == e.packedSize, "PackedSize", record);
    Check(entry.MissingBytes == e.missing, "MissingBytes", record);
    Check(entry.DecodedBytes == e.decodedBytes, "DecodedBytes", record);
    // An image that cannot be allocated leaves a header-only sample; nothing else may.
    const bool noMemory = (entry.Problems & RecordNoMemory) != 0;
    Check((entry.Problems & ~uint32_t{RecordNoMemory}) == e.problems, "problem flags", record);
    Check(entry.DataSize == (noMemory ? 0 : e.dataSize), "DataSize", record);
}

// package name + "." + the position as three digits (the first three from 1000 on).
void CheckName(const char16_t* name, int64_t record) {
    std::string digits = std::to_string(record);
    digits = digits.size() < 3 ? std::string(3 - digits.size(), '0') + digits : digits.substr(0, 3);
    char* utf8 = ToUtf8(name);
    const bool ok = PackageName + "." + digits == utf8;
    FreeUtf8(utf8);
    Check(ok, "sample name", record);
}

// Every entry against the record it must come from; the records must cover the file.
void CheckSamples(const Input& in) {
    int64_t offset = 0;
    int64_t record = 0;
    bool ended = false;
    ResetList(Samples.list);
    while (NextElement(Samples.list)) {
        const SampleEntry* entry = CurrentSample();
        Check(!ended && offset < in.size, "an entry after the end of the package", record);
        const Expected e = ExpectRecord(in, offset);
        CheckEntry(*entry, e, record);
        CheckImage(*entry, e, record);
        CheckName(entry->Name, record);
        offset += e.consumed;
        ended = e.packedSize < 0;
        record++;
    }
    Check(ListSize(Samples.list) == record, "ListSize differs from the entries walked", record);
    Check(ended || offset == in.size, "records do not cover the whole package", record);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The runtime the companion runs on: strings, arrays, lists, memory, files, the
    // decoder tables and the empty sample list.
    RunToolStartup();
    // The smallest window and a decoding thread per 2 KiB of codes: inputs of a few KiB
    // then reach the window's moves, records larger than the window and the threads.
    PackageWindowBytes = 4096;
    DecodeThreadCodeBytes = 2048;

    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/mv-package-XXXXXX.mus";
    PackageFd = mkstemps(path.data(), 4);
    Check(PackageFd >= 0, "cannot create the temporary package", -1);
    PackagePath = path;
    std::atexit(RemovePackage);
    PackageName = path.substr(path.rfind('/') + 1);
    char16_t* wide = Utf8ToNew(path.c_str());
    StringAssign(&PackageFile, wide);
    MemFree(wide);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Written first, cut to length after: a file truncated to zero and then closed would
    // make some file systems flush it to disk at the reader's close, once per input.
    const bool written =
        (size == 0 || pwrite(PackageFd, data, size, 0) == static_cast<ssize_t>(size)) &&
        ftruncate(PackageFd, static_cast<off_t>(size)) == 0;
    Check(written, "cannot write the temporary package", -1);
    DecodePackage();
    CheckSamples(Input{data, static_cast<int64_t>(size)});
    return 0;
}
