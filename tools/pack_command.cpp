// marrowvale-sounds pack: the reverse direction, for modders. Encodes mono 16-bit PCM WAV
// files into a sample package, one record per file in command-line order.
#include "app/decode/adpcm_encode.h"
#include "app/decode/package_reader.h"
#include "app/decode/wav_image.h"
#include "tools/interruption.h"
#include "tools/tool_command.h"
#include "tools/tool_files.h"
#include "tools/wav_reader.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace {

// Most samples one record can give back whole: its WAV image (4 bytes per code byte, two
// samples per code byte, plus the header) must stay within the 32-bit data size.
constexpr int64_t MaxRecordSamples = 2 * ((INT32_MAX - WavHeaderSize) / 4);
// Bytes read first to find the data chunk's size: the header chunks of a WAV file
// (format, lists of tags, cue points) fit in far less.
constexpr int64_t WavHeaderProbe = 64 << 10;

std::string TooLong() {
    return "cannot be packed: more than " + std::to_string(MaxRecordSamples) +
           " samples, too many for one record";
}

const char* const PackFooter =
    "Each WAV file must be mono, 16-bit integer PCM, at 1 to 65535 Hz; anything else is "
    "refused rather than converted (convert it first, e.g. with sox). The samples are "
    "encoded as 4-bit IMA ADPCM: extracting the package gives each file back within the "
    "codec's error, with one silent sample added to an odd number of samples.\n"
    "OUT is replaced when it exists, and is written only when every WAV file could be read "
    "and encoded: under a temporary name beside it, renamed over OUT when complete, so that a "
    "failed or interrupted run leaves OUT as it was. OUT is not replaced when it is not a "
    "regular file or you may not write it.\n"
    "Exit status: 0 when OUT was written, 1 when a WAV file was refused or could not be read "
    "or OUT could not be written, 2 for a wrong command line, 130 when interrupted with "
    "Ctrl+C (143 for SIGTERM).";

class PackCommand : public ToolCommand {
public:
    CLI::App* Configure(CLI::App& tool) override {
        CLI::App* command = tool.add_subcommand("pack", "Build a sample package from WAV files.");
        command->add_option("OUT", out_, "Sample package to write")->type_name("")->required();
        command->add_option("WAV", wavs_, "Mono 16-bit PCM WAV file, one record each")
            ->type_name("")
            ->required();
        command->footer(PackFooter);
        return command;
    }

    int Run(ToolIo& io) override {
        bool ok = CheckPath(io, out_);
        for (const std::string& wav : wavs_)
            ok = CheckPath(io, wav) && ok;
        if (!ok)
            return ExitFailure;
        const InterruptionGuard guard;
        std::vector<uint8_t> package;
        for (size_t k = 0; k < wavs_.size() && !Interrupted(); k++)
            ok = AppendWav(io, wavs_[k], package) && ok;
        const std::string problem =
            !ok || Interrupted() ? std::string() : WriteWholeFile(out_, package);
        if (!ok || Interrupted() || !problem.empty()) {
            if (!problem.empty() && problem != InterruptedWrite)
                ReportError(io.err, out_, problem);
            io.err << "marrowvale-sounds: " << Printable(out_) << " was not written"
                   << (Interrupted() ? ": interrupted" : "") << ".\n";
            return Interrupted() ? InterruptedStatus() : ExitFailure;
        }
        io.out << "Packed " << wavs_.size() << (wavs_.size() == 1 ? " record" : " records")
               << " into " << Printable(out_) << " (" << package.size() << " bytes).\n";
        return ExitSuccess;
    }

private:
    static bool CheckPath(ToolIo& io, const std::string& path) {
        const std::string problem = PathProblem(path);
        if (!problem.empty())
            ReportError(io.err, path, problem);
        return problem.empty();
    }

    // Reads, checks and encodes one WAV file as the package's next record.
    static bool AppendWav(ToolIo& io, const std::string& path, std::vector<uint8_t>& package) {
        std::vector<uint8_t> bytes;
        std::string problem = ReadFileBytes(path, bytes, WavHeaderProbe);
        // An input too long for a record is refused from its header, before it is read.
        if (problem.empty() && DeclaredSampleCount(bytes.data(), bytes.size()) > MaxRecordSamples)
            problem = TooLong();
        if (problem.empty() && static_cast<int64_t>(bytes.size()) == WavHeaderProbe)
            problem = ReadWholeFile(path, bytes);
        PcmWav wav;
        if (problem.empty()) {
            problem = ParsePcmWav(bytes.data(), bytes.size(), wav);
            if (!problem.empty())
                problem = "cannot be packed: " + problem;
        }
        const auto count = static_cast<int64_t>(wav.samples.size());
        if (problem.empty() &&
            (count > MaxRecordSamples ||
             !AppendPackageRecord(package, wav.sampleRate, wav.samples.data(), count)))
            problem = TooLong();
        if (!problem.empty())
            ReportError(io.err, path, problem);
        return problem.empty();
    }

    std::string out_;
    std::vector<std::string> wavs_;
};

} // namespace

std::unique_ptr<ToolCommand> MakePackCommand() {
    return std::make_unique<PackCommand>();
}
