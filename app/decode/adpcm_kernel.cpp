// The decoder's hot loop on FusedStepTable.
//
// One stream is bound by its step-index chain: the row of each code comes from a load
// whose address needs the row of the code before. The loops keep that chain at one
// plain load per code (base + byte offset, no add and no scaling in between: about
// 4 cycles), and keep everything else off it: the predictor's clamp costs two 1-cycle
// saturating adds per code, and the code nibbles and table bases come from the code
// bytes alone.
#include "app/decode/adpcm.h"

#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Hides a value's origin from the optimiser. Without it the compiler adds the row
// offset to the code's table base once and lets both loads of the entry use the sum,
// which puts that add on the step-index chain.
template <typename T> inline void Opaque(T& value) {
#if defined(__GNUC__)
    asm("" : "+r"(value));
#else
    (void)value;
#endif
}

uint32_t LoadU32(const char* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// Two samples as signed 16-bit little-endian values at out.
void StorePair(uint8_t* out, uint32_t pair) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &pair, sizeof pair);
    } else {
        for (int i = 0; i < 4; i++)
            out[i] = static_cast<uint8_t>(pair >> (8 * i));
    }
}

// Where the entries of one code byte's two codes lie in every row, as byte addresses
// of row 0; the diff halves of an entry are 4 bytes after its next field.
struct CodeBases {
    const char* low;
    const char* high;
    const char* lowDiff;
    const char* highDiff;
};

CodeBases BasesOf(const char* table, uint32_t byte) {
    CodeBases b{table + sizeof(FusedStep) * (byte & 0x0F), table + sizeof(FusedStep) * (byte >> 4),
                nullptr, nullptr};
    b.lowDiff = b.low + offsetof(FusedStep, diff);
    b.highDiff = b.high + offsetof(FusedStep, diff);
    Opaque(b.low);
    Opaque(b.high);
    Opaque(b.lowDiff);
    Opaque(b.highDiff);
    return b;
}

// A step index outside the table would address outside it.
uint32_t FirstRow(const AdpcmState& state) {
    const int32_t index = state.stepIndex < 0 ? 0 : (state.stepIndex > 88 ? 88 : state.stepIndex);
    return static_cast<uint32_t>(index) * FusedRowBytes;
}

int32_t Clamp16(int32_t value) {
    return value < -32768 ? -32768 : (value > 32767 ? 32767 : value);
}

} // namespace

void DecodeAdpcmBytesScalar(AdpcmState& state, const uint8_t* codes, int64_t byteCount,
                            uint8_t* out) {
    const char* table = reinterpret_cast<const char*>(FusedStepTable);
    uint64_t row = FirstRow(state);
    int32_t predictor = state.predictor;
    for (int64_t i = 0; i < byteCount; i++) {
        const CodeBases b = BasesOf(table, codes[i]);
        const auto* low = reinterpret_cast<const FusedStep*>(b.low + row);
        row = low->next;
        const auto* high = reinterpret_cast<const FusedStep*>(b.high + row);
        row = high->next;
        const int32_t first = Clamp16(predictor + low->diff[0] + low->diff[1]);
        predictor = Clamp16(first + high->diff[0] + high->diff[1]);
        StorePair(out + 4 * i, static_cast<uint16_t>(first) |
                                   static_cast<uint32_t>(static_cast<uint16_t>(predictor)) << 16);
    }
    state.predictor = predictor;
    state.stepIndex = static_cast<int32_t>(row / FusedRowBytes);
}

#if defined(__SSE2__)

namespace {

// The predictor in the low 16-bit lane plus both halves of a difference (lanes 0 and
// 1 of halves), saturating: the same as adding the whole difference and clamping.
inline __m128i AddDiff(__m128i predictor, __m128i halves) {
    predictor = _mm_adds_epi16(predictor, halves);
    return _mm_adds_epi16(predictor, _mm_srli_epi32(halves, 16));
}

inline __m128i LoadHalves(const char* at) {
    return _mm_cvtsi32_si128(static_cast<int32_t>(LoadU32(at)));
}

} // namespace

// Out of line on purpose: inlined into a caller, the loop may lose the register layout
// that keeps the chain a plain load.
__attribute__((noinline)) void DecodeAdpcmBytes(AdpcmState& state, const uint8_t* codes,
                                                int64_t byteCount, uint8_t* out) {
    const char* table = reinterpret_cast<const char*>(FusedStepTable);
    uint64_t row = FirstRow(state);
    // Only lane 0 matters; the other lanes add up harmless leftovers.
    __m128i predictor = _mm_cvtsi32_si128(static_cast<uint16_t>(state.predictor));
    for (int64_t i = 0; i < byteCount; i++) {
        const CodeBases b = BasesOf(table, codes[i]);
        const __m128i lowHalves = LoadHalves(b.lowDiff + row);
        row = LoadU32(b.low + row);
        const __m128i highHalves = LoadHalves(b.highDiff + row);
        row = LoadU32(b.high + row);
        const __m128i first = AddDiff(predictor, lowHalves);
        predictor = AddDiff(first, highHalves);
        const auto pair =
            static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_unpacklo_epi16(first, predictor)));
        StorePair(out + 4 * i, pair);
    }
    state.predictor = static_cast<int16_t>(_mm_cvtsi128_si32(predictor));
    state.stepIndex = static_cast<int32_t>(row / FusedRowBytes);
}

#else

void DecodeAdpcmBytes(AdpcmState& state, const uint8_t* codes, int64_t byteCount, uint8_t* out) {
    DecodeAdpcmBytesScalar(state, codes, byteCount, out);
}

#endif
