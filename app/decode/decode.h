// Sample package decoding: the IMA ADPCM decoder with its two tables and the 44-byte WAV
// header that turns a run of decoded samples into a WAV image. Needs no window and no sound.
#pragma once

#include "runtime/core/lists/lists.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// --- Decoder tables -------------------------------------------------------------------------

// Step-index adjustments by the 3 magnitude bits of a code (8 entries) and the 89 step
// sizes; arrays of the runtime (element 0; header before it), read-only after start-up.
extern int32_t* IndexTable;
extern int32_t* StepTable;

constexpr int IndexTableSize = 8;
constexpr int StepTableSize = 89;

// Creates both tables, fills them from the constant data and builds FusedStepTable.
void InitDecoderTables();

// The decoder step fused into one table of 89 rows (step indexes) x 16 codes, derived
// from IndexTable and StepTable at start-up; 11 KiB, so that it stays in the L1 cache.
// Entry [16 x row + code] says where the code leads and what it adds to the predictor.
struct FusedStep {
    // Byte offset of the next row in the table: FusedRowBytes x the new step index. A
    // byte offset lets the next load add it to a base without scaling, which keeps the
    // step-index chain at one plain load per code.
    uint32_t next;
    // The signed difference in two halves of the same sign (diff[0] = floor(d / 2)),
    // each within 16 bits: two saturating 16-bit additions clamp like the reference.
    int16_t diff[2];
};
constexpr int FusedRowBytes = 16 * sizeof(FusedStep);
constexpr int FusedStepTableSize = StepTableSize * 16;
extern FusedStep FusedStepTable[FusedStepTableSize];

// Rebuilds FusedStepTable from IndexTable and StepTable (InitDecoderTables calls it).
void BuildFusedStepTable();

// --- Decoder ------------------------------------------------------------------------------

// Decoder state of one record: starts at 0/0 and runs on across the record's blocks.
struct AdpcmState {
    int32_t predictor = 0; // -32768 to 32767, also the last decoded sample
    int32_t stepIndex = 0; // 0 to 88
};

// One decoder step for a 4-bit code (bit 3 sign, bits 0-2 magnitude); returns the sample.
inline int32_t AdpcmDecodeStep(AdpcmState& state, uint32_t code, const int32_t* indexTable,
                               const int32_t* stepTable) {
    const uint32_t magnitude = code & 7;
    const int32_t step = stepTable[state.stepIndex];
    int32_t diff = step >> 3;
    if (magnitude & 4)
        diff += step;
    if (magnitude & 2)
        diff += step >> 1;
    if (magnitude & 1)
        diff += step >> 2;

    const int32_t index = state.stepIndex + indexTable[magnitude];
    state.stepIndex = index < 0 ? 0 : (index > 88 ? 88 : index);

    const int32_t predictor = (code & 8) ? state.predictor - diff : state.predictor + diff;
    state.predictor = predictor > 32767 ? 32767 : (predictor < -32768 ? -32768 : predictor);
    return state.predictor;
}

// Decodes byteCount code bytes (low nibble first, then high nibble) into 2 x byteCount
// signed 16-bit little-endian samples at out, which must have room for 4 x byteCount bytes.
// The fast kernel on FusedStepTable: the same samples and end state as AdpcmDecodeStep
// from any state in range (a step index outside 0 to 88 is taken as the nearest limit).
void DecodeAdpcmBytes(AdpcmState& state, const uint8_t* codes, int64_t byteCount, uint8_t* out);
// The same on plain integers, for processors without 16-bit saturating vector adds; the
// fast kernel is this one where they are missing.
void DecodeAdpcmBytesScalar(AdpcmState& state, const uint8_t* codes, int64_t byteCount,
                            uint8_t* out);

// --- Encoder (the reverse direction, for building packages) ------------------------------

// The 4-bit code whose decoding from state comes closest to sample, the way IMA encoders
// quantise; advances state exactly as the decoder will.
uint32_t AdpcmEncodeStep(AdpcmState& state, int32_t sample);

// Code bytes per block of a package written by this system.
constexpr int64_t PackageBlockCodeBytes = 2048;

// Appends one sample record to package: the 8-byte record header (rate word, PackedSize,
// channels 1, reserved 0) and blocks of up to 2048 code bytes, each with OutputBytes =
// 4 x NibbleBytes. The encoder state starts at 0/0 and runs on across blocks; an odd
// sample count gets one padding code 0. Returns 0 (appending nothing) when the record
// would not fit the format's 32-bit PackedSize, else 1.
int AppendPackageRecord(std::vector<uint8_t>& package, uint16_t sampleRate, const int16_t* samples,
                        int64_t sampleCount);

// --- WAV image ----------------------------------------------------------------------------

constexpr int64_t WavHeaderSize = 44;

// Writes the 44-byte header of a mono 16-bit PCM WAV file at image: sampleRate in Hz
// (its low 32 bits are stored), dataSize the bytes of samples that follow the header.
void WriteWavHeader(void* image, int64_t sampleRate, int32_t dataSize);

// --- Sample packages ------------------------------------------------------------------------

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

// The reader reads the package into a window of this many bytes (8 MiB; 4 KiB at the
// least), and starts one more decoding thread for every DecodeThreadCodeBytes code bytes
// read (256 KiB), up to the number of cores. Tests shrink both to reach the window's
// edges and several threads with small packages.
extern int64_t PackageWindowBytes;
extern int64_t DecodeThreadCodeBytes;

// Start step: creates the empty list Samples (freeing one left from an earlier start).
void InitSamples();
// Receives entries of Samples whose images are filled: each entry once, in file order,
// a batch at a time while the package is still being read. It may write an image out and
// free it (WavImage set to null), so that the next batch reuses the memory; the window
// passes none and keeps every image.
using DecodedSamples = std::function<void(SampleEntry* const* entries, size_t count)>;

// Frees the previous samples and decodes every record of PackageFile into Samples,
// handing them to decoded (when given) as their images are filled.
void DecodePackage(const DecodedSamples& decoded = nullptr);
// Writes the first DataSize + 44 bytes of a sample's WAV image to path as file 0,
// replacing an existing file. 1 when every byte reached the file, else 0.
int SaveSampleFile(const SampleEntry* entry, const char16_t* path);
// The current element of Samples, or null.
inline SampleEntry* CurrentSample() {
    return static_cast<SampleEntry*>(ListElementData(Samples.current));
}
