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

// Each library is started once, in the fixed order, and leaves what the program relies on.
TEST(StartupTest, StartAndEndFollowTheFixedOrdersAndLeaveTheRuntimeReady) {
    LifecycleTrace start, end;
    RunStartup(&start);
    EXPECT_EQ(start, FullStartOrder);
    EXPECT_EQ(TempOffset, 0);
    EXPECT_NE(SharedRoutines.FreeArray, nullptr);
    EXPECT_NE(SharedRoutines.NewList, nullptr);
    EXPECT_NE(SharedRoutines.NewMap, nullptr);
    EXPECT_NE(EventBindings, nullptr);
    ASSERT_NE(StepTable, nullptr);
    EXPECT_EQ(StepTable[88], 32767);
    EXPECT_EQ(ListSize(Samples.list), 0);
    EXPECT_EQ(ListSize(FileTypes.list), 3);
    EXPECT_TRUE(StringEqual(PackageFile, CreditText));
    RunShutdown(&end);
    EXPECT_EQ(end, FullEndOrder);
    EXPECT_EQ(TempBase, nullptr);
}

} // namespace
