// The About box: what it draws, the fonts and bitmaps it makes and frees,
// the hand cursor over its links, and where a click on a link goes.
#include "dialogs/about.h"
#include "state/program_state.h"
#include "support/harness.h"

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Calls the About box makes, seen through the test program's imports.
struct Seen {
    std::vector<HGDIOBJ> fonts;
    std::vector<HGDIOBJ> bitmaps;
    struct Launch {
        HWND owner;
        std::string verb, file;
        bool noParameters, noDirectory;
        int show;
    };
    std::vector<Launch> launches;
};
Seen Calls;

using CreateFontFn = HFONT(WINAPI*)(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                    DWORD, LPCSTR);
using LoadBitmapFn = HBITMAP(WINAPI*)(HINSTANCE, LPCSTR);
CreateFontFn RealCreateFont = nullptr;
LoadBitmapFn RealLoadBitmap = nullptr;

HFONT WINAPI CountingCreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                DWORD underline, DWORD strikeOut, DWORD charSet, DWORD precision, DWORD clip,
                                DWORD quality, DWORD pitch, LPCSTR face)
{
    HFONT font = RealCreateFont(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                charSet, precision, clip, quality, pitch, face);
    Calls.fonts.push_back(font);
    return font;
}

HBITMAP WINAPI CountingLoadBitmap(HINSTANCE instance, LPCSTR name)
{
    HBITMAP bitmap = RealLoadBitmap(instance, name);
    Calls.bitmaps.push_back(bitmap);
    return bitmap;
}

// No mail program or browser is started: the call is only recorded.
HINSTANCE WINAPI RecordingShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                       INT show)
{
    Calls.launches.push_back({owner, verb ? verb : "(null)", file ? file : "(null)", parameters == nullptr,
                              directory == nullptr, show});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

class AboutTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CreateMainWindowAndMenus();
        Calls = Seen();
        if (!RealCreateFont) {
            RealCreateFont = reinterpret_cast<CreateFontFn>(
                Harness::PatchImport("gdi32.dll", "CreateFontA", reinterpret_cast<void*>(CountingCreateFont)));
            RealLoadBitmap = reinterpret_cast<LoadBitmapFn>(
                Harness::PatchImport("user32.dll", "LoadBitmapA", reinterpret_cast<void*>(CountingLoadBitmap)));
            Harness::PatchImport("shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(RecordingShellExecute));
        }
        ASSERT_NE(RealCreateFont, nullptr);
        ASSERT_NE(RealLoadBitmap, nullptr);
    }

    static void RunDialog()
    {
        DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(IDD_ABOUT), State.MainWindow, AboutDialogProc, 0);
    }

    // The rectangle of a control in the dialog's client coordinates.
    static RECT ItemRect(HWND dialog, int id)
    {
        RECT rect = {};
        GetWindowRect(GetDlgItem(dialog, id), &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    static int CountColour(HWND dialog, const RECT& rect, COLORREF colour)
    {
        HDC dc = GetDC(dialog);
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                if (GetPixel(dc, x, y) == colour) ++count;
            }
        }
        ReleaseDC(dialog, dc);
        return count;
    }

    static void Repaint(HWND dialog)
    {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Harness::PumpFor(50);
    }

    static POINT ScreenCentre(HWND dialog, int id)
    {
        RECT rect = {};
        GetWindowRect(GetDlgItem(dialog, id), &rect);
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
};

constexpr COLORREF Grey = RGB(194, 194, 194);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);

TEST_F(AboutTest, TextsAreDrawnInTheirColours)
{
    struct Case {
        int id;
        bool link;
    };
    const Case cases[] = {{IDC_AB_VERSION, false}, {IDC_AB_MAKER, false}, {IDC_AB_NOTICE, false},
                          {IDC_AB_EMAILLABEL, false}, {IDC_AB_WEBLABEL, false}, {IDC_AB_EMAIL, true},
                          {IDC_AB_WEB, true}};
    Harness::OnNextDialog([&](HWND dialog) {
        EXPECT_EQ(State.AboutDialog, dialog);
        char caption[32] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "About");
        Repaint(dialog);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "static " << c.id);
            const RECT rect = ItemRect(dialog, c.id);
            EXPECT_GT(CountColour(dialog, rect, c.link ? Blue : Black), 10) << "no text drawn";
            EXPECT_EQ(CountColour(dialog, rect, c.link ? Black : Blue), 0) << "text in the wrong colour";
            EXPECT_GT(CountColour(dialog, rect, Grey), 10) << "no text background";
            EXPECT_EQ(Harness::ItemText(dialog, c.id), "") << "the texts are drawn, not stored";
        }
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
}

