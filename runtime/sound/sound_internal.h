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
// Render passes completed so far, stops of the output included.
int64_t CompletedRenderPasses();
// Called once the output has stopped: no pass that began before is still running, so the
// stop counts as a completed pass and every buffer retired so far may go.
void CountOutputStopAsPass();
// True while a channel has bytes left to mix; from any thread.
bool AnyChannelPlaying();

// --- Output (sound_output.cpp) ---------------------------------------------------------------

// Opens and starts the output of the chosen platform, and the watcher thread that rests it
// while nothing plays. False when no output could be opened.
bool OpenLibraryOutput();
// Ends the watcher, then stops the output unless it rests, and closes it.
void CloseLibraryOutput();
// StartChannel, then starts the output again where it rests. False, with no channel left
// playing, when all channels are busy or the output cannot be started again.
bool StartChannelAwake(int64_t number, const uint8_t* data, uint32_t size, int32_t volume);

// Completed render passes without any channel playing before the output rests: 8 passes
// are 93 ms at 512 frames a pass, so the end of the last sound has left the device's
// buffers by then, and a Stop followed by a Play never closes the device in between.
constexpr int64_t QuietPassesBeforeRest = 8;
// One check of the watcher (it makes one every RestCheckInterval while the output runs):
// the first check that finds no channel playing notes the completed passes, and a later
// one stops the output once QuietPassesBeforeRest more have completed with none playing
// and no Play meanwhile. True when the output rests after the call.
bool RestOutputIfQuiet();
// True while the output is open and rests.
bool SoundOutputRests();

// --- Retired sample buffers --------------------------------------------------------------

// Releases a freed sound's buffer now when the audio thread cannot reach it, otherwise
// once it can no longer do so.
void RetireSampleBuffer(uint8_t* buffer);
// Releases every retired buffer that the audio thread can no longer reach.
void ReleaseRetiredBuffers();
// Releases every retired buffer; only once the output is closed.
void ReleaseAllRetiredBuffers();
