// The channel table and the mixer: the only state that the main thread and the audio
// thread share.
//
// Protocol, without a lock:
// - A channel's State packs a generation (upper 32 bits) with the bytes still to mix
//   (lower 32 bits; 0 means the channel is free). Only the main thread changes the
//   generation: every start and every stop moves it on. The audio thread only lowers the
//   remaining count, and only by a compare-and-swap against the exact State it read, so a
//   stop (or a stop followed by a new start) made meanwhile always wins: the write-back
//   fails instead of reviving the channel.
// - The main thread fills Start, Size and Volume of a free channel, then publishes them
//   with a release store of State. The audio thread reads State, then the fields, then
//   State again; when the two differ the fields may belong to another start, and the
//   channel is skipped for this pass (a seqlock read). The fields are written with
//   release stores and read with acquire loads, which orders them without fences.
// - The mixing position is Start + Size - remaining, so the audio thread writes nothing
//   but State.
// - CompletedPasses counts finished callbacks. A buffer that a stopped channel was
//   reading stays allocated until the count exceeds its value read right after the stop:
//   by then the pass that might have been mixing it has ended. Stopping the output counts
//   as a pass too: once Stop has returned no pass is left running.
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>

namespace {

struct SoundChannel {
    std::atomic<uint64_t> State{0};
    std::atomic<const uint8_t*> Start{nullptr};
    std::atomic<uint32_t> Size{0};
    std::atomic<int32_t> Volume{0};
    std::atomic<int64_t> Sound{0}; // read by the main thread only
};

SoundChannel ChannelTable[SoundChannelCount];
std::atomic<int64_t> CompletedPasses{0};
// Main thread only: CompletedPasses read right after the latest stop, or -1.
int64_t LastStopPass = -1;

constexpr uint64_t RemainingMask = 0xFFFFFFFF;

uint32_t RemainingOf(uint64_t state) {
    return static_cast<uint32_t>(state & RemainingMask);
}

uint64_t NextGeneration(uint64_t state, uint32_t remaining) {
    return (((state >> 32) + 1) << 32) | remaining;
}

void StopChannel(SoundChannel& channel, uint64_t state) {
    channel.State.store(NextGeneration(state, 0), std::memory_order_seq_cst);
}

// 0 to 128 for a volume of 0 to 100.
int32_t VolumeScale(int32_t volume) {
    return std::clamp(volume, 0, 100) * 128 / 100;
}

int16_t ReadSample(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

void MixChannel(SoundChannel& channel, uint8_t* out, int64_t byteCount) {
    uint64_t state = channel.State.load(std::memory_order_seq_cst);
    const uint32_t remaining = RemainingOf(state);
    if (remaining == 0) {
        return;
    }
    // Acquire loads: the second read of State cannot move before them, and a field
    // written by a later start carries that start's preceding stop with it.
    const uint8_t* start = channel.Start.load(std::memory_order_acquire);
    const uint32_t size = channel.Size.load(std::memory_order_acquire);
    const int32_t volume = channel.Volume.load(std::memory_order_acquire);
    if (channel.State.load(std::memory_order_relaxed) != state || remaining > size) {
        return;
    }
    const int64_t n = std::min<int64_t>(remaining, byteCount);
    MixSamples(out, start + (size - remaining), n, VolumeScale(volume));
    channel.State.compare_exchange_strong(state, state - static_cast<uint64_t>(n),
                                          std::memory_order_release, std::memory_order_relaxed);
}

} // namespace

void MixSamples(uint8_t* out, const uint8_t* src, int64_t byteCount, int32_t scale) {
    scale = std::clamp(scale, 0, 128);
    if (scale == 0) {
        return;
    }
    for (int64_t i = 0; i + 1 < byteCount; i += 2) {
        const int32_t p = ReadSample(src + i) * scale / 128;
        const int32_t sum = std::clamp(ReadSample(out + i) + p, -32768, 32767);
        out[i] = static_cast<uint8_t>(sum & 0xFF);
        out[i + 1] = static_cast<uint8_t>((sum >> 8) & 0xFF);
    }
}

int RenderAudio(void* /*context*/, uint8_t* buffer, int64_t byteCount) {
    if (buffer != nullptr && byteCount > 0) {
        std::memset(buffer, 0, static_cast<size_t>(byteCount));
        for (SoundChannel& channel : ChannelTable) {
            MixChannel(channel, buffer, byteCount);
        }
    }
    CompletedPasses.fetch_add(1, std::memory_order_seq_cst);
    return 0;
}

void ResetChannels() {
    for (SoundChannel& channel : ChannelTable) {
        StopChannel(channel, channel.State.load(std::memory_order_acquire));
    }
}

void StopChannels(int64_t number) {
    bool stopped = false;
    for (SoundChannel& channel : ChannelTable) {
        const uint64_t state = channel.State.load(std::memory_order_acquire);
        if (RemainingOf(state) == 0) {
            continue;
        }
        if (number != AllObjects && channel.Sound.load(std::memory_order_relaxed) != number) {
            continue;
        }
        StopChannel(channel, state);
        stopped = true;
    }
    if (stopped) {
        LastStopPass = CompletedPasses.load(std::memory_order_seq_cst);
    }
}

bool StartChannel(int64_t number, const uint8_t* data, uint32_t size, int32_t volume) {
    for (SoundChannel& channel : ChannelTable) {
        const uint64_t state = channel.State.load(std::memory_order_acquire);
        if (RemainingOf(state) != 0) {
            continue;
        }
        // Release stores: a pass that reads one of the new values also sees the stop that
        // freed the channel, so its second read of State tells it to skip the channel.
        channel.Sound.store(number, std::memory_order_relaxed);
        channel.Start.store(data, std::memory_order_release);
        channel.Size.store(size, std::memory_order_release);
        channel.Volume.store(volume, std::memory_order_release);
        channel.State.store(NextGeneration(state, size), std::memory_order_release);
        return true;
    }
    return false;
}

bool FindPlayingChannel(int64_t number, uint32_t* remaining, uint32_t* size) {
    for (SoundChannel& channel : ChannelTable) {
        const uint32_t left = RemainingOf(channel.State.load(std::memory_order_acquire));
        if (left != 0 && channel.Sound.load(std::memory_order_relaxed) == number) {
            *remaining = left;
            *size = channel.Size.load(std::memory_order_relaxed);
            return true;
        }
    }
    return false;
}

int64_t StoppedChannelsStamp() {
    if (LastStopPass >= 0 && RenderPassesExceed(LastStopPass)) {
        LastStopPass = -1;
    }
    return LastStopPass;
}

bool RenderPassesExceed(int64_t stamp) {
    return CompletedPasses.load(std::memory_order_seq_cst) > stamp;
}

int64_t CompletedRenderPasses() {
    return CompletedPasses.load(std::memory_order_seq_cst);
}

void CountOutputStopAsPass() {
    CompletedPasses.fetch_add(1, std::memory_order_seq_cst);
}

bool AnyChannelPlaying() {
    return std::any_of(std::begin(ChannelTable), std::end(ChannelTable), [](const SoundChannel& c) {
        return RemainingOf(c.State.load(std::memory_order_acquire)) != 0;
    });
}

void ForgetStoppedChannels() {
    LastStopPass = -1;
}
