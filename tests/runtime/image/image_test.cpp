#include "runtime/image/image.h"

#include "runtime/core/objects/objects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& file, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// A BMP file with a 40-byte info header; rows are the stored pixel bytes, padding included.
Bytes MakeBmp(int32_t width, int32_t height, int bitCount, const Bytes& rows) {
    Bytes file(54 + rows.size());
    file[0] = 'B';
    file[1] = 'M';
    Put(file, 2, static_cast<uint32_t>(54 + rows.size()), 4);
    Put(file, 10, 54, 4);
    Put(file, 14, 40, 4);
    Put(file, 18, static_cast<uint32_t>(width), 4);
    Put(file, 22, static_cast<uint32_t>(height), 4);
    Put(file, 26, 1, 2);
    Put(file, 28, static_cast<uint32_t>(bitCount), 2);
    Put(file, 34, static_cast<uint32_t>(rows.size()), 4);
    std::copy(rows.begin(), rows.end(), file.begin() + 54);
    return file;
}

// 2x2, bottom-up: stored rows are blue green, then red white, each padded to 8 bytes.
Bytes Bmp24() {
    return MakeBmp(2, 2, 24, {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0});
}

// Decodes from an exactly sized heap copy, so that any read past the end is caught.
int64_t Catch(int64_t number, const Bytes& file) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[file.size()]);
    std::memcpy(copy.get(), file.data(), file.size());
    return CatchImage(number, copy.get(), static_cast<int64_t>(file.size()));
}

std::vector<uint32_t> PixelsOf(int64_t dynamicId) {
    const auto* image = reinterpret_cast<const KS_ImageStructure*>(dynamicId);
    return {image->pixels, image->pixels + image->width * image->height};
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override { InitImages(); } // a repeated start frees every image
};

TEST_F(ImageTest, DecodesToExactPixelsTopRowFirst) {
    const struct {
        const char* name;
        Bytes file;
        int64_t width, height, depth;
        std::vector<uint32_t> pixels;
    } cases[] = {
        {"24-bit bottom-up", Bmp24(), 2, 2, 24, {0xFFFF0000, 0xFFFFFFFF, 0xFF0000FF, 0xFF00FF00}},
        {"32-bit top-down with alpha",
         MakeBmp(2, -2, 32,
                 {1, 2, 3, 0x80, 0x10, 0x20, 0x30, 0xFF, 0, 0, 0, 0, 0xAA, 0xBB, 0xCC, 1}),
         2,
         2,
         32,
         {0x80030201, 0xFF302010, 0x00000000, 0x01CCBBAA}},
        {"32-bit without alpha is opaque", MakeBmp(1, 1, 32, {1, 2, 3, 0}), 1, 1, 32, {0xFF030201}},
        {"3 wide: padding skipped, last row's may be missing",
         MakeBmp(3, 2, 24, {1,  2,  3,  4,  5,  6,  7,  8,  9, 0xEE, 0xEE, 0xEE, //
                            10, 11, 12, 13, 14, 15, 16, 17, 18}),
         3,
         2,
         24,
         {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201, 0xFF060504, 0xFF090807}},
    };
    for (const auto& c : cases) {
        int64_t id = Catch(AnyNumber, c.file);
        ASSERT_NE(id, 0) << c.name;
        EXPECT_EQ(ImageWidth(id), c.width) << c.name;
        EXPECT_EQ(ImageHeight(id), c.height) << c.name;
        EXPECT_EQ(ImageDepth(id), c.depth) << c.name;
        EXPECT_EQ(PixelsOf(id), c.pixels) << c.name;
    }
}

