// The sound library's commands on the main thread: start and end, the sound registry,
// loading from WAV images, and starting and stopping playback.
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"

namespace {

constexpr int32_t SoundRegistryGrowStep = 64;
constexpr int32_t FullVolume = 100;

struct SoundLibrary {
    ObjectRegistry* registry = nullptr; // created by the first successful InitSound
    bool initialised = false;           // an output is open
};

SoundLibrary Library;

// True when the library is usable; releases the buffers that the audio thread can no
// longer reach on the way, so that they never wait longer than the next command.
bool Ready() {
    if (!Library.initialised) {
        return false;
    }
    ReleaseRetiredBuffers();
    return true;
}

SoundRecord* FindSound(int64_t number) {
    if (!Library.initialised) {
        return nullptr;
    }
    return static_cast<SoundRecord*>(GetObject(Library.registry, number));
}

} // namespace

// --- Start and end ----------------------------------------------------------------------

ObjectRegistry* InitSound() {
    if (Library.initialised) {
        return Library.registry;
    }
    // No callback runs yet: the table starts clean before the output can read it.
    ResetChannels();
    if (!OpenLibraryOutput()) {
        return nullptr;
    }
    if (Library.registry == nullptr) {
        Library.registry = NewObjectRegistry(sizeof(SoundRecord), SoundRegistryGrowStep, FreeSound);
    }
    if (Library.registry == nullptr) {
        CloseLibraryOutput();
        return nullptr;
    }
    Library.initialised = true;
    return Library.registry;
}

void EndSound() {
    if (!Library.initialised) {
        return;
    }
    CloseLibraryOutput();
    FreeAllObjects(Library.registry);
    // With the output closed no channel can be read: every buffer may go now.
    ForgetStoppedChannels();
    ReleaseAllRetiredBuffers();
    Library.initialised = false;
}

// --- Sound objects ------------------------------------------------------------------------

int64_t IsSound(int64_t number) {
    if (!Ready()) {
        return 0;
    }
    return reinterpret_cast<int64_t>(IsObject(Library.registry, number));
}

int64_t CatchSound(int64_t number, const void* image, int64_t imageSize) {
    if (!Ready() || number < AnyNumber) {
        return 0;
    }
    WavFormat format;
    if (!ParseWavImage(static_cast<const uint8_t*>(image), imageSize, &format)) {
        return 0;
    }
    int64_t size = 0;
    uint8_t* data = ConvertToOutputFormat(format.data, format.dataSize, format.channels,
                                          format.bits, format.rate, &size);
    if (data == nullptr) {
        return 0;
    }
    // Frees an earlier sound of this number (through FreeSound) only now that the new
    // one is ready.
    auto* record = static_cast<SoundRecord*>(AllocateObject(Library.registry, number));
    if (record == nullptr) {
        FreeSampleBuffer(data);
        return 0;
    }
    record->Data = data;
    record->Size = static_cast<uint32_t>(size);
    record->Volume = FullVolume;
    record->Rate = static_cast<int32_t>(SoundOutputRate);
    record->Bits = static_cast<int16_t>(SoundOutputBits);
    record->Channels = static_cast<int16_t>(SoundOutputChannels);
    return reinterpret_cast<int64_t>(record);
}

void FreeSound(int64_t number) {
    if (!Ready()) {
        return;
    }
    if (number == AllObjects) {
        FreeAllObjects(Library.registry);
        return;
    }
    SoundRecord* record = FindSound(number);
    if (record == nullptr) {
        return;
    }
    StopChannels(number);
    uint8_t* data = record->Data;
    FreeObject(Library.registry, number);
    RetireSampleBuffer(data);
}

// --- Playback -------------------------------------------------------------------------------

int64_t PlaySound(int64_t number) {
    if (!Ready()) {
        return 0;
    }
    SoundRecord* record = FindSound(number);
    if (record == nullptr) {
        return 0;
    }
    StopChannels(number);
    return StartChannelAwake(number, record->Data, record->Size, record->Volume) ? 1 : 0;
}

void StopSound(int64_t number) {
    if (Ready()) {
        StopChannels(number);
    }
}

int64_t SoundStatus(int64_t number) {
    uint32_t remaining = 0;
    uint32_t size = 0;
    return Library.initialised && FindPlayingChannel(number, &remaining, &size) ? 1 : 0;
}

int64_t SoundPosition(int64_t number) {
    uint32_t remaining = 0;
    uint32_t size = 0;
    if (!Library.initialised || !FindPlayingChannel(number, &remaining, &size)) {
        return 0;
    }
    return (static_cast<int64_t>(size) - remaining) / SoundFrameBytes;
}

int64_t SoundLength(int64_t number) {
    SoundRecord* record = FindSound(number);
    return record != nullptr ? record->Size / SoundFrameBytes : 0;
}
