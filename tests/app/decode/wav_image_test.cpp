#include "app/decode/decode.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

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
    const Header expected = {'R', 'I', 'F',  'F',  0x88, 0x00, 0x00, 0x00, 'W', 'A', 'V',
                             'E', 'f', 'm',  't',  ' ',  16,   0,    0,    0,   1,   0,
                             1,   0,   0x22, 0x56, 0,    0,    0x44, 0xAC, 0,   0,   2,
                             0,   16,  0,    'd',  'a',  't',  'a',  100,  0,   0,   0};
    EXPECT_EQ(MakeHeader(22050, 100), expected);
}

struct RateCase {
    int64_t rate;
    uint32_t byteRate;
};

TEST(WavImageTest, RateAndByteRateForEveryRateWord) {
    // Rates 0x8000 and above are unsigned words: 44100 is 0xAC44 and stays 44100.
    const RateCase cases[] = {{1, 2},         {11025, 22050}, {32767, 65534},
                              {32768, 65536}, {44100, 88200}, {65535, 131070}};
    for (const RateCase& c : cases) {
        const Header h = MakeHeader(c.rate, 8);
        EXPECT_EQ(Le32(h, 24), c.rate) << c.rate;
        EXPECT_EQ(Le32(h, 28), c.byteRate) << c.rate;
        EXPECT_EQ(h[32] | h[33] << 8, 2) << c.rate;
    }
}

TEST(WavImageTest, EmptySampleHasRiffSize36AndDataSize0) {
    const Header h = MakeHeader(11025, 0);
    EXPECT_EQ(Le32(h, 4), 36u);
    EXPECT_EQ(Le32(h, 40), 0u);
    EXPECT_EQ(std::memcmp(h.data() + 36, "data", 4), 0);
}

TEST(WavImageTest, LargestDataSizeKeepsRiffSizeTo32Bits) {
    const Header h = MakeHeader(22050, 0x7FFFFFF0);
    EXPECT_EQ(Le32(h, 4), 0x80000014u);
    EXPECT_EQ(Le32(h, 40), 0x7FFFFFF0u);
}

} // namespace
