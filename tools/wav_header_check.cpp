#include "tools/wav_header_check.h"

#include <algorithm>
#include <cstring>

namespace {

// Chunks walked at most, top-level and inside LIST chunks together: far more than any
// sound file has, and few enough to walk in a moment.
constexpr int MaxChunks = 1 << 20;

class Bytes {
public:
    Bytes(int64_t size, const ReadAt& read, bool bigEndian)
        : size_(size), read_(read), big_(bigEndian) {}

    int64_t Size() const { return size_; }

    bool IdAt(int64_t at, char (&id)[4]) const {
        return read_(at, reinterpret_cast<uint8_t*>(id), 4) == 4;
    }

    // The unsigned number of count bytes (4 or 8) at offset, in the file's byte order.
    bool NumberAt(int64_t at, int count, uint64_t& value) const {
        uint8_t b[8];
        if (read_(at, b, count) != count)
            return false;
        value = 0;
        for (int i = 0; i < count; i++)
            value |= uint64_t{b[big_ ? i : count - 1 - i]} << (8 * (count - 1 - i));
        return true;
    }

private:
    int64_t size_;
    const ReadAt& read_;
    bool big_;
};

bool Is(const char (&id)[4], const char* name) {
    return std::memcmp(id, name, 4) == 0;
}

struct ListWalk {
    std::string problem;
    int64_t resume = -1; // where the library goes on at the top level, if not after the LIST
};

// The sub-chunks of the LIST chunk whose body is [begin, end), walked as the library walks
// them: "INFO" and "adtl" stand alone, "data" sends it back to the top level, a zero marker
// or "exif" (parsed on its own, with checked sizes) ends the list.
ListWalk WalkList(const Bytes& file, int64_t begin, int64_t end, int& chunks) {
    const int64_t limit = std::min(end, file.Size());
    for (int64_t at = begin; at < limit && chunks < MaxChunks; chunks++) {
        char id[4];
        uint64_t size = 0;
        if (!file.IdAt(at, id))
            return {};
        if (Is(id, "INFO") || Is(id, "adtl")) {
            at += 4;
            continue;
        }
        if (Is(id, "data"))
            return {{}, at};
        if (Is(id, "\0\0\0\0") || Is(id, "exif") || !file.NumberAt(at + 4, 4, size))
            return {};
        // The library pads the size and counts the list's bytes in 32 bits: a size of
        // 0xFFFFFFFF pads to 0, and a count that wraps passes its bounds check and makes
        // the jump go back. A count past the list's end (as far as the file goes) ends it.
        const uint32_t padded = static_cast<uint32_t>(size + (size & 1));
        const uint64_t count = static_cast<uint64_t>(at + 8 - begin) + padded;
        if (static_cast<uint32_t>(count) > static_cast<uint64_t>(limit - begin))
            return {};
        if (count > UINT32_MAX)
            return {"damaged header: a chunk in its LIST chunk runs past the end of " +
                        std::string(at + 8 + static_cast<int64_t>(size) > file.Size()
                                        ? "the file"
                                        : "the LIST chunk"),
                    -1};
        at += 8 + static_cast<int64_t>(padded);
    }
    return {};
}

} // namespace

std::string WavHeaderProblem(int64_t size, const ReadAt& read) {
    char riff[4], wave[4];
    if (read(0, reinterpret_cast<uint8_t*>(riff), 4) != 4 ||
        read(8, reinterpret_cast<uint8_t*>(wave), 4) != 4 || !Is(wave, "WAVE"))
        return {};
    const bool rf64 = Is(riff, "RF64");
    if (!Is(riff, "RIFF") && !Is(riff, "RIFX") && !rf64)
        return {};
    const Bytes file(size, read, Is(riff, "RIFX"));
    uint64_t rf64Data = UINT32_MAX; // the data chunk's size in RF64's "ds64" chunk
    int chunks = 0;
    // The library pads every chunk to an even size, goes on after a data chunk that ends
    // within the file, and stops at one that does not.
    for (int64_t at = 12; at + 8 <= size && chunks < MaxChunks; chunks++) {
        char id[4];
        uint64_t length = 0;
        if (!file.IdAt(at, id) || !file.NumberAt(at + 4, 4, length))
            break;
        if (rf64 && Is(id, "ds64") && length >= 16)
            file.NumberAt(at + 16, 8, rf64Data);
        const bool data = Is(id, "data");
        if (data && rf64 && length == UINT32_MAX)
            length = rf64Data;
        if (Is(id, "LIST") && length > 8) {
            const ListWalk list =
                WalkList(file, at + 8, at + 8 + static_cast<int64_t>(length), chunks);
            if (!list.problem.empty())
                return list.problem;
            if (list.resume >= 0) {
                at = list.resume;
                continue;
            }
        }
        if (length > static_cast<uint64_t>(size)) {
            if (data)
                break;
            length = static_cast<uint64_t>(size);
        }
        at += 8 + static_cast<int64_t>(length + (length & 1));
        if (data && at > size + 1)
            break;
    }
    return {};
}
