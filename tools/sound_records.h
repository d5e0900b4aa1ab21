// Sounds made into package records for pack and replace, and the preview of each record
// they encode: rate, length, clipped samples and the round-trip signal-to-noise ratio, so
// that a modder hears about the 4-bit loss before shipping.
#pragma once

#include "tools/record_encode.h"

#include <cmath>
#include <iosfwd>
#include <string>
#include <vector>

struct SoundRequest {
    std::string path; // "-": standard input
    // Record rate in Hz; 0: the source's when it fits the rate word, else FallbackRate.
    int64_t rate = 0;
    // Integrated loudness to bring the sound to, in LUFS; NaN: as it is.
    double loudness = NAN;
};

// Reads, converts and encodes the sound as the next record of package and fills preview.
// Empty on success, else the reason (for a message after the file's name); then nothing
// was appended.
std::string AppendSound(const SoundRequest& request, std::vector<uint8_t>& package,
                        RecordPreview& preview);

// One encoded record for the preview: its position in the package and its source.
struct PreviewLine {
    int64_t position;
    std::string source;
    RecordPreview preview;
};

// One line per record, aligned, or (json) one JSON document.
void PrintPreview(std::ostream& out, const std::vector<PreviewLine>& lines, bool json);
