// One program in the tray for each user, and the channel through which a
// second start reaches it: one window message to the tray copy's hidden
// window, so that only programs of the same session and desktop can talk.
#ifndef DORVA_SINGLE_INSTANCE_H
#define DORVA_SINGLE_INSTANCE_H

#include <windows.h>

#include "core/hand_over.h"

// Claims the tray for this process; false when another program of this
// user's session already holds it. A thread that claimed it may claim it again.
bool ClaimTray();
// Whether a program holds the tray (it may still be starting).
bool TrayTaken();

// The second start's side: hands `text` to the copy in the tray and returns
// its answer. A copy that does not answer within 5 s counts as not running;
// while `trayTaken`, a copy still starting is waited for as long.
// `replyTo` is the window that takes the tip sent back for "/q".
HandOverAnswer AskRunningCopy(const char* text, bool trayTaken, HWND replyTo = nullptr);
// "/q": asks as above, with a window for the tip, and writes what to tell
// the user into `tip`.
HandOverAnswer AskRunningCopyForTip(const char* text, char* tip, size_t tipSize);

// The running copy's side. Lets the hand-over message through to `window`
// from programs of a lower integrity level (an elevated tray copy, a second
// start that is not).
void AcceptHandOvers(HWND window);
// WM_COPYDATA from `from`: answers a hand-over at once; the boxes it raises
// come up after the answer has gone. 0 for any other copy-data message.
LRESULT OnHandOverMessage(HWND from, const COPYDATASTRUCT* data);

#endif
