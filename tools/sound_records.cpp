#include "tools/sound_records.h"

#include "tools/audio_input.h"
#include "tools/tool_files.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <ostream>

namespace {

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

} // namespace

std::string AppendSound(const SoundRequest& request, std::vector<uint8_t>& package,
                        RecordPreview& preview) {
    AudioFile file;
    std::string problem = file.Open(request.path);
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
    if (problem.empty() && !EncodeRecord(samples, rate, package, preview))
        problem = "cannot be packed: " + TooLong();
    return problem;
}

void PrintPreview(std::ostream& out, const std::vector<PreviewLine>& lines, bool json) {
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
        out << nlohmann::ordered_json{{"format", 1}, {"records", records}}.dump(2) << '\n';
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
