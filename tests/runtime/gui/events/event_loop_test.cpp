// WaitWindowEvent on Qt, and key presses as a user makes them: the window's shortcuts and
// the application menu's key equivalents take the key before the focused widget does.
#include "../gui_test_support.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <ctime>

namespace {

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

class EventLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartGuiLibraries();
        ResetWindows();
        ASSERT_NE(OpenWindow(0, 0, 0, 390, 292, u"loop", 0x60), 0);
        AddKeyboardShortcut(0, 13, 1);
        edit = new QLineEdit(WindowContentView(WindowWidget(0)));
        edit->show();
        edit->setFocus();
        CollectEvents(30);
    }
    void TearDown() override { ResetWindows(); }

    std::vector<PostedEvent> Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(edit, key, modifiers);
        return OfKind(CollectEvents(), Event_Menu);
    }

    QLineEdit* edit = nullptr;
};

TEST_F(EventLoopTest, WaitWithoutEventsReturnsZero) {
    EXPECT_EQ(WaitWindowEvent(0), 0);
    QElapsedTimer clock;
    clock.start();
    const double cpu = CpuSeconds();
    EXPECT_EQ(WaitWindowEvent(200), 0);
    const qint64 elapsed = clock.elapsed();
    EXPECT_GE(elapsed, 195);
    EXPECT_LT(elapsed, 1500);
    // Waiting blocks in the dispatcher: a busy loop would use the whole 200 ms.
    EXPECT_LT(CpuSeconds() - cpu, 0.05);
}

TEST_F(EventLoopTest, ReturnAndKeypadEnterMatchTheShortcutOthersDoNot) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::vector<PostedEvent> menu;
    };
    const std::vector<PostedEvent> item1 = {{Event_Menu, 1, 0, 0}};
    const Case cases[] = {
        {Qt::Key_Return, Qt::NoModifier, item1},
        {Qt::Key_Enter, Qt::KeypadModifier, item1},
        {Qt::Key_Return, Qt::ShiftModifier, {}},
        {Qt::Key_C, Qt::ControlModifier, {}},
        {Qt::Key_Q, Qt::ControlModifier, {{Event_Menu, -1, -1, 0}}},
        {Qt::Key_Comma, Qt::ControlModifier, {}}, // Preferences is inactive
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Press(c.key, c.modifiers), c.menu) << c.key << " " << c.modifiers.toInt();
    }
}

TEST_F(EventLoopTest, AShortcutKeyNeverReachesTheFocusedWidgetOtherKeysDo) {
    edit->setText(u"ab"_qs);
    QObject::connect(edit, &QLineEdit::returnPressed, [this] { edit->setText(u"returned"_qs); });
    Press(Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(edit->text(), u"ab"_qs);
    // The edit keys reach the focused control.
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QString());
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), u"ab"_qs);
}

TEST_F(EventLoopTest, ReturnConfirmsAModalDialogWhileTheShortcutExists) {
    bool confirmed = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QObject::connect(box, &QMessageBox::accepted, [&] { confirmed = true; });
        QTest::keyClick(box, Qt::Key_Return);
    });
    QMessageBox box(QMessageBox::Information, u"t"_qs, u"x"_qs, QMessageBox::Ok);
    box.exec();
    EXPECT_TRUE(confirmed);
    EXPECT_TRUE(OfKind(CollectEvents(), Event_Menu).empty());
}

TEST_F(EventLoopTest, QuitInTheMenuPostsItemMinusOneAndEndsNothing) {
    ASSERT_NE(Application.quit, nullptr);
    EXPECT_EQ(Application.quit->text(),
              u"Quit "_qs + QCoreApplication::applicationFilePath().section(u'/', -1));
    EXPECT_EQ(Application.preferences->text(), u"Preferences"_qs + QChar(0x2026));
    EXPECT_FALSE(Application.about->isEnabled());
    Application.quit->trigger();
    EXPECT_EQ(OfKind(CollectEvents(), Event_Menu),
              (std::vector<PostedEvent>{{Event_Menu, -1, -1, 0}}));
    EXPECT_NE(WindowWidget(0), nullptr);
    // A second start builds no second menu.
    QMenu* menu = Application.applicationMenu;
    InitApplication();
    EXPECT_EQ(Application.applicationMenu, menu);
}

TEST_F(EventLoopTest, HideMinimisesTheWindowsItNeverHidesThem) {
    QTest::keyClick(edit, Qt::Key_H, Qt::ControlModifier);
    QWidget* window = WindowWidget(0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
    EXPECT_EQ(OfKind(CollectEvents(), Event_MinimizeWindow),
              (std::vector<PostedEvent>{{Event_MinimizeWindow, 0, 0, 0}}));
}

} // namespace
