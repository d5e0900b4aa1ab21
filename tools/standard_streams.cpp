#include "tools/standard_streams.h"

#include "tools/interruption.h"
#include "tools/tool_command.h"
#include "tools/tool_files.h"

#include <algorithm>
#include <ostream>

namespace {

bool CheckPath(std::ostream& err, const std::string& path) {
    if (path == "-")
        return true;
    const std::string problem = PathProblem(path);
    if (!problem.empty())
        ReportError(err, path, problem);
    return problem.empty();
}

} // namespace

bool CheckInputPath(std::ostream& err, const std::string& path) {
    return CheckPath(err, path);
}

bool CheckOutputPath(std::ostream& err, const std::string& path) {
    return CheckPath(err, path);
}

bool CheckOneStandardInput(std::ostream& err, const std::vector<std::string>& paths) {
    if (std::count(paths.begin(), paths.end(), "-") <= 1)
        return true;
    err << "marrowvale-sounds: standard input (-) can be read only once\n";
    return false;
}

std::string WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes,
                        std::ostream& out) {
    if (path != "-")
        return WriteWholeFile(path, bytes);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
    out.flush();
    return out ? "" : "could not write to standard output";
}

int WriteBuiltFile(ToolIo& io, const std::string& target, bool ok,
                   const std::vector<uint8_t>& bytes) {
    const std::string problem =
        !ok || Interrupted() ? std::string() : WriteOutput(target, bytes, io.out);
    if (ok && !Interrupted() && problem.empty())
        return -1;
    if (!problem.empty() && problem != InterruptedWrite)
        ReportError(io.err, target, problem);
    io.err << "marrowvale-sounds: " << Printable(target) << " was not written"
           << (Interrupted() ? ": interrupted" : "") << ".\n";
    return Interrupted() ? InterruptedStatus() : ExitFailure;
}
