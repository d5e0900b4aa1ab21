// The message box: its texts, its buttons by flags and the codes they answer with.
#include "requester_fixture.h"

#include "runtime/gui/requesters/requesters.h"

#include <QAbstractButton>
#include <QMap>
#include <QMessageBox>
#include <QTest>

namespace {

using MessageRequesterTest = RequesterTest;

// Shown over the key window, which comes back after each answer.
TEST_F(MessageRequesterTest, FlagsChooseTheButtonsAndEachAnswersWithItsCode) {
    QWidget window;
    window.setWindowTitle("Marrowvale Sound Decoder V0.12");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QStringList yesNo = {"No", "Yes"}, all = {"Cancel", "No", "Yes"};
    const std::tuple<int32_t, QStringList, const char*, int32_t> cases[] = {
        {0, {"OK"}, "OK", 0}, {1, yesNo, "Yes", 6}, {1, yesNo, "No", 7}, {2, all, "Cancel", 2},
        {3, all, "Yes", 6},   {1, yesNo, "", 7},    {2, all, "", 2}, // "": Escape
    };
    for (const auto& [flags, texts, pressed, code] : cases) {
        Answer([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->parentWidget(), &window);
            EXPECT_EQ(box->windowTitle(), "Marrowvale Sound Decoder V0.12");
            EXPECT_EQ(box->text(), "Decode sample package");
            EXPECT_EQ(box->informativeText(), "No samples found.");
            QMap<QString, QAbstractButton*> buttons;
            for (QAbstractButton* button : box->buttons())
                buttons.insert(button->text().remove('&'), button);
            EXPECT_EQ(buttons.keys(), texts) << flags;
            if (!*pressed)
                PressEscape(box);
            else if (buttons.contains(pressed))
                QTest::mouseClick(buttons.value(pressed), Qt::LeftButton);
        });
        EXPECT_EQ(MessageRequester(u"Decode sample package", u"No samples found.", flags), code)
            << flags << " " << pressed;
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window, 1000)) << flags;
    }
}

} // namespace
