// The list view as the program and its user drive it: where rows go, what is selected
// after each command, and which user actions post which events (and that commands post
// none).
#include "gadget_fixture.h"

#include <QFocusEvent>
#include <QTest>

#include <algorithm>

namespace {

std::vector<QString> Rows(int64_t gadget) {
    std::vector<QString> rows;
    const int64_t count = CountGadgetItems(gadget);
    for (int32_t i = 0; i < count; ++i) {
        TempExpression e;
        rows.push_back(QString::fromUtf16(GetGadgetItemText(gadget, i, 0, e.Start())));
    }
    return rows;
}

// What the Qt view shows, row by row.
std::vector<QString> ShownRows(QListView* view) {
    std::vector<QString> rows;
    for (int i = 0; i < view->model()->rowCount(); ++i) {
        rows.push_back(view->model()->index(i, 0).data().toString());
    }
    return rows;
}

QPoint RowCentre(QListView* view, int row) {
    return view->visualRect(view->model()->index(row, 0)).center();
}

const PostedEvent Click0 = {Event_Gadget, 0, 0, GadgetEvent_Click};

using ListViewTest = GadgetTest;

TEST_F(ListViewTest, ItemPositionsAppendInsertFirstOrPlaceTheRow) {
    struct Case {
        int32_t position;
        std::vector<QString> rows;
    };
    const Case cases[] = {
        {-1, {"a", "b", "c", "new"}}, {0, {"new", "a", "b", "c"}}, {1, {"a", "new", "b", "c"}},
        {2, {"a", "b", "new", "c"}},  {3, {"a", "b", "c", "new"}}, {5, {"a", "b", "c", "new"}},
        {-7, {"a", "b", "c", "new"}},
    };
    for (const Case& c : cases) {
        QListView* view = MakeList({u"a", u"b", u"c"});
        EXPECT_NE(AddGadgetItem(0, c.position, u"new"), 0);
        EXPECT_EQ(Rows(0), c.rows) << c.position;
        EXPECT_EQ(ShownRows(view), c.rows) << c.position;
    }
}

TEST_F(ListViewTest, MinusOneOnAnEmptyListAddsRowZero) {
    MakeList({});
    AddGadgetItem(0, -1, u"only");
    EXPECT_EQ(Rows(0), std::vector<QString>{"only"});
}

TEST_F(ListViewTest, StateAfterEachCommand) {
    MakeList({u"a", u"b", u"c"});
    EXPECT_EQ(GetGadgetState(0), -1);
    SetGadgetState(0, 2);
    EXPECT_EQ(GetGadgetState(0), 2);
    SetGadgetState(0, 3); // the row count: ignored
    EXPECT_EQ(GetGadgetState(0), 2);
    SetGadgetState(0, -2);
    EXPECT_EQ(GetGadgetState(0), 2);
    SetGadgetState(0, -1);
    EXPECT_EQ(GetGadgetState(0), -1);
    SetGadgetState(0, 1);
    ClearGadgetItems(0);
    EXPECT_EQ(GetGadgetState(0), -1);
    EXPECT_EQ(CountGadgetItems(0), 0);
    EXPECT_TRUE(GadgetEvents().empty());
}

TEST_F(ListViewTest, AddingARowKeepsTheSelectedRowNumber) {
    MakeList({u"a", u"b"});
    SetGadgetState(0, 0);
    AddGadgetItem(0, 0, u"first");
    EXPECT_EQ(GetGadgetState(0), 0);
    RemoveGadgetItem(0, 2);
    EXPECT_EQ(GetGadgetState(0), 0);
    EXPECT_EQ(Rows(0), (std::vector<QString>{"first", "a"}));
}

TEST_F(ListViewTest, RowZeroSelectedAfterFillingStaysSelectedAfterThePump) {
    MakeList({});
    for (const char16_t* name : {u"music.mus.000", u"music.mus.001", u"music.mus.002"}) {
        AddGadgetItem(0, static_cast<int32_t>(CountGadgetItems(0)), name);
    }
    SetGadgetState(0, 0);
    SetActiveGadget(0);
    for (int i = 0; i < 5; ++i) {
        WaitWindowEvent(0);
    }
    EXPECT_EQ(GetGadgetState(0), 0);
    TempExpression e;
    EXPECT_EQ(Text(GetGadgetText(0, e.Start())), "music.mus.000");
}

TEST_F(ListViewTest, AUserClickPostsTypeZeroSetGadgetStatePostsNothing) {
    QListView* view = MakeList({u"a", u"b", u"c"});
    SetGadgetState(0, 2);
    EXPECT_TRUE(GadgetEvents().empty());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowCentre(view, 1));
    EXPECT_EQ(GadgetEvents(), std::vector<PostedEvent>{Click0});
    EXPECT_EQ(GetGadgetState(0), 1);
}

