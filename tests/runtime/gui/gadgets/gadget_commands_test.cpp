// The generic commands on any gadget: the registry's life cycle (replacement, freeing,
// windows that take their gadgets with them), numbers that name nothing, and the frame.
#include "gadget_fixture.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

using GadgetCommandTest = GadgetTest;

TEST_F(GadgetCommandTest, ANumberWithoutAGadgetDoesNothingAndAnswersZero) {
    EXPECT_EQ(GetGadgetState(9), 0);
    EXPECT_EQ(AddGadgetItem(9, -1, u"x"), 0);
    EXPECT_EQ(CountGadgetItems(9), 0);
    EXPECT_EQ(GadgetWidth(9), 0);
    EXPECT_EQ(GadgetX(9, 2), 0);
    EXPECT_EQ(IsGadget(9), 0);
    EXPECT_EQ(SetActiveGadget(9), 1);
    SetGadgetState(9, 1);
    DisableGadget(9, 1);
    ResizeGadget(9, 1, 1, 1, 1);
    FreeGadget(9);
    TempExpression e;
    EXPECT_EQ(Text(GetGadgetText(9, e.Start())), "");
}

TEST_F(GadgetCommandTest, ANewGadgetUnderAUsedNumberReplacesTheOldOne) {
    ASSERT_NE(ButtonGadget(1, 200, 10, 180, 28, u"old"), 0);
    QPointer<QWidget> old = GadgetWidget(1);
    ASSERT_NE(ListViewGadget(1, 10, 10, 180, 251), 0);
    EXPECT_TRUE(old.isNull());
    AddGadgetItem(1, -1, u"row");
    EXPECT_EQ(CountGadgetItems(1), 1);
    FreeGadget(1);
    EXPECT_EQ(IsGadget(1), 0);
    EXPECT_EQ(GetGadgetState(1), 0);
}

TEST_F(GadgetCommandTest, FreeingAllGadgetsLeavesNoneBehind) {
    ButtonGadget(3, 0, 0, 10, 10, u"3");
    ListViewGadget(1, 0, 0, 10, 10);
    const int64_t dynamic = ButtonGadget(AnyNumber, 0, 0, 10, 10, u"d");
    ASSERT_NE(IsGadget(dynamic), 0);
    QWidget* content = WindowContentView(WindowWidget(0));
    FreeGadget(AllObjects);
    EXPECT_EQ(IsGadget(1), 0);
    EXPECT_EQ(IsGadget(3), 0);
    EXPECT_EQ(IsGadget(dynamic), 0);
    EXPECT_TRUE(content->findChildren<QPushButton*>().isEmpty());
    EXPECT_TRUE(content->findChildren<QListView*>().isEmpty());
}

TEST_F(GadgetCommandTest, AWindowClosedWithItsGadgetsLeavesNoLiveGadget) {
    ListViewGadget(0, 10, 10, 180, 251);
    AddGadgetItem(0, -1, u"row");
    ButtonGadget(1, 200, 10, 180, 28, u"b");
    const int64_t dynamic = ButtonGadget(AnyNumber, 0, 0, 10, 10, u"d");
    CloseWindow(0);
    RecyclePool();
    EXPECT_EQ(IsGadget(0), 0);
    EXPECT_EQ(IsGadget(1), 0);
    EXPECT_EQ(IsGadget(dynamic), 0);
    int64_t id = 0;
    ResetObjectIteration(GadgetRegistry);
    EXPECT_EQ(NextObject(GadgetRegistry, &id), nullptr);
}

TEST_F(GadgetCommandTest, ADynamicGadgetPostsItsIdAndItsWindowNumber) {
    const int64_t id = ButtonGadget(AnyNumber, 200, 10, 180, 28, u"any");
    ASSERT_NE(id, 0);
    auto* button = qobject_cast<QPushButton*>(GadgetWidget(id));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(GadgetEvents(), (std::vector<PostedEvent>{{Event_Gadget, id, 0, 0}}));
}

TEST_F(GadgetCommandTest, FrameInTheThreeModesAndResizeKeepsIgnoredValues) {
    ButtonGadget(2, 200, 201, 88, 28, u"Play");
    EXPECT_EQ(GadgetX(2, 0), 200);
    EXPECT_EQ(GadgetY(2, 0), 201);
    EXPECT_EQ(GadgetX(2, 2), 200);
    EXPECT_EQ(GadgetY(2, 2), 201);
    const QPoint screen = GadgetWidget(2)->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(GadgetX(2, 1), screen.x());
    EXPECT_EQ(GadgetY(2, 1), screen.y());
    EXPECT_EQ(GadgetX(2, 7), 200);
    ResizeGadget(2, IgnoreValue, IgnoreValue, 100, 30);
    EXPECT_EQ(GadgetX(2), 200);
    EXPECT_EQ(GadgetY(2), 201);
    EXPECT_EQ(GadgetWidth(2), 100);
    EXPECT_EQ(GadgetHeight(2), 30);
    ResizeGadget(2, 5, 6, IgnoreValue, IgnoreValue);
    EXPECT_EQ(GadgetWidget(2)->geometry(), QRect(5, 6, 100, 30));
}

TEST_F(GadgetCommandTest, HideAndDisableReachTheContainerAndTheControl) {
    ListViewGadget(0, 10, 10, 180, 251);
    HideGadget(0, 1);
    EXPECT_FALSE(GadgetWidget(0)->isVisible());
    HideGadget(0, 0);
    EXPECT_TRUE(GadgetWidget(0)->isVisible());
    DisableGadget(0, 1);
    EXPECT_FALSE(GadgetWidget(0)->isEnabled());
    DisableGadget(0, 0);
    EXPECT_TRUE(GadgetWidget(0)->isEnabled());
}

} // namespace
