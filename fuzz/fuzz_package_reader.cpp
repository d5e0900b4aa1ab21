// Fuzz target for the sample package reader. Every input becomes the content of a file
// in memory (a tmpfs) that DecodePackage reads as the package. Then every entry of Samples is
// checked against a walk of the record and block headers of the same bytes, done here
// independently: where its record lies, its header fields, problem flags and DataSize,
// the image's WAV header and its first two samples.
//
// The inner loop stays lean: no thread, no disk, no second decode of every sample.
// That every image byte equals the reference decoder's (and is silence after the decoded
// samples), and that threads and windows change nothing, is asserted by the reader's tests
// (tests/app/decode: package_reader_test, package_window_test).
#include "app/decode/adpcm.h"
#include "app/decode/package_reader.h"
#include "app/decode/wav_image.h"
#include "runtime/core/files/files.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int64_t RecordHeaderSize = 8;
constexpr int64_t BlockHeaderSize = 8;
constexpr int64_t MaxDataSize = INT32_MAX - WavHeaderSize;

int PackageFd = -1;
std::u16string PackageName; // the package's file name: every sample name starts with it

[[noreturn]] void Fail(const char* what, int64_t record) {
    std::fprintf(stderr, "package reader: %s (record %lld)\n", what,
                 static_cast<long long>(record));
    std::abort();
}

void Check(bool ok, const char* what, int64_t record) {
    if (!ok)
        Fail(what, record);
}

// Little-endian bytes; those beyond the end read as zero, like a record cut short.
struct Input {
    const uint8_t* data;
    int64_t size;

    int64_t Unsigned(int64_t at, int count) const {
        int64_t value = 0;
        for (int i = count - 1; i >= 0; i--)
            value = value << 8 | (at + i >= 0 && at + i < size ? data[at + i] : 0);
        return value;
    }
};

// What the headers of the record at an offset say, by the reader's rules for damage.
struct Expected {
    int64_t rate = 0, packedSize = 0;
    int64_t consumed = 0;  // bytes of the file that the record takes
    int64_t missing = 0;   // bytes of the record beyond the end of the file
    int64_t available = 0; // bytes of its compressed data in the file
    int64_t decodedBytes = 0, declared = 0;
    int64_t firstCode = -1; // offset of the first code byte present, or -1
    uint32_t problems = 0;  // all but RecordDataSizeCut
};

Expected ExpectRecord(const Input& in, int64_t offset) {
    Expected e;
    e.rate = in.Unsigned(offset, 2);
    e.packedSize = static_cast<int32_t>(in.Unsigned(offset + 2, 4));
    const int64_t packed = std::max<int64_t>(e.packedSize, 0);
    const int64_t data = offset + RecordHeaderSize;
    const int64_t available = std::clamp<int64_t>(in.size - data, 0, packed);
    e.available = available;
    e.consumed = std::clamp<int64_t>(in.size - offset, 0, RecordHeaderSize) + available;
    e.missing = RecordHeaderSize + packed - e.consumed;
    e.problems =
        (e.missing > 0 ? RecordTruncated : 0) | (e.packedSize < 0 ? RecordNegativeSize : 0);
    // Blocks wholly beyond the end of the file are zeros: they add nothing.
    for (int64_t p = 0; p < packed && p < available;) {
        if (p + BlockHeaderSize > packed) {
            e.problems |= RecordBlockCut;
            break;
        }
        int64_t codes = std::max<int64_t>(static_cast<int16_t>(in.Unsigned(data + p, 2)), 0);
        e.declared += static_cast<int16_t>(in.Unsigned(data + p + 2, 2));
        p += BlockHeaderSize;
        if (p + codes > packed) {
            codes = packed - p;
            e.problems |= RecordBlockCut;
        }
        if (e.firstCode < 0 && codes > 0)
            e.firstCode = data + p;
        e.decodedBytes += 4 * codes;
        p += codes;
    }
    if (e.declared < 0)
        e.problems |= RecordDataSizeNegative;
    return e;
}

// DataSize is what the blocks declare, from 0 up to a limit: 4 x PackedSize, and for a
// record cut short by the end of the file no more than its bytes present make (4 x its
// compressed bytes in the file, or what its blocks decode if that is more).
void CheckDataSize(const SampleEntry& entry, const Expected& e, int64_t record) {
    int64_t limit = std::min(4 * std::max<int64_t>(e.packedSize, 0), MaxDataSize);
    if (e.available < e.packedSize)
        limit = std::min(limit, std::max(4 * e.available, e.decodedBytes));
    const bool cut = (entry.Problems & RecordDataSizeCut) != 0;
    Check(cut == (e.declared > limit), "RecordDataSizeCut", record);
    const bool noMemory = (entry.Problems & RecordNoMemory) != 0;
    Check(entry.DataSize == (noMemory ? 0 : std::clamp<int64_t>(e.declared, 0, limit)), "DataSize",
          record);
}

void CheckEntry(const SampleEntry& entry, const Expected& e, int64_t record) {
    Check(entry.SampleRate == e.rate, "SampleRate", record);
    Check(entry.PackedSize == e.packedSize, "PackedSize", record);
    Check(entry.MissingBytes == e.missing, "MissingBytes", record);
    Check(entry.DecodedBytes == e.decodedBytes, "DecodedBytes", record);
    const uint32_t ownFlags = RecordNoMemory | RecordDataSizeCut;
    Check((entry.Problems & ~ownFlags) == e.problems, "problem flags", record);
    CheckDataSize(entry, e, record);
}

