#include "app/startup.h"

#include "app/decode/decode.h"
#include "app/file_types.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The whole life of the program once every library is part of it; the program runs a
// subset of these steps, always in this relative order.
const LifecycleTrace FullStartOrder = {
    "strings: locale", "file system",    "strings: temporary buffer",
    "arrays",          "lists",          "gadgets",
    "memory",          "images",         "windows",
    "menus",           "application",    "maps",
    "event queue",     "files",          "status bars",
    "sound",           "decoder tables", "samples list",
    "package file",    "file types",     "main window"};
const LifecycleTrace FullEndOrder = {"sound",       "file system", "files",
                                     "event queue", "application", "windows",
                                     "images",      "memory",      "strings"};

bool IsOrderedSubset(const LifecycleTrace& trace, const LifecycleTrace& full) {
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
    LifecycleTrace start, end;
    RunStartup(&start);
    RunShutdown(&end);
    EXPECT_TRUE(IsOrderedSubset(start, FullStartOrder)) << ::testing::PrintToString(start);
    EXPECT_TRUE(IsOrderedSubset(end, FullEndOrder)) << ::testing::PrintToString(end);
    EXPECT_EQ(start, (LifecycleTrace{"strings: locale", "strings: temporary buffer", "arrays",
                                     "lists", "memory", "images", "files", "sound",
                                     "decoder tables", "samples list", "file types"}));
    EXPECT_EQ(end, (LifecycleTrace{"sound", "files", "images", "memory", "strings"}));
}

TEST(StartupTest, StartupLeavesTheRuntimeReady) {
    RunStartup();
    EXPECT_EQ(TempOffset, 0);
    EXPECT_NE(SharedRoutines.FreeArray, nullptr);
    EXPECT_NE(SharedRoutines.NewList, nullptr);
    ASSERT_NE(StepTable, nullptr);
    EXPECT_EQ(IndexTable[7], 8);
    EXPECT_EQ(StepTable[88], 32767);
    EXPECT_EQ(ListSize(Samples.list), 0);
    EXPECT_EQ(ListSize(FileTypes.list), 3);
    RunShutdown();
    EXPECT_EQ(TempBase, nullptr);
}

} // namespace
