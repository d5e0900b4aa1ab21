// IMA ADPCM decoding: the constant tables and the fused table derived from them.
#include "app/decode/adpcm.h"

#include "runtime/core/memory/memory.h"

int32_t* IndexTable = nullptr;
int32_t* StepTable = nullptr;
alignas(64) FusedStep FusedStepTable[FusedStepTableSize] = {};

namespace {

// Constant data of the two tables, in stored order.
const int32_t IndexTableData[IndexTableSize] = {-1, -1, -1, -1, 2, 4, 6, 8};

const int32_t StepTableData[StepTableSize] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Creates an array of count 32-bit entries in *table and copies them from the read pointer,
// which moves on past the values it has read.
void FillTable(int32_t** table, int64_t count, const int32_t*& read) {
    AllocateArray(sizeof(int32_t), count, TypeLong, nullptr, reinterpret_cast<void**>(table));
    for (int64_t i = 0; i < count; i++) {
        const int32_t value = *read++;
        if (*table)
            (*table)[i] = value;
    }
}

} // namespace

void InitDecoderTables() {
    const int32_t* read = IndexTableData;
    FillTable(&IndexTable, IndexTableSize, read);
    read = StepTableData;
    FillTable(&StepTable, StepTableSize, read);
    BuildFusedStepTable();
}

void BuildFusedStepTable() {
    // Without the runtime tables the fused table stays all zero: every code then leaves
    // the predictor and row 0 unchanged, and nothing outside the table is read.
    if (!IndexTable || !StepTable)
        return;
    for (int32_t row = 0; row < StepTableSize; row++) {
        for (uint32_t code = 0; code < 16; code++) {
            // The reference step gives the difference when it starts from the limit the
            // difference points away from: even the largest one, 61436, stays unclamped.
            const int32_t from = (code & 8) ? 32767 : -32768;
            AdpcmState state{from, row};
            const int32_t diff = AdpcmDecodeStep(state, code, IndexTable, StepTable) - from;
            const auto first = static_cast<int16_t>(diff >> 1);
            FusedStepTable[row * 16 + code] = {
                static_cast<uint32_t>(state.stepIndex * FusedRowBytes),
                {first, static_cast<int16_t>(diff - first)}};
        }
    }
}
