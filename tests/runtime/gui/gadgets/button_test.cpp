// Buttons: bezels by height, flags, titles shown as written, the click and the toggle
// state, and the default button's Return.
#include "gadget_fixture.h"

#include <QPushButton>
#include <QTest>

namespace {

using ButtonTest = GadgetTest;

QPushButton* Button(int64_t gadget) {
    return qobject_cast<QPushButton*>(GadgetWidget(gadget));
}

TEST_F(ButtonTest, TheBezelFollowsTheHeightAndOnceSquareStaysSquare) {
    struct Case {
        int32_t height;
        int32_t resizedTo; // IgnoreValue: not resized
        int32_t bezel;
    };
    const Case cases[] = {
        {28, IgnoreValue, ButtonBezel_Square}, {25, IgnoreValue, ButtonBezel_Rounded},
        {25, 30, ButtonBezel_Square},          {25, 25, ButtonBezel_Rounded},
        {28, 25, ButtonBezel_Square},
    };
    for (const Case& c : cases) {
        ButtonGadget(1, 200, 10, 180, c.height, u"b");
        ResizeGadget(1, IgnoreValue, IgnoreValue, IgnoreValue, c.resizedTo);
        EXPECT_EQ(ButtonGadgetBezel(1), c.bezel) << c.height << " " << c.resizedTo;
    }
    ButtonGadget(1, 200, 10, 180, 25, u"b");
    ResizeGadget(1, IgnoreValue, IgnoreValue, IgnoreValue, 30);
    const QString square = Button(1)->styleSheet();
    ResizeGadget(1, IgnoreValue, IgnoreValue, IgnoreValue, 25);
    EXPECT_EQ(ButtonGadgetBezel(1), ButtonBezel_Square);
    EXPECT_EQ(Button(1)->styleSheet(), square);
    ButtonGadget(2, 200, 10, 180, 25, u"b");
    EXPECT_NE(Button(2)->styleSheet(), square);
    EXPECT_EQ(ButtonGadgetBezel(9), 0);
}

TEST_F(ButtonTest, TitlesAreShownAsWrittenAndReturnedAsGiven) {
    ButtonGadget(1, 200, 10, 180, 28, u"Save & quit");
    EXPECT_EQ(Button(1)->text(), "Save && quit"); // "&&" is how Qt shows one "&"
    TempExpression e;
    EXPECT_EQ(Text(GetGadgetText(1, e.Start())), "Save & quit");
    SetGadgetText(1, u"<b>Play</b>");
    EXPECT_EQ(Text(GetGadgetText(1, e.Start())), "<b>Play</b>");
    ButtonGadget(2, 200, 10, 180, 28, nullptr);
    EXPECT_EQ(Text(GetGadgetText(2, e.Start())), "");
}

TEST_F(ButtonTest, AlignmentFlagsReachTheStyleLeftWinsOverRight) {
    struct Case {
        int32_t flags;
        const char* align; // nullptr: the platform's alignment
    };
    const Case cases[] = {
        {0, nullptr},
        {ButtonFlag_Right, "text-align: right"},
        {ButtonFlag_Left, "text-align: left"},
        {ButtonFlag_Left | ButtonFlag_Right, "text-align: left"},
    };
    for (const Case& c : cases) {
        ButtonGadget(1, 200, 10, 180, 28, u"b", c.flags);
        const QString style = Button(1)->styleSheet();
        if (c.align) {
            EXPECT_TRUE(style.contains(QLatin1String(c.align))) << c.flags;
        } else {
            EXPECT_FALSE(style.contains(QLatin1String("text-align"))) << c.flags;
        }
    }
}

TEST_F(ButtonTest, EachClickPostsOneEventADisabledButtonPostsNothing) {
    ButtonGadget(2, 200, 201, 88, 28, u"Play");
    EXPECT_EQ(Button(2)->focusPolicy(), Qt::TabFocus);
    QTest::mouseClick(Button(2), Qt::LeftButton);
    EXPECT_EQ(GadgetEvents(), (std::vector<PostedEvent>{{Event_Gadget, 2, 0, 0}}));
    DisableGadget(2, 1);
    QTest::mouseClick(Button(2), Qt::LeftButton);
    EXPECT_TRUE(GadgetEvents().empty());
    EXPECT_EQ(GetGadgetState(2), 0);
}

TEST_F(ButtonTest, AToggleIsOnAfterOneClickAndOffAfterTheNext) {
    ButtonGadget(1, 200, 10, 180, 28, u"t", ButtonFlag_Toggle);
    QTest::mouseClick(Button(1), Qt::LeftButton);
    EXPECT_EQ(GetGadgetState(1), 1);
    QTest::mouseClick(Button(1), Qt::LeftButton);
    EXPECT_EQ(GetGadgetState(1), 0);
    SetGadgetState(1, 1);
    EXPECT_EQ(GetGadgetState(1), 1);
    EXPECT_EQ(GadgetEvents().size(), 1u); // the two equal clicks merge in the queue
}

TEST_F(ButtonTest, ReturnClicksTheDefaultButtonOnlyAtHeightTwentyFive) {
    struct Case {
        int32_t height;
        size_t clicks;
    };
    for (const Case c : {Case{25, 1}, Case{28, 0}}) {
        ButtonGadget(1, 200, 10, 180, c.height, u"OK", ButtonFlag_Default);
        ListViewGadget(0, 10, 10, 180, 251);
        GadgetWidget(0)->setFocus();
        QTest::keyClick(GadgetWidget(0), Qt::Key_Return);
        EXPECT_EQ(GadgetEvents().size(), c.clicks) << c.height;
    }
}

} // namespace
