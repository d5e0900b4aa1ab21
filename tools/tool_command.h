// The commands of marrowvale-sounds. Each command lives in a file of its own that defines
// Make<Name>Command(); the one line in ToolCommandList below registers it.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

namespace CLI {
class App;
}

// Exit statuses of the tool.
constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1; // an input could not be read or an output not written
constexpr int ExitUsage = 2;   // the command line itself was wrong

// Where a command writes. progress: a progress bar may be drawn on err (a terminal).
struct ToolIo {
    std::ostream& out;
    std::ostream& err;
    bool progress = false;
};

// "marrowvale-sounds: <path>: <reason>" on err, the path made printable.
void ReportError(std::ostream& err, const std::string& path, const std::string& reason);
// "marrowvale-sounds: warning: <subject>: <text>" on err.
void ReportWarning(std::ostream& err, const std::string& subject, const std::string& text);

class ToolCommand {
public:
    virtual ~ToolCommand() = default;
    // Adds the command to the tool: its name, help text, options and arguments.
    virtual CLI::App* Configure(CLI::App& tool) = 0;
    // Runs the command once its command line has parsed; returns the exit status.
    virtual int Run(ToolIo& io) = 0;
};

// Every command, in the order --help lists them.
#define MV_TOOL_COMMANDS(COMMAND)                                                                  \
    COMMAND(List)                                                                                  \
    COMMAND(Extract)                                                                               \
    COMMAND(Pack)                                                                                  \
    COMMAND(Replace)                                                                               \
    COMMAND(Check)                                                                                 \
    COMMAND(Play)

#define MV_DECLARE_TOOL_COMMAND(NAME) std::unique_ptr<ToolCommand> Make##NAME##Command();
MV_TOOL_COMMANDS(MV_DECLARE_TOOL_COMMAND)
#undef MV_DECLARE_TOOL_COMMAND
