// The decoder's tables, and the fast kernels against the reference step AdpcmDecodeStep:
// known samples, random code streams from the start state, and every code from every
// step index at the predictors where the clamps act.
#include "decode_fixture.h"

#include <random>

namespace {

using Kernel = void (*)(AdpcmState&, const uint8_t*, int64_t, uint8_t*);

struct Decoded {
    Samples16 samples;
    AdpcmState end;
};

Decoded Reference(AdpcmState state, const Bytes& codes) {
    Samples16 samples = StepDecode(codes, state);
    return {samples, state};
}

Decoded RunKernel(Kernel kernel, AdpcmState state, const Bytes& codes) {
    // Two guard bytes on each side: the kernel writes exactly 4 bytes per code byte.
    Bytes out(codes.size() * 4 + 4, 0xA5);
    kernel(state, codes.data(), static_cast<int64_t>(codes.size()), out.data() + 2);
    Decoded d;
    for (size_t i = 0; i < codes.size() * 2; i++)
        d.samples.push_back(static_cast<int16_t>(out[2 + 2 * i] | out[3 + 2 * i] << 8));
    d.end = state;
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 2), Bytes(2, 0xA5));
    EXPECT_EQ(Bytes(out.end() - 2, out.end()), Bytes(2, 0xA5));
    return d;
}

const struct {
    const char* name;
    Kernel kernel;
} Kernels[] = {{"DecodeAdpcmBytes", DecodeAdpcmBytes},
               {"DecodeAdpcmBytesScalar", DecodeAdpcmBytesScalar}};

class AdpcmTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitArrays();
        InitDecoderTables();
    }
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

TEST_F(AdpcmTest, FusedTableHoldsEachCodesNextRowAndDifference) {
    // {step index, code, next step index, difference}: step 7 at index 0, 32767 at 88.
    const struct {
        int32_t row;
        uint32_t code;
        int32_t next;
        int32_t diff;
    } cases[] = {
        {0, 0, 0, 0},       {0, 7, 8, 11},     {0, 15, 8, -11},    {0, 8, 0, 0},
        {1, 4, 3, 9},       {44, 3, 43, 431},  {88, 7, 88, 61436}, {88, 15, 88, -61436},
        {87, 6, 88, 48415}, {88, 0, 87, 4095}, {10, 12, 12, -21},  {80, 1, 79, 5733},
    };
    for (const auto& c : cases) {
        const FusedStep& entry = FusedStepTable[c.row * 16 + c.code];
        EXPECT_EQ(entry.next, static_cast<uint32_t>(c.next * FusedRowBytes))
            << c.row << "/" << c.code;
        EXPECT_EQ(entry.diff[0] + entry.diff[1], c.diff) << c.row << "/" << c.code;
        // Halves of one sign: two saturating adds then clamp like one add of the sum.
        EXPECT_TRUE((entry.diff[0] >= 0 && entry.diff[1] >= 0) ||
                    (entry.diff[0] <= 0 && entry.diff[1] <= 0))
            << c.row << "/" << c.code;
    }
}

TEST_F(AdpcmTest, KnownSamplesFromTheStartStateAndAtTheLimits) {
    // Full steps of 61436 from one limit land inside the range, a second one is clamped at
    // the other; a step uses the step size from before its index update.
    const struct {
        const char* what;
        AdpcmState start;
        Bytes codes;
        Samples16 samples;
        AdpcmState end;
    } cases[] = {
        {"0x77", {}, {0x77}, {11, 41}, {41, 16}},
        {"0x77 0x08", {}, {0x77, 0x08}, {11, 41, 37, 40}, {40, 14}},
        {"sign bit on the high nibble", {}, {0xF7}, {11, -19}, {-19, 16}},
        {"code 0 keeps index 0", {}, {0x00}, {0, 0}, {0, 0}},
        {"index never below 0", {}, {0x11, 0x99}, {1, 2, 1, 0}, {0, 0}},
        {"up from the low limit", {-32768, 88}, {0x77}, {28668, 32767}, {32767, 88}},
        {"down from the high limit", {32767, 88}, {0xFF}, {-28669, -32768}, {-32768, 88}},
        {"held at the high limit", {32767, 88}, {0x07}, {32767, 32767}, {32767, 87}},
        {"held at the low limit", {-32768, 0}, {0x88}, {-32768, -32768}, {-32768, 0}},
        {"step 8, then index 3", {100, 1}, {0x04}, {109, 110}, {110, 2}},
    };
    for (const auto& [name, kernel] : Kernels) {
        for (const auto& c : cases) {
            const Decoded got = RunKernel(kernel, c.start, c.codes);
            EXPECT_EQ(got.samples, c.samples) << name << ": " << c.what;
            EXPECT_EQ(got.end.predictor, c.end.predictor) << name << ": " << c.what;
            EXPECT_EQ(got.end.stepIndex, c.end.stepIndex) << name << ": " << c.what;
        }
    }
}

