// Test helpers that drive the program's real windows under Wine: message boxes
// are caught and answered, modal dialogs are scripted from inside their own
// modal loop, and the message loop is pumped until a condition holds.
#ifndef DORVA_TEST_HARNESS_H
#define DORVA_TEST_HARNESS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace Harness {

// A message box as the program asked for it and as it appeared.
struct Box {
    std::string text;        // as passed to MessageBoxA
    std::string caption;     // as passed (empty for none)
    UINT flags = 0;          // as passed
    bool hadOwner = false;
    UINT beepBefore = ~0u;   // the MessageBeep made right before it, ~0u for none
    std::string shownCaption;  // read from the real box window
    std::string shownText;     // read from the real box's text control
    int answer = 0;          // what the harness answered
    bool timedExitArmed = false;  // a timed exit was armed when the box was asked for
};

// Catch the boxes and dialogs of this thread from now on.
void Install();
void Uninstall();

// Answers for the next message boxes, in order. A box without an answer
// fails the test and is dismissed, so a test never hangs on it.
void AnswerBoxes(std::initializer_list<int> answers);
// Answers every box that has no queued answer with what `chooser` returns,
// instead of failing the test; nullptr switches that off.
using BoxChooser = std::function<int(const Box& box)>;
void AnswerOtherBoxes(BoxChooser chooser);
const std::vector<Box>& Boxes();
int BoxesOpen();  // message boxes shown and not yet ended
void ClearBoxes();
// The program's error box: `text` with the warning icon, topmost, no caption
// and no owner, after the warning beep (or `beep`).
void ExpectErrorBox(const Box& box, const std::string& text, UINT beep = 0x30);
int PendingBoxAnswers();

// The MessageBeep calls made, in order.
const std::vector<UINT>& Beeps();

// A script for the next modal dialog (not message box) that opens; it runs
// inside that dialog's modal loop once the dialog is visible. Scripts are
// used in order; a dialog without a script fails the test and is closed.
using DialogScript = std::function<void(HWND dialog)>;
void OnNextDialog(DialogScript script);
int PendingDialogScripts();
void ForgetDialogScripts();  // the scripts no dialog took
// Forgets the scripts of dialogs that were allowed to open but did not.
void DropDialogScripts();

// Pumps messages until `done` is true or `timeoutMs` passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Pumps messages for `ms` milliseconds.
void PumpFor(DWORD ms);

// Control helpers for scripts.
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const char* text);
void Click(HWND dialog, int id);   // BM_CLICK, runs the command at once
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

// Counts the program's thread timers without a window from now on, by
// replacing the test executable's SetTimer and KillTimer; false when they
// cannot be replaced. LiveThreadTimers: made and not yet killed since then.
bool CountThreadTimers();
int LiveThreadTimers();

// Replaces the function that the test executable imports as dll!name with
// `replacement`; returns the original, or nullptr when it is not imported.
void* PatchImport(const char* dll, const char* name, void* replacement);

// Whether this process may write the machine's part of the registry: always
// under Wine, on Windows only when run as administrator. A test that writes
// the machine's key starts with
//     if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
// so that without the right it reports skipped, never failed.
bool MayWriteMachineKey();
constexpr char NeedsAdministrator[] = "writes HKEY_LOCAL_MACHINE: run as administrator to run it";

// Test processes of one prefix that share something machine-wide (the
// registry, the desktop, the hotkeys) take turns: held from construction to
// destruction, so a fixture member spans SetUp to TearDown.
class SharedLock {
public:
    explicit SharedLock(const char* name);
    ~SharedLock();
    SharedLock(const SharedLock&) = delete;
    SharedLock& operator=(const SharedLock&) = delete;

private:
    HANDLE mutex_;
};

}  // namespace Harness

// Base fixture: a fresh ProgramState with the start-up defaults, a fresh
// recorder, the harness installed; checks that every expected box and
// dialog was seen.
class DorvaTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The hidden main window, menus and accelerators as start-up makes them.
    void CreateMainWindowAndMenus();
};

#endif
