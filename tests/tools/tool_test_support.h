// Helpers of the companion's tests: the tool run in-process, a scratch folder per test, and
// packages and WAV files built by hand or with the encoder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

// Runs marrowvale-sounds with args (without the program name), without a progress bar.
ToolResult RunTool(const std::vector<std::string>& args);

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);

void PutLe16(Bytes& out, uint32_t value);
void PutLe32(Bytes& out, uint32_t value);
void Append(Bytes& out, const Bytes& more);

// An 8-byte record header: rate word, PackedSize, channels 1, reserved 0.
Bytes RecordHeader(uint16_t rate, int32_t packedSize);
// An 8-byte block header: NibbleBytes, OutputBytes, reserved 0.
Bytes BlockHeader(int16_t nibbleBytes, int16_t outputBytes);

// The 44-byte header of a mono 16-bit WAV file followed by samples, written field by field.
Bytes CanonicalWav(uint32_t rate, const std::vector<int16_t>& samples);

// Test fixture with an empty scratch folder, removed afterwards.
class ToolTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A path inside the scratch folder.
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
};
