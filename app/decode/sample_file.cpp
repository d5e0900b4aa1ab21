// Saving a decoded sample: its WAV image's file part, written unchanged.
#include "app/decode/decode.h"

#include "runtime/core/files/files.h"

int SaveSampleFile(const SampleEntry* entry, const char16_t* path) {
    constexpr int64_t FileNumber = 0;
    if (!entry || !entry->WavImage || !CreateFile(FileNumber, path))
        return 0;
    const int32_t length = static_cast<int32_t>(entry->DataSize + WavHeaderSize);
    const int32_t written = WriteData(FileNumber, entry->WavImage, length);
    // The buffered write hides a failed flush: only the checked close tells whether the
    // bytes reached the disk.
    const int closed = CloseFileChecked(FileNumber);
    return written == length && closed ? 1 : 0;
}
