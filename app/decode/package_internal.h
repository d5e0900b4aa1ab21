// The parts of the package reader that its files share: reading the package file in
// large blocks, walking a record's blocks, and decoding records into their images, on
// all cores when there is enough to decode.
#pragma once

#include "app/decode/adpcm.h"
#include "app/decode/package_reader.h"

#include <cstdint>
#include <vector>

constexpr int64_t PackageFileNumber = 0;
constexpr int64_t RecordHeaderSize = 8;
constexpr int64_t BlockHeaderSize = 8;

// The compressed data of one record: bytes [0, available) came from the file, bytes
// [available, packedSize) are missing and read as zero. owned: bytes is a memory block
// of the record's own, else it lies inside the package's window.
struct RecordData {
    const uint8_t* bytes = nullptr;
    int64_t available = 0;
    int64_t packedSize = 0;
    bool readError = false;
    bool owned = false;
};

// --- Blocks and images (record_decode.cpp) ---------------------------------------------

// One block of a record, its codes cut to the record's end.
struct Block {
    int64_t codes;       // offset of the first code byte
    int64_t codeBytes;   // code bytes inside the record
    int64_t outputBytes; // PCM bytes the block declares
};

// The block at offset p, moving p past it; false at the end of the record. Blocks that
// lie wholly in the missing tail are all zero and add nothing, so the walk ends there.
bool NextBlock(const RecordData& d, int64_t& p, Block& block, uint32_t& problems);

// One record's image to fill: the WAV header from rate and dataSize, then the decoded
// samples, cut at dataSize bytes, and zeros behind the last sample the blocks decode.
struct ImageJob {
    RecordData data;
    uint8_t* image;
    int32_t dataSize;
    int32_t rate;
};

// Fills the job's image on the calling thread.
void FillImage(const ImageJob& job);

// Jobs that a batch should hold at least so that every core has work to the end: two
// per decoding thread the machine allows.
size_t DecodeBatchJobs();

// Fills every job's image; each image is written by one thread and completely, so that
// fresh images need no zeroing beforehand. Packages with enough to decode are spread
// over the machine's cores.
void DecodeImages(const std::vector<ImageJob>& jobs);

// --- Reading (package_source.cpp) ------------------------------------------------------

// The package file, open as file 0, read in large blocks into a window that the records'
// data is handed out from. The images queued with the source are filled before the
// window's bytes move, so that their data is still there; when no window can be
// allocated, or a record is larger than the window, its data is read into a block of
// its own as it comes.
class PackageSource {
public:
    // fileSize: the file's size in bytes, or below 0 when unknown.
    explicit PackageSource(int64_t fileSize);
    // Fills the images still queued.
    ~PackageSource();
    PackageSource(const PackageSource&) = delete;
    PackageSource& operator=(const PackageSource&) = delete;

    // True while the file holds another byte (the reader's Eof).
    bool More();
    // Up to 8 bytes of a record header into header (the rest left as it is); the count.
    int64_t ReadHeader(uint8_t* header);
    // Whether the last short read met a read error rather than the end of the file.
    bool Failed();
    // Reads the compressed data of a record whose packedSize is set in d.
    void ReadCompressed(RecordData& d);
    // Fills the job's image now or with the next batch, then frees the record's data.
    void Queue(const ImageJob& job);
    // Fills the queued images.
    void Finish();
    // Jobs queued so far whose images are filled, as are those of every earlier job.
    size_t Ready() const { return queued_.empty() ? jobs_ : pendingFrom_; }

private:
    void Ensure(int64_t count);
    bool Enlarge();
    void MakeRoom();
    void Fill();
    void ReadOwned(RecordData& d);
    int64_t RestHint() const;
    void ReadGrowing(RecordData& d, int64_t capacity);

    uint8_t* window_ = nullptr; // capacity_ bytes, null in the record-by-record mode
    int64_t capacity_ = 0;
    int64_t held_ = 0;    // bytes of the window that hold file data
    int64_t at_ = 0;      // read position in the window
    bool ended_ = false;  // a read came back short: nothing more will come
    bool failed_ = false; // ... because of a read error
    int64_t read_ = 0;    // bytes read from the file so far
    int64_t fileSize_ = -1;
    std::vector<ImageJob> queued_;
    size_t jobs_ = 0;               // jobs queued so far
    size_t pendingFrom_ = 0;        // number of the job at queued_[0]
    std::vector<uint8_t*> retired_; // windows replaced by a larger one, kept for queued_
};
