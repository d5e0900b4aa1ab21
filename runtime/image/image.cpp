// Image library: start and end commands, the decoder table and the image commands.
//
// An image's pixel buffer is allocated here, once a decoder has vouched for the header, so
// that the size arithmetic is checked in one place for every decoder.
#include "runtime/image/image.h"

#include "runtime/core/objects/objects.h"
#include "runtime/core/strings/strings.h"
#include "runtime/image/bmp_decoder.h"

#include <pthread.h>

namespace {

constexpr int MaxImageDecoders = 16;
constexpr int32_t ImageGrowStep = 16;
constexpr int64_t BytesPerPixel = 4;

// The id scheme reads a record's first field as its 64-bit handle.
static_assert(sizeof(KS_ImageStructure::pixels) == sizeof(int64_t));

struct ImageLibrary {
    int64_t decoderCount;
    ImageDecoder decoders[MaxImageDecoders];
    ObjectRegistry* images;
    pthread_key_t threadKey;
    int threadKeyCreated;
};

void* stateBlock = nullptr;

ImageLibrary* Library() {
    return static_cast<ImageLibrary*>(LibraryState(stateBlock));
}

KS_ImageStructure* FindImage(int64_t id) {
    ImageLibrary* library = Library();
    return library ? static_cast<KS_ImageStructure*>(GetObject(library->images, id)) : nullptr;
}

// Allocates the pixel buffer for a checked header and lets the decoder fill it.
bool DecodeWith(const ImageDecoder& decoder, ImageDecodeState* state, KS_ImageStructure* out) {
    int64_t count = 0;
    int64_t bytes = 0;
    bool ok = state->width > 0 && state->height > 0 &&
              !__builtin_mul_overflow(state->width, state->height, &count) &&
              !__builtin_mul_overflow(count, BytesPerPixel, &bytes);
    uint32_t* pixels = ok ? static_cast<uint32_t*>(MemAllocZeroed(bytes)) : nullptr;
    ok = pixels && decoder.Decode(state, pixels);
    decoder.Cleanup(state);
    if (!ok) {
        MemFree(pixels);
        return false;
    }
    *out = {pixels, state->width, state->height, state->depth, decoder.identifier};
    return true;
}

// The first decoder that recognises the data decides; a file it then fails to decode is
// not offered to the others.
bool DecodeImage(const uint8_t* data, int64_t size, KS_ImageStructure* out) {
    ImageLibrary* library = Library();
    for (int64_t i = 0; i < library->decoderCount; ++i) {
        const ImageDecoder& decoder = library->decoders[i];
        ImageDecodeState state = {data, size, 0, 0, 0, nullptr};
        if (decoder.Check(&state)) {
            return DecodeWith(decoder, &state, out);
        }
    }
    return false;
}

} // namespace

void InitImages() {
    if (!stateBlock) {
        stateBlock = NewLibraryState(sizeof(ImageLibrary), nullptr, nullptr);
    } else {
        FreeImage(AllObjects);
    }
    ImageLibrary* library = Library();
    if (!library) {
        return;
    }
    library->decoderCount = 0;
    RegisterImageDecoder(&BmpImageDecoder);
    if (!library->images) {
        library->images = NewObjectRegistry(sizeof(KS_ImageStructure), ImageGrowStep, FreeImage);
    }
    if (!library->threadKeyCreated) {
        library->threadKeyCreated = pthread_key_create(&library->threadKey, nullptr) == 0;
    }
}

void EndImages() {
    FreeImage(AllObjects);
}

int RegisterImageDecoder(const ImageDecoder* decoder) {
    ImageLibrary* library = Library();
    if (!library || !decoder || !decoder->Check || !decoder->Decode || !decoder->Cleanup) {
        return 0;
    }
    int64_t slot = 0;
    while (slot < library->decoderCount &&
           library->decoders[slot].identifier != decoder->identifier) {
        ++slot;
    }
    if (slot == MaxImageDecoders) {
        return 0;
    }
    library->decoders[slot] = *decoder;
    if (slot == library->decoderCount) {
        ++library->decoderCount;
    }
    return 1;
}

int64_t ImageDecoderCount() {
    ImageLibrary* library = Library();
    return library ? library->decoderCount : 0;
}

const ImageDecoder* FindImageDecoder(int64_t identifier) {
    ImageLibrary* library = Library();
    for (int64_t i = 0; library && i < library->decoderCount; ++i) {
        if (library->decoders[i].identifier == identifier) {
            return &library->decoders[i];
        }
    }
    return nullptr;
}

int64_t CatchImage(int64_t number, const void* address, int64_t size) {
    ImageLibrary* library = Library();
    if (!library || !library->images || !address || size < 1 || number < AnyNumber) {
        return 0;
    }
    KS_ImageStructure decoded = {};
    if (!DecodeImage(static_cast<const uint8_t*>(address), size, &decoded)) {
        return 0;
    }
    // Only now is an old image of the same number freed (by the registry's callback).
    auto* record = static_cast<KS_ImageStructure*>(AllocateObject(library->images, number));
    if (!record) {
        MemFree(decoded.pixels);
        return 0;
    }
    *record = decoded;
    return number == AnyNumber ? reinterpret_cast<int64_t>(record)
                               : reinterpret_cast<int64_t>(record->pixels);
}

void FreeImage(int64_t id) {
    ImageLibrary* library = Library();
    if (!library) {
        return;
    }
    if (id == AllObjects) {
        FreeAllObjects(library->images);
        return;
    }
    KS_ImageStructure* image = FindImage(id);
    if (image) {
        MemFree(image->pixels);
        FreeObject(library->images, id);
    }
}

int IsImage(int64_t id) {
    return FindImage(id) ? 1 : 0;
}

int64_t ImageWidth(int64_t id) {
    KS_ImageStructure* image = FindImage(id);
    return image ? image->width : 0;
}

int64_t ImageHeight(int64_t id) {
    KS_ImageStructure* image = FindImage(id);
    return image ? image->height : 0;
}

int64_t ImageDepth(int64_t id) {
    KS_ImageStructure* image = FindImage(id);
    return image ? image->depth : 0;
}
