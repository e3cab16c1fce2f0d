// Long runs that must leave nothing behind: a timed exit armed and cancelled
// a thousand times, and every dialog opened and closed a hundred times, with
// no growth in live timers, windows or the GDI objects the program makes.
// Wine's GetGuiResources reports nothing, so the program's own calls are
// counted instead, by replacing the test executable's imports.
#include "app/menus.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "timer/scheduler.h"

#include <cstring>

namespace {

// Fonts, bitmaps and DCs made and not yet deleted.
int LiveGdiObjects = 0;

using CreateFontFn = HFONT(WINAPI*)(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                    DWORD, DWORD, LPCSTR);
using CreateFontIndirectFn = HFONT(WINAPI*)(const LOGFONTA*);
using LoadBitmapFn = HBITMAP(WINAPI*)(HINSTANCE, LPCSTR);
using LoadImageFn = HANDLE(WINAPI*)(HINSTANCE, LPCSTR, UINT, int, int, UINT);
using CreateCompatibleDCFn = HDC(WINAPI*)(HDC);
using DeleteObjectFn = BOOL(WINAPI*)(HGDIOBJ);
using DeleteDCFn = BOOL(WINAPI*)(HDC);

CreateFontFn RealCreateFont;
CreateFontIndirectFn RealCreateFontIndirect;
LoadBitmapFn RealLoadBitmap;
LoadImageFn RealLoadImage;
CreateCompatibleDCFn RealCreateCompatibleDC;
DeleteObjectFn RealDeleteObject;
DeleteDCFn RealDeleteDC;

HFONT WINAPI CountCreateFont(int h, int w, int e, int o, int wt, DWORD i, DWORD u, DWORD s, DWORD c,
                             DWORD op, DWORD cp, DWORD q, DWORD pf, LPCSTR face)
{
    HFONT font = RealCreateFont(h, w, e, o, wt, i, u, s, c, op, cp, q, pf, face);
    if (font) ++LiveGdiObjects;
    return font;
}
HFONT WINAPI CountCreateFontIndirect(const LOGFONTA* font)
{
    HFONT made = RealCreateFontIndirect(font);
    if (made) ++LiveGdiObjects;
    return made;
}
HBITMAP WINAPI CountLoadBitmap(HINSTANCE instance, LPCSTR name)
{
    HBITMAP bitmap = RealLoadBitmap(instance, name);
    if (bitmap) ++LiveGdiObjects;
    return bitmap;
}
HANDLE WINAPI CountLoadImage(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    HANDLE image = RealLoadImage(instance, name, type, cx, cy, flags);
    if (image && type == IMAGE_BITMAP) ++LiveGdiObjects;
    return image;
}
HDC WINAPI CountCreateCompatibleDC(HDC dc)
{
    HDC made = RealCreateCompatibleDC(dc);
    if (made) ++LiveGdiObjects;
    return made;
}
BOOL WINAPI CountDeleteObject(HGDIOBJ object)
{
    BOOL deleted = RealDeleteObject(object);
    if (deleted) --LiveGdiObjects;
    return deleted;
}
BOOL WINAPI CountDeleteDC(HDC dc)
{
    BOOL deleted = RealDeleteDC(dc);
    if (deleted) --LiveGdiObjects;
    return deleted;
}

template <typename Fn>
void Replace(const char* dll, const char* name, Fn replacement, Fn* original)
{
    void* found = Harness::PatchImport(dll, name, reinterpret_cast<void*>(replacement));
    // A function the program does not import needs no counting.
    *original = found ? reinterpret_cast<Fn>(found)
                      : reinterpret_cast<Fn>(GetProcAddress(GetModuleHandleA(dll), name));
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ThreadWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

class SoakTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        LiveGdiObjects = 0;
        ASSERT_TRUE(Harness::CountThreadTimers());
        Replace("gdi32.dll", "CreateFontA", CountCreateFont, &RealCreateFont);
        Replace("gdi32.dll", "CreateFontIndirectA", CountCreateFontIndirect, &RealCreateFontIndirect);
        Replace("user32.dll", "LoadBitmapA", CountLoadBitmap, &RealLoadBitmap);
        Replace("user32.dll", "LoadImageA", CountLoadImage, &RealLoadImage);
        Replace("gdi32.dll", "CreateCompatibleDC", CountCreateCompatibleDC, &RealCreateCompatibleDC);
        Replace("gdi32.dll", "DeleteObject", CountDeleteObject, &RealDeleteObject);
        Replace("gdi32.dll", "DeleteDC", CountDeleteDC, &RealDeleteDC);
        CreateMainWindowAndMenus();
        Harness::PumpFor(50);
    }
};

