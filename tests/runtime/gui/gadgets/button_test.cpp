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

void Click(int64_t gadget) {
    QTest::mouseClick(Button(gadget), Qt::LeftButton);
}

TEST_F(ButtonTest, TheBezelFollowsTheHeightAndOnceSquareStaysSquare) {
    const std::tuple<int32_t, int32_t, int32_t> cases[] = {
        // height, resized to (IgnoreValue: not resized), bezel
        {28, IgnoreValue, ButtonBezel_Square}, {25, IgnoreValue, ButtonBezel_Rounded},
        {25, 30, ButtonBezel_Square},          {25, 25, ButtonBezel_Rounded},
        {28, 25, ButtonBezel_Square},
    };
    for (const auto& [height, resizedTo, bezel] : cases) {
        ButtonGadget(1, 200, 10, 180, height, u"b");
        ResizeGadget(1, IgnoreValue, IgnoreValue, IgnoreValue, resizedTo);
        EXPECT_EQ(ButtonGadgetBezel(1), bezel) << height << " " << resizedTo;
    }
    ButtonGadget(1, 200, 10, 180, 25, u"b");
    const QString rounded = Button(1)->styleSheet();
    ResizeGadget(1, IgnoreValue, IgnoreValue, IgnoreValue, 30);
    const QString square = Button(1)->styleSheet();
    EXPECT_NE(square, rounded);
    ResizeGadget(1, IgnoreValue, IgnoreValue, IgnoreValue, 25);
    EXPECT_EQ(ButtonGadgetBezel(1), ButtonBezel_Square);
    EXPECT_EQ(Button(1)->styleSheet(), square);
    EXPECT_EQ(ButtonGadgetBezel(9), 0);
}

TEST_F(ButtonTest, TitlesAreShownAsWrittenAndAlignmentFlagsReachTheStyle) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, ""}, // the platform's alignment
        {ButtonFlag_Right, "text-align: right;"},
        {ButtonFlag_Left, "text-align: left;"},
        {ButtonFlag_Left | ButtonFlag_Right, "text-align: left;"},
    };
    for (const auto& [flags, align] : cases) {
        ButtonGadget(1, 200, 10, 180, 28, u"Save & quit", flags);
        EXPECT_EQ(Button(1)->styleSheet().contains("text-align"), *align != 0) << flags;
        EXPECT_TRUE(Button(1)->styleSheet().contains(align)) << flags;
    }
    EXPECT_EQ(Button(1)->text(), "Save && quit"); // "&&" is how Qt shows one "&"
    EXPECT_EQ(GadgetText(1), "Save & quit");
    SetGadgetText(1, u"<b>Play</b>");
    EXPECT_EQ(GadgetText(1), "<b>Play</b>");
    ButtonGadget(2, 200, 10, 180, 28, nullptr);
    EXPECT_EQ(GadgetText(2), "");
}

TEST_F(ButtonTest, EachClickPostsOneEventADisabledButtonPostsNothing) {
    const int64_t id = ButtonGadget(AnyNumber, 200, 201, 88, 28, u"Play");
    ASSERT_NE(Button(id), nullptr);
    EXPECT_EQ(Button(id)->focusPolicy(), Qt::TabFocus);
    Click(id);
    EXPECT_EQ(GadgetEvents(), Posted({GadgetEvent_Click}, id)); // its id, window 0
    DisableGadget(id, 1);
    Click(id);
    EXPECT_TRUE(GadgetEvents().empty());
    EXPECT_EQ(GetGadgetState(id), 0);
}

TEST_F(ButtonTest, AToggleIsOnAfterOneClickAndOffAfterTheNext) {
    ButtonGadget(1, 200, 10, 180, 28, u"t", ButtonFlag_Toggle);
    for (const int64_t state : {1, 0}) {
        Click(1);
        EXPECT_EQ(GetGadgetState(1), state);
    }
    SetGadgetState(1, 1);
    EXPECT_EQ(GetGadgetState(1), 1);
    EXPECT_EQ(GadgetEvents(), Posted({GadgetEvent_Click}, 1)); // equal clicks merge
}

TEST_F(ButtonTest, ReturnClicksTheDefaultButtonOnlyAtHeightTwentyFive) {
    for (const auto& [height, clicks] : {std::pair{25, 1u}, {28, 0u}}) {
        ButtonGadget(1, 200, 10, 180, height, u"OK", ButtonFlag_Default);
        QListView* list = MakeList({});
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(GadgetEvents().size(), clicks) << height;
    }
}

} // namespace
