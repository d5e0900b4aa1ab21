// marrowvale-sounds pack: the reverse direction, for modders. Encodes sound files of any
// format the sound file library reads into a sample package, one record per file in
// command-line order, and tells what each record will sound like.
#include "tools/interruption.h"
#include "tools/sound_records.h"
#include "tools/standard_streams.h"
#include "tools/tool_command.h"
#include "tools/tool_files.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace {

const char* const PackFooter =
    "FILE may be any sound file the system's sound file library reads (WAV of any sample "
    "type, AIFF, FLAC, Ogg Vorbis or Opus, MP3), or - for standard input (once). Several "
    "channels are mixed down to mono. Each record keeps the file's rate when it is 1 to 65535 "
    "Hz, else the sound is converted to 44100 Hz; --rate sets the rate of every record. The "
    "samples are rounded to 16 bits (samples beyond full scale are clipped, and counted) and "
    "encoded as 4-bit IMA ADPCM; for each record the rate, length, clipped samples and the "
    "round-trip signal-to-noise ratio are shown (--json: as JSON).\n"
    "OUT is replaced when it exists, and is written only when every file could be read and "
    "encoded: under a temporary name beside it, renamed over OUT when complete, so that a "
    "failed or interrupted run leaves OUT as it was. OUT is not replaced when it is not a "
    "regular file or you may not write it. OUT - writes the package to standard output, and "
    "the messages go to standard error.\n"
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
        command->add_option("FILE", files_, "Sound file, one record each (-: standard input)")
            ->type_name("")
            ->required();
        command->add_option("--rate", rate_, "Rate of every record, in Hz")
            ->type_name("HZ")
            ->check(CLI::Range(1, 65535));
        command->add_flag("--json", json_, "Show the records encoded as JSON");
        command->footer(PackFooter);
        return command;
    }

    int Run(ToolIo& io) override {
        std::ostream& report = out_ == "-" ? io.err : io.out;
        if (!CheckArguments(io))
            return ExitFailure;
        const InterruptionGuard guard;
        std::vector<uint8_t> package;
        std::vector<PreviewLine> lines;
        bool ok = true;
        for (size_t k = 0; k < files_.size() && !Interrupted(); k++)
            ok = AppendFile(io, files_[k], package, lines) && ok;
        const std::string problem =
            !ok || Interrupted() ? std::string() : WriteOutput(out_, package, io.out);
        if (!ok || Interrupted() || !problem.empty()) {
            if (!problem.empty() && problem != InterruptedWrite)
                ReportError(io.err, out_, problem);
            io.err << "marrowvale-sounds: " << Printable(out_) << " was not written"
                   << (Interrupted() ? ": interrupted" : "") << ".\n";
            return Interrupted() ? InterruptedStatus() : ExitFailure;
        }
        if (!json_)
            report << "Packed " << files_.size() << (files_.size() == 1 ? " record" : " records")
                   << " into " << (out_ == "-" ? "standard output" : Printable(out_)) << " ("
                   << package.size() << " bytes):\n";
        PrintPreview(report, lines, json_);
        return ExitSuccess;
    }

private:
    bool CheckArguments(ToolIo& io) const {
        bool ok = CheckOutputPath(io.err, out_);
        for (const std::string& file : files_)
            ok = CheckInputPath(io.err, file) && ok;
        return CheckOneStandardInput(io.err, files_) && ok;
    }

    bool AppendFile(ToolIo& io, const std::string& path, std::vector<uint8_t>& package,
                    std::vector<PreviewLine>& lines) const {
        PreviewLine line{
            static_cast<int64_t>(lines.size()), path == "-" ? "standard input" : path, {}};
        const std::string problem = AppendSound({path, rate_, NAN}, package, line.preview);
        if (!problem.empty()) {
            ReportError(io.err, path == "-" ? "standard input" : path, problem);
            return false;
        }
        lines.push_back(line);
        return true;
    }

    std::string out_;
    std::vector<std::string> files_;
    int64_t rate_ = 0;
    bool json_ = false;
};

} // namespace

std::unique_ptr<ToolCommand> MakePackCommand() {
    return std::make_unique<PackCommand>();
}