TEST_F(SoakTest, ArmingAndCancellingAThousandTimesLeavesNoTimerOrWindow)
{
    const int windowsBefore = ThreadWindows();
    for (int i = 0; i < 1000; ++i) {
        State.TimerFlag = 1;
        State.TimeoutSeconds = 30;
        // Every tenth time the countdown opens too (a warning as long as the timeout).
        State.WarnFlag = i % 10 == 0;
        State.WarnSeconds = 30;
        StartTimedExit();
        ASSERT_NE(State.TimerRunning, 0u) << "run " << i;
        if (State.WarnFlag) {
            ASSERT_TRUE(Harness::PumpUntil([] { return State.CountdownWindow && IsWindow(State.CountdownWindow); },
                                           2000)) << "run " << i;
            EXPECT_EQ(Harness::LiveThreadTimers(), 2) << "exit and countdown timers, run " << i;
        } else {
            EXPECT_EQ(Harness::LiveThreadTimers(), 1) << "the exit timer alone, run " << i;
        }
        CancelTimedExit();
        ASSERT_EQ(Harness::LiveThreadTimers(), 0) << "run " << i;
        Harness::PumpFor(0);
    }
    Harness::PumpFor(50);
    EXPECT_EQ(Harness::LiveThreadTimers(), 0);
    EXPECT_EQ(ThreadWindows(), windowsBefore);
    EXPECT_EQ(LiveGdiObjects, 0);
}

struct DialogRun {
    int command;
    const char* caption;
    int closeWith;  // the button that closes it, or 0 for the close box
};

TEST_F(SoakTest, EveryDialogOpenedAndClosedAHundredTimesLeavesNothingBehind)
{
    const DialogRun dialogs[] = {
        {IDM_ABOUT, "About", IDOK},
        {IDM_HOTKEY, "Set Hotkey", IDCANCEL},
        {IDM_TIMEDEXIT, "Timed Exit Options", IDCANCEL},
        {IDM_RUNBEFOREEXIT, "Program(s) to run", IDCANCEL},
        {IDM_SHORTCUT, "Shortcut", 0},
        {IDM_REGISTRY, "Registry", IDCANCEL},
    };
    const int windowsBefore = ThreadWindows();
    for (const DialogRun& run : dialogs) {
        for (int i = 0; i < 100; ++i) {
            bool seen = false;
            Harness::OnNextDialog([&](HWND dialog) {
                char caption[64] = "";
                GetWindowTextA(dialog, caption, sizeof caption);
                EXPECT_STREQ(caption, run.caption);
                seen = true;
                // The counting sees the About box's font and bitmap while it is open.
                if (run.command == IDM_ABOUT) EXPECT_GT(LiveGdiObjects, 0);
                if (run.closeWith) {
                    Harness::Click(dialog, run.closeWith);
                } else {
                    PostMessageA(dialog, WM_CLOSE, 0, 0);
                }
            });
            DispatchCommand(static_cast<WPARAM>(run.command));
            ASSERT_TRUE(seen) << run.caption << " did not open, round " << i;
        }
        Harness::PumpFor(20);
        EXPECT_EQ(ThreadWindows(), windowsBefore) << "after " << run.caption;
        EXPECT_EQ(LiveGdiObjects, 0) << "after " << run.caption;
        EXPECT_EQ(Harness::LiveThreadTimers(), 0) << "after " << run.caption;
    }
}

TEST_F(SoakTest, TheWarningTextDialogInsideTimedExitOptionsAHundredTimes)
{
    State.TimerFlag = 1;
    State.WarnFlag = 1;
    const int windowsBefore = ThreadWindows();
    for (int i = 0; i < 100; ++i) {
        Harness::OnNextDialog([](HWND dialog) {
            Harness::OnNextDialog([](HWND inner) { Harness::Click(inner, IDCANCEL); });
            Harness::Click(dialog, IDC_TE_TEXT);
            Harness::Click(dialog, IDCANCEL);
        });
        DispatchCommand(IDM_TIMEDEXIT);
        ASSERT_EQ(Harness::PendingDialogScripts(), 0) << "round " << i;
    }
    Harness::PumpFor(20);
    EXPECT_EQ(ThreadWindows(), windowsBefore);
    EXPECT_EQ(LiveGdiObjects, 0);
}

}  // namespace
