// Status bars in a window: where the bar and its labels sit, what the texts show, the
// resize hook, and freeing (by command and with the window).
#include "../gadgets/gadget_fixture.h"

#include <QLabel>
#include <QPointer>

#include <algorithm>

namespace {

using StatusBarTest = GadgetTest;

QWidget* Bar(int64_t handle) {
    return reinterpret_cast<QWidget*>(handle);
}

std::vector<QLabel*> Labels(QWidget* bar) {
    std::vector<QLabel*> labels;
    for (QLabel* label : bar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        labels.push_back(label);
    }
    return labels;
}

TEST_F(StatusBarTest, TheProgramsBarCoversTheBottomAndItsFieldIsCutOff) {
    const int64_t handle = CreateStatusBar(0, window);
    ASSERT_NE(handle, 0);
    AddStatusBarField(500);
    StatusBarText(0, 0, u"Please wait... decode samples...");
    QWidget* bar = Bar(handle);
    EXPECT_EQ(bar->parentWidget(), WindowContentView(WindowWidget(0)));
    EXPECT_EQ(bar->geometry(), QRect(0, 268, 390, 24));
    const std::vector<QLabel*> labels = Labels(bar);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0]->geometry(), QRect(0, 4, 500, 20));
    EXPECT_EQ(labels[0]->text(), "Please wait... decode samples...");
}

TEST_F(StatusBarTest, TextsAreLiteralAndAlignmentStaysUntilChanged) {
    const int64_t handle = CreateStatusBar(0, window);
    AddStatusBarField(IgnoreValue);
    StatusBarText(0, 0, u"/games/<b>music</b>.mus");
    ASSERT_EQ(Labels(Bar(handle)).size(), 1u);
    QLabel* label = Labels(Bar(handle))[0];
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "/games/<b>music</b>.mus");
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    StatusBarText(0, 0, u"c", StatusBarText_Center);
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    StatusBarText(0, 0, u"r", StatusBarText_Right | StatusBarText_Center);
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    StatusBarText(0, 0, nullptr);
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(label->text(), "");
}

TEST_F(StatusBarTest, FieldIndexesOutsideTheFieldsChangeNothing) {
    const int64_t handle = CreateStatusBar(0, window);
    AddStatusBarField(100);
    AddStatusBarField(100);
    for (int32_t field : {-1, 2, 99}) {
        StatusBarText(0, field, u"x");
    }
    StatusBarText(5, 0, u"no such bar");
    EXPECT_TRUE(Labels(Bar(handle)).empty());
}

TEST_F(StatusBarTest, LabelsOnlyForFieldsWithTextAndSharedWidthsFollowTheWindow) {
    ASSERT_NE(OpenWindow(1, 0, 0, 400, 200, u"resizable", WindowSizeGadget), 0);
    const int64_t handle = CreateStatusBar(1, WindowHandle(1));
    AddStatusBarField(100);
    AddStatusBarField(IgnoreValue);
    AddStatusBarField(50);
    StatusBarText(1, 2, u"c");
    ASSERT_EQ(Labels(Bar(handle)).size(), 1u);
    EXPECT_EQ(Labels(Bar(handle))[0]->geometry(), QRect(0, 4, 50, 20));
    StatusBarText(1, 0, u"a");
    StatusBarText(1, 1, u"b");
    QWidget* content = WindowContentView(WindowWidget(1));
    auto frames = [&] {
        std::vector<QRect> rects;
        for (QLabel* label : Labels(Bar(handle))) {
            rects.push_back(label->geometry());
        }
        std::sort(rects.begin(), rects.end(),
                  [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
        return rects;
    };
    EXPECT_EQ(frames(), (std::vector<QRect>{{0, 4, 100, 20}, {100, 4, 250, 20}, {350, 4, 50, 20}}));
    // The window library calls the hook that InitStatusBars installed.
    WindowWidget(1)->resize(500, 300);
    CollectEvents(20);
    ASSERT_EQ(content->size(), QSize(500, 300));
    EXPECT_EQ(Bar(handle)->geometry(), QRect(0, 276, 500, 24));
    EXPECT_EQ(frames(), (std::vector<QRect>{{0, 4, 100, 20}, {100, 4, 350, 20}, {450, 4, 50, 20}}));
}

TEST_F(StatusBarTest, FreeingRemovesTheBarAndItsRecord) {
    QPointer<QWidget> first = Bar(CreateStatusBar(0, window));
    AddStatusBarField(100);
    StatusBarText(0, 0, u"x");
    const int64_t dynamic = CreateStatusBar(AnyNumber, window);
    ASSERT_NE(GetObject(StatusBarRegistry, dynamic), nullptr);
    FreeStatusBar(0);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(GetObject(StatusBarRegistry, 0), nullptr);
    AddStatusBarField(10); // works on the dynamic bar, the newest
    FreeStatusBar(AllObjects);
    EXPECT_EQ(GetObject(StatusBarRegistry, dynamic), nullptr);
    AddStatusBarField(10); // no current bar any more: nothing happens
}

TEST_F(StatusBarTest, ANewBarUnderAUsedNumberReplacesTheOld) {
    QPointer<QWidget> first = Bar(CreateStatusBar(0, window));
    const int64_t second = CreateStatusBar(0, window);
    EXPECT_TRUE(first.isNull());
    AddStatusBarField(100);
    StatusBarText(0, 0, u"second");
    EXPECT_EQ(Labels(Bar(second)).size(), 1u);
}

TEST_F(StatusBarTest, ABarClosedWithItsWindowLeavesNoRecord) {
    CreateStatusBar(0, window);
    AddStatusBarField(500);
    StatusBarText(0, 0, u"x");
    CloseWindow(0);
    RecyclePool();
    EXPECT_EQ(GetObject(StatusBarRegistry, 0), nullptr);
    StatusBarText(0, 0, u"after");
    AddStatusBarField(10);
}

} // namespace
