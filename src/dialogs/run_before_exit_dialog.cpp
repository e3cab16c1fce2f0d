// The Run-before-exit dialog: up to four programs run one after another
// before every exit, a Browse button for each, and the switch for the feature.
#include "dialogs/run_before_exit_dialog.h"

#include "app/on_demand.h"
#include "app/program_state.h"
#include "core/text.h"
#include "settings/settings_store.h"

namespace {
constexpr int EditIds[ProgramSlots] = {IDC_RB_EDIT1, IDC_RB_EDIT2, IDC_RB_EDIT3, IDC_RB_EDIT4};
constexpr int BrowseIds[ProgramSlots] = {IDC_RB_BROWSE1, IDC_RB_BROWSE2, IDC_RB_BROWSE3, IDC_RB_BROWSE4};

// OK reads at most 199 characters of each edit.
constexpr int SlotReadSize = 200;

// One filter pair, "All Files" listing every file; the literal's own
// terminator closes the list.
constexpr char BrowseFilter[] = "All Files\0;*.*\0";
constexpr DWORD BrowseFlags = OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS;  // 0x100004
constexpr char FileNotFoundMessage[] = "Cannot find file";

// The request as the first published layout (76 bytes on 32-bit Windows);
// every system since accepts it.
const DWORD BrowseRequestSize = OPENFILENAME_SIZE_VERSION_400A;

void FillProgramEdits(HWND dialog)
{
    for (int slot = 0; slot < ProgramSlots; ++slot) {
        if (State.ProgramPath[slot][0] != '\0') SetDlgItemTextA(dialog, EditIds[slot], State.ProgramPath[slot]);
    }
}

void OnInitDialog(HWND dialog)
{
    State.RunBeforeExitDialog = dialog;
    // Packing and unpacking moves the programs up into the lowest slots; the
    // compaction stays even when the dialog is cancelled.
    PackProgramList();
    UnpackProgramList();
    FillProgramEdits(dialog);
    CheckDlgButton(dialog, IDC_RB_CHECK, State.RunBeforeExit ? BST_CHECKED : BST_UNCHECKED);
    EnableProgramControls();
    // The dialog manager gives no focus when the procedure answers FALSE:
    // start on the switch, which is enabled whatever its state.
    SetFocus(GetDlgItem(dialog, IDC_RB_CHECK));
}

void OnToggleRunBeforeExit()
{
    State.RunBeforeExit = State.RunBeforeExit ? 0 : 1;
    EnableProgramControls();
}

void OnBrowse(int slot)
{
    State.BrowseSlot = slot;
    BrowseForProgram();
}

void OnOk(HWND dialog)
{
    if (State.RunBeforeExit) {
        for (int slot = 0; slot < ProgramSlots; ++slot) {
            GetDlgItemTextA(dialog, EditIds[slot], State.ProgramPath[slot], SlotReadSize);
        }
    }
    EndDialog(dialog, 0);
}

void OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDC_RB_CHECK: OnToggleRunBeforeExit(); break;
    case IDC_RB_BROWSE1: OnBrowse(1); break;
    case IDC_RB_BROWSE2: OnBrowse(2); break;
    case IDC_RB_BROWSE3: OnBrowse(3); break;
    case IDC_RB_BROWSE4: OnBrowse(4); break;
    case IDOK: OnOk(dialog); break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    default: break;
    }
}

void FillBrowseRequest()
{
    OPENFILENAMEA& request = State.BrowseRequest;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = BrowseRequestSize;
    request.hwndOwner = State.RunBeforeExitDialog;
    request.hInstance = State.Instance;
    request.lpstrFilter = BrowseFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = State.BrowseFileName;
    request.nMaxFile = sizeof State.BrowseFileName;
    request.Flags = BrowseFlags;
}

// Finds the chosen file and gives its full path. OpenFile only knows paths
// that fit its 128-byte record; a longer one, which the file-open dialog
// returns as a full path already, is checked directly instead, so that an
// existing file is never reported missing for the length of its path.
bool FindChosenFile(const char* name, char* fullPath, size_t fullPathSize)
{
    OFSTRUCT found = {};
    found.cBytes = sizeof found;
    if (TextLengthN(name, sizeof found.szPathName) < sizeof found.szPathName) {
        if (OpenFile(name, &found, OF_EXIST) == HFILE_ERROR) return false;
        CopyTextN(fullPath, fullPathSize, found.szPathName, sizeof found.szPathName);
        return true;
    }
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    CopyText(fullPath, fullPathSize, name);
    return true;
}
}  // namespace

void EnableProgramControls()
{
    const BOOL enable = State.RunBeforeExit ? TRUE : FALSE;
    for (int slot = 0; slot < ProgramSlots; ++slot) {
        EnableWindow(GetDlgItem(State.RunBeforeExitDialog, EditIds[slot]), enable);
        EnableWindow(GetDlgItem(State.RunBeforeExitDialog, BrowseIds[slot]), enable);
    }
}

void BrowseForProgram()
{
    FillBrowseRequest();
    if (!ShowOpenFileDialog(&State.BrowseRequest)) return;
    char fullPath[MAX_PATH] = "";
    if (!FindChosenFile(State.BrowseFileName, fullPath, sizeof fullPath)) {
        ErrorBox(FileNotFoundMessage);
        return;
    }
    if (State.BrowseSlot >= 1 && State.BrowseSlot <= ProgramSlots) {
        SetDlgItemTextA(State.RunBeforeExitDialog, EditIds[State.BrowseSlot - 1], fullPath);
    }
}

INT_PTR CALLBACK RunBeforeExitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); break;
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam)); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    default: break;
    }
    return FALSE;
}
