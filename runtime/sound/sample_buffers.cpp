// Sample buffers and their deferred release.
//
// Every buffer carries a small header in front of its samples, so that a freed sound's
// buffer can wait in the list of retired buffers without any further allocation: freeing
// a sound can therefore never fail or leak. The list belongs to the main thread; the audio
// thread never sees it.
#include "runtime/core/strings/strings.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"

namespace {

// 16 bytes, so that the samples keep the allocation's alignment.
struct SampleBufferHeader {
    SampleBufferHeader* next; // next retired buffer
    int64_t stamp;            // render passes to exceed before the release
};

SampleBufferHeader* RetiredHead = nullptr;
int64_t RetiredCount = 0;

SampleBufferHeader* HeaderOf(uint8_t* buffer) {
    return reinterpret_cast<SampleBufferHeader*>(buffer) - 1;
}

// Releases the retired buffers for which release(stamp) holds.
template <typename Predicate> void ReleaseRetired(Predicate release) {
    SampleBufferHeader** link = &RetiredHead;
    while (*link != nullptr) {
        SampleBufferHeader* header = *link;
        if (release(header->stamp)) {
            *link = header->next;
            MemFree(header);
            --RetiredCount;
        } else {
            link = &header->next;
        }
    }
}

} // namespace

uint8_t* NewSampleBuffer(int64_t size) {
    if (size < 0 || size > SoundMaxBufferBytes) {
        return nullptr;
    }
    void* block = MemAllocZeroed(size + static_cast<int64_t>(sizeof(SampleBufferHeader)));
    if (block == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<uint8_t*>(static_cast<SampleBufferHeader*>(block) + 1);
}

void FreeSampleBuffer(uint8_t* buffer) {
    if (buffer != nullptr) {
        MemFree(HeaderOf(buffer));
    }
}

void RetireSampleBuffer(uint8_t* buffer) {
    if (buffer == nullptr) {
        return;
    }
    const int64_t stamp = StoppedChannelsStamp();
    if (stamp < 0) {
        FreeSampleBuffer(buffer);
        return;
    }
    SampleBufferHeader* header = HeaderOf(buffer);
    header->stamp = stamp;
    header->next = RetiredHead;
    RetiredHead = header;
    ++RetiredCount;
}

void ReleaseRetiredBuffers() {
    if (RetiredHead != nullptr) {
        ReleaseRetired([](int64_t stamp) { return RenderPassesExceed(stamp); });
    }
}

void ReleaseAllRetiredBuffers() {
    ReleaseRetired([](int64_t) { return true; });
}

int64_t SoundBuffersAwaitingRelease() {
    ReleaseRetiredBuffers();
    return RetiredCount;
}