// The 44-byte header from DataSize and the rate, then the first code byte's two samples.
void CheckImage(const SampleEntry& entry, const Input& in, const Expected& e, int64_t record) {
    Check(entry.WavImage != nullptr, "no WAV image", record);
    Check(MemorySize(entry.WavImage) >= entry.DataSize + WavHeaderSize,
          "WAV image smaller than DataSize + 44", record);
    const Input header{entry.WavImage, WavHeaderSize + entry.DataSize};
    const uint8_t* image = entry.WavImage;
    Check(std::memcmp(image, "RIFF", 4) == 0 && std::memcmp(image + 8, "WAVEfmt ", 8) == 0 &&
              std::memcmp(image + 36, "data", 4) == 0,
          "chunk ids of the WAV header", record);
    Check(header.Unsigned(4, 4) == entry.DataSize + 36 && header.Unsigned(40, 4) == entry.DataSize,
          "chunk sizes of the WAV header", record);
    Check(header.Unsigned(16, 4) == 16 && header.Unsigned(20, 4) == 0x10001 &&
              header.Unsigned(32, 4) == 0x100002,
          "format chunk of the WAV header", record);
    Check(header.Unsigned(24, 4) == e.rate && header.Unsigned(28, 4) == 2 * e.rate,
          "sample rate or byte rate of the WAV header", record);
    if (e.firstCode < 0 || entry.DataSize < 4)
        return;
    AdpcmState state;
    const auto code = static_cast<uint32_t>(in.Unsigned(e.firstCode, 1));
    for (int k = 0; k < 2; k++) {
        const int32_t sample =
            AdpcmDecodeStep(state, k ? code >> 4 : code & 15, IndexTable, StepTable);
        Check(static_cast<int16_t>(header.Unsigned(WavHeaderSize + 2 * k, 2)) == sample,
              "first samples", record);
    }
}

// package name + "." + the position as three digits (the first three from 1000 on),
// compared character by character: building the expected name for every record would
// cost the harness more than the reader spends naming it.
void CheckName(const char16_t* name, int64_t record) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%03lld", static_cast<long long>(record));
    const size_t prefix = PackageName.size();
    Check(name != nullptr, "sample name", record);
    // The terminator differs from every expected character before it, so the walk stops
    // at the end of a name that is too short.
    for (size_t i = 0; i <= prefix + 4; i++) {
        const char16_t expected = i < prefix       ? PackageName[i]
                                  : i == prefix    ? u'.'
                                  : i < prefix + 4 ? static_cast<char16_t>(digits[i - prefix - 1])
                                                   : u'\0';
        Check(name[i] == expected, "sample name", record);
    }
}

// Every entry against the record it must come from; the records must cover the file.
void CheckSamples(const Input& in) {
    int64_t offset = 0, record = 0;
    bool ended = false;
    ResetList(Samples.list);
    while (NextElement(Samples.list)) {
        const SampleEntry* entry = CurrentSample();
        Check(!ended && offset < in.size, "an entry after the end of the package", record);
        const Expected e = ExpectRecord(in, offset);
        CheckEntry(*entry, e, record);
        CheckImage(*entry, in, e, record);
        CheckName(entry->Name, record);
        offset += e.consumed;
        ended = e.packedSize < 0;
        record++;
    }
    Check(ListSize(Samples.list) == record, "ListSize differs from the entries walked", record);
    Check(ended || offset == in.size, "records do not cover the whole package", record);
}

// Everything the input allocated goes before the next one: libFuzzer runs an input a
// second time, with a leak check, whenever it ends with more allocations than frees.
void FreeSamples() {
    ResetList(Samples.list);
    while (NextElement(Samples.list))
        FreeMemory(CurrentSample()->WavImage);
    ClearList(Samples.list);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitStringBuffer();
    InitArrays();
    InitLists();
    InitMemory();
    InitFiles();
    InitDecoderTables();
    InitSamples();
    // The smallest window, 1 KiB: inputs of up to 4 KiB (fuzz/run.sh) reach its moves,
    // its growth and records larger than it, with half the bytes per execution that a
    // 4 KiB window would need. No decoding thread: starting one costs more than a whole
    // small input.
    PackageWindowBytes = 1024;
    DecodeThreadCodeBytes = INT64_MAX;

    // The package file, in a folder of its own on a file system in memory, removed at
    // the end; a path there costs the reader's open and size less than a /proc path to
    // an anonymous file would.
    static std::string folder =
        std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/mv-fuzz-XXXXXX";
    Check(mkdtemp(folder.data()) != nullptr, "cannot create the package folder", -1);
    static const std::string path = folder + "/package";
    PackageFd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    Check(PackageFd >= 0, "cannot create the package file", -1);
    std::atexit([] {
        unlink(path.c_str());
        rmdir(folder.c_str());
    });
    PackageName = u"package";
    char16_t* wide = Utf8ToNew(path.c_str());
    StringAssign(&PackageFile, wide);
    MemFree(wide);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool written =
        (size == 0 || pwrite(PackageFd, data, size, 0) == static_cast<ssize_t>(size)) &&
        ftruncate(PackageFd, static_cast<off_t>(size)) == 0;
    Check(written, "cannot write the package file", -1);
    DecodePackage();
    CheckSamples(Input{data, static_cast<int64_t>(size)});
    FreeSamples();
    return 0;
}