TEST_F(ImageTest, RefusesBadHeadersAndKeepsTheOldImage) {
    const struct {
        const char* name;
        size_t at;       // field to overwrite, or 0 for none
        uint32_t value;  // new value
        int bytes;       // field width
        size_t keep = 0; // bytes of the file left, 0 for all
    } cases[] = {
        {"header cut short", 0, 0, 0, 53},
        {"file header only", 0, 0, 0, 14},
        {"pixel data cut short", 2, 0, 4, 70 - 3},
        {"file size beyond the data", 2, 71, 4},
        {"not BM", 1, 'A', 1},
        {"core header", 14, 12, 4},
        {"pixels inside the header", 10, 20, 4},
        {"pixels beyond the end", 10, 70, 4},
        {"zero width", 18, 0, 4},
        {"negative width", 18, 0xFFFFFFFE, 4},
        {"zero height", 22, 0, 4},
        {"two planes", 26, 2, 2},
        {"8 bits", 28, 8, 2},
        {"16 bits", 28, 16, 2},
        {"run-length compressed", 30, 1, 4},
        {"bit fields", 30, 3, 4},
        {"huge width", 18, 0x7FFFFFFF, 4},
        {"huge height", 22, 0x7FFFFFFF, 4},
        {"most negative height", 22, 0x80000000, 4},
    };
    ASSERT_NE(Catch(3, Bmp24()), 0);
    for (const auto& c : cases) {
        Bytes file = Bmp24();
        if (c.bytes > 0) {
            Put(file, c.at, c.value, c.bytes);
        }
        if (c.keep > 0) {
            file.resize(c.keep);
        }
        EXPECT_EQ(Catch(3, file), 0) << c.name;
        EXPECT_EQ(Catch(AnyNumber, file), 0) << c.name;
        EXPECT_EQ(ImageWidth(3), 2) << c.name;
    }
}

TEST_F(ImageTest, NumberedAndDynamicImagesLiveUntilFreed) {
    int64_t pixels = Catch(0, Bmp24());
    ASSERT_NE(pixels, 0);
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(pixels), 0xFFFF0000u);
    int64_t dynamic = Catch(AnyNumber, Bmp24());
    EXPECT_TRUE(IsImage(0) && IsImage(dynamic));

    EXPECT_NE(Catch(0, MakeBmp(1, 1, 24, {1, 2, 3, 0})), 0); // replaces image 0
    EXPECT_EQ(ImageWidth(0), 1);
    FreeImage(dynamic);
    EXPECT_FALSE(IsImage(dynamic));
    EXPECT_EQ(ImageHeight(dynamic), 0);

    Catch(5, Bmp24());
    FreeImage(AllObjects);
    EXPECT_FALSE(IsImage(0) || IsImage(5));
    Catch(6, Bmp24());
    EndImages();
    EXPECT_FALSE(IsImage(6));

    Bytes good = Bmp24();
    EXPECT_EQ(CatchImage(1, nullptr, 70), 0);
    EXPECT_EQ(CatchImage(1, good.data(), 0), 0);
    EXPECT_EQ(CatchImage(-2, good.data(), 70), 0);
    EXPECT_EQ(ImageDepth(1), 0);
}

int cleanups = 0;
int CheckXY(ImageDecodeState* state) {
    if (state->size < 3 || state->data[0] != 'X' || state->data[1] != 'Y') {
        return 0;
    }
    state->width = state->height = 1;
    state->depth = 8;
    return 1;
}
int DecodeXY(ImageDecodeState* state, uint32_t* pixels) {
    pixels[0] = state->data[2];
    return 1;
}
void CleanupXY(ImageDecodeState*) {
    ++cleanups;
}

TEST_F(ImageTest, DecoderTableStartsWithBmpAndTakesMoreDecoders) {
    ASSERT_EQ(ImageDecoderCount(), 1);
    EXPECT_EQ(FindImageDecoder(ImageDecoderBmp)->identifier, 0x504D42);

    ImageDecoder xy = {7, CheckXY, DecodeXY, CleanupXY};
    EXPECT_EQ(RegisterImageDecoder(&xy), 1);
    EXPECT_EQ(RegisterImageDecoder(&xy), 1); // same identifier: replaced
    EXPECT_EQ(ImageDecoderCount(), 2);
    int64_t id = Catch(AnyNumber, {'X', 'Y', 42});
    EXPECT_EQ(PixelsOf(id), std::vector<uint32_t>{42});
    EXPECT_EQ(cleanups, 1);

    xy.Cleanup = nullptr;
    EXPECT_EQ(RegisterImageDecoder(&xy), 0);
    InitImages();
    EXPECT_EQ(ImageDecoderCount(), 1);
    EXPECT_EQ(FindImageDecoder(7), nullptr);
}

} // namespace
