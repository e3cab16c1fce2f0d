// The About box: the logo, the version and maker lines, a notice, and two
// links that open the user's mail program and web browser.
#include "dialogs/about.h"

#include "core/text.h"
#include "state/program_state.h"
#include "system/on_demand.h"

#include <shellapi.h>

namespace {
constexpr char VersionText[] = "Dorva NT version 2.6.0.0";
constexpr char MakerText[] = "Tarnwick Software";
constexpr char NoticeText[] = "Freeware. No warranty of any kind.";
constexpr char EmailLabelText[] = "E-mail:";
constexpr char WebLabelText[] = "Website:";
constexpr char EmailAddress[] = "support@tarnwick.example";
constexpr char WebAddress[] = "https://tarnwick.example";
constexpr char MailtoScheme[] = "mailto:";
constexpr char OpenVerb[] = "open";

constexpr COLORREF TextBackground = RGB(194, 194, 194);
constexpr COLORREF TextColour = RGB(0, 0, 0);
constexpr COLORREF LinkColour = RGB(0, 0, 255);

constexpr char LogoName[] = "TARN";
constexpr int LogoX = 12;
constexpr int LogoY = 8;

// The link font: 8 pixels high at 96 DPI, underlined, variable-pitch Swiss.
constexpr int LinkFontHeight = 8;
constexpr int BaseDpi = 96;
constexpr BYTE LinkFontPitchAndFamily = VARIABLE_PITCH | FF_SWISS;  // 34
constexpr char LinkFontFace[] = "MS Sans Serif";

// The font and the logo belong to one open About box: made when it opens,
// kept as properties of its window, freed when it closes.
constexpr char LinkFontProperty[] = "DorvaLinkFont";
constexpr char LogoProperty[] = "DorvaLogo";

// The statics are empty in the template: the box draws their texts itself.
struct AboutText {
    int id;
    const char* text;
    bool link;
};
constexpr AboutText Texts[] = {
    {IDC_AB_VERSION, VersionText, false},  {IDC_AB_MAKER, MakerText, false},
    {IDC_AB_NOTICE, NoticeText, false},    {IDC_AB_EMAILLABEL, EmailLabelText, false},
    {IDC_AB_WEBLABEL, WebLabelText, false}, {IDC_AB_EMAIL, EmailAddress, true},
    {IDC_AB_WEB, WebAddress, true},
};

const AboutText* FindText(int id)
{
    for (const AboutText& text : Texts) {
        if (text.id == id) return &text;
    }
    return nullptr;
}

bool IsLink(HWND dialog, HWND control)
{
    return control && (control == GetDlgItem(dialog, IDC_AB_EMAIL) || control == GetDlgItem(dialog, IDC_AB_WEB));
}

// The dialog's DPI: its monitor's on Windows 10 and later, else the
// system's.
int DialogDpi(HWND dialog)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    auto forWindow = reinterpret_cast<GetDpiForWindowFn>(SystemFunction("user32.dll", "GetDpiForWindow"));
    if (forWindow) {
        if (const UINT dpi = forWindow(dialog)) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(dialog);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(dialog, screen);
    return dpi > 0 ? dpi : BaseDpi;
}

// The link font grows with the dialog: 8 pixels high at 96 DPI.
HFONT CreateLinkFont(HWND dialog)
{
    return CreateFontA(MulDiv(LinkFontHeight, DialogDpi(dialog), BaseDpi), 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, LinkFontPitchAndFamily, LinkFontFace);
}

void OnInitDialog(HWND dialog)
{
    State.AboutDialog = dialog;
    HFONT linkFont = CreateLinkFont(dialog);
    SetPropA(dialog, LinkFontProperty, linkFont);
    SetPropA(dialog, LogoProperty, LoadBitmapA(State.Instance, LogoName));
    SendDlgItemMessageA(dialog, IDC_AB_EMAIL, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), FALSE);
    SendDlgItemMessageA(dialog, IDC_AB_WEB, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), FALSE);
}

void OnDestroy(HWND dialog)
{
    // The link statics go with the dialog; nothing draws with the font again.
    if (HANDLE font = RemovePropA(dialog, LinkFontProperty)) DeleteObject(font);
    if (HANDLE logo = RemovePropA(dialog, LogoProperty)) DeleteObject(logo);
}

void DrawLogo(HDC target, HBITMAP logo)
{
    BITMAP size = {};
    if (!logo || !GetObjectA(logo, sizeof size, &size)) return;
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(memory, logo);
    BitBlt(target, LogoX, LogoY, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

void OnPaint(HWND dialog)
{
    PAINTSTRUCT paint = {};
    HDC target = BeginPaint(dialog, &paint);
    DrawLogo(target, static_cast<HBITMAP>(GetPropA(dialog, LogoProperty)));
    EndPaint(dialog, &paint);
}

// A static asks for its colours just before it paints (with nothing, as its
// text is empty): its text is drawn here, in the static's own font, at its
// top-left corner.
void OnColourStatic(HDC target, HWND control)
{
    SetBkColor(target, TextBackground);
    const AboutText* text = FindText(GetDlgCtrlID(control));
    if (!text) return;
    SetTextColor(target, text->link ? LinkColour : TextColour);
    HGDIOBJ previous = SelectObject(target, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    TextOutA(target, 0, 0, text->text, static_cast<int>(TextLengthN(text->text, MAX_PATH)));
    SelectObject(target, previous);
}

// The pointing hand shows over the two links only; everywhere else the
// ordinary cursor handling goes on.
bool OnSetCursor(HWND dialog, HWND control, int hitTest)
{
    if (hitTest != HTCLIENT || !IsLink(dialog, control)) return false;
    SetCursor(LoadCursorA(State.Instance, MAKEINTRESOURCEA(IDC_LINKHAND)));
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return true;
}

void OpenLink(const char* target)
{
    ShellExecuteA(State.MainWindow, OpenVerb, target, nullptr, nullptr, SW_SHOWNORMAL);
}

void OnEmailClicked()
{
    char link[sizeof MailtoScheme + sizeof EmailAddress] = "";
    CopyText(link, sizeof link, MailtoScheme);
    AppendText(link, sizeof link, EmailAddress);
    OpenLink(link);
}

void OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_AB_EMAIL:
        if (code == STN_CLICKED) OnEmailClicked();
        break;
    case IDC_AB_WEB:
        if (code == STN_CLICKED) OpenLink(WebAddress);
        break;
    case IDOK:
    case IDCANCEL:  // the Esc key
        EndDialog(dialog, 0);
        break;
    default: break;
    }
}
}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); break;
    case WM_PAINT: OnPaint(dialog); break;
    case WM_CTLCOLORSTATIC: OnColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)); break;
    case WM_SETCURSOR:
        return OnSetCursor(dialog, reinterpret_cast<HWND>(wParam), LOWORD(lParam)) ? TRUE : FALSE;
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    case WM_DESTROY: OnDestroy(dialog); break;
    default: break;
    }
    return FALSE;
}
