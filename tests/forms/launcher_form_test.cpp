// The launcher dialog's form: the keyboard as in a Windows dialog box (Tab stops, the radio
// group under the arrow keys, Space, Enter on the default or the focused button, Escape) and
// mouse clicks, without any window.
#include <gtest/gtest.h>

#include <vector>

#include "forms/launcher_form.h"

namespace {

LauncherForm DefaultForm() { return OpenLauncherForm(LauncherDialogChoices{}); }

// The focus after each of `count` presses of `key`.
std::vector<int32_t> FocusWalk(LauncherForm* form, LauncherKey key, int count)
{
    std::vector<int32_t> walk;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(PressLauncherKey(form, key), kFormStaysOpen);
        walk.push_back(form->focus);
    }
    return walk;
}

TEST(LauncherForm, EnterAtOnceStartsInAWindowOnceAtHighPriority)
{
    LauncherForm form = DefaultForm();
    EXPECT_EQ(form.focus, kControlStart);
    EXPECT_EQ(PressLauncherKey(&form, kLauncherKeyEnter), kFormStart);
    EXPECT_EQ(form.choices.fullScreen, 0);
    EXPECT_EQ(form.choices.loop, 0);
    EXPECT_EQ(form.choices.priority, 1);
    EXPECT_TRUE(LauncherControlChecked(form, kControlHigh));
    EXPECT_FALSE(LauncherControlChecked(form, kControlFullScreen));
}

TEST(LauncherForm, TabVisitsButtonsBoxesAndTheCheckedRadioInTurnAndBackTabReverses)
{
    LauncherForm form = DefaultForm();
    EXPECT_EQ(FocusWalk(&form, kLauncherKeyTab, 5),
              (std::vector<int32_t>{kControlCancel, kControlFullScreen, kControlLoop, kControlHigh, kControlStart}));
    EXPECT_EQ(FocusWalk(&form, kLauncherKeyBackTab, 5),
              (std::vector<int32_t>{kControlHigh, kControlLoop, kControlFullScreen, kControlCancel, kControlStart}));
    // With no radio checked the group is entered at its first button.
    LauncherDialogChoices none;
    none.priority = -1;
    form = OpenLauncherForm(none);
    EXPECT_EQ(FocusWalk(&form, kLauncherKeyBackTab, 1), std::vector<int32_t>{kControlRealtime});
}

TEST(LauncherForm, ArrowsMoveRoundTheRadioGroupCheckingAsTheyGoAndNothingElsewhere)
{
    LauncherForm form = DefaultForm();
    FocusWalk(&form, kLauncherKeyBackTab, 1); // into the group, at High
    EXPECT_EQ(FocusWalk(&form, kLauncherKeyDown, 3),
              (std::vector<int32_t>{kControlNormal, kControlLow, kControlRealtime}));
    EXPECT_EQ(form.choices.priority, 0);
    EXPECT_EQ(FocusWalk(&form, kLauncherKeyUp, 1), std::vector<int32_t>{kControlLow});
    EXPECT_EQ(FocusWalk(&form, kLauncherKeyRight, 1), std::vector<int32_t>{kControlRealtime});
    EXPECT_EQ(FocusWalk(&form, kLauncherKeyLeft, 2), (std::vector<int32_t>{kControlLow, kControlNormal}));
    EXPECT_EQ(form.choices.priority, 2);
    EXPECT_EQ(LauncherControlChecked(form, kControlNormal) + LauncherControlChecked(form, kControlLow) +
                  LauncherControlChecked(form, kControlHigh) + LauncherControlChecked(form, kControlRealtime),
              1);

    LauncherForm onButton = DefaultForm();
    FocusWalk(&onButton, kLauncherKeyDown, 1);
    FocusWalk(&onButton, kLauncherKeyLeft, 1);
    EXPECT_EQ(onButton.focus, kControlStart);
    EXPECT_EQ(onButton.choices.priority, 1);
}

