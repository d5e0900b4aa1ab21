// "-" for the standard streams, as command-line tools take it: an input read from
// standard input (once per command), an output written to standard output, whose bytes
// must then not mix with messages.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// Whether path can be opened as given ("-" always can); else the reason is reported.
bool CheckInputPath(std::ostream& err, const std::string& path);
bool CheckOutputPath(std::ostream& err, const std::string& path);
// At most one of paths may be "-": standard input can be read once.
bool CheckOneStandardInput(std::ostream& err, const std::vector<std::string>& paths);

// Writes bytes to path through a temporary file and a rename, or to out for "-". Empty
// on success, else the reason.
std::string WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes,
                        std::ostream& out);

struct ToolIo;
// The end of a command that builds one file: when ok and not interrupted, writes bytes to
// target (WriteOutput) and returns -1; else tells why target was not written and returns
// the exit status (1, or 128 + the signal when interrupted).
int WriteBuiltFile(ToolIo& io, const std::string& target, bool ok,
                   const std::vector<uint8_t>& bytes);
