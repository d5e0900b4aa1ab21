// The damage report: the reader's findings per record (SampleEntry.Problems) counted by
// kind, in the order of the flags.
#include "app/package_report.h"

#include "app/decode/package_reader.h"

#include <iterator>
#include <string>

namespace {

std::u16string Number(int64_t n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

// The texts of the reader's table are plain ASCII.
std::u16string Ascii(const char* text) {
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string Records(int64_t n) {
    return Number(n) + (n == 1 ? u" record " : u" records ");
}

} // namespace

std::u16string DamageReport(KS_List* samples, const char16_t* path) {
    int64_t counts[RecordProblemKinds] = {};
    int64_t damaged = 0;
    for (KS_ListHeader* e = samples ? samples->first : nullptr; e; e = e->next) {
        const uint32_t problems = static_cast<const SampleEntry*>(ListElementData(e))->Problems;
        damaged += problems != 0 ? 1 : 0;
        for (int i = 0; i < RecordProblemKinds; i++)
            counts[i] += (problems & RecordProblemTexts[i].flag) ? 1 : 0;
    }
    if (damaged == 0)
        return {};
    std::u16string report = Number(damaged) + u" of " + Records(ListSize(samples)) + u"in " +
                            (path ? path : u"") + u" " + (damaged == 1 ? u"was" : u"were") +
                            u" damaged. What could be read is listed.\n";
    for (int i = 0; i < RecordProblemKinds; i++) {
        // Appended piece by piece: g++ 12 at -O3 warns of an overlap in the concatenation.
        if (counts[i] > 0)
            report.append(u"\n")
                .append(Records(counts[i]))
                .append(Ascii(RecordProblemTexts[i].summary))
                .append(u".");
    }
    return report;
}
