// The generic commands on any gadget: the registry's life cycle (replacement, freeing,
// windows that take their gadgets with them), numbers that name nothing, and the frame.
#include "gadget_fixture.h"

#include <QPointer>
#include <QPushButton>

namespace {

using GadgetCommandTest = GadgetTest;

TEST_F(GadgetCommandTest, ANumberWithoutAGadgetDoesNothingAndAnswersZero) {
    EXPECT_EQ(AddGadgetItem(9, -1, u"x"), 0);
    EXPECT_EQ((std::vector<int64_t>{GetGadgetState(9), CountGadgetItems(9), GadgetWidth(9),
                                    GadgetX(9, 2), IsGadget(9)}),
              std::vector<int64_t>(5, 0));
    EXPECT_EQ(SetActiveGadget(9), 1);
    SetGadgetState(9, 1);
    DisableGadget(9, 1);
    ResizeGadget(9, 1, 1, 1, 1);
    FreeGadget(9);
    EXPECT_EQ(GadgetText(9), "");
}

TEST_F(GadgetCommandTest, ReplacingFreeingAllOrClosingTheWindowLeavesNoLiveGadget) {
    ASSERT_NE(ButtonGadget(0, 200, 10, 180, 28, u"old"), 0);
    QPointer<QWidget> old = GadgetWidget(0);
    for (const bool closeWindow : {false, true}) {
        MakeList({u"row"}); // replaces the button the first time
        EXPECT_TRUE(old.isNull());
        EXPECT_EQ(CountGadgetItems(0), 1);
        ButtonGadget(1, 200, 10, 180, 28, u"b");
        const int64_t dynamic = ButtonGadget(AnyNumber, 0, 0, 10, 10, u"d");
        ASSERT_NE(IsGadget(dynamic), 0);
        QPointer<QWidget> content = WindowContentView(WindowWidget(0));
        if (closeWindow) {
            CloseWindow(0);
            RecyclePool();
        } else {
            FreeGadget(AllObjects);
            EXPECT_TRUE(content->findChildren<QWidget*>().isEmpty());
        }
        EXPECT_EQ((std::vector<int64_t>{IsGadget(0), IsGadget(1), IsGadget(dynamic)}),
                  std::vector<int64_t>(3, 0))
            << closeWindow;
        int64_t id = 0;
        ResetObjectIteration(GadgetRegistry);
        EXPECT_EQ(NextObject(GadgetRegistry, &id), nullptr) << closeWindow;
    }
}

TEST_F(GadgetCommandTest, FrameInTheThreeModesResizeKeepsIgnoredValuesHideAndDisable) {
    ButtonGadget(2, 200, 201, 88, 28, u"Play");
    QWidget* button = GadgetWidget(2);
    const QPoint screen = button->mapToGlobal(QPoint(0, 0));
    for (const auto& [mode, at] : {std::pair{0, QPoint(200, 201)}, {1, screen}, {2, {200, 201}}})
        EXPECT_EQ(QPoint(GadgetX(2, mode), GadgetY(2, mode)), at) << mode;
    EXPECT_EQ(GadgetX(2, 7), 200);
    ResizeGadget(2, IgnoreValue, IgnoreValue, 100, 30);
    EXPECT_EQ(QRect(GadgetX(2), GadgetY(2), GadgetWidth(2), GadgetHeight(2)),
              QRect(200, 201, 100, 30));
    ResizeGadget(2, 5, 6, IgnoreValue, IgnoreValue);
    EXPECT_EQ(button->geometry(), QRect(5, 6, 100, 30));
    for (const int32_t on : {1, 0}) {
        HideGadget(2, on);
        DisableGadget(2, on);
        EXPECT_EQ(button->isVisible(), !on);
        EXPECT_EQ(button->isEnabled(), !on);
    }
}

} // namespace
