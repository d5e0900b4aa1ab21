// Sample package decoding, all of it: the decoder, the encoder, the WAV image and the
// package reader. Needs no window and no sound.
#pragma once

#include "app/decode/adpcm.h"
#include "app/decode/adpcm_encode.h"
#include "app/decode/package_reader.h"
#include "app/decode/wav_image.h"
