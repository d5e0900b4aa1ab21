// A check of WAV headers (RIFF, RIFX, RF64) for what the system's sound file library must
// not be given. Its LIST parser adds each sub-chunk's size to the bytes it has read in 32
// bits and jumps by that size as a signed number: a size near 4 GiB passes its bounds
// check and jumps back; 4 GiB - 8 lands on the sub-chunk's own header, which it then reads
// again without end, from its own buffer, so that no limit on reads could stop it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Copies up to count bytes at offset into out; returns how many (fewer only at the end).
using ReadAt = std::function<int64_t(int64_t offset, uint8_t* out, int64_t count)>;

// Empty, or why the size bytes that read gives must not be opened: a chunk inside a LIST
// chunk whose size makes that jump. Other overlong chunks pass, as the library reads
// past them, and so do other formats.
std::string WavHeaderProblem(int64_t size, const ReadAt& read);
