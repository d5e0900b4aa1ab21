// IMA ADPCM decoding: the constant tables and the per-byte loop of the hot path.
#include "app/decode/decode.h"

#include "runtime/core/memory/memory.h"

int32_t* IndexTable = nullptr;
int32_t* StepTable = nullptr;

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
}

void DecodeAdpcmBytes(AdpcmState& state, const uint8_t* codes, int64_t byteCount, uint8_t* out) {
    // Local copies: the stores through out may alias anything, and reloading the table
    // pointers for every sample would cost more than the step itself.
    const int32_t* indexTable = IndexTable;
    const int32_t* stepTable = StepTable;
    AdpcmState s = state;
    for (int64_t i = 0; i < byteCount; i++) {
        const uint32_t byte = codes[i];
        const int32_t low = AdpcmDecodeStep(s, byte & 0x0F, indexTable, stepTable);
        const int32_t high = AdpcmDecodeStep(s, byte >> 4, indexTable, stepTable);
        out[0] = static_cast<uint8_t>(low);
        out[1] = static_cast<uint8_t>(low >> 8);
        out[2] = static_cast<uint8_t>(high);
        out[3] = static_cast<uint8_t>(high >> 8);
        out += 4;
    }
    state = s;
}
