// marrowvale-sounds replace: new sounds for chosen records of a package. Only those
// records are encoded; every other record is copied byte for byte, header and blocks as
// the original has them.
#include "tools/interruption.h"
#include "tools/package_load.h"
#include "tools/position_list.h"
#include "tools/sound_records.h"
#include "tools/standard_streams.h"
#include "tools/tool_command.h"
#include "tools/tool_files.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <ostream>

namespace {

const char* const ReplaceFooter =
    "Each POSITION=FILE gives record POSITION (counted from 0, as list shows) the sound in FILE "
    "(any format pack takes; - for standard input, once). The new record gets the rate of the "
    "record it replaces unless --rate is given; --match-loudness brings each new sound to the "
    "median integrated loudness (EBU R 128) of the package's other records. The new sounds are "
    "encoded as pack encodes them (--fast: with its quick greedy encoder); every other record is "
    "copied byte for byte.\n"
    "The package is written to OUTPUT (-o; - for standard output) or over itself "
    "(--in-place), through a temporary file renamed into place when complete: a failed or "
    "interrupted run leaves the original as it was. A package with a record of negative size or "
    "one that cannot be read is refused: what follows such a record cannot be found.\n"
    "Exit status: 0 when the package was written, 1 when an input was refused or could not be "
    "read or the package could not be written, 2 for a wrong command line, 130 when "
    "interrupted with Ctrl+C (143 for SIGTERM).";

class ReplaceCommand : public ToolCommand {
public:
    CLI::App* Configure(CLI::App& tool) override {
        CLI::App* command =
            tool.add_subcommand("replace", "Give chosen records of a package new sounds.");
        command->add_option("PACKAGE", package_, "Sample package to change")
            ->type_name("")
            ->required();
        command->add_option("POSITION=FILE", assignments_, "Record and its new sound")
            ->type_name("")
            ->required();
        CLI::Option* output =
            command->add_option("-o,--output", output_, "Package to write (-: standard output)")
                ->type_name("OUTPUT");
        CLI::Option* inPlace = command->add_flag("--in-place", inPlace_, "Replace PACKAGE itself");
        output->excludes(inPlace);
        command->add_option("--rate", rate_, "Rate of the new records, in Hz")
            ->type_name("HZ")
            ->check(CLI::Range(1, 65535));
        command->add_flag("--match-loudness", matchLoudness_,
                          "Bring the new sounds to the loudness of the others");
        command->add_flag("--fast", fast_, FastHelp);
        command->add_flag("--json", json_, "Show the records encoded as JSON");
        command->footer(ReplaceFooter);
        return command;
    }

    int Run(ToolIo& io) override {
        if (output_.empty() && !inPlace_) {
            io.err << "marrowvale-sounds: replace: give -o OUTPUT or --in-place\n";
            return ExitUsage;
        }
        const std::string target = inPlace_ ? package_ : output_;
        if (!ParseAssignments(io) || !CheckInputPath(io.err, package_) ||
            !CheckOutputPath(io.err, target))
            return ExitFailure;
        const InterruptionGuard guard;
        std::vector<uint8_t> bytes;
        std::vector<PreviewLine> lines;
        bool ok = ReadPackage(io, bytes) && Rebuild(io, bytes, lines);
        const int failed = WriteBuiltFile(io, target, ok, bytes);
        if (failed >= 0)
            return failed;
        std::ostream& report = target == "-" ? io.err : io.out;
        if (!json_)
            report << "Replaced " << lines.size() << (lines.size() == 1 ? " record" : " records")
                   << " of " << Printable(package_) << " into "
                   << (target == "-" ? "standard output" : Printable(target)) << " ("
                   << bytes.size() << " bytes):\n";
        PrintPreview(report, lines, json_, EncoderFor(fast_));
        return ExitSuccess;
    }

private:
    bool ParseAssignments(ToolIo& io) {
        std::vector<std::string> files;
        for (const std::string& text : assignments_) {
            const size_t equals = text.find('=');
            const std::string position = text.substr(0, std::min(equals, text.size()));
            const auto list = PositionList::Parse(position);
            if (equals == std::string::npos || !list || list->Ranges().size() != 1 ||
                list->Ranges()[0].first != list->Ranges()[0].second) {
                io.err << "marrowvale-sounds: " << Printable(text)
                       << ": not POSITION=FILE (e.g. 12=line.wav)\n";
                return false;
            }
            const int64_t at = list->Ranges()[0].first;
            if (!sounds_.emplace(at, text.substr(equals + 1)).second) {
                io.err << "marrowvale-sounds: record " << at << " is given twice\n";
                return false;
            }
            files.push_back(text.substr(equals + 1));
            if (!CheckInputPath(io.err, files.back()))
                return false;
        }
        return CheckOneStandardInput(io.err, files);
    }

