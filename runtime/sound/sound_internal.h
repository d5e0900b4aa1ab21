// Pieces shared by the files of the sound library; not part of its interface.
#pragma once

#include <cstdint>

// --- WAV images ---------------------------------------------------------------------------

// What CatchSound takes from a WAV image.
struct WavFormat {
    int64_t channels;    // 1 or 2
    int64_t rate;        // frames per second, above 0
    int64_t bits;        // 8, or 16 for any other value
    const uint8_t* data; // first sample byte, inside the image
    int64_t dataSize;    // bytes of samples, all inside the image
};

// Reads the format and finds the data chunk of a WAV image of imageSize bytes (-1: the
// RIFF chunk size bounds the image). False when the image is not acceptable.
bool ParseWavImage(const uint8_t* image, int64_t imageSize, WavFormat* format);

// --- Channel table (main-thread side) ----------------------------------------------------

// Marks every channel free; only while no output is open.
void ResetChannels();
// Stops every playing channel of sound number, or every playing channel for -1.
void StopChannels(int64_t number);
// Starts the first free channel on size bytes of data; false when all are busy.
bool StartChannel(int64_t number, const uint8_t* data, uint32_t size, int32_t volume);
// Remaining bytes and total bytes of the channel playing number; false when none does.
bool FindPlayingChannel(int64_t number, uint32_t* remaining, uint32_t* size);

// --- Reach of the audio thread ------------------------------------------------------------

// The count of completed render passes that must be exceeded before memory that a stopped
// channel was reading may be released; -1 when no stopped channel can still be read.
int64_t StoppedChannelsStamp();
// True once the audio thread has completed more than stamp render passes.
bool RenderPassesExceed(int64_t stamp);
// Called once the output is closed: no channel can be read any more.
void ForgetStoppedChannels();

// --- Retired sample buffers --------------------------------------------------------------

// Releases a freed sound's buffer now when the audio thread cannot reach it, otherwise
// once it can no longer do so.
void RetireSampleBuffer(uint8_t* buffer);
// Releases every retired buffer that the audio thread can no longer reach.
void ReleaseRetiredBuffers();
// Releases every retired buffer; only once the output is closed.
void ReleaseAllRetiredBuffers();
