// marrowvale-sounds: decodes sample packages without a window (list, extract) and builds
// packages from WAV files (pack).
#pragma once

#include "tools/tool_command.h"

#include <string>
#include <vector>

// Parses args (without the program name) and runs the chosen command; the runtime must
// have been started (RunToolStartup). Returns the exit status: ExitSuccess, ExitFailure
// or ExitUsage. Help goes to io.out, errors to io.err.
int RunSoundsTool(const std::vector<std::string>& args, ToolIo& io);

// The whole program: start-up, RunSoundsTool on the standard streams, shutdown. A failed
// write to standard output turns a success into ExitFailure.
int SoundsToolMain(int argc, char** argv);
