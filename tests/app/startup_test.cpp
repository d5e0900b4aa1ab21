#include "app/startup.h"

#include "app/decode/adpcm.h"
#include "app/decode/package_reader.h"
#include "app/file_types.h"
#include "app/main_window.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/events/events.h"

#include <gtest/gtest.h>

namespace {

// The whole life of the program; the main window opens after start-up (RunProgram).
const LifecycleTrace FullStartOrder = {
    "strings: locale", "file system",    "strings: temporary buffer",
    "arrays",          "lists",          "gadgets",
    "memory",          "images",         "windows",
    "menus",           "application",    "maps",
    "event queue",     "files",          "status bars",
    "sound",           "decoder tables", "samples list",
    "package file",    "file types"};
const LifecycleTrace FullEndOrder = {"sound",       "file system", "files",
                                     "event queue", "application", "windows",
                                     "images",      "memory",      "strings"};

TEST(StartupTest, StartAndEndFollowTheFixedOrders) {
    LifecycleTrace start, end;
    RunStartup(&start);
    RunShutdown(&end);
    EXPECT_EQ(start, FullStartOrder);
    EXPECT_EQ(end, FullEndOrder);
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
    EXPECT_TRUE(StringEqual(PackageFile, CreditText));
    EXPECT_NE(EventBindings, nullptr);
    EXPECT_NE(SharedRoutines.NewMap, nullptr);
    RunShutdown();
    EXPECT_EQ(TempBase, nullptr);
}

} // namespace
