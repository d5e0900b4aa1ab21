// The gadget tests' common ground: the GUI libraries with gadgets and status bars started
// once, and window 0 opened as the program opens it, ready for gadgets.
#pragma once

#include "../gui_test_support.h"
#include "runtime/gui/gadgets/gadgets_qt.h"
#include "runtime/gui/statusbar/statusbar.h"

#include <QListView>
#include <QString>

#include <ostream>

#include <gtest/gtest.h>

class GadgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartGuiLibraries();
        InitGadgets();
        InitStatusBars();
        ResetWindows();
        window = OpenWindow(0, 0, 0, 390, 292, u"Marrowvale Sound Decoder V0.12", 0x60);
        ASSERT_NE(window, 0);
    }
    void TearDown() override {
        FreeGadget(AllObjects);
        ResetWindows();
    }

    // Gadget 0 as the program makes it, filled with the given rows.
    static QListView* MakeList(std::initializer_list<const char16_t*> rows, int32_t flags = 0) {
        EXPECT_NE(ListViewGadget(0, 10, 10, 180, 251, flags), 0);
        for (const char16_t* row : rows)
            AddGadgetItem(0, -1, row);
        return static_cast<QListView*>(GadgetWidget(0));
    }
    // The Event_Gadget events that the queue and the loop deliver from now on, and the
    // events of the given types that a gadget posts.
    static std::vector<PostedEvent> GadgetEvents() { return OfKind(CollectEvents(), Event_Gadget); }
    static std::vector<PostedEvent> Posted(std::initializer_list<int64_t> types,
                                           int64_t gadget = 0) {
        std::vector<PostedEvent> events;
        for (int64_t type : types)
            events.push_back({Event_Gadget, gadget, 0, type});
        return events;
    }
    static QString GadgetText(int64_t gadget) {
        TempExpression e;
        return QString::fromUtf16(GetGadgetText(gadget, e.Start()));
    }

    int64_t window = 0;
};

// Readable failures: an event as (kind, object, window, type).
inline void PrintTo(const PostedEvent& e, std::ostream* os) {
    *os << "(" << e.kind << ", " << e.object << ", " << e.window << ", " << e.type << ")";
}
