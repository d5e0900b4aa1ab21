// Helpers of the companion's tests: the tool run in-process, a scratch folder per test, and
// packages and WAV files built by hand, field by field.
#pragma once

#include "tools/tool.h"
#include "tools/tool_startup.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <sstream>
#include <stdlib.h>

using Bytes = std::vector<uint8_t>;
using ::testing::HasSubstr;

struct ToolEnvironment : ::testing::Environment { // the runtime, started as the tool does
    void SetUp() override { RunToolStartup(); }
    void TearDown() override { RunToolShutdown(); }
};
inline const auto* const Environment = ::testing::AddGlobalTestEnvironment(new ToolEnvironment);

struct ToolResult {
    int status;
    std::string out, err;
    bool operator==(const ToolResult&) const = default;
    friend void PrintTo(const ToolResult& r, std::ostream* os) {
        *os << r.status << ", out: " << ::testing::PrintToString(r.out)
            << ", err: " << ::testing::PrintToString(r.err);
    }
};

// Runs marrowvale-sounds with args (without the program name), without a progress bar.
inline ToolResult RunTool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    ToolIo io{out, err, false};
    const int status = RunSoundsTool(args, io);
    return {status, out.str(), err.str()};
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
}

inline Bytes Cat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes Le(uint32_t value, int count) { // count bytes, least significant first
    Bytes out;
    for (int i = 0; i < count; i++)
        out.push_back(static_cast<uint8_t>(value >> 8 * i));
    return out;
}

// A record header (rate, PackedSize, 1 channel, 0), and a record of one block of codes.
inline Bytes RecordHeader(uint16_t rate, int32_t packed) {
    return Cat({Le(rate, 2), Le(packed, 4), {1, 0}});
}
inline Bytes Record(uint16_t rate, int16_t nibbles, int16_t output, const Bytes& codes) {
    return Cat(
        {RecordHeader(rate, 8 + codes.size()), Le(nibbles, 2), Le(output, 2), Le(0, 4), codes});
}

// A RIFF chunk with its pad byte; a WAVE file of chunks; the body of a "fmt " chunk.
inline Bytes Chunk(const char* id, const Bytes& body) {
    return Cat({Bytes(id, id + 4), Le(body.size(), 4), body, Bytes(body.size() % 2, 0)});
}
inline Bytes Riff(const std::vector<Bytes>& chunks) {
    const Bytes body = Cat({{'W', 'A', 'V', 'E'}, Cat(chunks)});
    return Cat({{'R', 'I', 'F', 'F'}, Le(body.size(), 4), body});
}
inline Bytes FmtBody(uint16_t code = 1, uint16_t channels = 1, uint32_t rate = 22050,
                     uint16_t bits = 16) {
    const uint32_t align = channels * bits / 8u;
    return Cat({Le(code, 2), Le(channels, 2), Le(rate, 4), Le(rate * align, 4), Le(align, 2),
                Le(bits, 2)});
}

// A mono 16-bit PCM WAV image: the 44-byte header, then the samples.
inline Bytes CanonicalWav(uint32_t rate, const std::vector<int16_t>& samples) {
    std::vector<Bytes> data;
    for (int16_t sample : samples)
        data.push_back(Le(static_cast<uint16_t>(sample), 2));
    return Riff({Chunk("fmt ", FmtBody(1, 1, rate)), Chunk("data", Cat(data))});
}

// Test fixture with an empty scratch folder, removed afterwards.
class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / "mv-tools-XXXXXX";
        ASSERT_NE(mkdtemp(dir_.data()), nullptr);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
};
