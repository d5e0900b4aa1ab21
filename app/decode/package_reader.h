// The sample package reader: every record of a package decoded into a WAV image, one
// SampleEntry per record, with what the reader found wrong with each.
#pragma once

#include "app/decode/wav_image.h"
#include "runtime/core/lists/lists.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// What the reader found wrong with a record and what it did about it (SampleEntry.Problems).
enum RecordProblem : uint32_t {
    // The file ends inside the record: the missing bytes were read as zeros.
    RecordTruncated = 1,
    // PackedSize below 0: the next record cannot be found, the package ends here.
    RecordNegativeSize = 2,
    // A block ran past the record's compressed data: it was cut at the record's end.
    RecordBlockCut = 4,
    // The blocks declared more bytes than the image can hold: DataSize cut to the limit,
    // 4 x PackedSize; for a record that the file cuts short, the larger of 4 x the
    // compressed bytes present and DecodedBytes.
    RecordDataSizeCut = 8,
    // The blocks declared a negative total: DataSize set to 0.
    RecordDataSizeNegative = 16,
    // The image could not be allocated: the sample is left empty (header only).
    RecordNoMemory = 32,
    // The file could not be read further: the package ends here.
    RecordReadError = 64,
};

// The words for each kind of damage, one row per flag in flag order: the window counts
// records by kind, the companion describes each record.
struct RecordProblemText {
    RecordProblem flag;
    const char* code;    // short name for listings, e.g. "truncated"
    const char* summary; // after a count of records, e.g. "ended early: ..."
    const char* detail;  // of one record; %m stands for MissingBytes, %d for DataSize
};
constexpr int RecordProblemKinds = 7;
extern const RecordProblemText RecordProblemTexts[RecordProblemKinds];

// One decoded sample, element of Samples. Name is the only string field (offset 0).
struct SampleEntry {
    char16_t* Name;    // package file name + "." + position as three digits
    uint8_t* WavImage; // memory block: a WAV file of DataSize + 44 bytes
    int32_t DataSize;  // bytes of samples in the image
    // What the reader saw, for listings:
    int32_t SampleRate;   // Hz, the record's unsigned rate word
    int64_t PackedSize;   // bytes of compressed data the record header claims
    int64_t DecodedBytes; // PCM bytes its blocks decoded (4 per code byte)
    int64_t MissingBytes; // bytes of the record that the file did not hold
    uint32_t Problems;    // RecordProblem flags, 0 for a sound record
};

// The decoded samples of the last package, in file order.
extern KS_ListObject Samples;
// Full path of the package that DecodePackage reads.
extern char16_t* PackageFile;

// The reader reads the package into a window of this many bytes (8 MiB; 1 KiB at the
// least), and starts one more decoding thread for every DecodeThreadCodeBytes code bytes
// read (256 KiB), up to the number of cores. Tests shrink both to reach the window's
// edges and several threads with small packages.
extern int64_t PackageWindowBytes;
extern int64_t DecodeThreadCodeBytes;

// Receives entries whose images are filled: each entry once, in file order, a batch at a
// time while the package is still being read. It may write an image out and free it
// (WavImage set to null), so that the next batch reuses the memory; the window passes
// none and keeps every image.
using DecodedSamples = std::function<void(SampleEntry* const* entries, size_t count)>;

// A new empty list of SampleEntry, or null when memory is short. Free it with
// FreeSampleList.
KS_List* NewSampleList();
// Frees the images of the entries of samples and empties the list.
void ClearSamples(KS_List* samples);
// Frees the images and the list.
void FreeSampleList(KS_List* samples);

// Empties samples and decodes every record of the package at path into it, in file order,
// handing the entries to decoded (when given) as their images are filled. Each entry is
// named from path's file name and its position. The package is open as file 0 while it
// runs; a package that cannot be opened leaves samples empty.
void ReadPackage(const char16_t* path, KS_List* samples, const DecodedSamples& decoded = nullptr);

// Start step: creates the empty list Samples (freeing one left from an earlier start).
void InitSamples();
// The window's decode: ReadPackage of PackageFile into Samples.
void DecodePackage(const DecodedSamples& decoded = nullptr);
// The current element of Samples, or null.
inline SampleEntry* CurrentSample() {
    return static_cast<SampleEntry*>(ListElementData(Samples.current));
}
