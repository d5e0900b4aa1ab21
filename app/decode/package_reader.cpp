// The sample package reader: record by record from file 0 into Samples, one WAV image per
// record.
//
// Damaged packages: bytes of a record that the file does not hold read as zeros (a block
// cut short by the end of the file decodes its missing codes as code 0), but only the
// bytes that exist are stored, and each image is sized from the bytes its blocks declare,
// never from the claimed PackedSize alone nor beyond what the bytes present can make.
// Records outside the format's limits are cut or end the package as the RecordProblem
// flags say; no read or write leaves a buffer.
//
// The records are read, checked and sized one after the other, in file order, so that
// Samples and every finding come out as from a reader that decodes as it goes; their
// images are filled a window's worth at a time, on all cores (DecodeImages).
#include "app/decode/package_reader.h"

#include "app/decode/package_internal.h"

#include "runtime/core/files/files.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <algorithm>
#include <new>

KS_ListObject Samples = {nullptr, nullptr};
char16_t* PackageFile = nullptr;

namespace {

// Name is the only dynamic field: removing an element frees it.
const int64_t SampleEntryMap[] = {0, MapEnd};

// The most bytes of samples a record's image may hold. A complete record: 4 x PackedSize
// (every code byte gives two 2-byte samples). A record that the file cuts short claims a
// PackedSize it does not have, up to 2 GiB, and blocks without codes declare up to 32767
// output bytes per 8 bytes of file: its image is sized from the bytes present, 4 x the
// compressed bytes held or the bytes its blocks decode (which counts the missing codes
// of its last block), whichever is larger, so that a small file never makes a large
// image.
int64_t DataSizeLimit(const RecordData& d, int64_t decodedBytes) {
    int64_t limit = std::min<int64_t>(4 * d.packedSize, INT32_MAX - WavHeaderSize);
    if (d.available < d.packedSize)
        limit = std::min(limit, std::max(4 * d.available, decodedBytes));
    return limit;
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
    const int64_t limit = DataSizeLimit(d, entry->DecodedBytes);
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

// Allocates the entry's image and describes how to fill it in job; the image is left
// unwritten (FillImage writes every byte of it).
void PlanImage(const RecordData& d, SampleEntry* entry, ImageJob& job) {
    int32_t dataSize = d.packedSize > 0 ? DeclaredDataSize(d, entry) : 0;
    entry->WavImage =
        static_cast<uint8_t*>(AllocateMemory(WavHeaderSize + dataSize, MemoryNoClear));
    if (!entry->WavImage && dataSize > 0) {
        entry->Problems |= RecordNoMemory;
        dataSize = 0;
        entry->WavImage = static_cast<uint8_t*>(AllocateMemory(WavHeaderSize, MemoryNoClear));
    }
    if (!entry->WavImage)
        return;
    entry->DataSize = dataSize;
    job = ImageJob{d, entry->WavImage, dataSize, entry->SampleRate};
}

// Reads and checks the next record into entry and plans its image; false when the
// package ends here.
bool ReadRecord(PackageSource& source, SampleEntry* entry) {
    uint8_t header[RecordHeaderSize] = {};
    const int64_t headerBytes = source.ReadHeader(header);
    // The rate word is unsigned: 44100 Hz is 0xAC44. The two bytes after PackedSize
    // (channels and a reserved byte) are not used: every sample is mono.
    entry->SampleRate = static_cast<int32_t>(PeekW(header) & 0xFFFF);
    const auto packedSize = static_cast<int32_t>(PeekL(header + 2));
    entry->PackedSize = packedSize;

    RecordData d;
    d.packedSize = std::max(packedSize, 0);
    d.readError = headerBytes < RecordHeaderSize && source.Failed();
    if (packedSize < 0)
        entry->Problems |= RecordNegativeSize;
    else if (!d.readError)
        source.ReadCompressed(d);

    entry->MissingBytes = RecordHeaderSize - headerBytes + d.packedSize - d.available;
    if (d.readError)
        entry->Problems |= RecordReadError;
    else if (entry->MissingBytes > 0)
        entry->Problems |= RecordTruncated;
    ImageJob job{d, nullptr, 0, 0};
    PlanImage(d, entry, job);
    // Without an image the job only frees the record's data.
    source.Queue(job);
    return (entry->Problems & (RecordNegativeSize | RecordReadError)) == 0;
}

// Name := file name of the package (fileName) + "." + the position as three digits (cut
// to the first three from position 1000 on).
void NameSample(SampleEntry* entry, const char16_t* fileName, int64_t position) {
    TempExpression expression;
    TempAppend(fileName);
    TempAppend(u".");
    const int64_t at = TempOffset;
    RSet(Str(position, at), 3, u"0", at);
    expression.StoreInto(&entry->Name);
}

// Passes the entries to the hook in file order as soon as their images are filled.
class Handout {
public:
    explicit Handout(const DecodedSamples& hook) : hook_(hook) {}

    // entry was just read; the source tells which images are filled by now.
    void Add(PackageSource& source, SampleEntry* entry) {
        if (!hook_)
            return;
        try {
            waiting_.push_back(entry);
        } catch (const std::bad_alloc&) {
            // No room to wait: the earlier entries and this one go now.
            source.Finish();
            Pass(handed_ + waiting_.size());
            hook_(&entry, 1);
            handed_++;
            return;
        }
        Pass(source.Ready());
    }

    // Hands out the waiting entries among the first ready ones of the package.
    void Pass(size_t ready) {
        if (!hook_ || ready <= handed_)
            return;
        const size_t count = ready - handed_;
        hook_(waiting_.data(), count);
        waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<ptrdiff_t>(count));
        handed_ = ready;
    }

private:
    const DecodedSamples& hook_;
    std::vector<SampleEntry*> waiting_; // read, not handed out yet
    size_t handed_ = 0;
};

} // namespace

