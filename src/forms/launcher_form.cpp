#include "forms/launcher_form.h"

const LauncherControl kLauncherControls[] = {
    {kControlStart, kControlDefaultButton, "START", 154, 5, 52, 24},
    {kControlCancel, kControlButton, "CANCEL", 214, 5, 52, 24},
    {kControlFullScreen, kControlCheckBox, "Full Screen Mode", 13, 8, 73, 8},
    {kControlLoop, kControlCheckBox, "Loop animation", 13, 23, 73, 8},
    {kControlNone, kControlGroupBox, "Choose Demo Process Priority", 9, 36, 118, 65},
    {kControlRealtime, kControlRadio, "Realtime Priority (Dangerous!)", 13, 52, 106, 8},
    {kControlHigh, kControlRadio, "High Priority", 13, 64, 106, 8},
    {kControlNormal, kControlRadio, "Normal Priority", 13, 76, 106, 8},
    {kControlLow, kControlRadio, "Low Priority", 13, 88, 106, 8},
    {kControlNone, kControlGroupBox, "Help", 129, 36, 138, 65},
    {kControlNone, kControlText, "F1 - Set window to his original size.", 136, 52, 126, 8},
    {kControlNone, kControlText, "F2 - Set window to his double size.", 136, 64, 126, 8},
    {kControlNone, kControlText, "F4 - Switch Full Screen/ Window mode.", 136, 76, 126, 8},
    {kControlNone, kControlText, "ESC - Stop demo", 136, 88, 126, 8},
    {kControlNone, kControlRemark,
     "Remark: Switching between Full Screen and Window mode is unwarranted (because they may have incompatible "
     "video modes)",
     33, 104, 212, 19},
};
const int32_t kLauncherControlCount = sizeof kLauncherControls / sizeof kLauncherControls[0];

const int32_t kPriorityRadios[4] = {kControlRealtime, kControlHigh, kControlNormal, kControlLow};

namespace {

// The Tab stops in order; the radio group is one stop, entered at its checked button.
const int32_t kTabStops[] = {kControlStart, kControlCancel, kControlFullScreen, kControlLoop, kControlRealtime};
constexpr int32_t kTabStopCount = sizeof kTabStops / sizeof kTabStops[0];

int32_t RadioIndex(int32_t id)
{
    for (int32_t i = 0; i < 4; ++i) {
        if (kPriorityRadios[i] == id) return i;
    }
    return -1;
}

int32_t TabStopIndex(int32_t id)
{
    if (RadioIndex(id) >= 0) id = kControlRealtime;
    for (int32_t i = 0; i < kTabStopCount; ++i) {
        if (kTabStops[i] == id) return i;
    }
    return 0;
}

// The control that takes the focus at a Tab stop: the group's checked radio (its first when
// none is checked), or the stop's own control.
int32_t FocusAtTabStop(const LauncherForm& form, int32_t stop)
{
    const int32_t id = kTabStops[stop];
    if (id != kControlRealtime) return id;
    const int32_t checked = form.choices.priority;
    return checked >= 0 && checked < 4 ? kPriorityRadios[checked] : kControlRealtime;
}

// Arrow keys in the radio group move to the next or previous button, round the ends, and
// check it.
void MoveInRadioGroup(LauncherForm* form, int32_t step)
{
    const int32_t index = RadioIndex(form->focus);
    if (index < 0) return;
    const int32_t next = (index + step + 4) % 4;
    form->focus = kPriorityRadios[next];
    form->choices.priority = next;
}

// Space on the focused control, or a click on it.
LauncherFormOutcome ActOnControl(LauncherForm* form, int32_t id)
{
    switch (id) {
    case kControlStart: return kFormStart;
    case kControlCancel: return kFormCancel;
    case kControlFullScreen: form->choices.fullScreen = !form->choices.fullScreen; return kFormStaysOpen;
    case kControlLoop: form->choices.loop = !form->choices.loop; return kFormStaysOpen;
    default: {
        const int32_t index = RadioIndex(id);
        if (index >= 0) form->choices.priority = index;
        return kFormStaysOpen;
    }
    }
}

} // namespace

const LauncherControl* FindLauncherControl(int32_t id)
{
    if (id == kControlNone) return nullptr;
    for (int32_t i = 0; i < kLauncherControlCount; ++i) {
        if (kLauncherControls[i].id == id) return &kLauncherControls[i];
    }
    return nullptr;
}

LauncherForm OpenLauncherForm(const LauncherDialogChoices& choices)
{
    LauncherForm form;
    form.choices = choices;
    form.choices.fullScreen = choices.fullScreen ? 1 : 0;
    form.choices.loop = choices.loop ? 1 : 0;
    if (choices.priority < -1 || choices.priority > 3) form.choices.priority = -1;
    form.focus = kTabStops[0];
    return form;
}

LauncherFormOutcome PressLauncherKey(LauncherForm* form, LauncherKey key)
{
    switch (key) {
    case kLauncherKeyTab:
        form->focus = FocusAtTabStop(*form, (TabStopIndex(form->focus) + 1) % kTabStopCount);
        return kFormStaysOpen;
    case kLauncherKeyBackTab:
        form->focus = FocusAtTabStop(*form, (TabStopIndex(form->focus) + kTabStopCount - 1) % kTabStopCount);
        return kFormStaysOpen;
    case kLauncherKeyUp:
    case kLauncherKeyLeft: MoveInRadioGroup(form, -1); return kFormStaysOpen;
    case kLauncherKeyDown:
    case kLauncherKeyRight: MoveInRadioGroup(form, +1); return kFormStaysOpen;
    case kLauncherKeySpace: return ActOnControl(form, form->focus);
    case kLauncherKeyEnter:
        // A focused push button answers Enter itself; elsewhere the default button does.
        return form->focus == kControlCancel ? kFormCancel : kFormStart;
    case kLauncherKeyEscape: return kFormCancel;
    }
    return kFormStaysOpen;
}

LauncherFormOutcome ClickLauncherControl(LauncherForm* form, int32_t id)
{
    if (!FindLauncherControl(id)) return kFormStaysOpen;
    form->focus = id;
    return ActOnControl(form, id);
}

bool LauncherControlChecked(const LauncherForm& form, int32_t id)
{
    if (id == kControlFullScreen) return form.choices.fullScreen != 0;
    if (id == kControlLoop) return form.choices.loop != 0;
    const int32_t index = RadioIndex(id);
    return index >= 0 && form.choices.priority == index;
}