TEST_F(ListViewTest, ARightClickPostsTypeOneAndLeavesTheSelection) {
    QListView* view = MakeList({u"a", u"b", u"c"});
    SetGadgetState(0, 0);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, RowCentre(view, 2));
    const PostedEvent right = {Event_Gadget, 0, 0, GadgetEvent_RightClick};
    EXPECT_EQ(GadgetEvents(), std::vector<PostedEvent>{right});
    EXPECT_EQ(GetGadgetState(0), 0);
}

TEST_F(ListViewTest, ADoubleClickPostsTypeTwo) {
    QListView* view = MakeList({u"a", u"b"});
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, RowCentre(view, 1));
    const std::vector<PostedEvent> events = GadgetEvents();
    const PostedEvent twice = {Event_Gadget, 0, 0, GadgetEvent_DoubleClick};
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), twice);
    EXPECT_EQ(std::count(events.begin(), events.end(), twice), 1);
    EXPECT_EQ(GetGadgetState(0), 1);
}

TEST_F(ListViewTest, FocusSelectsNothingAndDownThenSelectsRowZero) {
    QListView* view = MakeList({u"a", u"b", u"c"});
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(view, &focus);
    EXPECT_EQ(GetGadgetState(0), -1);
    EXPECT_TRUE(GadgetEvents().empty());
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(GetGadgetState(0), 0);
    EXPECT_EQ(GadgetEvents(), std::vector<PostedEvent>{Click0});
}

TEST_F(ListViewTest, ArrowKeysMoveTheSelectionFromTheSelectedRow) {
    QListView* view = MakeList({u"a", u"b", u"c"});
    SetGadgetState(0, 1);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(GetGadgetState(0), 2);
    EXPECT_EQ(GadgetEvents(), std::vector<PostedEvent>{Click0});
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(GetGadgetState(0), 0);
}

TEST_F(ListViewTest, TextCommandsSelectTheUpperOfEqualRowsAndReadTheSelection) {
    MakeList({u"x", u"same", u"same"});
    SetGadgetText(0, u"same");
    EXPECT_EQ(GetGadgetState(0), 1);
    SetGadgetText(0, u"missing");
    EXPECT_EQ(GetGadgetState(0), 1);
    SetGadgetState(0, -1);
    TempExpression e;
    EXPECT_EQ(Text(GetGadgetText(0, e.Start())), "");
    EXPECT_TRUE(GadgetEvents().empty());
}

TEST_F(ListViewTest, ItemTextAndDataBelongToTheirRow) {
    QListView* view = MakeList({u"a", u"b"});
    SetGadgetItemText(0, 1, u"<b>bold</b>");
    SetGadgetItemData(0, 1, 77);
    SetGadgetItemData(0, 9, 5);
    EXPECT_EQ(ShownRows(view), (std::vector<QString>{"a", "<b>bold</b>"}));
    EXPECT_EQ(GetGadgetItemData(0, 1), 77);
    EXPECT_EQ(GetGadgetItemData(0, 0), 0);
    EXPECT_EQ(GetGadgetItemData(0, 9), 0);
    TempExpression e;
    EXPECT_EQ(Text(GetGadgetItemText(0, 2, 0, e.Start())), "");
}

TEST_F(ListViewTest, ItemStateExtendsAMultipleSelection) {
    ASSERT_NE(ListViewGadget(0, 10, 10, 180, 251, ListViewFlag_MultiSelect), 0);
    for (const char16_t* row : {u"a", u"b", u"c"}) {
        AddGadgetItem(0, -1, row);
    }
    SetGadgetItemState(0, 0, 1);
    SetGadgetItemState(0, 2, 1);
    EXPECT_EQ(GetGadgetItemState(0, 0), 1);
    EXPECT_EQ(GetGadgetItemState(0, 1), 0);
    EXPECT_EQ(GetGadgetItemState(0, 2), 1);
    SetGadgetItemState(0, 0, 0);
    EXPECT_EQ(GetGadgetItemState(0, 0), 0);
    EXPECT_TRUE(GadgetEvents().empty());
}

} // namespace