const RecordProblemText RecordProblemTexts[RecordProblemKinds] = {
    {RecordTruncated, "truncated", "ended early: the missing bytes were read as zeros",
     "truncated: %m missing bytes read as zeros"},
    {RecordNegativeSize, "negative-size",
     "had a negative size: the package could not be read past it",
     "negative packed size: the package ends here"},
    {RecordBlockCut, "block-cut",
     "had a block running past the record: it was cut at the record's end",
     "a block runs past the record: cut at the record's end"},
    {RecordDataSizeCut, "data-size-cut",
     "declared more sound than the data holds: the sample was cut",
     "declared data size too large: cut to %d bytes"},
    {RecordDataSizeNegative, "data-size-negative",
     "declared a negative length: the sample was left empty",
     "declared data size negative: set to 0"},
    {RecordNoMemory, "no-memory", "did not fit in memory: the sample was left empty",
     "out of memory: the sample is left empty"},
    {RecordReadError, "read-error", "could not be read: the package ends there",
     "read error: %m bytes not read, the package ends here"},
};

KS_List* NewSampleList() {
    return NewList(sizeof(SampleEntry), nullptr, SampleEntryMap, 0);
}

void ClearSamples(KS_List* samples) {
    for (KS_ListHeader* e = samples ? samples->first : nullptr; e; e = e->next) {
        auto* entry = static_cast<SampleEntry*>(ListElementData(e));
        FreeMemory(entry->WavImage);
        entry->WavImage = nullptr;
    }
    ClearList(samples);
}

void FreeSampleList(KS_List* samples) {
    ClearSamples(samples);
    FreeList(samples);
}

void ReadPackage(const char16_t* path, KS_List* samples, const DecodedSamples& decoded) {
    ClearSamples(samples);
    // A package that cannot be opened leaves the list empty: Eof would report 0 for a file
    // that is not open, so the loop must not start.
    if (!samples || !ReadFile(PackageFileNumber, path))
        return;
    {
        PackageSource source(FileSize(path));
        // Every sample's name starts with it: taken once per package, not once per record.
        LocalString fileName;
        {
            TempExpression e;
            fileName = GetFilePart(path, 0, e.Start());
        }
        Handout handout(decoded);
        for (int64_t position = 0; source.More(); position++) {
            auto* entry = static_cast<SampleEntry*>(AddElement(samples));
            if (!entry)
                break;
            const bool more = ReadRecord(source, entry);
            NameSample(entry, fileName.get(), position);
            handout.Add(source, entry);
            if (!more)
                break;
        }
        source.Finish();
        handout.Pass(source.Ready());
    }
    CloseFile(PackageFileNumber);
}

void InitSamples() {
    // A list left from an earlier start goes first, with its images.
    if (Samples.list) {
        ClearSamples(Samples.list);
        FreeList(Samples.list);
    }
    NewList(sizeof(SampleEntry), &Samples, SampleEntryMap, 0);
}

void DecodePackage(const DecodedSamples& decoded) {
    ReadPackage(PackageFile, Samples.list, decoded);
}
