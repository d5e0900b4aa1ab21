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

TEST(WavImageTest, HeaderBytesAreCanonical) {
    const Header expected = {'R', 'I', 'F',  'F',  0x88, 0,   0,    0,    'W', 'A', 'V',
                             'E', 'f', 'm',  't',  ' ',  16,  0,    0,    0,   1,   0,
                             1,   0,   0x22, 0x56, 0,    0,   0x44, 0xAC, 0,   0,   2,
                             0,   16,  0,    'd',  'a',  't', 'a',  100,  0,   0,   0};
    EXPECT_EQ(MakeHeader(22050, 100), expected);
    const Header empty = MakeHeader(11025, 0);
    EXPECT_EQ(Le32(empty, 4), 36u);
    EXPECT_EQ(Le32(empty, 40), 0u);
}

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
