// Decoding records into their WAV images. Records are independent (the decoder state
// starts at 0/0 in each), so once the reader has checked and sized a batch of them, in
// file order, their images are filled on as many threads as the machine has cores, the
// largest first.
#include "app/decode/package_internal.h"

#include "runtime/core/threads/parallel_for.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <numeric>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

uint32_t ByteAt(const RecordData& d, int64_t at) {
    return at < d.available ? d.bytes[at] : 0;
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

// Decodes the blocks' codes straight into the image's data area of outBytes bytes, from
// the start state; missing codes decode as code 0. Returns the bytes written.
int64_t DecodeBlocks(const RecordData& d, uint8_t* out, int64_t outBytes) {
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
    return q;
}

#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
// Whether the 4 KiB page at address is in memory already.
bool Resident(uintptr_t address) {
    unsigned char state = 0;
    return mincore(reinterpret_cast<void*>(address), 4096, &state) == 0 && (state & 1) != 0;
}
#endif

// Fresh images are new pages: one request maps them all, which costs about a third less
// than taking a page fault for each 4 KiB as the decoder reaches it. An image in memory
// that an earlier one left (extract frees each batch once written) needs no request:
// asking again would only walk its page tables, some 10% of the whole extract. The heap
// never gives back a page inside it, so when the first and last page are there, all are.
// Only a hint.
void Prefault(uint8_t* image, int64_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    constexpr uintptr_t Page = 4096;
    const uintptr_t first = (reinterpret_cast<uintptr_t>(image) + Page - 1) & ~(Page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(image) + bytes) & ~(Page - 1);
    if (end > first + 16 * Page && !(Resident(first) && Resident(end - Page)))
        madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
    (void)image;
    (void)bytes;
#endif
}

unsigned ThreadCount(const std::vector<ImageJob>& jobs) {
    int64_t codeBytes = 0;
    for (const ImageJob& job : jobs)
        codeBytes += job.data.available;
    const int64_t wanted = 1 + codeBytes / std::max<int64_t>(DecodeThreadCodeBytes, 1);
    return static_cast<unsigned>(
        std::min<int64_t>({wanted, CoreCount(), static_cast<int64_t>(jobs.size())}));
}

} // namespace

// 256 KiB of codes are 512 Ki samples, some 0.6 ms of decoding, against some 50 us to
// start a thread: small packages decode on the caller alone.
int64_t DecodeThreadCodeBytes = 256 << 10;

bool NextBlock(const RecordData& d, int64_t& p, Block& block, uint32_t& problems) {
    if (p >= d.packedSize || p >= d.available)
        return false;
    if (p + BlockHeaderSize > d.packedSize) {
        problems |= RecordBlockCut;
        return false;
    }
    const int64_t nibbleBytes = static_cast<int16_t>(ByteAt(d, p) | ByteAt(d, p + 1) << 8);
    block.outputBytes = static_cast<int16_t>(ByteAt(d, p + 2) | ByteAt(d, p + 3) << 8);
    block.codes = p + BlockHeaderSize;
    block.codeBytes = std::max<int64_t>(nibbleBytes, 0);
    if (block.codes + block.codeBytes > d.packedSize) {
        block.codeBytes = d.packedSize - block.codes;
        problems |= RecordBlockCut;
    }
    p = block.codes + block.codeBytes;
    return true;
}

size_t DecodeBatchJobs() {
    return 2 * size_t{CoreCount()};
}

void FillImage(const ImageJob& job) {
    if (!job.image)
        return;
    Prefault(job.image, WavHeaderSize + job.dataSize);
    WriteWavHeader(job.image, job.rate, job.dataSize);
    uint8_t* data = job.image + WavHeaderSize;
    const int64_t written = DecodeBlocks(job.data, data, job.dataSize);
    // The bytes that DataSize declares beyond the decoded samples are silence.
    std::memset(data + written, 0, static_cast<size_t>(job.dataSize - written));
}

void DecodeImages(const std::vector<ImageJob>& jobs) {
    const unsigned threads = ThreadCount(jobs);
    // One thread fills them in file order: there is no one to balance the work with.
    if (threads <= 1) {
        for (const ImageJob& job : jobs)
            FillImage(job);
        return;
    }
    std::vector<size_t> order;
    try {
        order.resize(jobs.size());
    } catch (const std::bad_alloc&) {
        for (const ImageJob& job : jobs)
            FillImage(job);
        return;
    }
    // Largest first, so that no thread is left with a long record at the end.
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return jobs[a].dataSize > jobs[b].dataSize; });
    ParallelFor(order.size(), threads, [&](size_t k, bool) { FillImage(jobs[order[k]]); });
}
