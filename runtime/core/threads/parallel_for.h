// Work spread over threads: the items of a list taken one at a time by as many threads as
// asked for, the caller among them, so that every item is done even when no thread can be
// started. Both the package reader (decoding records) and the companion (writing files)
// work this way.
#pragma once

#include <cstddef>
#include <functional>

// The machine's cores, at least 1 and at most 64.
unsigned CoreCount();

// Calls work(item, onCaller) once for every item from 0 to count - 1, in that order of
// taking, on up to threads threads (the calling one included; onCaller tells which), and
// returns when all are done. A thread that cannot be started leaves its share to the
// others. work must not throw.
void ParallelFor(size_t count, unsigned threads, const std::function<void(size_t, bool)>& work);
