// The two popup menus of the tray icon, set from the settings before each
// display, and the one dispatcher of every command that reaches MainWindow.
#include "app/menus.h"

#include "dialogs/about.h"
#include "dialogs/hotkey.h"
#include "dialogs/run_before_exit_dialog.h"
#include "dialogs/shortcut.h"
#include "exit/perform_exit.h"
#include "presence/block_reason.h"
#include "presence/single_dialog.h"
#include "presence/tray_icon.h"
#include "settings/registry_dialog.h"
#include "state/program_state.h"
#include "timer/scheduler.h"
#include "timer/timed_exit_dialog.h"


namespace {
// The exit types' codes are the command ids of their menu items.
static_assert(IDM_SHUTDOWN == ExitTypeShutdown && IDM_REBOOT == ExitTypeReboot && IDM_LOGOFF == ExitTypeLogoff &&
                  IDM_SCREENSAVER == ExitTypeScreensaver && IDM_POWEROFF == ExitTypePowerOff &&
                  IDM_RESTARTSHELL == ExitTypeRestartShell && IDM_SLEEP == ExitTypeSleep &&
                  IDM_HIBERNATE == ExitTypeHibernate && IDM_LOCK == ExitTypeLock,
              "menu ids and exit-type codes agree");
static_assert(IDM_SINGLECLICK >= 100, "no other command shares an exit type's code");

// Positions of the full menu that the updates cover: the exit types and
// what follows them (a separator, "&Options", a separator, "To&ggles", a
// separator, "Registr&y Settings..." and "&About..."), all but
// "E&xit Program", which stays usable while a timed exit runs.
constexpr UINT FullMenuAfterExitTypes = 7;
constexpr size_t MenuLabelSize = 32;
static_assert(MenuLabelSize > sizeof ExitTypeInfo::tip, "a label is its tip and one '&'");

constexpr char NotForcedWords[] = " cannot be forced";
constexpr char HideIconQuestion[] = "Are you sure you want to hide the tray icon ?";
constexpr char HideIconCaption[] = "Confirm";
constexpr UINT HideIconFlags = MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL;  // 0x1024

// The toggles of the "To&ggles" submenu and the flags they show and flip.
struct Toggle {
    UINT command;
    int ProgramState::*flag;
};
constexpr Toggle Toggles[] = {
    {IDM_SINGLECLICK, &ProgramState::ClickFlag},
    {IDM_FORCE, &ProgramState::ForceFlag},
    {IDM_EJECT, &ProgramState::EjectFlag},
    {IDM_BLOCK, &ProgramState::BlockFlag},
    {IDM_CONFIRM, &ProgramState::ConfirmFlag},
};

// Enables and unchecks the first `count` positions, checks the exit type,
// grays the exit types that this system lacks and, while a timed exit is
// armed or the exit waits for a program, grays them all.
void ResetMenuPositions(HMENU menu, UINT count)
{
    for (UINT position = 0; position < count; ++position) {
        EnableMenuItem(menu, position, MF_BYPOSITION | MF_ENABLED);
        CheckMenuItem(menu, position, MF_BYPOSITION | MF_UNCHECKED);
    }
    // A stored number that is no exit type checks nothing (it would
    // otherwise check whatever command carries that number).
    if (FindExitType(State.ExitType)) {
        CheckMenuItem(menu, static_cast<UINT>(State.ExitType), MF_BYCOMMAND | MF_CHECKED);
    }
    for (const ExitTypeInfo& type : ExitTypes) {
        if (!ExitTypeAvailable(type)) EnableMenuItem(menu, static_cast<UINT>(type.code), MF_BYCOMMAND | MF_GRAYED);
    }
}

void GrayWhileTimerRuns(HMENU menu, UINT count)
{
    if (!State.TimerRunning && !State.WaitingForProgram) return;
    for (UINT position = 0; position < count; ++position) {
        EnableMenuItem(menu, position, MF_BYPOSITION | MF_GRAYED);
    }
}

void Flip(int& flag) { flag = flag == 0 ? 1 : 0; }

// The tray menu stays live behind a modal dialog: picking an open dialog
// again brings it to the front rather than stacking a second copy.
void RunDialog(int templateId, DLGPROC procedure, HWND& openDialog)
{
    RunDialogOnce(templateId, State.MainWindow, procedure, openDialog);
}

void OpenAboutBox() { RunDialog(IDD_ABOUT, AboutDialogProc, State.AboutDialog); }
void OpenHotkeyDialog() { RunDialog(IDD_HOTKEY, HotkeyDialogProc, State.HotkeyDialog); }
void OpenTimedExitDialog() { RunDialog(IDD_TIMEDEXIT, TimedExitProc, State.TimedExitDialog); }
void OpenRunBeforeExitDialog() { RunDialog(IDD_RUNBEFOREEXIT, RunBeforeExitDialogProc, State.RunBeforeExitDialog); }
void OpenShortcutDialog() { RunDialog(IDD_SHORTCUT, ShortcutDialogProc, State.ShortcutDialog); }
void OpenRegistryDialog() { RunDialog(IDD_REGISTRY, RegistryDialogProc, State.RegistryDialog); }

// An exit type that cannot be forced turns Force Exit off, with a box.
void RefuseForce(const ExitTypeInfo* type)
{
    if (!State.ForceFlag || !HasTrait(type, NeverForced)) return;
    ExitTypeBox(*type, NotForcedWords);
    State.ForceFlag = 0;
}

// The re-selection that a cancel posts may find a timed exit armed again (a
// second start replaced it): the hourglass stays, its tip naming the type.
void OnSelectExitType(const ExitTypeInfo& type)
{
    State.ExitType = type.code;
    if (State.TimerRunning) {
        ShowTimedExitIcon();
    } else {
        ShowExitTypeIcon(false);
    }
    RefuseForce(&type);
}

void OnForceExit()
{
    Flip(State.ForceFlag);
    RefuseForce(FindExitType(State.ExitType));
}

// One question at a time: the menu stays live behind the box.
void OnHideTrayIcon()
{
    if (State.HideIconAsking) return;
    State.HideIconAsking = 1;
    const int answer = MessageBoxA(nullptr, HideIconQuestion, HideIconCaption, HideIconFlags);
    State.HideIconAsking = 0;
    if (answer != IDYES) return;
    // The program runs on: a plain second start brings the icon back.
    DeleteTrayIcon(State.MainWindow);
}

void OnExitProgram() { PostMessageA(State.MainWindow, WM_CLOSE, 0, 0); }

void RunCommand(UINT command)
{
    switch (command) {
    case IDM_SINGLECLICK: Flip(State.ClickFlag); break;
    case IDM_ABOUT: OpenAboutBox(); break;
    case IDM_EXITPROGRAM: OnExitProgram(); break;
    case IDM_FORCE: OnForceExit(); break;
    case IDM_EJECT: Flip(State.EjectFlag); break;
    case IDM_HOTKEY: OpenHotkeyDialog(); break;
    case IDM_TIMEDEXIT: OpenTimedExitDialog(); break;
    case IDM_RUNBEFOREEXIT: OpenRunBeforeExitDialog(); break;
    case IDM_BLOCK:
        Flip(State.BlockFlag);
        UpdateBlockReason();
        break;
    case IDM_SHORTCUT: OpenShortcutDialog(); break;
    case IDM_CONFIRM: Flip(State.ConfirmFlag); break;
    case IDM_HIDEICON: OnHideTrayIcon(); break;
    case IDM_REGISTRY: OpenRegistryDialog(); break;
    case IDM_POSTPONE: PostponeTimedExit(PostponeMinutesSetting()); break;
    default:
        if (const ExitTypeInfo* type = FindExitType(static_cast<int>(command))) OnSelectExitType(*type);
        break;
    }
}

}  // namespace

