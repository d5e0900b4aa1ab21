// The sample package reader: record by record from file 0 into Samples, one WAV image per
// record.
//
// Damaged packages: bytes of a record that the file does not hold read as zeros (a block
// cut short by the end of the file decodes its missing codes as code 0), but only the
// bytes that exist are stored, and each image is sized from the bytes its blocks declare,
// never from the claimed PackedSize alone. Records outside the format's limits are cut
// or end the package as the RecordProblem flags say; no read or write leaves a buffer.
#include "app/decode/decode.h"

#include "runtime/core/files/files.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <algorithm>

KS_ListObject Samples = {nullptr, nullptr};
char16_t* PackageFile = nullptr;

namespace {

constexpr int64_t PackageFileNumber = 0;
constexpr int64_t RecordHeaderSize = 8;
constexpr int64_t BlockHeaderSize = 8;
// First read of a record's data when the file's size is unknown (a pipe), in bytes.
constexpr int64_t FirstReadChunk = 1 << 20;

// Name is the only dynamic field: removing an element frees it.
const int64_t SampleEntryMap[] = {0, MapEnd};

// The compressed data of one record: bytes [0, available) came from the file, bytes
// [available, packedSize) are missing and read as zero.
struct RecordData {
    uint8_t* bytes = nullptr;
    int64_t available = 0;
    int64_t packedSize = 0;
    bool readError = false;
};

int64_t ByteAt(const RecordData& d, int64_t at) {
    return at < d.available ? d.bytes[at] : 0;
}

int64_t SignedWordAt(const RecordData& d, int64_t at) {
    return static_cast<int16_t>(ByteAt(d, at) | ByteAt(d, at + 1) << 8);
}

// Reads up to packedSize bytes into a block that grows only as data arrives, so that a
// record claiming more than the file holds costs no more memory than the file.
// sizeHint: the bytes left in the file, or -1 when unknown.
void ReadRecordData(RecordData& d, int64_t sizeHint) {
    int64_t capacity = std::min(d.packedSize, sizeHint >= 0 ? sizeHint : FirstReadChunk);
    while (d.available < d.packedSize) {
        if (d.available == capacity) {
            if (Eof(PackageFileNumber))
                break;
            capacity = std::min(d.packedSize, std::max(capacity * 2, FirstReadChunk));
        }
        if (!d.bytes || MemorySize(d.bytes) < capacity) {
            auto* grown = static_cast<uint8_t*>(AllocateMemory(capacity, MemoryNoClear));
            if (!grown)
                break;
            std::copy(d.bytes, d.bytes + d.available, grown);
            FreeMemory(d.bytes);
            d.bytes = grown;
        }
        const int64_t wanted = capacity - d.available;
        const int32_t got = ReadData(PackageFileNumber, d.bytes + d.available, wanted);
        d.available += got;
        if (got < wanted) {
            d.readError = FileError(PackageFileNumber) != 0;
            break;
        }
    }
}

// One block of a record, its codes cut to the record's end.
struct Block {
    int64_t codes;       // offset of the first code byte
    int64_t codeBytes;   // code bytes inside the record
    int64_t outputBytes; // PCM bytes the block declares
};

// The block at offset p, moving p past it; false at the end of the record. Blocks that
// lie wholly in the missing tail are all zero and add nothing, so the walk ends there.
bool NextBlock(const RecordData& d, int64_t& p, Block& block, uint32_t& problems) {
    if (p >= d.packedSize || p >= d.available)
        return false;
    if (p + BlockHeaderSize > d.packedSize) {
        problems |= RecordBlockCut;
        return false;
    }
    const int64_t nibbleBytes = SignedWordAt(d, p);
    block.outputBytes = SignedWordAt(d, p + 2);
    block.codes = p + BlockHeaderSize;
    block.codeBytes = std::max<int64_t>(nibbleBytes, 0);
    if (block.codes + block.codeBytes > d.packedSize) {
        block.codeBytes = d.packedSize - block.codes;
        problems |= RecordBlockCut;
    }
    p = block.codes + block.codeBytes;
    return true;
}

// First pass over the block headers: DataSize as declared, kept inside the limits.
int32_t DeclaredDataSize(const RecordData& d, SampleEntry* entry) {
    int64_t declared = 0;
    int64_t p = 0;
    Block block;
    while (NextBlock(d, p, block, entry->Problems)) {
        declared += block.outputBytes;
        entry->DecodedBytes += 4 * block.codeBytes;
    }
    const int64_t limit = std::min<int64_t>(4 * d.packedSize, INT32_MAX - WavHeaderSize);
    if (declared < 0) {
        entry->Problems |= RecordDataSizeNegative;
        return 0;
    }
    if (declared > limit) {
        entry->Problems |= RecordDataSizeCut;
        return static_cast<int32_t>(limit);
    }
    return static_cast<int32_t>(declared);
}

// Decodes count code bytes (zeros when src is null) at output offset q of out, writing no
// byte at or beyond outBytes; returns the new offset.
int64_t DecodeRun(AdpcmState& state, const uint8_t* src, int64_t count, uint8_t* out, int64_t q,
                  int64_t outBytes) {
    static const uint8_t zeros[256] = {};
    while (count > 0 && q < outBytes) {
        const int64_t room = (outBytes - q) / 4;
        int64_t n = std::min(count, src ? room : std::min<int64_t>(room, sizeof zeros));
        if (n == 0) {
            // A last code byte of which only 1 to 3 output bytes fit in the image.
            uint8_t scratch[4];
            DecodeAdpcmBytes(state, src ? src : zeros, 1, scratch);
            std::copy(scratch, scratch + (outBytes - q), out + q);
            return outBytes;
        }
        DecodeAdpcmBytes(state, src ? src : zeros, n, out + q);
        q += 4 * n;
        count -= n;
        if (src)
            src += n;
    }
    return q;
}

// Second pass: decodes the blocks' codes straight into the image's data area of outBytes
// bytes, from the start state; missing codes decode as code 0.
void DecodeBlocks(const RecordData& d, uint8_t* out, int64_t outBytes) {
    AdpcmState state;
    uint32_t problems = 0;
    int64_t p = 0;
    int64_t q = 0;
    Block block;
    while (q < outBytes && NextBlock(d, p, block, problems)) {
        const int64_t present = std::clamp<int64_t>(d.available - block.codes, 0, block.codeBytes);
        q = DecodeRun(state, d.bytes + block.codes, present, out, q, outBytes);
        q = DecodeRun(state, nullptr, block.codeBytes - present, out, q, outBytes);
    }
}

// Allocates the entry's image, decodes the record into it and writes the header.
void BuildImage(const RecordData& d, SampleEntry* entry) {
    int32_t dataSize = d.packedSize > 0 ? DeclaredDataSize(d, entry) : 0;
    entry->WavImage = static_cast<uint8_t*>(AllocateMemory(WavHeaderSize + dataSize));
    if (!entry->WavImage && dataSize > 0) {
        entry->Problems |= RecordNoMemory;
        dataSize = 0;
        entry->WavImage = static_cast<uint8_t*>(AllocateMemory(WavHeaderSize));
    }
    if (!entry->WavImage)
        return;
    DecodeBlocks(d, entry->WavImage + WavHeaderSize, dataSize);
    entry->DataSize = dataSize;
    WriteWavHeader(entry->WavImage, entry->SampleRate, dataSize);
}

// Reads and decodes the record at offset into entry; false when the package ends here.
bool DecodeRecord(SampleEntry* entry, int64_t& offset, int64_t fileSize) {
    uint8_t header[RecordHeaderSize] = {};
    const int32_t headerBytes = ReadData(PackageFileNumber, header, RecordHeaderSize);
    offset += headerBytes;
    // The rate word is unsigned: 44100 Hz is 0xAC44. The two bytes after PackedSize
    // (channels and a reserved byte) are not used: every sample is mono.
    entry->SampleRate = static_cast<int32_t>(PeekW(header) & 0xFFFF);
    const auto packedSize = static_cast<int32_t>(PeekL(header + 2));
    entry->PackedSize = packedSize;

    RecordData d;
    d.packedSize = std::max(packedSize, 0);
    d.readError = headerBytes < RecordHeaderSize && FileError(PackageFileNumber);
    if (packedSize < 0)
        entry->Problems |= RecordNegativeSize;
    else if (!d.readError)
        ReadRecordData(d, fileSize >= 0 ? std::max<int64_t>(fileSize - offset, 0) : -1);
    offset += d.available;

    entry->MissingBytes = RecordHeaderSize - headerBytes + d.packedSize - d.available;
    if (d.readError)
        entry->Problems |= RecordReadError;
    else if (entry->MissingBytes > 0)
        entry->Problems |= RecordTruncated;
    BuildImage(d, entry);
    FreeMemory(d.bytes);
    return (entry->Problems & (RecordNegativeSize | RecordReadError)) == 0;
}

// Name := file name of the package + "." + the position as three digits (cut to the
// first three from position 1000 on).
void NameSample(SampleEntry* entry) {
    TempExpression expression;
    GetFilePart(PackageFile, 0, TempOffset);
    TempAppend(u".");
    const int64_t at = TempOffset;
    RSet(Str(ListIndex(Samples.list), at), 3, u"0", at);
    expression.StoreInto(&entry->Name);
}

void FreeSamples() {
    ResetList(Samples.list);
    while (NextElement(Samples.list)) {
        SampleEntry* entry = CurrentSample();
        FreeMemory(entry->WavImage);
        entry->WavImage = nullptr;
    }
    ClearList(Samples.list);
}

} // namespace

void InitSamples() {
    NewList(sizeof(SampleEntry), &Samples, SampleEntryMap, 0);
}

void DecodePackage() {
    FreeSamples();
    // A package that cannot be opened leaves Samples empty: Eof would report 0 for a file
    // that is not open, so the loop must not start.
    if (!ReadFile(PackageFileNumber, PackageFile))
        return;
    const int64_t fileSize = FileSize(PackageFile);
    int64_t offset = 0;
    while (!Eof(PackageFileNumber)) {
        auto* entry = static_cast<SampleEntry*>(AddElement(Samples.list));
        if (!entry)
            break;
        const bool more = DecodeRecord(entry, offset, fileSize);
        NameSample(entry);
        if (!more)
            break;
    }
    CloseFile(PackageFileNumber);
}
