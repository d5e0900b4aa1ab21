// Fuzz target for the image library's BMP decoder: CatchImage on arbitrary bytes, then
// FreeImage. A decoded image must have the width, height and depth of its header, a pixel
// buffer of exactly width x height 32-bit pixels, and in each pixel the B, G, R (and A)
// bytes stored for it; a 32-bit file without any alpha byte set is opaque.
#include "runtime/core/objects/objects.h"
#include "runtime/image/image.h"

#include <sanitizer/allocator_interface.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "bmp decoder: %s\n", what);
        std::abort();
    }
}

int64_t Le32(const uint8_t* p) {
    return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// The stored bytes of pixel (x, y), y from the top, as the file's header lays them out.
const uint8_t* Stored(const uint8_t* file, const KS_ImageStructure& image, int64_t x, int64_t y) {
    const int64_t bytesPerPixel = image.depth / 8;
    const int64_t stride = (image.width * bytesPerPixel + 3) / 4 * 4;
    const int64_t row = Le32(file + 22) < 0 ? y : image.height - 1 - y;
    return file + Le32(file + 10) + row * stride + x * bytesPerPixel;
}

void CheckImage(const uint8_t* file, const KS_ImageStructure& image) {
    Check(image.width == Le32(file + 18) && image.height == std::abs(Le32(file + 22)),
          "size differs from the header");
    Check(image.depth == (file[28] | file[29] << 8) && (image.depth == 24 || image.depth == 32),
          "depth differs from the header");
    Check(__sanitizer_get_allocated_size(image.pixels) ==
              static_cast<size_t>(4 * image.width * image.height),
          "pixel buffer is not width x height pixels");
    bool anyAlpha = false;
    for (int64_t y = 0; y < image.height && image.depth == 32; y++)
        for (int64_t x = 0; x < image.width; x++)
            anyAlpha = anyAlpha || Stored(file, image, x, y)[3] != 0;
    for (int64_t y = 0; y < image.height; y++) {
        for (int64_t x = 0; x < image.width; x++) {
            const uint8_t* in = Stored(file, image, x, y);
            const uint32_t alpha = anyAlpha ? in[3] : 0xFF;
            Check(image.pixels[y * image.width + x] ==
                      (alpha << 24 | in[2] << 16 | in[1] << 8 | in[0]),
                  "pixel differs from its stored bytes");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int64_t id = CatchImage(AnyNumber, data, static_cast<int64_t>(size));
    if (id == 0)
        return 0;
    Check(IsImage(id) != 0, "a caught image is not an image");
    CheckImage(data, *reinterpret_cast<const KS_ImageStructure*>(id));
    FreeImage(id);
    Check(IsImage(id) == 0, "a freed image is still there");
    return 0;
}
