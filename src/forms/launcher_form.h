// The launcher dialog's form, apart from any drawing: its controls with their texts and
// places in dialog units, and how the keyboard and the mouse move the focus, tick the boxes,
// check the radio buttons and press the buttons, as in a Windows dialog box.
#pragma once

#include <cstdint>

#include "forms/launcher_choices.h"

// The dialog's size in dialog units, and pixels per unit (a dialog unit is a quarter of the
// dialog font's mean character width across and an eighth of its height down).
constexpr int32_t kLauncherFormWidth = 277;
constexpr int32_t kLauncherFormHeight = 127;
constexpr float kPixelsPerUnitX = 1.5f;
constexpr float kPixelsPerUnitY = 1.625f;

enum LauncherControlId : int32_t {
    kControlNone = 0,
    kControlStart = 1000,
    kControlRealtime = 1001,
    kControlFullScreen = 1002,
    kControlHigh = 1003,
    kControlCancel = 1004,
    kControlNormal = 1005,
    kControlLow = 1006,
    kControlLoop = 1039,
};

enum LauncherControlKind {
    kControlDefaultButton,
    kControlButton,
    kControlCheckBox,
    kControlRadio,
    kControlGroupBox,
    kControlText,
    kControlRemark, // centred text in a sunken frame
};

struct LauncherControl {
    int32_t id; // kControlNone for the ones that never take the focus
    LauncherControlKind kind;
    const char* text;
    int32_t x, y, width, height; // dialog units
};

// Every control, in the order of the dialog's template (which is also the Tab order).
extern const LauncherControl kLauncherControls[];
extern const int32_t kLauncherControlCount;

// The control with that id, or null.
const LauncherControl* FindLauncherControl(int32_t id);

// The radio buttons' ids by priority (0 realtime .. 3 low).
extern const int32_t kPriorityRadios[4];

enum LauncherKey {
    kLauncherKeyTab,
    kLauncherKeyBackTab, // Shift+Tab
    kLauncherKeyUp,
    kLauncherKeyDown,
    kLauncherKeyLeft,
    kLauncherKeyRight,
    kLauncherKeySpace,
    kLauncherKeyEnter,
    kLauncherKeyEscape,
};

enum LauncherFormOutcome {
    kFormStaysOpen,
    kFormStart,
    kFormCancel,
};

struct LauncherForm {
    LauncherDialogChoices choices;
    int32_t focus = kControlStart; // id of the control with the keyboard focus
};

// The form as it opens: the given choices, the focus on the first control that takes it.
LauncherForm OpenLauncherForm(const LauncherDialogChoices& choices);

// One key press on the form.
LauncherFormOutcome PressLauncherKey(LauncherForm* form, LauncherKey key);

// A mouse click on a control (press and release over it): the control takes the focus and
// acts as Space would on it.
LauncherFormOutcome ClickLauncherControl(LauncherForm* form, int32_t id);

// Whether a check box or radio button is ticked in the form now.
bool LauncherControlChecked(const LauncherForm& form, int32_t id);
