// Sound files for pack and replace: every format and sample type the sound file library
// reads (WAV of any PCM width, float, extensible or streamed; AIFF; FLAC; Ogg Vorbis and
// Opus; MP3), from a regular file or from standard input ("-"), mixed down to mono. The
// header is read first, so that a sound too long for a record is refused before its
// samples are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The most bytes read from standard input (1 GiB): the stream is held in memory, since
// most formats need to seek, and a record holds at most 1 Gi 16-bit samples.
constexpr int64_t StandardInputLimit = int64_t{1} << 30;

class AudioFile {
public:
    AudioFile();
    ~AudioFile();
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    // Opens path ("-": standard input) and reads its header. Empty on success, else the
    // reason (for messages after the file's name). A WAV header that the library would
    // parse without end is refused before the library sees it (wav_header_check.h).
    std::string Open(const std::string& path);
    // Opens size bytes at data (which must outlive the file) as a sound file.
    std::string OpenMemory(const uint8_t* data, size_t size);

    int64_t Rate() const;   // Hz, as the file says (above 0 once open)
    int Channels() const;   // before the mix-down (1 or more once open)
    int64_t Frames() const; // as the header says; -1 when it does not know
    // The samples, mean of the channels, at full scale +-1.0 (a float file may go
    // beyond). Empty on success, else the reason.
    std::string Read(std::vector<float>& mono);

private:
    struct State;
    std::unique_ptr<State> state_;
};
