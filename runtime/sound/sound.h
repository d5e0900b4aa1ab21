// Sound playback: sound objects converted once, at load time, to the one output format
// (signed 16-bit little-endian samples, 2 interleaved channels, 44100 frames per second),
// a mixer of 32 playback channels, and the render callback through which the audio
// thread pulls mixed samples.
//
// Every command runs on the main thread except RenderAudio, which the audio output calls
// on its own thread. The two share only the channel table and the sample buffers, without
// a lock. Until InitSound has opened an output every sound command does nothing and
// returns 0.
//
// The output rests while nothing plays: a watcher thread of the library stops it once no
// channel has played for 8 render passes (about 0.1 s with the SDL output), and PlaySound
// starts it again. No command behaves differently for it.
//
// Wiring a program to the real output (library mv_sound_sdl, sound_sdl.h):
//     SetSoundPlatform(SdlSoundPlatform());
//     InitSound();
// or to no device at all, its mix pulled by the caller (sound_null.h).
#pragma once

#include "runtime/core/objects/objects.h"

#include <cstdint>

// --- Output format --------------------------------------------------------------------

constexpr int64_t SoundOutputRate = 44100;          // frames per second
constexpr int64_t SoundOutputChannels = 2;          // interleaved left, right
constexpr int64_t SoundOutputBits = 16;             // signed, little-endian
constexpr int64_t SoundFrameBytes = 4;              // one left-right pair
constexpr int64_t SoundChannelCount = 32;           // playback channels of the mixer
constexpr int64_t SoundMaxBufferBytes = 0xFFFFFFFF; // SoundRecord.Size is 32 bits

// The longest sound converted, in bytes of the output format: one hour (3600 s x 44100
// frames x 4 bytes = 635,040,000 bytes). It is the longest sound a user could want to play
// from a package, where game music tracks and ambiences last minutes; a damaged rate word
// asks for far more (a 12 KB record at 1 Hz would fill 4 GiB, for tens of seconds).
constexpr int64_t SoundMaxSeconds = 3600;
constexpr int64_t SoundMaxConvertedBytes = SoundMaxSeconds * SoundOutputRate * SoundFrameBytes;
static_assert(SoundMaxConvertedBytes <= SoundMaxBufferBytes);

// Record of the sound registry. Data is the primary handle: non-null while the sound
// exists. The buffer never changes while the sound exists.
struct SoundRecord {
    uint8_t* Data;    // samples in the output format, owned by the record
    uint32_t Size;    // bytes in Data (4 per frame)
    int32_t Volume;   // 0 to 100; 100 when the sound is created
    int32_t Rate;     // always 44100
    int16_t Bits;     // always 16
    int16_t Channels; // always 2
};

// --- Platform operations ----------------------------------------------------------------

// The audio output as a table of operations, so that the logic runs without a device.
// Start and Stop come from the main thread or from the library's watcher thread, never two
// operations at once.
struct SoundPlatform {
    // Opens the default output in the output format with RenderAudio as its callback,
    // not yet running. Returns the output's handle, or null (nothing left open).
    void* (*Open)();
    // Starts the callbacks; non-zero on success. Called again after each Stop, with the
    // output still open, when a sound is to play after a rest.
    int (*Start)(void* output);
    // Stops the callbacks; once it returns no callback runs until the next Start. Stopped,
    // the output should cost no CPU at all: it rests so whenever nothing plays.
    void (*Stop)(void* output);
    // Closes the output; no callback runs afterwards.
    void (*Close)(void* output);
};

// Chooses the output that InitSound opens; null (the default) means no output at all.
// Ignored while an output is open.
void SetSoundPlatform(const SoundPlatform* platform);

// --- Start and end commands ---------------------------------------------------------------

// Opens the output and creates the sound registry; the registry, or null when no output
// could be opened. A second call while open returns the same registry.
ObjectRegistry* InitSound();
// Stops and closes the output, then frees every sound. Nothing afterwards until the next
// InitSound.
void EndSound();

// Opens and starts the output through the platform table; its handle, or null.
void* OpenAudioOutput();
// Stops, then closes an output from OpenAudioOutput.
void CloseAudioOutput(void* output);

// --- Sound objects ------------------------------------------------------------------------

// The record address (non-zero) when the sound exists, else 0.
int64_t IsSound(int64_t number);
// Creates sound number (or a dynamic one for AnyNumber) from a WAV file held in memory,
// converted to the output format. imageSize is the image's length in bytes; -1 trusts the
// RIFF chunk size instead. The image may be released as soon as the call returns.
// Returns the record address (the id for AnyNumber), or 0 with any sound of that number
// untouched when the image is not acceptable, its sound would last longer than
// SoundMaxSeconds at the output rate (decided before anything is allocated) or memory
// is short.
int64_t CatchSound(int64_t number, const void* image, int64_t imageSize = -1);
// Stops and frees a sound, or every sound for AllObjects.
void FreeSound(int64_t number);

// --- Playback ---------------------------------------------------------------------------

// Plays a sound once from its start on the first free channel, stopping it first where it
// already plays, and starts the output where it rests. 1 when a channel started, 0
// otherwise (no such sound, 32 channels busy, a resting output that failed to start).
int64_t PlaySound(int64_t number);
// Stops every channel playing the sound, or every channel for -1.
void StopSound(int64_t number);
// 1 while a channel plays the sound, else 0.
int64_t SoundStatus(int64_t number);
// Frames of the sound mixed so far by the channel playing it; 0 when it does not play.
int64_t SoundPosition(int64_t number);
// Length of the sound in frames (44100 per second), or 0 when it does not exist.
int64_t SoundLength(int64_t number);

// --- Mixer --------------------------------------------------------------------------------

// The render callback of the audio thread: fills byteCount bytes of buffer with the mix
// of every playing channel and advances the channels. context is not read. Always 0.
// Allocates nothing, takes no lock, makes no system call.
int RenderAudio(void* context, uint8_t* buffer, int64_t byteCount);
// Adds byteCount bytes of 16-bit samples from src, scaled by scale / 128 (scale 0 to 128),
// to out with clipping. An odd last byte is ignored.
void MixSamples(uint8_t* out, const uint8_t* src, int64_t byteCount, int32_t scale);

// --- Conversion -----------------------------------------------------------------------------

// Converts byteCount bytes of PCM (channels 1 or 2; bits 8 unsigned, any other value
// signed 16-bit; rate in frames per second, above 0) to the output format. Returns a new
// buffer (release with FreeSampleBuffer) and its size in *outSize, or null when the input
// is outside that range, the result would exceed SoundMaxConvertedBytes or memory is
// short.
uint8_t* ConvertToOutputFormat(const uint8_t* samples, int64_t byteCount, int64_t channels,
                               int64_t bits, int64_t rate, int64_t* outSize);
// The bytes ConvertToOutputFormat would make of such an input, from the sizes alone and
// without the SoundMaxConvertedBytes bound; -1 when the input is outside the range.
int64_t ConvertedSize(int64_t byteCount, int64_t channels, int64_t bits, int64_t rate);
// A zero-filled sample buffer of size bytes, or null.
uint8_t* NewSampleBuffer(int64_t size);
void FreeSampleBuffer(uint8_t* buffer);

// Buffers of freed sounds that the audio thread might still be reading; each is released
// by a later sound command once the callback has completed a pass since the sound stopped,
// or the output has rested.
int64_t SoundBuffersAwaitingRelease();
