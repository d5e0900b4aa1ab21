#include "tools/audio_input.h"

#include "tools/tool_files.h"
#include "tools/wav_header_check.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Frames read at a time: 64 Ki frames of up to 8 channels of float, 2 MiB.
constexpr sf_count_t ReadFrames = 64 << 10;

// The bytes of a stream held in memory, as the library's virtual file.
struct MemoryFile {
    const uint8_t* data = nullptr;
    sf_count_t size = 0;
    sf_count_t at = 0;
};

sf_count_t Length(void* file) {
    return static_cast<MemoryFile*>(file)->size;
}

sf_count_t Seek(sf_count_t offset, int whence, void* file) {
    auto* m = static_cast<MemoryFile*>(file);
    const sf_count_t base = whence == SEEK_CUR ? m->at : whence == SEEK_END ? m->size : 0;
    const sf_count_t to = base + offset;
    if (to < 0 || to > m->size)
        return -1;
    return m->at = to;
}

sf_count_t Read(void* out, sf_count_t count, void* file) {
    auto* m = static_cast<MemoryFile*>(file);
    const sf_count_t n = std::clamp<sf_count_t>(m->size - m->at, 0, count);
    std::memcpy(out, m->data + m->at, static_cast<size_t>(n));
    m->at += n;
    return n;
}

sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t Tell(void* file) {
    return static_cast<MemoryFile*>(file)->at;
}

SF_VIRTUAL_IO MemoryIo = {Length, Seek, Read, Write, Tell};

// Reads standard input into bytes, at most StandardInputLimit. Empty, or the reason.
std::string ReadStandardInput(std::vector<uint8_t>& bytes) {
    for (;;) {
        const size_t at = bytes.size();
        if (static_cast<int64_t>(at) > StandardInputLimit)
            return "standard input holds more than 1 GiB; give a file instead";
        bytes.resize(at + (1 << 20));
        const ssize_t got = read(STDIN_FILENO, bytes.data() + at, 1 << 20);
        if (got < 0 && errno == EINTR) {
            bytes.resize(at);
            continue;
        }
        bytes.resize(at + static_cast<size_t>(std::max<ssize_t>(got, 0)));
        if (got < 0)
            return std::strerror(errno);
        if (got == 0)
            return {};
    }
}

// The library's message without its full stop, for a message that goes on.
std::string LibraryMessage(SNDFILE* file) {
    std::string text = sf_strerror(file);
    while (!text.empty() && (text.back() == '.' || text.back() == '\n'))
        text.pop_back();
    return text;
}

std::string OpenFailure(SNDFILE* file) {
    return "cannot be read as sound: " + LibraryMessage(file);
}

// The header check on the open regular file fd of size bytes: empty, or the reason.
std::string FileHeaderProblem(int fd, int64_t size) {
    const std::string problem = WavHeaderProblem(size, [fd](int64_t at, uint8_t* out, int64_t n) {
        const ssize_t got = pread(fd, out, static_cast<size_t>(n), at);
        return static_cast<int64_t>(std::max<ssize_t>(got, 0));
    });
    return problem.empty() ? problem : "cannot be read as sound: " + problem;
}

} // namespace

struct AudioFile::State {
    SNDFILE* file = nullptr;
    SF_INFO info{};
    MemoryFile memory;
    std::vector<uint8_t> held; // standard input's bytes
    int fd = -1;               // the file the library reads, checked first on the same descriptor
};

AudioFile::AudioFile() : state_(std::make_unique<State>()) {}

AudioFile::~AudioFile() {
    if (state_->file)
        sf_close(state_->file);
    if (state_->fd >= 0)
        close(state_->fd);
}

std::string AudioFile::Open(const std::string& path) {
    if (path == "-") {
        const std::string problem = ReadStandardInput(state_->held);
        return problem.empty() ? OpenMemory(state_->held.data(), state_->held.size()) : problem;
    }
    // A FIFO without a writer would block the open, a device might never end.
    const std::string problem = NotRegularProblem(path);
    if (!problem.empty())
        return problem;
    state_->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (state_->fd < 0)
        return std::strerror(errno);
    struct stat status;
    if (fstat(state_->fd, &status) != 0)
        return std::strerror(errno);
    if (S_ISDIR(status.st_mode))
        return "is a folder, not a file";
    const std::string damaged = FileHeaderProblem(state_->fd, status.st_size);
    if (!damaged.empty())
        return damaged;
    // The descriptor stays ours: the library reads exactly the file that was checked.
    state_->file = sf_open_fd(state_->fd, SFM_READ, &state_->info, SF_FALSE);
    return state_->file ? std::string() : OpenFailure(nullptr);
}

std::string AudioFile::OpenMemory(const uint8_t* data, size_t size) {
    const std::string damaged = WavHeaderProblem(
        static_cast<int64_t>(size), [data, size](int64_t at, uint8_t* out, int64_t n) {
            const int64_t got = std::clamp<int64_t>(static_cast<int64_t>(size) - at, 0, n);
            if (got > 0)
                std::memcpy(out, data + at, static_cast<size_t>(got));
            return got;
        });
    if (!damaged.empty())
        return "cannot be read as sound: " + damaged;
    state_->memory = MemoryFile{data, static_cast<sf_count_t>(size), 0};
    state_->file = sf_open_virtual(&MemoryIo, SFM_READ, &state_->info, &state_->memory);
    return state_->file ? std::string() : OpenFailure(nullptr);
}

int64_t AudioFile::Rate() const {
    return state_->info.samplerate;
}

int AudioFile::Channels() const {
    return state_->info.channels;
}

int64_t AudioFile::Frames() const {
    // A stream written with its sizes unknown reports the largest count there is.
    const sf_count_t frames = state_->info.frames;
    return frames < 0 || frames >= SF_COUNT_MAX / 2 ? -1 : frames;
}

std::string AudioFile::Read(std::vector<float>& mono) {
    mono.clear();
    const int channels = state_->info.channels;
    if (!state_->file || channels < 1 || state_->info.samplerate < 1)
        return "holds no sound";
    std::vector<float> chunk(static_cast<size_t>(ReadFrames * channels));
    if (Frames() > 0)
        mono.reserve(static_cast<size_t>(Frames()));
    for (;;) {
        const sf_count_t got = sf_readf_float(state_->file, chunk.data(), ReadFrames);
        for (sf_count_t f = 0; f < got; f++) {
            float sum = 0;
            for (int c = 0; c < channels; c++)
                sum += chunk[static_cast<size_t>(f * channels + c)];
            mono.push_back(sum / static_cast<float>(channels));
        }
        if (got < ReadFrames)
            break;
    }
    if (sf_error(state_->file) != SF_ERR_NO_ERROR)
        return "cannot be read completely: " + LibraryMessage(state_->file);
    return {};
}