// Each text, in the font its static draws with, fits the static: nothing of
// a line or an address is cut off at the right.
TEST_F(AboutTest, EveryTextFitsItsStatic)
{
    const struct {
        int id;
        const char* text;
    } texts[] = {{IDC_AB_VERSION, "Dorva NT version 2.6.0.0"},
                 {IDC_AB_MAKER, "Tarnwick Software"},
                 {IDC_AB_NOTICE, "Freeware. No warranty of any kind."},
                 {IDC_AB_EMAILLABEL, "E-mail:"},
                 {IDC_AB_WEBLABEL, "Website:"},
                 {IDC_AB_EMAIL, "support@tarnwick.example"},
                 {IDC_AB_WEB, "https://tarnwick.example"}};
    Harness::OnNextDialog([&](HWND dialog) {
        HDC dc = GetDC(dialog);
        for (const auto& t : texts) {
            HWND control = GetDlgItem(dialog, t.id);
            HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
            SIZE extent = {};
            GetTextExtentPoint32A(dc, t.text, static_cast<int>(std::strlen(t.text)), &extent);
            SelectObject(dc, previous);
            RECT client = {};
            GetClientRect(control, &client);
            EXPECT_LE(extent.cx, client.right) << "\"" << t.text << "\" does not fit static " << t.id;
        }
        ReleaseDC(dialog, dc);
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
}

TEST_F(AboutTest, LogoIsDrawnAtItsSizeAt12By8)
{
    Harness::OnNextDialog([](HWND dialog) {
        Repaint(dialog);
        HBITMAP logo = LoadBitmapA(State.Instance, "TARN");
        ASSERT_NE(logo, nullptr);
        BITMAP size = {};
        GetObjectA(logo, sizeof size, &size);
        EXPECT_EQ(size.bmWidth, 80);
        EXPECT_EQ(size.bmHeight, 140);
        HDC screen = GetDC(dialog);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ previous = SelectObject(memory, logo);
        int compared = 0, differing = 0;
        for (int y = 0; y < size.bmHeight; y += 7) {
            for (int x = 0; x < size.bmWidth; x += 5) {
                ++compared;
                if (GetPixel(screen, 12 + x, 8 + y) != GetPixel(memory, x, y)) ++differing;
            }
        }
        SelectObject(memory, previous);
        DeleteDC(memory);
        ReleaseDC(dialog, screen);
        DeleteObject(logo);
        EXPECT_EQ(differing, 0) << "of " << compared << " pixels compared";
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
}

// One link font and one logo for each About box, whatever the number of
// paints, and both gone when it closes.
TEST_F(AboutTest, FontAndLogoAreMadeOncePerDialogAndFreedOnClose)
{
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(testing::Message() << "opening " << opening);
        HFONT linkFont = nullptr;
        Harness::OnNextDialog([&](HWND dialog) {
            for (int paint = 0; paint < 3; ++paint) Repaint(dialog);
            linkFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_AB_EMAIL, WM_GETFONT, 0, 0));
            EXPECT_EQ(linkFont, reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_AB_WEB, WM_GETFONT, 0, 0)));
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        });
        RunDialog();
        ASSERT_EQ(Calls.fonts.size(), static_cast<size_t>(opening));
        ASSERT_EQ(Calls.bitmaps.size(), static_cast<size_t>(opening));
        EXPECT_EQ(linkFont, Calls.fonts.back());
        EXPECT_EQ(GetObjectType(Calls.fonts.back()), 0u) << "the link font was not freed";
        EXPECT_EQ(GetObjectType(Calls.bitmaps.back()), 0u) << "the logo was not freed";
    }
}

TEST_F(AboutTest, LinkFontIsUnderlinedMsSansSerifOf8Pixels)
{
    Harness::OnNextDialog([](HWND dialog) {
        HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_AB_WEB, WM_GETFONT, 0, 0));
        LOGFONTA description = {};
        ASSERT_EQ(GetObjectA(font, sizeof description, &description), static_cast<int>(sizeof description));
        EXPECT_EQ(description.lfHeight, 8);
        EXPECT_EQ(description.lfWidth, 0);
        EXPECT_EQ(description.lfWeight, 400);
        EXPECT_EQ(description.lfItalic, 0);
        EXPECT_EQ(description.lfUnderline, 1);
        EXPECT_EQ(description.lfStrikeOut, 0);
        EXPECT_EQ(description.lfCharSet, 0);
        EXPECT_EQ(description.lfPitchAndFamily, 34);
        EXPECT_STREQ(description.lfFaceName, "MS Sans Serif");
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
}

