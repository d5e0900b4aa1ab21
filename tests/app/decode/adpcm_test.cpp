#include "app/decode/decode.h"

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

    // Decodes bytes from the start state; returns the samples and leaves the state.
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
    const std::vector<int32_t> index(IndexTable, IndexTable + IndexTableSize);
    EXPECT_EQ(index, (std::vector<int32_t>{-1, -1, -1, -1, 2, 4, 6, 8}));
    EXPECT_EQ(StepTable[0], 7);
    EXPECT_EQ(StepTable[1], 8);
    EXPECT_EQ(StepTable[44], 494);
    EXPECT_EQ(StepTable[88], 32767);
    int64_t sum = 0;
    for (int i = 0; i < StepTableSize; i++) {
        sum += StepTable[i];
        if (i > 0) {
            EXPECT_GT(StepTable[i], StepTable[i - 1]) << "at " << i;
        }
    }
    EXPECT_EQ(sum, 360393);
    EXPECT_EQ(ArrayHeader(StepTable)->count, 89);
    EXPECT_EQ(ArrayHeader(IndexTable)->count, 8);
    EXPECT_EQ(ArrayHeader(StepTable)->typeCode, TypeLong);
}

struct Vector {
    const char* what;
    std::vector<uint8_t> codes;
    std::vector<int16_t> samples;
    int32_t predictor;
    int32_t stepIndex;
};

TEST_F(AdpcmTest, KnownVectorsFromTheStartState) {
    const Vector vectors[] = {
        {"0x77", {0x77}, {11, 41}, 41, 16},
        {"0x77 0x08", {0x77, 0x08}, {11, 41, 37, 40}, 40, 14},
        {"sign bit on the high nibble", {0xF7}, {11, -19}, -19, 16},
        {"code 0 keeps index 0", {0x00}, {0, 0}, 0, 0},
        {"small magnitudes never go below index 0", {0x11, 0x99}, {1, 2, 1, 0}, 0, 0},
    };
    for (const Vector& v : vectors) {
        state = AdpcmState{};
        EXPECT_EQ(Decode(v.codes), v.samples) << v.what;
        EXPECT_EQ(state.predictor, v.predictor) << v.what;
        EXPECT_EQ(state.stepIndex, v.stepIndex) << v.what;
    }
}

TEST_F(AdpcmTest, PositiveClampHoldsAt32767AndIndexAt88) {
    const std::vector<int16_t> samples = Decode(std::vector<uint8_t>(12, 0x77));
    ASSERT_EQ(samples.size(), 24u);
    EXPECT_LT(samples[9], 32767);
    for (size_t i = 10; i < samples.size(); i++)
        EXPECT_EQ(samples[i], 32767) << "sample " << i;
    EXPECT_EQ(state.stepIndex, 88);
}

TEST_F(AdpcmTest, NegativeClampHoldsAtMinus32768) {
    const std::vector<int16_t> samples = Decode(std::vector<uint8_t>(12, 0xFF));
    EXPECT_GT(samples[9], -32768);
    for (size_t i = 10; i < samples.size(); i++)
        EXPECT_EQ(samples[i], -32768) << "sample " << i;
    EXPECT_EQ(state.predictor, -32768);
    EXPECT_EQ(state.stepIndex, 88);
}

TEST_F(AdpcmTest, StepUsesTheStepSizeBeforeTheIndexUpdate) {
    // At index 88 a code 7 keeps the index; the diff comes from step 32767:
    // 4095 + 32767 + 16383 + 8191 from -32768 reaches 28668.
    state = AdpcmState{-32768, 88};
    EXPECT_EQ(AdpcmDecodeStep(state, 7, IndexTable, StepTable), 28668);
    EXPECT_EQ(state.stepIndex, 88);
    // Code 4 at index 1 (step 8): diff 1 + 8, then the index moves to 3.
    state = AdpcmState{100, 1};
    EXPECT_EQ(AdpcmDecodeStep(state, 4, IndexTable, StepTable), 109);
    EXPECT_EQ(state.stepIndex, 3);
}

TEST_F(AdpcmTest, StateRunsOnAcrossCalls) {
    std::vector<uint8_t> codes;
    for (int i = 0; i < 64; i++)
        codes.push_back(static_cast<uint8_t>(i * 37 + 11));
    const std::vector<int16_t> whole = Decode(codes);
    const AdpcmState end = state;

    state = AdpcmState{};
    std::vector<int16_t> pieces = Decode({codes.begin(), codes.begin() + 13});
    const std::vector<int16_t> rest = Decode({codes.begin() + 13, codes.end()});
    pieces.insert(pieces.end(), rest.begin(), rest.end());
    EXPECT_EQ(pieces, whole);
    EXPECT_EQ(state.predictor, end.predictor);
    EXPECT_EQ(state.stepIndex, end.stepIndex);
}

TEST_F(AdpcmTest, WritesExactlyFourBytesPerCodeByte) {
    std::vector<uint8_t> out(16, 0xAA);
    const uint8_t codes[2] = {0x77, 0x08};
    DecodeAdpcmBytes(state, codes, 2, out.data() + 4);
    const std::vector<uint8_t> expected = {0xAA, 0xAA, 0xAA, 0xAA, 11,   0,    41,   0,
                                           37,   0,    40,   0,    0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(out, expected);
}

} // namespace
