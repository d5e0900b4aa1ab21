// Status bars in a window: where the bar and its labels sit, what the texts show, the
// resize hook, and freeing (by command and with the window).
#include "../gadgets/gadget_fixture.h"

#include "runtime/gui/statusbar/eliding_label_qt.h"

#include <QLabel>
#include <QPointer>

#include <algorithm>

namespace {

using StatusBarTest = GadgetTest;

QWidget* Bar(int64_t handle) {
    return reinterpret_cast<QWidget*>(handle);
}

std::vector<QLabel*> Labels(int64_t handle) {
    std::vector<QLabel*> labels;
    for (QLabel* label : Bar(handle)->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        labels.push_back(label);
    return labels;
}

// The labels' frames from left to right.
std::vector<QRect> Frames(int64_t handle) {
    std::vector<QRect> rects;
    for (QLabel* label : Labels(handle))
        rects.push_back(label->geometry());
    std::sort(rects.begin(), rects.end(), [](QRect a, QRect b) { return a.x() < b.x(); });
    return rects;
}

TEST_F(StatusBarTest, TheProgramsBarCoversTheBottomAndShowsTextsLiterally) {
    const int64_t handle = CreateStatusBar(0, window);
    ASSERT_NE(handle, 0);
    AddStatusBarField(500);
    for (int32_t field : {-1, 1}) // outside the fields: nothing changes
        StatusBarText(0, field, u"x");
    StatusBarText(5, 0, u"no such bar");
    EXPECT_TRUE(Labels(handle).empty());
    StatusBarText(0, 0, u"/games/<b>music</b>.mus");
    EXPECT_EQ(Bar(handle)->parentWidget(), WindowContentView(WindowWidget(0)));
    EXPECT_EQ(Bar(handle)->geometry(), QRect(0, 268, 390, 24));
    EXPECT_EQ(Frames(handle), std::vector<QRect>{QRect(0, 4, 500, 20)}); // cut off
    QLabel* label = Labels(handle)[0];
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "/games/<b>music</b>.mus");
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    const std::pair<int32_t, Qt::Alignment> cases[] = {
        {StatusBarText_Center, Qt::AlignHCenter},
        {StatusBarText_Right | StatusBarText_Center, Qt::AlignRight},
        {0, Qt::AlignRight}, // a text without flags keeps the alignment
    };
    for (const auto& [flags, alignment] : cases) {
        StatusBarText(0, 0, nullptr, flags);
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, alignment) << flags;
    }
    EXPECT_EQ(label->text(), "");
    // A path longer than the field shows both its ends and whole as a tooltip; the text
    // itself stays whole.
    const QString path = "/games/" + QString(200, 'x') + "/music.mus";
    StatusBarText(0, 0, reinterpret_cast<const char16_t*>(path.utf16()));
    EXPECT_EQ(label->text(), path);
    EXPECT_TRUE(static_cast<KSElidingLabel*>(label)->elided());
    StatusBarText(0, 0, u"/games/music.mus");
    EXPECT_FALSE(static_cast<KSElidingLabel*>(label)->elided());
}

TEST_F(StatusBarTest, LabelsOnlyForFieldsWithTextAndSharedWidthsFollowTheWindow) {
    ASSERT_NE(OpenWindow(1, 0, 0, 400, 200, u"resizable", WindowSizeGadget), 0);
    const int64_t handle = CreateStatusBar(1, WindowHandle(1));
    for (int32_t width : {100, IgnoreValue, 50})
        AddStatusBarField(width);
    StatusBarText(1, 2, u"c");
    EXPECT_EQ(Frames(handle), std::vector<QRect>{QRect(0, 4, 50, 20)});
    StatusBarText(1, 0, u"a");
    StatusBarText(1, 1, u"b");
    EXPECT_EQ(Frames(handle),
              (std::vector<QRect>{{0, 4, 100, 20}, {100, 4, 250, 20}, {350, 4, 50, 20}}));
    // The window library calls the hook that InitStatusBars installed.
    WindowWidget(1)->resize(500, 300);
    CollectEvents(20);
    ASSERT_EQ(WindowContentView(WindowWidget(1))->size(), QSize(500, 300));
    EXPECT_EQ(Bar(handle)->geometry(), QRect(0, 276, 500, 24));
    EXPECT_EQ(Frames(handle),
              (std::vector<QRect>{{0, 4, 100, 20}, {100, 4, 350, 20}, {450, 4, 50, 20}}));
}

TEST_F(StatusBarTest, ReplacingFreeingAndClosingTheWindowRemoveTheBarAndItsRecord) {
    QPointer<QWidget> first = Bar(CreateStatusBar(0, window));
    const int64_t second = CreateStatusBar(0, window); // replaces the first
    EXPECT_TRUE(first.isNull());
    AddStatusBarField(100);
    StatusBarText(0, 0, u"second");
    EXPECT_EQ(Labels(second).size(), 1u);
    first = Bar(second);
    const int64_t dynamic = CreateStatusBar(AnyNumber, window);
    ASSERT_NE(GetObject(StatusBarRegistry, dynamic), nullptr);
    FreeStatusBar(0);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(GetObject(StatusBarRegistry, 0), nullptr);
    AddStatusBarField(10); // works on the dynamic bar, the newest
    FreeStatusBar(AllObjects);
    EXPECT_EQ(GetObject(StatusBarRegistry, dynamic), nullptr);
    AddStatusBarField(10); // no current bar any more: nothing happens
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
