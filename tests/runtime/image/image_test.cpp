// Image library: BMP decoding, refused headers, numbered and dynamic images, decoder table.

#include "runtime/image/image.h"

#include "runtime/core/objects/objects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<int64_t>;

void Put(Bytes& file, size_t at, int64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// A BMP file with a 40-byte info header; rows are the stored pixel bytes, padding included.
Bytes MakeBmp(int32_t width, int32_t height, int bitCount, const Bytes& rows) {
    Bytes file(54 + rows.size());
    file[0] = 'B', file[1] = 'M';
    Put(file, 2, static_cast<int64_t>(54 + rows.size()), 4);
    Put(file, 10, 54 | int64_t{40} << 32, 8); // pixels at 54, then a 40-byte info header
    Put(file, 18, width, 4);
    Put(file, 22, height, 4);
    Put(file, 26, 1 | bitCount << 16, 4); // one plane
    std::copy(rows.begin(), rows.end(), file.begin() + 54);
    return file;
}

// 2x2, bottom-up: stored rows are blue green, then red white, each padded to 8 bytes.
Bytes Bmp24() {
    return MakeBmp(2, 2, 24, {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0});
}

// Decodes from an exactly sized copy, so that any read past the end is caught.
int64_t Catch(int64_t number, const Bytes& file) {
    const Bytes exact(file.begin(), file.end());
    return CatchImage(number, exact.data(), static_cast<int64_t>(exact.size()));
}

// Decodes a file as a dynamic image: its width, height and depth, then its pixels.
Pixels Decode(const Bytes& file) {
    int64_t id = Catch(AnyNumber, file);
    const auto* image = reinterpret_cast<const KS_ImageStructure*>(id);
    if (image == nullptr) {
        return {};
    }
    Pixels out = {ImageWidth(id), ImageHeight(id), ImageDepth(id)};
    out.insert(out.end(), image->pixels, image->pixels + image->width * image->height);
    return out;
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override { InitImages(); } // a repeated start frees every image
};

TEST_F(ImageTest, DecodesToExactPixelsTopRowFirst) {
    EXPECT_EQ(Decode(Bmp24()), (Pixels{2, 2, 24, 0xFFFF0000, 0xFFFFFFFF, 0xFF0000FF, 0xFF00FF00}));
    // 32-bit, top-down: alpha is kept, even 0, once any pixel has some.
    EXPECT_EQ(Decode(MakeBmp(1, -2, 32, {1, 2, 3, 0x80, 0xAA, 0xBB, 0xCC, 0})),
              (Pixels{1, 2, 32, 0x80030201, 0x00CCBBAA}));
    // 32-bit with every alpha byte zero: written without alpha, so opaque.
    EXPECT_EQ(Decode(MakeBmp(1, 1, 32, {1, 2, 3, 0})), (Pixels{1, 1, 32, 0xFF030201}));
    // Row padding is skipped, and the last stored row's may be missing.
    EXPECT_EQ(Decode(MakeBmp(1, 2, 24, {1, 2, 3, 0xEE, 4, 5, 6})),
              (Pixels{1, 2, 24, 0xFF060504, 0xFF030201}));
}

TEST_F(ImageTest, RefusesBadHeadersAndKeepsTheOldImage) {
    // Each case: offset and width of a header field, its new value, and the bytes kept.
    const int64_t cases[][4] = {
        {0, 0, 0, 53},           {2, 4, 0, 67},           // cut short: header; pixels (file size 0)
        {2, 4, 71, 70},          {1, 1, 'A', 70},         // file size beyond the data; not "BM"
        {14, 4, 12, 70},         {10, 4, 20, 70},         // core header; pixels inside the header
        {10, 4, 70, 70},         {18, 4, 0, 70},          // pixels beyond the end; zero width
        {22, 4, 0, 70},          {26, 2, 2, 70},          // zero height; two planes
        {28, 2, 16, 70},         {30, 4, 3, 70},          // 16 bits; bit fields
        {18, 4, 0x7FFFFFFF, 70}, {22, 4, INT32_MIN, 70}}; // huge width; most negative height
    ASSERT_NE(Catch(3, Bmp24()), 0);
    for (const auto& c : cases) {
        Bytes file = Bmp24();
        Put(file, static_cast<size_t>(c[0]), c[2], static_cast<int>(c[1]));
        file.resize(static_cast<size_t>(c[3]));
        EXPECT_EQ(Catch(3, file), 0) << c[0] << ": " << c[2];
        EXPECT_EQ(ImageWidth(3), 2) << c[0] << ": " << c[2];
    }
    EXPECT_EQ(CatchImage(1, nullptr, 70), 0);
}

TEST_F(ImageTest, NumberedAndDynamicImagesLiveUntilFreed) {
    int64_t pixels = Catch(0, Bmp24()); // a numbered image gives its pixel buffer
    ASSERT_NE(pixels, 0);
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(pixels), 0xFFFF0000u);
    int64_t dynamic = Catch(AnyNumber, Bmp24());
    EXPECT_TRUE(IsImage(0) && IsImage(dynamic));
    EXPECT_NE(Catch(0, MakeBmp(1, 1, 24, {1, 2, 3, 0})), 0); // replaces image 0
    EXPECT_EQ(ImageWidth(0), 1);
    FreeImage(dynamic);
    EXPECT_FALSE(IsImage(dynamic));
    Catch(5, Bmp24());
    EndImages();
    EXPECT_FALSE(IsImage(0) || IsImage(5));
}

TEST_F(ImageTest, DecoderTableStartsWithBmpAndTakesMoreDecoders) {
    ASSERT_EQ(ImageDecoderCount(), 1);
    EXPECT_EQ(FindImageDecoder(ImageDecoderBmp)->identifier, 0x504D42);
    // A 1x1 format: 'X', then the pixel value.
    auto check = [](ImageDecodeState* s) {
        s->width = s->height = 1;
        return s->size == 2 && s->data[0] == 'X' ? 1 : 0;
    };
    auto decode = [](ImageDecodeState* s, uint32_t* pixels) {
        pixels[0] = s->data[1];
        return 1;
    };
    ImageDecoder xy = {7, check, decode, [](ImageDecodeState*) {}};
    EXPECT_EQ(RegisterImageDecoder(&xy), 1);
    EXPECT_EQ(RegisterImageDecoder(&xy), 1); // same identifier: replaced
    EXPECT_EQ(ImageDecoderCount(), 2);
    EXPECT_EQ(Decode({'X', 42}), (Pixels{1, 1, 0, 42}));
    xy.Cleanup = nullptr;
    EXPECT_EQ(RegisterImageDecoder(&xy), 0);
    InitImages();
    EXPECT_EQ(ImageDecoderCount(), 1);
    EXPECT_EQ(FindImageDecoder(7), nullptr);
}

} // namespace
