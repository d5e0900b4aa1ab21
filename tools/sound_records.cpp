#include "tools/sound_records.h"

#include "runtime/core/threads/parallel_for.h"
#include "tools/audio_input.h"
#include "tools/interruption.h"
#include "tools/tool_files.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <mutex>
#include <ostream>

namespace {

// The sound file library keeps the error of a failed open in one variable of the process,
// which every open clears first: the sounds are opened one at a time, so that the message
// of each failure is its own.
std::mutex Opening;

int64_t RecordRate(const SoundRequest& request, int64_t sourceRate) {
    if (request.rate > 0)
        return request.rate;
    return sourceRate >= 1 && sourceRate <= 65535 ? sourceRate : FallbackRate;
}

std::string TooLong() {
    return "more than " + std::to_string(MaxRecordSamples) + " samples, too many for one record";
}

// The gain that brings samples to the loudness asked for; 1 when there is none to match
// or the sound is too short or silent to measure.
double LoudnessGain(const SoundRequest& request, const std::vector<int16_t>& samples,
                    int64_t rate) {
    if (std::isnan(request.loudness))
        return 1;
    const double measured = IntegratedLoudness(samples.data(), std::ssize(samples), rate);
    if (!std::isfinite(measured) || !std::isfinite(request.loudness))
        return 1;
    return std::pow(10.0, (request.loudness - measured) / 20);
}

std::string Decibels(double snr) {
    if (std::isinf(snr))
        return snr > 0 ? "exact" : "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dB", snr);
    return text;
}

std::string Seconds(const RecordPreview& p) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", static_cast<double>(p.samples) / p.rate);
    return text;
}

// Reads, converts and encodes the sound as the next record of package and fills preview.
// Empty on success, else the reason; then nothing was appended.
std::string AppendSound(const SoundRequest& request, std::vector<uint8_t>& package,
                        RecordPreview& preview) {
    AudioFile file;
    std::string problem;
    {
        const std::lock_guard<std::mutex> lock(Opening);
        problem = file.Open(request.path);
    }
    if (!problem.empty())
        return problem;
    const int64_t rate = RecordRate(request, file.Rate());
    // Refused from the header, before the samples are read.
    if (ConvertedLength(file.Frames(), file.Rate(), rate) > MaxRecordSamples)
        return "cannot be packed: " + TooLong();
    std::vector<float> mono;
    problem = file.Read(mono);
    if (!problem.empty())
        return problem;
    std::vector<int16_t> samples;
    problem = ToRecordSamples(mono, file.Rate(), rate, 1, samples, preview.clipped);
    const double gain = problem.empty() ? LoudnessGain(request, samples, rate) : 1;
    if (problem.empty() && gain != 1)
        problem = ToRecordSamples(mono, file.Rate(), rate, gain, samples, preview.clipped);
    if (problem.empty() && !EncodeRecord(samples, rate, package, preview, request.encoder))
        problem = Interrupted() ? "interrupted" : "cannot be packed: " + TooLong();
    return problem;
}

} // namespace

std::vector<EncodedSound> EncodeSounds(const std::vector<SoundRequest>& requests) {
    std::vector<EncodedSound> sounds(requests.size());
    const auto threads = static_cast<unsigned>(std::min<size_t>(CoreCount(), requests.size()));
    // Each sound is read, converted and encoded whole by one thread into its own record,
    // so that the records and their order are those of one thread.
    ParallelFor(requests.size(), threads, [&](size_t k, bool) {
        EncodedSound& sound = sounds[k];
        try {
            if (!Interrupted())
                sound.problem = AppendSound(requests[k], sound.record, sound.preview);
        } catch (const std::exception& error) {
            // Memory running out while a long sound is held; no exception may leave a
            // worker thread.
            sound.problem = error.what();
            sound.record = {};
        }
    });
    return sounds;
}

void PrintPreview(std::ostream& out, const std::vector<PreviewLine>& lines, bool json,
                  AdpcmEncoder encoder) {
    if (json) {
        nlohmann::ordered_json records = nlohmann::ordered_json::array();
        for (const PreviewLine& line : lines) {
            const RecordPreview& p = line.preview;
            records.push_back({{"position", line.position},
                               {"source", line.source},
                               {"rate", p.rate},
                               {"samples", p.samples},
                               {"clipped", p.clipped},
                               {"snrDb", std::isfinite(p.snr) ? nlohmann::ordered_json(p.snr)
                                                              : nlohmann::ordered_json(nullptr)}});
        }
        const nlohmann::ordered_json document = {
            {"format", 1},
            {"encoder", encoder == AdpcmEncoder::Search ? "search" : "greedy"},
            {"records", records}};
        out << document.dump(2) << '\n';
        return;
    }
    for (const PreviewLine& line : lines) {
        const RecordPreview& p = line.preview;
        out << "  " << line.position << ": " << Printable(line.source) << ", " << p.rate << " Hz, "
            << Seconds(p) << ", round trip " << Decibels(p.snr);
        if (p.clipped > 0)
            out << ", " << p.clipped << (p.clipped == 1 ? " sample" : " samples") << " clipped";
        out << '\n';
    }
}
