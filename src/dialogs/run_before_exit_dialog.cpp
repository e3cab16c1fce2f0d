// The Run-before-exit dialog: up to four programs run one after another
// before every exit, a Browse button for each, and the switch for the feature.
#include "dialogs/run_before_exit_dialog.h"

#include "core/text.h"
#include "presence/single_dialog.h"
#include "settings/settings_store.h"
#include "state/program_state.h"
#include "system/on_demand.h"

namespace {
constexpr int EditIds[ProgramSlots] = {IDC_RB_EDIT1, IDC_RB_EDIT2, IDC_RB_EDIT3, IDC_RB_EDIT4};
constexpr int BrowseIds[ProgramSlots] = {IDC_RB_BROWSE1, IDC_RB_BROWSE2, IDC_RB_BROWSE3, IDC_RB_BROWSE4};

// The longest entry: four of them, each with its ';', and the terminator fit
// the stored list (4 x 255 + 1 of 1024 bytes), so that no entry is ever cut
// or left out when the list is saved. A ';' would split an entry in two.
constexpr int EntryMaxLength = 254;
static_assert(ProgramSlots * (EntryMaxLength + 1) + 1 <= ProgramsToRunSize, "four entries fit the stored list");
constexpr char EntryRefusedMessage[] = "A program path can hold at most 254 characters and no ;";

// One filter pair, "All Files" listing every file; the literal's own
// terminator closes the list.
constexpr char BrowseFilter[] = "All Files\0;*.*\0";
constexpr DWORD BrowseFlags = OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS;  // 0x100004
constexpr char FileNotFoundMessage[] = "Cannot find file";

// The request as the first published layout (76 bytes on 32-bit Windows);
// every system since accepts it.
const DWORD BrowseRequestSize = OPENFILENAME_SIZE_VERSION_400A;
constexpr char InitialBrowseName[] = "*.*";

// The one dialog of its kind owns the one record.
BrowseRecord Browsing;

BrowseRecord& BrowsingOf(HWND dialog)
{
    auto* record = reinterpret_cast<BrowseRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
    return record ? *record : Browsing;
}

void FillProgramEdits(HWND dialog)
{
    for (int slot = 0; slot < ProgramSlots; ++slot) {
        SendDlgItemMessageA(dialog, EditIds[slot], EM_LIMITTEXT, EntryMaxLength, 0);
        if (State.ProgramPath[slot][0] != '\0') SetDlgItemTextA(dialog, EditIds[slot], State.ProgramPath[slot]);
    }
}

bool EntryFits(const char* entry)
{
    return TextLengthN(entry, EntryMaxLength + 1) <= EntryMaxLength && !ContainsText(entry, ";");
}

void OnInitDialog(HWND dialog)
{
    State.RunBeforeExitDialog = dialog;
    Browsing = {};
    CopyText(Browsing.fileName, sizeof Browsing.fileName, InitialBrowseName);
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&Browsing));
    // Packing and unpacking moves the programs up into the lowest slots; the
    // compaction stays even when the dialog is cancelled.
    PackProgramList();
    UnpackProgramList();
    FillProgramEdits(dialog);
    CheckDlgButton(dialog, IDC_RB_CHECK, State.RunBeforeExit ? BST_CHECKED : BST_UNCHECKED);
    EnableProgramControls(dialog);
    // The dialog manager gives no focus when the procedure answers FALSE:
    // start on the switch, which is enabled whatever its state.
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_RB_CHECK)), TRUE);
}

void OnToggleRunBeforeExit(HWND dialog)
{
    State.RunBeforeExit = State.RunBeforeExit ? 0 : 1;
    EnableProgramControls(dialog);
}

void OnBrowse(HWND dialog, int slot)
{
    DialogBusy busy(dialog);
    if (!busy.Entered()) return;
    BrowsingOf(dialog).slot = slot;
    BrowseForProgram(dialog);
}

// Every edit is checked before any slot changes: an entry that cannot be
// stored whole keeps the dialog open with all the slots as they were.
void OnOk(HWND dialog)
{
    DialogBusy busy(dialog);
    if (!busy.Entered()) return;
    if (State.RunBeforeExit) {
        char entries[ProgramSlots][ProgramPathSize];
        for (int slot = 0; slot < ProgramSlots; ++slot) {
            GetDlgItemTextA(dialog, EditIds[slot], entries[slot], sizeof entries[slot]);
            if (!EntryFits(entries[slot])) {
                ErrorBox(EntryRefusedMessage);
                return;
            }
        }
        for (int slot = 0; slot < ProgramSlots; ++slot) {
            CopyText(State.ProgramPath[slot], sizeof State.ProgramPath[slot], entries[slot]);
        }
    }
    EndDialog(dialog, 0);
}

void OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDC_RB_CHECK: OnToggleRunBeforeExit(dialog); break;
    case IDC_RB_BROWSE1: OnBrowse(dialog, 1); break;
    case IDC_RB_BROWSE2: OnBrowse(dialog, 2); break;
    case IDC_RB_BROWSE3: OnBrowse(dialog, 3); break;
    case IDC_RB_BROWSE4: OnBrowse(dialog, 4); break;
    case IDOK: OnOk(dialog); break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    default: break;
    }
}

void FillBrowseRequest(HWND dialog, BrowseRecord& record)
{
    OPENFILENAMEA& request = record.request;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = BrowseRequestSize;
    request.hwndOwner = dialog;
    request.hInstance = State.Instance;
    request.lpstrFilter = BrowseFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = record.fileName;
    request.nMaxFile = sizeof record.fileName;
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

void EnableProgramControls(HWND dialog)
{
    const BOOL enable = State.RunBeforeExit ? TRUE : FALSE;
    for (int slot = 0; slot < ProgramSlots; ++slot) {
        EnableWindow(GetDlgItem(dialog, EditIds[slot]), enable);
        EnableWindow(GetDlgItem(dialog, BrowseIds[slot]), enable);
    }
}

void BrowseForProgram(HWND dialog)
{
    BrowseRecord& record = BrowsingOf(dialog);
    FillBrowseRequest(dialog, record);
    if (!ShowOpenFileDialog(&record.request)) return;
    char fullPath[MAX_PATH] = "";
    if (!FindChosenFile(record.fileName, fullPath, sizeof fullPath)) {
        ErrorBox(FileNotFoundMessage);
        return;
    }
    // A path with blanks is stored in quotes, so that it runs as itself and
    // never as a program named by its first words.
    const char* quote = ContainsText(fullPath, " ") ? "\"" : "";
    char entry[ProgramPathSize] = "";
    if (!JoinText(entry, sizeof entry, {quote, fullPath, quote}) || !EntryFits(entry)) {
        ErrorBox(EntryRefusedMessage);
        return;
    }
    if (record.slot >= 1 && record.slot <= ProgramSlots) SetDlgItemTextA(dialog, EditIds[record.slot - 1], entry);
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
