// marrowvale-sounds check: whether packages are sound, told by the exit status, with one
// line per finding for the damaged ones.
#include "tools/package_load.h"
#include "tools/tool_command.h"
#include "tools/tool_files.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace {

const char* const CheckFooter =
    "Every record of each package is read and decoded. For each damaged record one line tells "
    "its position, the byte offset of its header in the file, and what was wrong with it and "
    "what the reader did (as list shows); a package that cannot be read at all is told as "
    "an error.\n"
    "Exit status: 0 when every record of every package is sound, 1 when a record is damaged "
    "or a package cannot be read, 2 for a wrong command line.";

class CheckCommand : public ToolCommand {
public:
    CLI::App* Configure(CLI::App& tool) override {
        CLI::App* command =
            tool.add_subcommand("check", "Tell whether packages are sound, by the exit status.");
        command->add_option("PACKAGE", packages_, "Sample package (*.mus, *.svl, *.sel)")
            ->type_name("")
            ->required();
        command->footer(CheckFooter);
        return command;
    }

    int Run(ToolIo& io) override {
        int status = ExitSuccess;
        for (const std::string& path : packages_) {
            std::string error = PathProblem(path);
            if (error.empty())
                error = LoadPackage(path);
            const int64_t damaged = Report(io.out, path);
            if (!error.empty())
                ReportError(io.err, path, error);
            if (!error.empty() || damaged > 0)
                status = ExitFailure;
        }
        return status;
    }

private:
    // The findings of the loaded package, then a summary line; the damaged records.
    static int64_t Report(std::ostream& out, const std::string& path) {
        int64_t offset = 0, damaged = 0, position = 0;
        const std::vector<SampleEntry*> entries = LoadedSamples();
        for (const SampleEntry* entry : entries) {
            if (entry->Problems != 0) {
                out << Printable(path) << ": record " << position << " at byte " << offset << ": "
                    << RecordState(*entry) << '\n';
                damaged++;
            }
            offset += RecordBytes(*entry);
            position++;
        }
        if (!entries.empty())
            out << Printable(path) << ": " << entries.size()
                << (entries.size() == 1 ? " record, " : " records, ")
                << (damaged == 0 ? "all sound" : std::to_string(damaged) + " damaged") << '\n';
        return damaged;
    }

    std::vector<std::string> packages_;
};

} // namespace

std::unique_ptr<ToolCommand> MakeCheckCommand() {
    return std::make_unique<CheckCommand>();
}