TEST(LauncherForm, SpaceTogglesTheFocusedBoxAndPressesTheFocusedButton)
{
    LauncherForm form = DefaultForm();
    FocusWalk(&form, kLauncherKeyTab, 2); // Full Screen Mode
    EXPECT_EQ(PressLauncherKey(&form, kLauncherKeySpace), kFormStaysOpen);
    EXPECT_EQ(form.choices.fullScreen, 1);
    FocusWalk(&form, kLauncherKeyTab, 1); // Loop animation
    PressLauncherKey(&form, kLauncherKeySpace);
    PressLauncherKey(&form, kLauncherKeySpace);
    PressLauncherKey(&form, kLauncherKeySpace);
    EXPECT_EQ(form.choices.loop, 1);
    EXPECT_EQ(form.choices.fullScreen, 1);

    LauncherForm start = DefaultForm();
    EXPECT_EQ(PressLauncherKey(&start, kLauncherKeySpace), kFormStart);
    LauncherForm cancel = DefaultForm();
    FocusWalk(&cancel, kLauncherKeyTab, 1);
    EXPECT_EQ(PressLauncherKey(&cancel, kLauncherKeySpace), kFormCancel);
}

TEST(LauncherForm, EnterPressesAFocusedButtonElseTheDefaultOneAndEscapeCancels)
{
    LauncherForm form = DefaultForm();
    FocusWalk(&form, kLauncherKeyTab, 1);
    EXPECT_EQ(PressLauncherKey(&form, kLauncherKeyEnter), kFormCancel);
    FocusWalk(&form, kLauncherKeyTab, 1); // a check box: the default button answers
    EXPECT_EQ(PressLauncherKey(&form, kLauncherKeyEnter), kFormStart);
    FocusWalk(&form, kLauncherKeyTab, 2); // a radio button
    EXPECT_EQ(PressLauncherKey(&form, kLauncherKeyEnter), kFormStart);
    EXPECT_EQ(PressLauncherKey(&form, kLauncherKeyEscape), kFormCancel);
}

TEST(LauncherForm, AClickFocusesTheControlAndActsAsSpace)
{
    LauncherForm form = DefaultForm();
    EXPECT_EQ(ClickLauncherControl(&form, kControlLow), kFormStaysOpen);
    EXPECT_EQ(form.focus, kControlLow);
    EXPECT_EQ(form.choices.priority, 3);
    EXPECT_EQ(ClickLauncherControl(&form, kControlLoop), kFormStaysOpen);
    EXPECT_EQ(form.choices.loop, 1);
    // Tab goes on from where the click left the focus.
    EXPECT_EQ(FocusWalk(&form, kLauncherKeyTab, 1), std::vector<int32_t>{kControlLow});
    EXPECT_EQ(ClickLauncherControl(&form, kControlNone), kFormStaysOpen);
    EXPECT_EQ(form.focus, kControlLow);
    EXPECT_EQ(ClickLauncherControl(&form, kControlCancel), kFormCancel);
    EXPECT_EQ(ClickLauncherControl(&form, kControlStart), kFormStart);
}

TEST(LauncherForm, OpensFromGivenChoicesAndEveryControlLiesInsideTheDialog)
{
    LauncherDialogChoices given{1, 1, 3};
    LauncherForm form = OpenLauncherForm(given);
    EXPECT_TRUE(LauncherControlChecked(form, kControlFullScreen));
    EXPECT_TRUE(LauncherControlChecked(form, kControlLoop));
    EXPECT_TRUE(LauncherControlChecked(form, kControlLow));
    EXPECT_EQ(OpenLauncherForm(LauncherDialogChoices{0, 0, 7}).choices.priority, -1);

    for (int32_t i = 0; i < kLauncherControlCount; ++i) {
        const LauncherControl& c = kLauncherControls[i];
        EXPECT_GE(c.x, 0) << c.text;
        EXPECT_GE(c.y, 0) << c.text;
        EXPECT_LE(c.x + c.width, kLauncherFormWidth) << c.text;
        EXPECT_LE(c.y + c.height, kLauncherFormHeight) << c.text;
    }
}

} // namespace
