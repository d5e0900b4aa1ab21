// Decoder of uncompressed BMP files with a BITMAPINFOHEADER (or a later header that
// extends it) and 24 or 32 bits per pixel, stored bottom-up or top-down.
//
// Check validates every field it relies on against the bytes actually given, so Decode
// reads only inside the file: rows are padded to 4 bytes, the last row's padding may be
// missing.
#include "runtime/image/bmp_decoder.h"

#include "runtime/core/strings/strings.h"

namespace {

constexpr int64_t FileHeaderSize = 14;
constexpr int64_t InfoHeaderSize = 40;
constexpr uint32_t CompressionNone = 0;
constexpr uint32_t OpaqueAlpha = 0xFF000000u;

// Where the pixels are, as found by Check; Decode follows it.
struct BmpLayout {
    int64_t pixelOffset;   // bytes from the start of the file to the first stored row
    int64_t stride;        // bytes from one stored row to the next
    int64_t bytesPerPixel; // 3 or 4
    bool topDown;          // the first stored row is the top one
};

uint32_t ReadU16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}

uint32_t ReadU32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int64_t ReadS32(const uint8_t* p) {
    return static_cast<int32_t>(ReadU32(p));
}

// Fills the layout and the image size from the headers; false for anything this decoder
// cannot read safely.
bool ReadLayout(ImageDecodeState* state, BmpLayout* layout) {
    const uint8_t* d = state->data;
    int64_t size = state->size;
    if (size < FileHeaderSize + InfoHeaderSize || d[0] != 'B' || d[1] != 'M') {
        return false;
    }
    int64_t fileSize = ReadU32(d + 2); // 0 from some writers; otherwise must all be here
    int64_t offset = ReadU32(d + 10);
    int64_t infoSize = ReadU32(d + 14);
    int64_t width = ReadS32(d + 18);
    int64_t height = ReadS32(d + 22);
    uint32_t bitCount = ReadU16(d + 28);
    if (fileSize > size || infoSize < InfoHeaderSize || offset < FileHeaderSize + infoSize ||
        offset >= size || width < 1 || height == 0 || ReadU16(d + 26) != 1 ||
        (bitCount != 24 && bitCount != 32) || ReadU32(d + 30) != CompressionNone) {
        return false;
    }
    int64_t rows = height < 0 ? -height : height;
    int64_t bytesPerPixel = bitCount / 8;
    int64_t rowBytes = width * bytesPerPixel; // below 2^34: no overflow
    int64_t stride = (rowBytes + 3) / 4 * 4;
    int64_t available = size - offset;
    if (rowBytes > available || (rows - 1) > (available - rowBytes) / stride) {
        return false;
    }
    *layout = {offset, stride, bytesPerPixel, height < 0};
    state->width = width;
    state->height = rows;
    state->depth = bitCount;
    return true;
}

int CheckBmp(ImageDecodeState* state) {
    BmpLayout layout;
    if (!ReadLayout(state, &layout)) {
        return 0;
    }
    auto* kept = static_cast<BmpLayout*>(MemAlloc(sizeof(BmpLayout)));
    if (!kept) {
        return 0;
    }
    *kept = layout;
    state->decoderData = kept;
    return 1;
}

// Stored pixels are B, G, R (and A). A 32-bit file whose alpha bytes are all zero was
// written without alpha and is opaque.
int DecodeBmp(ImageDecodeState* state, uint32_t* pixels) {
    const auto* layout = static_cast<const BmpLayout*>(state->decoderData);
    bool anyAlpha = false;
    for (int64_t y = 0; y < state->height; ++y) {
        int64_t storedRow = layout->topDown ? y : state->height - 1 - y;
        const uint8_t* in = state->data + layout->pixelOffset + storedRow * layout->stride;
        uint32_t* out = pixels + y * state->width;
        for (int64_t x = 0; x < state->width; ++x, in += layout->bytesPerPixel) {
            uint32_t alpha = layout->bytesPerPixel == 4 ? in[3] : 0xFF;
            anyAlpha = anyAlpha || alpha != 0;
            out[x] = (alpha << 24) | (in[2] << 16) | (in[1] << 8) | in[0];
        }
    }
    if (!anyAlpha) {
        for (int64_t i = 0; i < state->width * state->height; ++i) {
            pixels[i] |= OpaqueAlpha;
        }
    }
    return 1;
}

void CleanupBmp(ImageDecodeState* state) {
    if (state->decoderData) {
        MemFree(state->decoderData);
        state->decoderData = nullptr;
    }
}

} // namespace

const ImageDecoder BmpImageDecoder = {ImageDecoderBmp, CheckBmp, DecodeBmp, CleanupBmp};