void InsertExitTypeItems(HMENU menu)
{
    UINT position = 0;
    for (const ExitTypeInfo& type : ExitTypes) {
        if (type.traits & StartsGroup) InsertMenuA(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        char label[MenuLabelSize];
        MakeMenuLabel(type, label, sizeof label);
        InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(type.code), label);
    }
}

void UpdateFullMenu()
{
    ResetMenuPositions(State.FullMenu, ExitTypeMenuPositions + FullMenuAfterExitTypes);
    for (const Toggle& toggle : Toggles) {
        UINT mark = State.*toggle.flag ? MF_CHECKED : MF_UNCHECKED;
        CheckMenuItem(State.FullMenu, toggle.command, MF_BYCOMMAND | mark);
    }
    GrayWhileTimerRuns(State.FullMenu, ExitTypeMenuPositions + FullMenuAfterExitTypes);
}

void UpdateShortMenu()
{
    ResetMenuPositions(State.ShortMenu, ExitTypeMenuPositions);
    GrayWhileTimerRuns(State.ShortMenu, ExitTypeMenuPositions);
}

void DispatchCommand(WPARAM command)
{
    // A pick from the short menu performs the exit it selected, once. The
    // mark is taken now, so that a command dispatched inside a box or dialog
    // that this command opens does not perform it a second time.
    const bool pickToExit = State.PickToExit != 0;
    State.PickToExit = 0;

    // Menu picks and the posted re-selection of the exit type carry the bare
    // id. Keys typed to the hidden main window or the countdown window come
    // through the accelerator table with a notification in the upper half:
    // nobody sees where they go, so they change nothing and perform nothing.
    if ((command >> 16) == 0) RunCommand(static_cast<UINT>(command));
    if (pickToExit) PerformExit();
}
