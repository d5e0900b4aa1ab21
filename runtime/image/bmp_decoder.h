// The built-in decoder of uncompressed 24- and 32-bit BMP files.
#pragma once

#include "runtime/image/image.h"

extern const ImageDecoder BmpImageDecoder;
