#include "app/startup.h"

#include "app/decode/decode.h"
#include "app/file_types.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The full life of the program once every library is part of it. The program runs a
// subset of these, always in this relative order.
const std::vector<std::string> FullStartOrder = {
    "strings: locale", "file system",    "strings: temporary buffer",
    "arrays",          "lists",          "gadgets",
    "memory",          "images",         "windows",
    "menus",           "application",    "maps",
    "event queue",     "files",          "status bars",
    "sound",           "decoder tables", "samples list",
    "package file",    "file types",     "main window",
};

const std::vector<std::string> FullEndOrder = {
    "sound",   "file system", "files",  "event queue", "application",
    "windows", "images",      "memory", "strings",
};

// True when every name of trace appears in order, each exactly once, in full.
bool IsOrderedSubset(const LifecycleTrace& trace, const std::vector<std::string>& full) {
    auto from = full.begin();
    for (const std::string& name : trace) {
        from = std::find(from, full.end(), name);
        if (from == full.end())
            return false;
        ++from;
    }
    return true;
}

TEST(StartupTest, StartAndEndFollowTheFixedOrders) {
    LifecycleTrace start;
    RunStartup(&start);
    LifecycleTrace end;
    RunShutdown(&end);

    EXPECT_TRUE(IsOrderedSubset(start, FullStartOrder)) << ::testing::PrintToString(start);
    EXPECT_TRUE(IsOrderedSubset(end, FullEndOrder)) << ::testing::PrintToString(end);
    EXPECT_EQ(start.size(), StartupSteps().size());
    EXPECT_EQ(end.size(), ShutdownSteps().size());
}

TEST(StartupTest, ProgramContainsTheLibrariesBuiltSoFar) {
    LifecycleTrace start;
    RunStartup(&start);
    LifecycleTrace end;
    RunShutdown(&end);
    EXPECT_EQ(start, (LifecycleTrace{"strings: locale", "strings: temporary buffer", "arrays",
                                     "lists", "memory", "images", "files", "sound",
                                     "decoder tables", "samples list", "file types"}));
    EXPECT_EQ(end, (LifecycleTrace{"sound", "files", "images", "memory", "strings"}));
}

TEST(StartupTest, StartupLeavesTheRuntimeReady) {
    RunStartup();
    EXPECT_GE(TempCapacity, 16); // the filter expression has grown it
    EXPECT_EQ(TempOffset, 0);
    EXPECT_NE(TempBase, nullptr);
    EXPECT_NE(SharedRoutines.AllocateArray, nullptr);
    EXPECT_NE(SharedRoutines.FreeArray, nullptr);
    EXPECT_NE(SharedRoutines.NewList, nullptr);
    EXPECT_NE(Samples.list, nullptr);
    EXPECT_EQ(ListSize(Samples.list), 0);
    EXPECT_EQ(ListSize(FileTypes.list), 3);
    EXPECT_NE(PatternFilter, nullptr);
    ASSERT_NE(IndexTable, nullptr);
    ASSERT_NE(StepTable, nullptr);
    EXPECT_EQ(IndexTable[0], -1);
    EXPECT_EQ(IndexTable[7], 8);
    EXPECT_EQ(StepTable[0], 7);
    EXPECT_EQ(StepTable[88], 32767);

    RunShutdown();
    EXPECT_EQ(TempBase, nullptr);
}

} // namespace
