// Sounds made into package records for pack and replace, and the preview of each record
// they encode: rate, length, clipped samples and the round-trip signal-to-noise ratio, so
// that a modder hears about the 4-bit loss before shipping.
#pragma once

#include "tools/record_encode.h"

#include <cmath>
#include <iosfwd>
#include <string>
#include <vector>

// Help of the --fast option of pack and replace.
inline constexpr char FastHelp[] = "Encode with the quick greedy encoder instead of the search "
                                   "(about 2.5 dB lower SNR on speech)";

// The encoder pack and replace use: the search, or with --fast the greedy one.
inline AdpcmEncoder EncoderFor(bool fast) {
    return fast ? AdpcmEncoder::Greedy : AdpcmEncoder::Search;
}

// A sound's source as messages name it: "standard input" for "-".
inline std::string SourceName(const std::string& path) {
    return path == "-" ? "standard input" : path;
}

struct SoundRequest {
    std::string path; // "-": standard input
    // Record rate in Hz; 0: the source's when it fits the rate word, else FallbackRate.
    int64_t rate = 0;
    // Integrated loudness to bring the sound to, in LUFS; NaN: as it is.
    double loudness = NAN;
    AdpcmEncoder encoder = AdpcmEncoder::Search;
};

// A sound made into a record: the record's bytes and preview, or (no bytes) the reason it
// could not be made, for a message after the file's name.
struct EncodedSound {
    std::vector<uint8_t> record;
    RecordPreview preview;
    std::string problem;
};

// Reads, converts and encodes the sound of each request, on as many threads as the machine
// has cores (the search encoder takes about 0.75 s of one core a minute of sound at
// 22050 Hz), and returns them in the order of requests. A sound not begun once
// Interrupted() is left empty, with no problem.
std::vector<EncodedSound> EncodeSounds(const std::vector<SoundRequest>& requests);

// One encoded record for the preview: its position in the package and its source.
struct PreviewLine {
    int64_t position;
    std::string source;
    RecordPreview preview;
};

// One line per record, aligned, or (json) one JSON document that names the encoder.
void PrintPreview(std::ostream& out, const std::vector<PreviewLine>& lines, bool json,
                  AdpcmEncoder encoder);
