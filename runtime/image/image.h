// Image library: numbered images decoded from files held in memory, through a table of
// image decoders. A BMP decoder is registered at start-up.
//
// An image is a record whose first field is its pixel buffer: width * height 32-bit
// pixels 0xAARRGGBB, top row first, no padding between rows.
#pragma once

#include <cstdint>

// --- Records ------------------------------------------------------------------------------

struct KS_ImageStructure {
    uint32_t* pixels; // the image's primary handle; null while the record is absent
    int64_t width;    // pixels
    int64_t height;   // pixels
    int64_t depth;    // bits per pixel of the source (24, 32)
    int64_t decoder;  // identifier of the decoder that made the image
};

// What a decoder learns from a file's header, and its own working state.
struct ImageDecodeState {
    const uint8_t* data; // the whole file
    int64_t size;        // bytes at data
    int64_t width;       // set by Check, at least 1
    int64_t height;      // set by Check, at least 1
    int64_t depth;       // set by Check
    void* decoderData;   // the decoder's own state between Check and Cleanup
};

// A decoder's three routines. Check recognises the format and validates every header
// field against size; only when it returns non-zero are Decode (which fills width *
// height pixels) and then Cleanup (which releases decoderData) called.
struct ImageDecoder {
    int64_t identifier;
    int (*Check)(ImageDecodeState* state);
    int (*Decode)(ImageDecodeState* state, uint32_t* pixels);
    void (*Cleanup)(ImageDecodeState* state);
};

// "BMP" read as a little-endian integer.
constexpr int64_t ImageDecoderBmp = 0x504D42;

// --- Start and end commands -------------------------------------------------------------

// Creates the library state, registers the BMP decoder, the image registry (16 slots)
// and a thread-local storage key. A second call frees every image and re-registers the
// built-in decoder only.
void InitImages();
// Frees every image.
void EndImages();

// --- Decoder table ----------------------------------------------------------------------

// Appends a decoder, or replaces the one with the same identifier. 0 when the table is
// full, the library is not started or a routine is missing.
int RegisterImageDecoder(const ImageDecoder* decoder);
int64_t ImageDecoderCount();
// The registered decoder with this identifier, or null.
const ImageDecoder* FindImageDecoder(int64_t identifier);

// --- Commands -----------------------------------------------------------------------------

// Decodes the file of size bytes at address with the first decoder that recognises it.
// With AnyNumber: the new image's id; with a number: its pixel buffer's address (a number
// in use is freed once the new image is decoded). 0 on failure, leaving any old image.
int64_t CatchImage(int64_t number, const void* address, int64_t size);
// Frees one image, or every image for AllObjects. Unknown ids are ignored.
void FreeImage(int64_t id);
// Non-zero when the id names a live image.
int IsImage(int64_t id);
// Size and source depth of an image; 0 for an unknown id.
int64_t ImageWidth(int64_t id);
int64_t ImageHeight(int64_t id);
int64_t ImageDepth(int64_t id);
