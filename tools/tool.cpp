#include "tools/tool.h"

#include "tools/tool_files.h"
#include "tools/tool_startup.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <unistd.h>

namespace {

const char* const ToolName = "marrowvale-sounds";

const char* const ToolDescription =
    "Decodes Marrowvale sample packages (*.mus, *.svl, *.sel) without a window: lists their "
    "records, saves them as WAV files or plays them, or packs WAV files into a package.";

using CommandFactory = std::unique_ptr<ToolCommand> (*)();

#define MV_TOOL_COMMAND_FACTORY(NAME) Make##NAME##Command,
const CommandFactory CommandFactories[] = {MV_TOOL_COMMANDS(MV_TOOL_COMMAND_FACTORY)};
#undef MV_TOOL_COMMAND_FACTORY

std::string FailureMessage(const CLI::App*, const CLI::Error& error) {
    return std::string(ToolName) + ": " + error.what() + "\nRun '" + ToolName +
           " --help' for more information.\n";
}

// Parses args; -1 when a command is to run, else the exit status (help, or a usage
// error, already printed).
int Parse(CLI::App& tool, const std::vector<std::string>& args, ToolIo& io) {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        tool.parse(reversed);
    } catch (const CLI::ParseError& error) {
        const int code = tool.exit(error, io.out, io.err);
        return code == static_cast<int>(CLI::ExitCodes::Success) ? ExitSuccess : ExitUsage;
    }
    return -1;
}

} // namespace

void ReportError(std::ostream& err, const std::string& path, const std::string& reason) {
    err << ToolName << ": " << Printable(path) << ": " << reason << '\n';
}

void ReportWarning(std::ostream& err, const std::string& subject, const std::string& text) {
    err << ToolName << ": warning: " << Printable(subject) << ": " << text << '\n';
}

int RunSoundsTool(const std::vector<std::string>& args, ToolIo& io) {
    CLI::App tool(ToolDescription, ToolName);
    tool.set_version_flag("--version", std::string(ToolName) + " " + MV_VERSION);
    tool.require_subcommand(1);
    tool.failure_message(FailureMessage);
    std::vector<std::pair<CLI::App*, std::unique_ptr<ToolCommand>>> commands;
    for (CommandFactory make : CommandFactories) {
        std::unique_ptr<ToolCommand> command = make();
        CLI::App* app = command->Configure(tool);
        commands.emplace_back(app, std::move(command));
    }
    const int parsed = Parse(tool, args, io);
    if (parsed >= 0)
        return parsed;
    const auto chosen = std::find_if(commands.begin(), commands.end(),
                                     [](const auto& entry) { return entry.first->parsed(); });
    try {
        return chosen->second->Run(io);
    } catch (const std::exception& error) {
        // Memory running out while a large package or WAV file is held.
        io.err << ToolName << ": " << error.what() << '\n';
        return ExitFailure;
    }
}

int SoundsToolMain(int argc, char** argv) {
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    ToolIo io{std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
    RunToolStartup();
    int status = RunSoundsTool(args, io);
    RunToolShutdown();
    // A listing that did not reach its reader (a full disk, a closed pipe) is a failure.
    std::cout.flush();
    if (!std::cout && status == ExitSuccess) {
        std::cerr << ToolName << ": could not write to standard output\n";
        status = ExitFailure;
    }
    return status;
}
