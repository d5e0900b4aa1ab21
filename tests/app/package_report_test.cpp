// The message the window shows after decoding a damaged package.
#include "app/package_report.h"

#include "app/decode/package_reader.h"

#include <gtest/gtest.h>

namespace {

std::u16string ReportFor(const std::vector<uint32_t>& problems) {
    KS_List* list = NewList(sizeof(SampleEntry), nullptr, nullptr, 0);
    for (uint32_t p : problems)
        static_cast<SampleEntry*>(AddElement(list))->Problems = p;
    std::u16string report = DamageReport(list, u"/a/b.sel");
    FreeList(list);
    return report;
}

TEST(PackageReportTest, CountsDamagedRecordsAndEachKindOfDamage) {
    EXPECT_EQ(ReportFor({}), u"");
    EXPECT_EQ(ReportFor({0, 0}), u"");
    EXPECT_EQ(ReportFor({0, RecordTruncated}),
              u"1 of 2 records in /a/b.sel was damaged. What could be read is listed.\n"
              u"\n1 record ended early: the missing bytes were read as zeros.");
    EXPECT_EQ(ReportFor({RecordBlockCut | RecordDataSizeCut, RecordBlockCut, RecordReadError}),
              u"3 of 3 records in /a/b.sel were damaged. What could be read is listed.\n"
              u"\n2 records had a block running past the record: it was cut at the record's end."
              u"\n1 record declared more sound than the data holds: the sample was cut."
              u"\n1 record could not be read: the package ends there.");
}

} // namespace
