// The Shortcut dialog and the shell link "Dorva.lnk" that starts the program
// with "/n" from the desktop or the Start menu, carrying the hotkey.
#include "dialogs/shortcut.h"

#include "core/text.h"
#include "presence/single_dialog.h"
#include "state/program_state.h"
#include "system/on_demand.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {
constexpr char LinkFileName[] = "\\Dorva.lnk";
constexpr char LinkArguments[] = "/n";
constexpr int LinkIconIndex = 0;
constexpr WORD LinkHotkeyModifiers = HOTKEYF_CONTROL | HOTKEYF_ALT;  // 0x06
constexpr char CreatedMessage[] = "Shortcut created";
constexpr char CreatedCaption[] = "Ok";
constexpr char FailedMessage[] = "Could not create shortcut";
// The two outcome beeps are the other way round from the boxes' icons.
constexpr UINT CreatedBeep = 48;
constexpr UINT FailedBeep = 64;

// The file-system folder of a special folder. False when the shell cannot
// name one, so that the link path is never built from undefined text.
bool GetSpecialFolderPath(int folder, char* path)
{
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(State.MainWindow, folder, &items)) || !items) return false;
    path[0] = '\0';
    const bool found = SHGetPathFromIDListA(items, path) && path[0] != '\0';
    FreeComMemory(items);
    return found;
}

// "<folder>\Dorva.lnk"; false when it would not fit MAX_PATH.
bool BuildLinkPath(int onDesktop, char* linkPath, size_t linkPathSize)
{
    char folder[MAX_PATH] = "";
    if (!GetSpecialFolderPath(onDesktop ? CSIDL_DESKTOP : CSIDL_STARTMENU, folder)) return false;
    const size_t wanted = TextLengthN(folder, sizeof folder) + sizeof LinkFileName - 1;
    CopyText(linkPath, linkPathSize, folder);
    return AppendText(linkPath, linkPathSize, LinkFileName) == wanted;
}

// The program's own path; false when it is missing or was cut to the buffer.
bool GetProgramPath(char* path, DWORD pathSize)
{
    const DWORD length = GetModuleFileNameA(nullptr, path, pathSize);
    return length > 0 && length < pathSize;
}

// Ctrl+Alt and the key that types the letter; 0 (no hotkey) when no key of
// the keyboard layout types it.
WORD LinkHotkey()
{
    char letter[2] = {State.HotKey[0], '\0'};
    CharLowerBuffA(letter, 1);
    const SHORT key = VkKeyScanA(letter[0]);
    if (key == -1) return 0;
    return static_cast<WORD>((LinkHotkeyModifiers << 8) | LOBYTE(key));
}

HRESULT SaveLink(IShellLinkA* link, const char* linkPath)
{
    IPersistFile* file = nullptr;
    HRESULT result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (FAILED(result)) return result;
    WCHAR widePath[MAX_PATH] = L"";
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0) {
        result = E_FAIL;
    } else {
        result = file->Save(widePath, TRUE);
    }
    file->Release();
    return result;
}

void OnInitDialog(HWND dialog)
{
    State.ShortcutDialog = dialog;
    CheckDlgButton(dialog, IDC_SC_DESKTOP, BST_CHECKED);  // the Start menu's radio starts clear
}

void OnOk(HWND dialog)
{
    DialogBusy busy(dialog);
    if (!busy.Entered()) return;
    if (CreateShortcut(IsDlgButtonChecked(dialog, IDC_SC_DESKTOP) == BST_CHECKED)) {
        MessageBeep(CreatedBeep);
        MessageBoxA(nullptr, CreatedMessage, CreatedCaption, MB_SETFOREGROUND | MB_ICONINFORMATION);
        EndDialog(dialog, 0);
    } else {
        MessageBeep(FailedBeep);
        MessageBoxA(nullptr, FailedMessage, nullptr, MB_SETFOREGROUND | MB_ICONEXCLAMATION);
    }
}
}  // namespace

bool CreateShortcut(int onDesktop)
{
    char linkPath[MAX_PATH] = "";
    char programPath[MAX_PATH] = "";
    if (!BuildLinkPath(onDesktop, linkPath, sizeof linkPath)) return false;
    if (!GetProgramPath(programPath, sizeof programPath)) return false;

    IShellLinkA* link = nullptr;
    if (FAILED(CreateComInstance(CLSID_ShellLink, IID_IShellLinkA, reinterpret_cast<void**>(&link)))) {
        return false;
    }
    if (State.HotkeyFlag) {
        const WORD hotkey = LinkHotkey();
        if (hotkey) link->SetHotkey(hotkey);
    }
    link->SetPath(programPath);
    link->SetArguments(LinkArguments);
    link->SetIconLocation(programPath, LinkIconIndex);
    const HRESULT saved = SaveLink(link, linkPath);
    link->Release();
    return SUCCEEDED(saved);
}

INT_PTR CALLBACK ShortcutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OnOk(dialog); break;
        case IDCANCEL: EndDialog(dialog, 0); break;
        default: break;
        }
        break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    default: break;
    }
    return FALSE;
}
