// The message box: its texts, its buttons by flags and the codes they answer with.
#include "requester_fixture.h"

#include "runtime/gui/requesters/requesters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

namespace {

class MessageRequesterTest : public RequesterTest {
protected:
    static QStringList ButtonTexts(QMessageBox* box) {
        QStringList texts;
        for (QAbstractButton* button : box->buttons())
            texts << button->text().remove('&');
        texts.sort();
        return texts;
    }
    static void Press(QMessageBox* box, const QString& text) {
        for (QAbstractButton* button : box->buttons()) {
            if (button->text().remove('&') == text) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
    }
};

TEST_F(MessageRequesterTest, FlagsChooseTheButtonsAndEachAnswersWithItsCode) {
    struct Case {
        int32_t flags;
        QStringList buttons; // sorted
        const char* pressed;
        int32_t code;
    };
    const Case cases[] = {
        {0, {"OK"}, "OK", 0},
        {1, {"No", "Yes"}, "Yes", 6},
        {1, {"No", "Yes"}, "No", 7},
        {2, {"Cancel", "No", "Yes"}, "Cancel", 2},
        {2, {"Cancel", "No", "Yes"}, "No", 7},
        {3, {"Cancel", "No", "Yes"}, "Yes", 6},
    };
    for (const Case& c : cases) {
        Answer([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), "Decode sample package");
            EXPECT_EQ(box->informativeText(), "No samples found.");
            EXPECT_EQ(ButtonTexts(box), c.buttons) << c.flags;
            Press(box, c.pressed);
        });
        EXPECT_EQ(MessageRequester(u"Decode sample package", u"No samples found.", c.flags), c.code)
            << c.flags << " " << c.pressed;
    }
}

TEST_F(MessageRequesterTest, EscapeAnswersLikeTheLastButtonAndTheKeyWindowComesBack) {
    QWidget window;
    window.setWindowTitle("main");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const std::pair<int32_t, int32_t> cases[] = {{1, 7}, {2, 2}};
    for (const auto& [flags, code] : cases) {
        Answer([&](QWidget* box) {
            EXPECT_EQ(box->parentWidget(), &window); // shown over the key window
            PressEscape(box);
        });
        EXPECT_EQ(MessageRequester(nullptr, nullptr, flags), code) << flags;
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window, 1000)) << flags;
    }
}

} // namespace
