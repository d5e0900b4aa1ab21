// Decoding a package for the companion's commands: the same DecodePackage as the window,
// the reasons a package could not be read, and the words for what the reader found wrong
// with a record.
#pragma once

#include "app/decode/package_reader.h"

#include <cstdint>
#include <string>
#include <vector>

// Decodes the package at path (a path PathProblem accepted) into the companion's list of
// samples. Returns empty when the whole file was read, else the reason it was not: then
// the list holds what could be read, possibly nothing. decoded, when given, receives the
// entries as their images are filled (see ReadPackage).
std::string LoadPackage(const std::string& path, const DecodedSamples& decoded = nullptr);

// The entries of the last LoadPackage in file order (valid until the next one).
std::vector<SampleEntry*> LoadedSamples();
// Frees them, images and list (the tool's shutdown).
void FreeLoadedSamples();

// "ok", or what was wrong with the record and what the reader did about it, e.g.
// "truncated: 120 missing bytes read as zeros"; several findings joined by "; ".
std::string RecordState(const SampleEntry& entry);

// Short names of the entry's RecordProblem flags ("truncated", "block-cut", ...), in
// flag order; empty for a sound record.
std::vector<std::string> ProblemCodes(uint32_t problems);

// Bytes of the package that the entry's record took: its 8-byte header and the
// compressed bytes the file held.
int64_t RecordBytes(const SampleEntry& entry);

// Milliseconds of sound in the entry's WAV image (16-bit mono samples at SampleRate),
// rounded to nearest; -1 when the rate is 0.
int64_t DurationMilliseconds(const SampleEntry& entry);