TEST_F(AdpcmTest, ClampsHoldAtBothLimitsWithIndex88) {
    for (const auto& [code, limit] : {std::pair<uint8_t, int16_t>{0x77, 32767}, {0xFF, -32768}}) {
        const Decoded d = RunKernel(DecodeAdpcmBytes, AdpcmState{}, Bytes(12, code));
        EXPECT_NE(d.samples[9], limit);
        for (size_t i = 10; i < d.samples.size(); i++)
            EXPECT_EQ(d.samples[i], limit) << "sample " << i;
        EXPECT_EQ(d.end.stepIndex, 88);
    }
}

TEST_F(AdpcmTest, RandomStreamsDecodeAsTheReferenceStep) {
    std::mt19937 random(20240611);
    // Lengths around the kernels' unrolling, and streams biased to one sign so that the
    // predictor sits at a clamp for long runs.
    const size_t lengths[] = {0, 1, 2, 3, 7, 8, 15, 16, 17, 255, 4096, 65537};
    for (const auto& [name, kernel] : Kernels) {
        for (size_t length : lengths) {
            for (uint32_t bias : {0x00u, 0x77u, 0xFFu, 0x88u}) {
                Bytes codes(length);
                for (uint8_t& byte : codes)
                    byte = static_cast<uint8_t>(random() | (random() % 4 == 0 ? bias : 0));
                const Decoded want = Reference(AdpcmState{}, codes);
                const Decoded got = RunKernel(kernel, AdpcmState{}, codes);
                EXPECT_EQ(got.samples, want.samples) << name << " length " << length;
                EXPECT_EQ(got.end.predictor, want.end.predictor) << name << " length " << length;
                EXPECT_EQ(got.end.stepIndex, want.end.stepIndex) << name << " length " << length;
            }
        }
    }
}

TEST_F(AdpcmTest, EveryCodeFromEveryStepIndexAndExtremePredictor) {
    // Each byte pairs a code with every other, so that both nibble positions see all 16
    // codes from every state.
    Bytes pairs;
    for (uint32_t low = 0; low < 16; low++) {
        for (uint32_t high = 0; high < 16; high++)
            pairs.push_back(static_cast<uint8_t>(low | high << 4));
    }
    const int32_t predictors[] = {-32768, -32767, -30000, -1, 0, 1, 30000, 32766, 32767};
    for (const auto& [name, kernel] : Kernels) {
        for (int32_t index = 0; index < StepTableSize; index++) {
            for (int32_t predictor : predictors) {
                for (uint8_t byte : pairs) {
                    const AdpcmState start{predictor, index};
                    const Decoded want = Reference(start, {byte});
                    const Decoded got = RunKernel(kernel, start, {byte});
                    ASSERT_EQ(got.samples, want.samples)
                        << name << " byte " << int{byte} << " from " << predictor << "/" << index;
                    ASSERT_EQ(got.end.stepIndex, want.end.stepIndex) << name;
                    ASSERT_EQ(got.end.predictor, want.end.predictor) << name;
                }
            }
        }
    }
}

} // namespace
