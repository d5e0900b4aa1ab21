// Windows as the program and its user see them: styles and placement, close requests,
// the events of a window's life, and gadget lists.
#include "../gui_test_support.h"

#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class WindowsTest : public ::testing::Test {
protected:
    static void MakeKey(int64_t number) {
        WindowWidget(number)->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(WindowWidget(number)));
    }

    void SetUp() override {
        StartGuiLibraries();
        ResetWindows();
    }
    void TearDown() override { ResetWindows(); }
};

TEST(WindowStyleTest, FlagsGiveTheirStyles) {
    struct Case {
        int32_t flags;
        uint32_t style;
    };
    const Case cases[] = {
        {0x60, StyleTitled | StyleClosable | StyleMiniaturizable},
        {0x4, StyleTitled | StyleClosable},
        {0x8, StyleTitled},
        {0x2, StyleTitled | StyleResizable},
        {0x10, StyleTitled | StyleClosable | StyleResizable},
        {0x200, StyleResizable},
        {0x400, StyleMiniaturizable},
        {0x800, StyleTitled},
        {0x80 | 0x4, 0},
        {0x80 | 0x60, 0},
        {0x1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowStyleFromFlags(c.flags), c.style) << std::hex << c.flags;
}

TEST_F(WindowsTest, TheMainWindowIsTitledClosableMinimisableFixedAndCentred) {
    const int64_t handle = OpenWindow(0, 0, 0, 390, 292, u"Marrowvale Sound Decoder V0.12", 0x60);
    QWidget* window = WindowWidget(0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(handle, reinterpret_cast<int64_t>(window));
    EXPECT_EQ(WindowHandle(0), handle);
    EXPECT_EQ(WindowNumberOf(handle), 0);
    EXPECT_EQ(WindowNumberOf(12345), -1);
    const Qt::WindowFlags f = window->windowFlags();
    EXPECT_TRUE(f & Qt::WindowTitleHint);
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(f & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->minimumSize(), QSize(390, 292));
    EXPECT_EQ(window->maximumSize(), QSize(390, 292));
    EXPECT_EQ(WindowContentView(window)->geometry(), QRect(0, 0, 390, 292));
    EXPECT_EQ(window->windowTitle(), u"Marrowvale Sound Decoder V0.12"_qs);
    EXPECT_TRUE(window->isVisible());
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((window->geometry().center() - centre).manhattanLength(), 2);
    EXPECT_EQ(KSGadgetList::currentWindow(), KSWidgetOf(window));
    EXPECT_EQ(KSGadgetList::currentView(), KSWidgetOf(WindowContentView(window)));
}

TEST_F(WindowsTest, PlacementFollowsTheFlags) {
    OpenWindow(1, 30, 40, 200, 100, u"at", 0x4);
    EXPECT_EQ(WindowWidget(1)->pos(), QPoint(30, 40));
    OpenWindow(2, IgnoreValue, 40, 200, 100, u"centred", 0);
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((WindowWidget(2)->geometry().center() - centre).manhattanLength(), 2);
    OpenWindow(3, 0, 0, 100, 50, u"none", 0x80 | 0x4);
    EXPECT_TRUE(WindowWidget(3)->windowFlags() & Qt::FramelessWindowHint);
    OpenWindow(4, 0, 0, 100, 50, u"resizable", 0x10);
    EXPECT_NE(WindowWidget(4)->maximumSize(), QSize(100, 50));
}

TEST_F(WindowsTest, TitlesShowAsWritten) {
    OpenWindow(0, 0, 0, 100, 100, u"a [*] & b", 0x4);
    ASSERT_NE(WindowWidget(0)->windowHandle(), nullptr);
    EXPECT_EQ(WindowWidget(0)->windowHandle()->title(), u"a [*] & b"_qs);
}

// A numbered window, and a dynamic one named by its record in the events.
TEST_F(WindowsTest, ACloseRequestPostsAnEventAndTheWindowStaysOpen) {
    for (const int64_t number : {int64_t{0}, AnyNumber}) {
        const int64_t opened = OpenWindow(number, 0, 0, 100, 100, u"w", 0x60);
        const int64_t id = number == AnyNumber ? opened : number;
        ASSERT_NE(WindowWidget(id), nullptr);
        EXPECT_EQ(WindowNumberOf(reinterpret_cast<int64_t>(WindowWidget(id))), id);
        CollectEvents(20);
        EXPECT_FALSE(WindowWidget(id)->close());
        EXPECT_EQ(OfKind(CollectEvents(), Event_CloseWindow),
                  (std::vector<PostedEvent>{{Event_CloseWindow, id, id, 0}}));
        EXPECT_TRUE(WindowWidget(id)->isVisible());
        CloseWindow(id);
        EXPECT_EQ(WindowWidget(id), nullptr);
        EXPECT_TRUE(OfKind(CollectEvents(), Event_CloseWindow).empty());
    }
}

TEST_F(WindowsTest, CloseWindowDropsOnlyThatWindowsQueuedEvents) {
    OpenWindow(0, 0, 0, 100, 100, u"a", 0x4);
    OpenWindow(1, 0, 0, 100, 100, u"b", 0x4);
    CollectEvents(20);
    PostEvent(Event_Gadget, 1, 0, 0);
    PostEvent(Event_Gadget, 1, 1, 0);
    PostEvent(Event_Gadget, 2, 0, 0);
    PostEvent(Event_Gadget, 2, 1, 0);
    CloseWindow(0);
    EXPECT_EQ(OfKind(CollectEvents(), Event_Gadget),
              (std::vector<PostedEvent>{{Event_Gadget, 1, 1, 0}, {Event_Gadget, 2, 1, 0}}));
    // A window 0 opened at once keeps its new events.
    OpenWindow(0, 0, 0, 100, 100, u"again", 0x4);
    PostEvent(Event_Gadget, 3, 0, 0);
    EXPECT_EQ(OfKind(CollectEvents(), Event_Gadget),
              (std::vector<PostedEvent>{{Event_Gadget, 3, 0, 0}}));
}

TEST_F(WindowsTest, ReopeningANumberReplacesTheOldWindow) {
    OpenWindow(0, 0, 0, 100, 100, u"old", 0x4);
    QPointer<QWidget> old = WindowWidget(0);
    OpenWindow(0, 0, 0, 100, 100, u"new", 0x4);
    RecyclePool();
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(WindowWidget(0)->windowTitle(), u"new"_qs);
}

TEST_F(WindowsTest, BackgroundClicksCountLikeTheWindowSystem) {
    OpenWindow(0, 0, 0, 200, 200, u"clicks", 0x4);
    QWidget* view = WindowContentView(WindowWidget(0));
    CollectEvents(20);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(OfKind(CollectEvents(), Event_LeftClick).size(), 1u);
    QTest::mouseClick(view, Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_EQ(OfKind(CollectEvents(), Event_RightClick),
              (std::vector<PostedEvent>{{Event_RightClick, 0, 0, 0}}));
    // As the window system delivers a series: press, release, the second press as a
    // double-click event, release, a third press as a plain press, release (ms apart).
    uint64_t t = 100000;
    auto send = [&](QEvent::Type type, uint64_t after) {
        const QPointF at(60, 60);
        QMouseEvent e(type, at, view->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        t += after;
        e.setTimestamp(t);
        QApplication::sendEvent(view, &e);
    };
    send(QEvent::MouseButtonPress, 0);
    send(QEvent::MouseButtonRelease, 50);
    send(QEvent::MouseButtonDblClick, 50);
    send(QEvent::MouseButtonRelease, 50);
    auto events = CollectEvents();
    EXPECT_EQ(OfKind(events, Event_LeftClick),
              (std::vector<PostedEvent>{{Event_LeftClick, 0, 0, 0}}));
    EXPECT_EQ(OfKind(events, Event_LeftDoubleClick),
              (std::vector<PostedEvent>{{Event_LeftDoubleClick, 0, 0, 0}}));
    send(QEvent::MouseButtonPress, 50);
    send(QEvent::MouseButtonRelease, 50);
    EXPECT_TRUE(CollectEvents().empty());
    // Long after, the next press starts a new series.
    send(QEvent::MouseButtonPress, 5000);
    send(QEvent::MouseButtonRelease, 50);
    EXPECT_EQ(OfKind(CollectEvents(), Event_LeftClick).size(), 1u);
}

TEST_F(WindowsTest, ZoomAndMinimisePostTheirEvents) {
    OpenWindow(0, 0, 0, 200, 200, u"zoom", 0x10);
    CollectEvents(20);
    WindowWidget(0)->showMaximized();
    auto events = CollectEvents();
    ASSERT_FALSE(OfKind(events, Event_MaximizeWindow).empty());
    WindowWidget(0)->showNormal();
    events = CollectEvents();
    EXPECT_EQ(OfKind(events, Event_RestoreWindow).size(), 1u);
    WindowWidget(0)->showMinimized();
    EXPECT_EQ(OfKind(CollectEvents(), Event_MinimizeWindow).size(), 1u);
    WindowWidget(0)->showNormal();
    EXPECT_EQ(OfKind(CollectEvents(), Event_RestoreWindow).size(), 1u);
}

TEST_F(WindowsTest, GadgetListsFollowTheWindowsOpenedAndClosed) {
    OpenWindow(0, 0, 0, 100, 100, u"a", 0x4);
    OpenWindow(1, 0, 0, 100, 100, u"hidden", 0x1);
    EXPECT_FALSE(WindowWidget(1)->isVisible());
    EXPECT_EQ(KSGadgetList::currentWindow(), KSWidgetOf(WindowWidget(1)));
    OpenWindow(2, 0, 0, 100, 100, u"no list", 0x4 | 0x1000);
    EXPECT_EQ(KSGadgetList::currentWindow(), KSWidgetOf(WindowWidget(1)));
    CloseWindow(1);
    EXPECT_EQ(KSGadgetList::currentList(), nullptr);
    EXPECT_EQ(KSGadgetList::currentView(), nullptr);
    EXPECT_NE(KSGadgetList::listFromWindow(KSWidgetOf(WindowWidget(0))), nullptr);
}

TEST_F(WindowsTest, ClosingTheKeyWindowHandsTheFocusBack) {
    // Activation is asynchronous: each window is key before the next one opens.
    for (int64_t n = 0; n < 3; n++) {
        OpenWindow(n, 0, 0, 100, 100, u"window", 0x4);
        ASSERT_TRUE(QTest::qWaitForWindowActive(WindowWidget(n)));
    }
    WindowWidget(1)->hide();
    // The window that was key before is hidden: the first visible one found takes over.
    CloseWindow(2);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == WindowWidget(0); }));
    WindowWidget(1)->show();
    MakeKey(1);
    OpenWindow(4, 0, 0, 100, 100, u"fifth", 0x4); // opened while window 1 is key
    ASSERT_TRUE(QTest::qWaitForWindowActive(WindowWidget(4)));
    CloseWindow(4);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == WindowWidget(1); }));
}

} // namespace
