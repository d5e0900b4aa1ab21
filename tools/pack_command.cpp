// marrowvale-sounds pack: the reverse direction, for modders. Encodes sound files of any
// format the sound file library reads into a sample package, one record per file in
// command-line order, and tells what each record will sound like.
#include "tools/interruption.h"
#include "tools/manifest.h"
#include "tools/package_load.h"
#include "tools/sound_records.h"
#include "tools/standard_streams.h"
#include "tools/tool_command.h"
#include "tools/tool_files.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>

namespace {

const char* const PackFooter =
    "FILE may be any sound file the system's sound file library reads (WAV of any sample "
    "type, AIFF, FLAC, Ogg Vorbis or Opus, MP3), or - for standard input (once). Several "
    "channels are mixed down to mono. Each record keeps the file's rate when it is 1 to 65535 "
    "Hz, else the sound is converted to 44100 Hz; --rate sets the rate of every record. The "
    "samples are rounded to 16 bits (samples beyond full scale are clipped, and counted) and "
    "encoded as 4-bit IMA ADPCM by a search for the codes that decode closest to them; "
    "--fast takes the nearest code for each sample instead, some 20 times faster and about "
    "2.5 dB lower in signal-to-noise ratio on speech. For each record the rate, length, clipped "
    "samples and the round-trip signal-to-noise ratio are shown (--json: as JSON).\n"
    "OUT is replaced when it exists, and is written only when every file could be read and "
    "encoded: under a temporary name beside it, renamed over OUT when complete, so that a "
    "failed or interrupted run leaves OUT as it was. OUT is not replaced when it is not a "
    "regular file or you may not write it. OUT - writes the package to standard output, and "
    "the messages go to standard error.\n"
    "--manifest FILE builds the package from the files an extract's manifest.json names, in "
    "its position order; with --from PACKAGE (the package extracted), a record whose file is "
    "unchanged (same SHA-256) is copied from PACKAGE byte for byte.\n"
    "Exit status: 0 when OUT was written, 1 when a file was refused or could not be read or "
    "OUT could not be written, 2 for a wrong command line, 130 when interrupted with Ctrl+C "
    "(143 for SIGTERM).";

class PackCommand : public ToolCommand {
public:
    CLI::App* Configure(CLI::App& tool) override {
        CLI::App* command = tool.add_subcommand("pack", "Build a sample package from sound files.");
        command->add_option("OUT", out_, "Sample package to write (-: standard output)")
            ->type_name("")
            ->required();
        CLI::Option* files =
            command->add_option("FILE", files_, "Sound file, one record each (-: standard input)")
                ->type_name("");
        CLI::Option* manifest =
            command->add_option("--manifest", manifest_, "Records from an extract's manifest.json")
                ->type_name("FILE");
        files->excludes(manifest);
        command->add_option("--from", from_, "With --manifest: the package extracted")
            ->type_name("PACKAGE")
            ->needs(manifest);
        command->add_option("--rate", rate_, "Rate of every record, in Hz")
            ->type_name("HZ")
            ->check(CLI::Range(1, 65535));
        command->add_flag("--fast", fast_, FastHelp);
        command->add_flag("--json", json_, "Show the records encoded as JSON");
        command->footer(PackFooter);
        return command;
    }

