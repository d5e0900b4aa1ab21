#include "app/decode/adpcm.h"

#include "runtime/core/memory/memory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class AdpcmTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitArrays();
        InitDecoderTables();
    }

    std::vector<int16_t> Decode(const std::vector<uint8_t>& codes) {
        std::vector<uint8_t> out(codes.size() * 4);
        DecodeAdpcmBytes(state, codes.data(), static_cast<int64_t>(codes.size()), out.data());
        std::vector<int16_t> samples;
        for (size_t i = 0; i < out.size(); i += 2)
            samples.push_back(static_cast<int16_t>(out[i] | out[i + 1] << 8));
        return samples;
    }

    AdpcmState state;
};

TEST_F(AdpcmTest, TablesHoldTheImaValues) {
    EXPECT_EQ(std::vector<int32_t>(IndexTable, IndexTable + 8),
              (std::vector<int32_t>{-1, -1, -1, -1, 2, 4, 6, 8}));
    int64_t sum = 0;
    for (int i = 0; i < StepTableSize; i++)
        sum += StepTable[i];
    EXPECT_EQ(StepTable[0], 7);
    EXPECT_EQ(StepTable[44], 494);
    EXPECT_EQ(StepTable[88], 32767);
    EXPECT_EQ(sum, 360393);
    EXPECT_EQ(ArrayHeader(StepTable)->count, 89);
    EXPECT_EQ(ArrayHeader(IndexTable)->typeCode, TypeLong);
}

struct Vector {
    const char* what;
    std::vector<uint8_t> codes;
    std::vector<int16_t> samples;
    AdpcmState end;
};

TEST_F(AdpcmTest, KnownVectorsFromTheStartState) {
    const Vector vectors[] = {
        {"0x77", {0x77}, {11, 41}, {41, 16}},
        {"0x77 0x08", {0x77, 0x08}, {11, 41, 37, 40}, {40, 14}},
        {"sign bit on the high nibble", {0xF7}, {11, -19}, {-19, 16}},
        {"code 0 keeps index 0", {0x00}, {0, 0}, {0, 0}},
        {"index never below 0", {0x11, 0x99}, {1, 2, 1, 0}, {0, 0}},
    };
    for (const Vector& v : vectors) {
        state = AdpcmState{};
        EXPECT_EQ(Decode(v.codes), v.samples) << v.what;
        EXPECT_EQ(state.predictor, v.end.predictor) << v.what;
        EXPECT_EQ(state.stepIndex, v.end.stepIndex) << v.what;
    }
}

TEST_F(AdpcmTest, ClampsHoldAtBothLimitsWithIndex88) {
    for (const auto& [code, limit] : {std::pair<uint8_t, int16_t>{0x77, 32767}, {0xFF, -32768}}) {
        state = AdpcmState{};
        const std::vector<int16_t> samples = Decode(std::vector<uint8_t>(12, code));
        EXPECT_NE(samples[9], limit);
        for (size_t i = 10; i < samples.size(); i++)
            EXPECT_EQ(samples[i], limit) << "sample " << i;
        EXPECT_EQ(state.stepIndex, 88);
    }
}

TEST_F(AdpcmTest, StepUsesTheStepSizeBeforeTheIndexUpdate) {
    // 4095 + 32767 + 16383 + 8191 from -32768.
    state = AdpcmState{-32768, 88};
    EXPECT_EQ(AdpcmDecodeStep(state, 7, IndexTable, StepTable), 28668);
    EXPECT_EQ(state.stepIndex, 88);
    state = AdpcmState{100, 1}; // step 8: diff 1 + 8, index to 3
    EXPECT_EQ(AdpcmDecodeStep(state, 4, IndexTable, StepTable), 109);
    EXPECT_EQ(state.stepIndex, 3);
}

TEST_F(AdpcmTest, StateRunsOnAcrossCallsAndWritesOnlyItsBytes) {
    std::vector<uint8_t> codes;
    for (int i = 0; i < 64; i++)
        codes.push_back(static_cast<uint8_t>(i * 37 + 11));
    const std::vector<int16_t> whole = Decode(codes);
    state = AdpcmState{};
    std::vector<int16_t> pieces = Decode({codes.begin(), codes.begin() + 13});
    const std::vector<int16_t> rest = Decode({codes.begin() + 13, codes.end()});
    pieces.insert(pieces.end(), rest.begin(), rest.end());
    EXPECT_EQ(pieces, whole);

    std::vector<uint8_t> out(10, 0xAA);
    state = AdpcmState{};
    DecodeAdpcmBytes(state, codes.data(), 2, out.data() + 1);
    EXPECT_EQ(out.front(), 0xAA);
    EXPECT_EQ(out.back(), 0xAA);
}

} // namespace
