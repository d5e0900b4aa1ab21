#include "tests/tools/tool_test_support.h"

#include "tools/tool.h"
#include "tools/tool_startup.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdlib.h>

namespace {

// The runtime is started once for the whole test program, as the tool starts it.
class ToolEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RunToolStartup(); }
    void TearDown() override { RunToolShutdown(); }
};

[[maybe_unused]] const auto* const Environment =
    ::testing::AddGlobalTestEnvironment(new ToolEnvironment);

} // namespace

ToolResult RunTool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    ToolIo io{out, err, false};
    const int status = RunSoundsTool(args, io);
    return {status, out.str(), err.str()};
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void PutLe16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutLe32(Bytes& out, uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

Bytes RecordHeader(uint16_t rate, int32_t packedSize) {
    Bytes header;
    PutLe16(header, rate);
    PutLe32(header, static_cast<uint32_t>(packedSize));
    Append(header, {1, 0});
    return header;
}

Bytes BlockHeader(int16_t nibbleBytes, int16_t outputBytes) {
    Bytes header;
    PutLe16(header, static_cast<uint16_t>(nibbleBytes));
    PutLe16(header, static_cast<uint16_t>(outputBytes));
    PutLe32(header, 0);
    return header;
}

Bytes CanonicalWav(uint32_t rate, const std::vector<int16_t>& samples) {
    const auto dataSize = static_cast<uint32_t>(2 * samples.size());
    Bytes wav = {'R', 'I', 'F', 'F'};
    PutLe32(wav, dataSize + 36);
    Append(wav, {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe32(wav, 16);
    PutLe16(wav, 1); // integer PCM
    PutLe16(wav, 1); // mono
    PutLe32(wav, rate);
    PutLe32(wav, rate * 2);
    PutLe16(wav, 2);
    PutLe16(wav, 16);
    Append(wav, {'d', 'a', 't', 'a'});
    PutLe32(wav, dataSize);
    for (int16_t sample : samples)
        PutLe16(wav, static_cast<uint16_t>(sample));
    return wav;
}

void ToolTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mv-tools-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
}

void ToolTest::TearDown() {
    std::filesystem::remove_all(dir_);
}
