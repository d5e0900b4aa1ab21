#include "app/decode/wav_image.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Header = std::array<uint8_t, 44>;

Header MakeHeader(int64_t rate, int32_t dataSize) {
    Header header;
    header.fill(0xCC);
    WriteWavHeader(header.data(), rate, dataSize);
    return header;
}

uint32_t Le32(const Header& h, int at) {
    return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | static_cast<uint32_t>(h[at + 3]) << 24;
}

// The header's bytes as a whole are compared with an independent canonical header by the
// extract tests.
TEST(WavImageTest, RateAndByteRateForEveryRateWord) {
    // 44100 is the word 0xAC44 and must stay 44100.
    const std::pair<int64_t, uint32_t> cases[] = {
        {1, 2}, {32767, 65534}, {32768, 65536}, {44100, 88200}, {65535, 131070}};
    for (const auto& [rate, byteRate] : cases) {
        const Header h = MakeHeader(rate, 8);
        EXPECT_EQ(Le32(h, 24), rate);
        EXPECT_EQ(Le32(h, 28), byteRate);
        EXPECT_EQ(h[32], 2);
    }
}

} // namespace
