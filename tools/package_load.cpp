#include "tools/package_load.h"

#include "runtime/core/lists/lists.h"
#include "runtime/core/strings/strings.h"
#include "tools/tool_files.h"

namespace {

struct ProblemText {
    RecordProblem flag;
    const char* code;
    const char* text; // what was wrong and what the reader did
};

const ProblemText ProblemTexts[] = {
    {RecordTruncated, "truncated", "truncated: %m missing bytes read as zeros"},
    {RecordNegativeSize, "negative-size", "negative packed size: the package ends here"},
    {RecordBlockCut, "block-cut", "a block runs past the record: cut at the record's end"},
    {RecordDataSizeCut, "data-size-cut", "declared data size too large: cut to %d bytes"},
    {RecordDataSizeNegative, "data-size-negative", "declared data size negative: set to 0"},
    {RecordNoMemory, "no-memory", "out of memory: the sample is left empty"},
    {RecordReadError, "read-error", "read error: %m bytes not read, the package ends here"},
};

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
    // A FIFO without a writer would block the open, a device might never end.
    const std::string special = NotRegularProblem(path);
    if (!special.empty()) {
        StringAssign(&PackageFile, u""); // no file: the reader only empties Samples
        DecodePackage();
        return special;
    }
    RuntimeText text(path);
    StringAssign(&PackageFile, text.get());
    DecodePackage(decoded);
    const std::vector<SampleEntry*> samples = LoadedSamples();
    // Any file with at least one byte gives at least one entry: none means that the file
    // could not be opened, or is empty, which is not a package either.
    if (samples.empty())
        return DescribeReadFailure(path);
    const SampleEntry* last = samples.back();
    if (last->Problems & RecordReadError)
        return "read error after " + std::to_string(samples.size()) + " records";
    return {};
}

std::vector<SampleEntry*> LoadedSamples() {
    std::vector<SampleEntry*> samples;
    ResetList(Samples.list);
    while (NextElement(Samples.list))
        samples.push_back(CurrentSample());
    return samples;
}

std::string RecordState(const SampleEntry& entry) {
    std::string state;
    for (const ProblemText& problem : ProblemTexts) {
        if ((entry.Problems & problem.flag) == 0)
            continue;
        if (!state.empty())
            state += "; ";
        state += Fill(problem.text, entry);
    }
    return state.empty() ? "ok" : state;
}

std::vector<std::string> ProblemCodes(uint32_t problems) {
    std::vector<std::string> codes;
    for (const ProblemText& problem : ProblemTexts) {
        if (problems & problem.flag)
            codes.push_back(problem.code);
    }
    return codes;
}

int64_t DurationMilliseconds(const SampleEntry& entry) {
    if (entry.SampleRate <= 0)
        return -1;
    const int64_t samples = entry.DataSize / 2;
    return (samples * 1000 + entry.SampleRate / 2) / entry.SampleRate;
}