    int Run(ToolIo& io) override {
        std::ostream& report = out_ == "-" ? io.err : io.out;
        if (files_.empty() && manifest_.empty()) {
            io.err << "marrowvale-sounds: pack: give sound files or --manifest\n";
            return ExitUsage;
        }
        if (!CheckArguments(io) || (!manifest_.empty() && !ReadSources(io)))
            return ExitFailure;
        const InterruptionGuard guard;
        std::vector<SoundRequest> requests;
        for (size_t k = 0; k < files_.size(); k++) {
            if (k >= copies_.size() || copies_[k].empty())
                requests.push_back({files_[k], rate_, NAN, EncoderFor(fast_)});
        }
        const std::vector<EncodedSound> sounds = EncodeSounds(requests);
        std::vector<uint8_t> package;
        std::vector<PreviewLine> lines;
        bool ok = true;
        for (size_t k = 0, next = 0; k < files_.size() && !Interrupted(); k++) {
            if (k < copies_.size() && !copies_[k].empty())
                package.insert(package.end(), copies_[k].begin(), copies_[k].end());
            else
                ok = AppendFile(io, k, sounds[next++], package, lines) && ok;
        }
        const int failed = WriteBuiltFile(io, out_, ok, package);
        if (failed >= 0)
            return failed;
        if (!json_)
            report << "Packed " << files_.size() << (files_.size() == 1 ? " record" : " records")
                   << " into " << (out_ == "-" ? "standard output" : Printable(out_)) << " ("
                   << package.size() << " bytes)" << CopiedText() << ":\n";
        PrintPreview(report, lines, json_, EncoderFor(fast_));
        return ExitSuccess;
    }

private:
    bool CheckArguments(ToolIo& io) const {
        bool ok = CheckOutputPath(io.err, out_);
        for (const std::string& file : files_)
            ok = CheckInputPath(io.err, file) && ok;
        return CheckOneStandardInput(io.err, files_) && ok;
    }

    // The files of the manifest, in its position order; with --from, the original records
    // of those whose files are unchanged (same SHA-256).
    bool ReadSources(ToolIo& io) {
        Manifest manifest;
        std::string problem = ReadManifest(manifest_, manifest);
        const std::string folder =
            manifest_.substr(0, manifest_.size() - FileName(manifest_).size());
        for (size_t k = 1; problem.empty() && k < manifest.records.size(); k++) {
            if (manifest.records[k].position == manifest.records[k - 1].position)
                problem =
                    "lists position " + std::to_string(manifest.records[k].position) + " twice";
        }
        if (!problem.empty()) {
            ReportError(io.err, manifest_, problem);
            return false;
        }
        for (const ManifestRecord& record : manifest.records)
            files_.push_back(folder + record.file);
        return from_.empty() || FindUnchanged(io, manifest);
    }

    bool FindUnchanged(ToolIo& io, const Manifest& manifest) {
        std::vector<uint8_t> original;
        std::string problem = LoadPackage(from_);
        if (problem.empty())
            problem = ReadWholeFile(from_, original);
        if (!problem.empty()) {
            ReportError(io.err, from_, problem);
            return false;
        }
        const std::vector<SampleEntry*> entries = LoadedSamples();
        std::vector<int64_t> offsets = {0};
        for (const SampleEntry* entry : entries)
            offsets.push_back(offsets.back() + RecordBytes(*entry));
        copies_.resize(files_.size());
        for (size_t k = 0; k < files_.size(); k++) {
            const int64_t at = manifest.records[k].position;
            std::vector<uint8_t> wav;
            if (at >= std::ssize(entries) || !ReadWholeFile(files_[k], wav).empty() ||
                Sha256Hex(wav.data(), wav.size()) != manifest.records[k].sha256)
                continue;
            copies_[k].assign(original.begin() + offsets[at], original.begin() + offsets[at + 1]);
        }
        return true;
    }

    std::string CopiedText() const {
        const auto copied =
            std::count_if(copies_.begin(), copies_.end(), [](const auto& c) { return !c.empty(); });
        if (copied == 0)
            return {};
        return ", " + std::to_string(copied) + (copied == 1 ? " record" : " records") +
               " unchanged from " + Printable(from_);
    }

    // Appends the record of file k, encoded as sound, or tells why it could not be.
    bool AppendFile(ToolIo& io, size_t k, const EncodedSound& sound, std::vector<uint8_t>& package,
                    std::vector<PreviewLine>& lines) const {
        const std::string source = SourceName(files_[k]);
        if (!sound.problem.empty()) {
            ReportError(io.err, source, sound.problem);
            return false;
        }
        package.insert(package.end(), sound.record.begin(), sound.record.end());
        lines.push_back({static_cast<int64_t>(k), source, sound.preview});
        return true;
    }

    std::string out_;
    std::vector<std::string> files_;
    std::string manifest_;
    std::string from_;
    std::vector<std::vector<uint8_t>> copies_; // of files_, empty where it is encoded
    int64_t rate_ = 0;
    bool json_ = false;
    bool fast_ = false;
};

} // namespace

std::unique_ptr<ToolCommand> MakePackCommand() {
    return std::make_unique<PackCommand>();
}
