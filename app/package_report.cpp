// The damage report: the reader's findings per record (SampleEntry.Problems) counted by
// kind, in the order of the flags.
#include "app/package_report.h"

#include "app/decode/decode.h"

#include <iterator>
#include <string>

namespace {

struct ProblemText {
    RecordProblem flag;
    const char16_t* what; // after the count of records
};

const ProblemText ProblemTexts[] = {
    {RecordTruncated, u"ended early: the missing bytes were read as zeros"},
    {RecordNegativeSize, u"had a negative size: the package could not be read past it"},
    {RecordBlockCut, u"had a block running past the record: it was cut at the record's end"},
    {RecordDataSizeCut, u"declared more sound than the data holds: the sample was cut"},
    {RecordDataSizeNegative, u"declared a negative length: the sample was left empty"},
    {RecordNoMemory, u"did not fit in memory: the sample was left empty"},
    {RecordReadError, u"could not be read: the package ends there"},
};

std::u16string Number(int64_t n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

std::u16string Records(int64_t n) {
    return Number(n) + (n == 1 ? u" record " : u" records ");
}

} // namespace

std::u16string DamageReport(KS_List* samples, const char16_t* path) {
    int64_t counts[std::size(ProblemTexts)] = {};
    int64_t damaged = 0;
    for (KS_ListHeader* e = samples ? samples->first : nullptr; e; e = e->next) {
        const uint32_t problems = static_cast<const SampleEntry*>(ListElementData(e))->Problems;
        damaged += problems != 0 ? 1 : 0;
        for (size_t i = 0; i < std::size(ProblemTexts); i++)
            counts[i] += (problems & ProblemTexts[i].flag) ? 1 : 0;
    }
    if (damaged == 0)
        return {};
    std::u16string report = Number(damaged) + u" of " + Records(ListSize(samples)) + u"in " +
                            (path ? path : u"") + u" " + (damaged == 1 ? u"was" : u"were") +
                            u" damaged. What could be read is listed.\n";
    for (size_t i = 0; i < std::size(ProblemTexts); i++) {
        if (counts[i] > 0)
            report += u"\n" + Records(counts[i]) + ProblemTexts[i].what + u".";
    }
    return report;
}