    // Decodes the package (for its records' rates and loudness) and reads its bytes.
    bool ReadPackage(ToolIo& io, std::vector<uint8_t>& bytes) {
        std::string problem = LoadPackage(package_);
        entries_ = LoadedSamples();
        for (size_t k = 0; k < entries_.size() && problem.empty(); k++) {
            if (entries_[k]->Problems & (RecordNegativeSize | RecordReadError))
                problem = "record " + std::to_string(k) + " is damaged (" +
                          RecordState(*entries_[k]) + "): not changed";
        }
        if (problem.empty())
            problem = ReadWholeFile(package_, bytes);
        const auto last = sounds_.empty() ? 0 : sounds_.rbegin()->first;
        if (problem.empty() && last >= std::ssize(entries_))
            problem = "no record at position " + std::to_string(last) + " (the package has " +
                      std::to_string(entries_.size()) + " records)";
        if (!problem.empty())
            ReportError(io.err, package_, problem);
        return problem.empty();
    }

    // The median integrated loudness of the records kept, NaN when none can be measured.
    double KeptLoudness() const {
        std::vector<double> measured;
        for (size_t k = 0; k < entries_.size(); k++) {
            const SampleEntry& e = *entries_[k];
            const double lufs = sounds_.count(static_cast<int64_t>(k)) || e.SampleRate <= 0
                                    ? -HUGE_VAL
                                    : IntegratedLoudness(reinterpret_cast<const int16_t*>(
                                                             e.WavImage + WavHeaderSize),
                                                         e.DataSize / 2, e.SampleRate);
            if (std::isfinite(lufs))
                measured.push_back(lufs);
        }
        if (measured.empty())
            return NAN;
        std::sort(measured.begin(), measured.end());
        const size_t half = measured.size() / 2;
        return measured.size() % 2 ? measured[half] : (measured[half - 1] + measured[half]) / 2;
    }

    // bytes: the package read; replaced by the new one.
    bool Rebuild(ToolIo& io, std::vector<uint8_t>& bytes, std::vector<PreviewLine>& lines) {
        const double loudness = matchLoudness_ ? KeptLoudness() : NAN;
        if (matchLoudness_ && std::isnan(loudness))
            ReportWarning(io.err, package_, "no other record can be measured: loudness kept");
        std::vector<SoundRequest> requests;
        for (const auto& [at, path] : sounds_) {
            const int64_t rate = rate_ > 0 ? rate_ : entries_[static_cast<size_t>(at)]->SampleRate;
            requests.push_back({path, rate, loudness, EncoderFor(fast_)});
        }
        const std::vector<EncodedSound> encoded = EncodeSounds(requests);
        std::vector<uint8_t> rebuilt;
        int64_t offset = 0;
        bool ok = true;
        auto sound = sounds_.begin();
        size_t next = 0; // of encoded
        for (size_t k = 0; k < entries_.size() && !Interrupted(); k++) {
            const int64_t size = RecordBytes(*entries_[k]);
            if (sound == sounds_.end() || sound->first != static_cast<int64_t>(k)) {
                rebuilt.insert(rebuilt.end(), bytes.begin() + offset,
                               bytes.begin() + offset + size);
            } else {
                const EncodedSound& e = encoded[next++];
                lines.push_back({static_cast<int64_t>(k), SourceName(sound->second), e.preview});
                if (!e.problem.empty())
                    ReportError(io.err, lines.back().source, e.problem);
                ok = e.problem.empty() && ok;
                rebuilt.insert(rebuilt.end(), e.record.begin(), e.record.end());
                ++sound;
            }
            offset += size;
        }
        bytes.swap(rebuilt);
        return ok;
    }

    std::string package_;
    std::vector<std::string> assignments_;
    std::string output_;
    bool inPlace_ = false;
    int64_t rate_ = 0;
    bool matchLoudness_ = false;
    bool json_ = false;
    bool fast_ = false;
    std::map<int64_t, std::string> sounds_; // position: sound file
    std::vector<SampleEntry*> entries_;
};

} // namespace

std::unique_ptr<ToolCommand> MakeReplaceCommand() {
    return std::make_unique<ReplaceCommand>();
}
