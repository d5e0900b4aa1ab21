#include "tools/package_load.h"

#include "runtime/core/lists/lists.h"
#include "runtime/core/strings/strings.h"
#include "tools/tool_files.h"

#include <algorithm>

namespace {

// The companion's own list of decoded samples, made on first use.
KS_List* Loaded = nullptr;

// text with %m replaced by the missing bytes and %d by the data size.
std::string Fill(std::string text, const SampleEntry& entry) {
    const std::pair<const char*, int64_t> fields[] = {{"%m", entry.MissingBytes},
                                                      {"%d", entry.DataSize}};
    for (const auto& [mark, value] : fields) {
        const size_t at = text.find(mark);
        if (at != std::string::npos)
            text.replace(at, 2, std::to_string(value));
    }
    return text;
}

} // namespace

std::string LoadPackage(const std::string& path, const DecodedSamples& decoded) {
    if (!Loaded && !(Loaded = NewSampleList()))
        return "out of memory";
    // A FIFO without a writer would block the open, a device might never end.
    std::string problem = NotRegularProblem(path);
    if (!problem.empty()) {
        ClearSamples(Loaded);
        return problem;
    }
    RuntimeText text(path);
    ReadPackage(text.get(), Loaded, decoded);
    // Any file with at least one byte gives at least one entry: none means that the file
    // could not be opened, or is empty, which is not a package either.
    if (ListSize(Loaded) == 0)
        return DescribeReadFailure(path);
    const auto* last = static_cast<const SampleEntry*>(ListElementData(Loaded->last));
    if (last->Problems & RecordReadError)
        return "read error after " + std::to_string(ListSize(Loaded)) + " records";
    return {};
}

std::vector<SampleEntry*> LoadedSamples() {
    std::vector<SampleEntry*> samples;
    for (KS_ListHeader* e = Loaded ? Loaded->first : nullptr; e; e = e->next)
        samples.push_back(static_cast<SampleEntry*>(ListElementData(e)));
    return samples;
}

void FreeLoadedSamples() {
    FreeSampleList(Loaded);
    Loaded = nullptr;
}

std::string RecordState(const SampleEntry& entry) {
    std::string state;
    for (const RecordProblemText& problem : RecordProblemTexts) {
        if ((entry.Problems & problem.flag) == 0)
            continue;
        if (!state.empty())
            state += "; ";
        state += Fill(problem.detail, entry);
    }
    return state.empty() ? "ok" : state;
}

std::vector<std::string> ProblemCodes(uint32_t problems) {
    std::vector<std::string> codes;
    for (const RecordProblemText& problem : RecordProblemTexts) {
        if (problems & problem.flag)
            codes.push_back(problem.code);
    }
    return codes;
}

int64_t RecordBytes(const SampleEntry& entry) {
    return 8 + std::max<int64_t>(entry.PackedSize, 0) - entry.MissingBytes;
}

int64_t DurationMilliseconds(const SampleEntry& entry) {
    if (entry.SampleRate <= 0)
        return -1;
    const int64_t samples = entry.DataSize / 2;
    return (samples * 1000 + entry.SampleRate / 2) / entry.SampleRate;
}