TEST_F(AboutTest, HandCursorOnlyOverTheLinks)
{
    HCURSOR hand = LoadCursorA(State.Instance, MAKEINTRESOURCEA(IDC_LINKHAND));
    ASSERT_NE(hand, nullptr);
    HWND otherStatic = CreateWindowA("STATIC", "plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const ULONG_PTR classCursor = GetClassLongPtrA(otherStatic, GCLP_HCURSOR);
    Harness::OnNextDialog([&](HWND dialog) {
        struct Case {
            int id;
            bool hand;
        };
        for (const Case& c : {Case{IDC_AB_EMAIL, true}, Case{IDC_AB_WEB, true}, Case{IDC_AB_VERSION, false},
                              Case{IDC_AB_EMAILLABEL, false}, Case{IDOK, false}}) {
            SCOPED_TRACE(testing::Message() << "control " << c.id);
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            HWND control = GetDlgItem(dialog, c.id);
            SendMessageA(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            EXPECT_EQ(GetCursor() == hand, c.hand);
        }
        // The mouse itself over a link, then over plain text.
        const POINT link = ScreenCentre(dialog, IDC_AB_WEB);
        SetCursorPos(link.x, link.y);
        EXPECT_TRUE(Harness::PumpUntil([&] { return GetCursor() == hand; }, 2000)) << "no hand over the link";
        const POINT text = ScreenCentre(dialog, IDC_AB_MAKER);
        SetCursorPos(text.x, text.y);
        EXPECT_TRUE(Harness::PumpUntil([&] { return GetCursor() != hand; }, 2000)) << "hand over plain text";
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_EQ(GetClassLongPtrA(otherStatic, GCLP_HCURSOR), classCursor) << "the static class cursor was changed";
    EXPECT_NE(GetClassLongPtrA(otherStatic, GCLP_HCURSOR), reinterpret_cast<ULONG_PTR>(hand));
    DestroyWindow(otherStatic);
}

TEST_F(AboutTest, ClickingALinkOpensItAndPlainTextDoesNothing)
{
    Harness::OnNextDialog([](HWND dialog) {
        for (int id : {IDC_AB_VERSION, IDC_AB_MAKER, IDC_AB_NOTICE, IDC_AB_EMAILLABEL, IDC_AB_WEBLABEL}) {
            SendDlgItemMessageA(dialog, id, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendDlgItemMessageA(dialog, id, WM_LBUTTONUP, 0, 0);
        }
        EXPECT_TRUE(Calls.launches.empty()) << "plain text opened " << Calls.launches[0].file;
        SendDlgItemMessageA(dialog, IDC_AB_EMAIL, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendDlgItemMessageA(dialog, IDC_AB_EMAIL, WM_LBUTTONUP, 0, 0);
        // A real click, through the mouse, on the web address.
        const POINT web = ScreenCentre(dialog, IDC_AB_WEB);
        SetCursorPos(web.x, web.y);
        Harness::PumpFor(50);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        Harness::PumpUntil([] { return Calls.launches.size() >= 2; }, 2000);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "a link click closed the box";
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    ASSERT_EQ(Calls.launches.size(), 2u);
    const char* expected[] = {"mailto:support@tarnwick.example", "https://tarnwick.example"};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(testing::Message() << "launch " << i);
        const Seen::Launch& launch = Calls.launches[i];
        EXPECT_EQ(launch.file, expected[i]);
        EXPECT_EQ(launch.owner, State.MainWindow);
        EXPECT_EQ(launch.verb, "open");
        EXPECT_TRUE(launch.noParameters);
        EXPECT_TRUE(launch.noDirectory);
        EXPECT_EQ(launch.show, SW_SHOWNORMAL);
    }
}

TEST_F(AboutTest, OkCloseBoxAndEscapeCloseTheBox)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(testing::Message() << "way " << way);
        bool closed = false;
        Harness::OnNextDialog([&](HWND dialog) {
            if (way == 0) Harness::Click(dialog, IDOK);
            if (way == 1) SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            if (way == 2) SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            closed = !IsWindowVisible(dialog);
        });
        RunDialog();
        EXPECT_TRUE(closed);
    }
}

}  // namespace
