// The Run-before-exit dialog, driven through the real dialog and the real
// file-open dialog of the system.
#include "core/text.h"
#include "dialogs/run_before_exit_dialog.h"
#include "state/program_state.h"
#include "support/harness.h"

#include <cstring>
#include <string>

namespace {

constexpr int Edits[] = {IDC_RB_EDIT1, IDC_RB_EDIT2, IDC_RB_EDIT3, IDC_RB_EDIT4};
constexpr int BrowseButtons[] = {IDC_RB_BROWSE1, IDC_RB_BROWSE2, IDC_RB_BROWSE3, IDC_RB_BROWSE4};
// Controls of the system's file-open dialog (its Explorer-style layout).
constexpr int FileNameEdit = 0x47C;   // cmb13
constexpr int ReadOnlyBox = 0x410;    // chx1
constexpr int FilterCombo = 0x470;    // cmb1

constexpr char TestFolder[] = "C:\\dorva-browse";
constexpr char TestProgram[] = "C:\\dorva-browse\\my prog.exe";

const BrowseRecord& Browsing(HWND d) { return *reinterpret_cast<BrowseRecord*>(GetWindowLongPtrA(d, DWLP_USER)); }

class RunBeforeExitTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CreateMainWindowAndMenus();
    }

    static void SetSlots(const char* one, const char* two, const char* three, const char* four)
    {
        const char* texts[] = {one, two, three, four};
        for (int slot = 0; slot < ProgramSlots; ++slot) {
            CopyText(State.ProgramPath[slot], sizeof State.ProgramPath[slot], texts[slot]);
        }
    }

    static void ExpectSlots(const char* one, const char* two, const char* three, const char* four)
    {
        const char* texts[] = {one, two, three, four};
        for (int slot = 0; slot < ProgramSlots; ++slot) {
            EXPECT_STREQ(State.ProgramPath[slot], texts[slot]) << "slot " << slot + 1;
        }
    }

    static void RunDialog()
    {
        DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(IDD_RUNBEFOREEXIT), State.MainWindow,
                        RunBeforeExitDialogProc, 0);
    }

    static void MakeFile(const char* path)
    {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
        CloseHandle(file);
    }

    // A Browse whose file-open dialog is answered by typing `name` and
    // pressing Open (or Cancel when `name` is null).
    static void BrowseAndAnswer(HWND dialog, int button, const char* name)
    {
        Harness::OnNextDialog([name](HWND fileDialog) {
            if (name) {
                Harness::SetItemText(fileDialog, FileNameEdit, name);
                Harness::Click(fileDialog, IDOK);
            }
            // A name the dialog did not take must fail the test, not hang it.
            if (IsWindow(fileDialog) && IsWindowVisible(fileDialog)) {
                EXPECT_EQ(name, nullptr) << "the file-open dialog did not take " << name;
                Harness::Click(fileDialog, IDCANCEL);
            }
        });
        Harness::Click(dialog, button);
    }
};

TEST_F(RunBeforeExitTest, OpeningCompactsTheSlotsEvenWhenCancelled)
{
    SetSlots("", "B", "", "D");
    State.RunBeforeExit = 1;
    Harness::OnNextDialog([](HWND dialog) {
        EXPECT_EQ(State.RunBeforeExitDialog, dialog);
        char caption[32] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "Program(s) to run");
        const char* shown[] = {"B", "D", "", ""};
        for (int slot = 0; slot < ProgramSlots; ++slot) {
            EXPECT_EQ(Harness::ItemText(dialog, Edits[slot]), shown[slot]) << "edit " << slot + 1;
        }
        Harness::Click(dialog, IDCANCEL);
    });
    RunDialog();
    ExpectSlots("B", "D", "", "");
}

TEST_F(RunBeforeExitTest, CheckBoxSwitchesAtOnceAndEnablesTheEightControls)
{
    State.RunBeforeExit = 0;
    Harness::OnNextDialog([](HWND dialog) {
        EXPECT_FALSE(Harness::IsChecked(dialog, IDC_RB_CHECK));
        for (int slot = 0; slot < ProgramSlots; ++slot) {
            EXPECT_FALSE(Harness::IsEnabled(dialog, Edits[slot])) << "edit " << slot + 1;
            EXPECT_FALSE(Harness::IsEnabled(dialog, BrowseButtons[slot])) << "Browse " << slot + 1;
        }
        EXPECT_TRUE(Harness::IsEnabled(dialog, IDC_RB_CHECK));
        for (int expected : {1, 0, 1}) {
            Harness::Click(dialog, IDC_RB_CHECK);
            EXPECT_EQ(State.RunBeforeExit, expected);
            for (int slot = 0; slot < ProgramSlots; ++slot) {
                EXPECT_EQ(Harness::IsEnabled(dialog, Edits[slot]), expected == 1) << "edit " << slot + 1;
                EXPECT_EQ(Harness::IsEnabled(dialog, BrowseButtons[slot]), expected == 1) << "Browse " << slot + 1;
            }
        }
        Harness::Click(dialog, IDCANCEL);
    });
    RunDialog();
    EXPECT_EQ(State.RunBeforeExit, 1) << "Cancel must not undo the switch";
}

TEST_F(RunBeforeExitTest, OpeningWithTheFeatureOnChecksTheBox)
{
    State.RunBeforeExit = 1;
    Harness::OnNextDialog([](HWND dialog) {
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_RB_CHECK));
        EXPECT_TRUE(Harness::IsEnabled(dialog, IDC_RB_EDIT4));
        EXPECT_TRUE(Harness::IsEnabled(dialog, IDC_RB_BROWSE4));
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
}

TEST_F(RunBeforeExitTest, OkWithTheMiddleEditClearedLeavesAGap)
{
    SetSlots("A.EXE", "B.EXE", "C.EXE", "");
    State.RunBeforeExit = 1;
    Harness::OnNextDialog([](HWND dialog) {
        Harness::SetItemText(dialog, IDC_RB_EDIT2, "");
        Harness::SetItemText(dialog, IDC_RB_EDIT4, "D.EXE");
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    ExpectSlots("A.EXE", "", "C.EXE", "D.EXE");
}

// Nothing is cut: the edits take 254 characters (four such entries fit the
// stored list), and OK refuses an entry it could not store whole, with a
// message, keeping the dialog open and every slot as it was.
TEST_F(RunBeforeExitTest, OkStoresWholeEntriesOrRefusesThem)
{
    struct Case {
        std::string text;
        bool stored;
    };
    const Case cases[] = {{"C:\\" + std::string(251, 'a'), true},
                          {"C:\\" + std::string(252, 'a'), false},
                          {"C:\\a;b.exe", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text.size() << " characters");
        Harness::ClearBoxes();
        SetSlots("A.EXE", "", "", "");
        State.RunBeforeExit = 1;
        if (!c.stored) Harness::AnswerBoxes({IDOK});
        Harness::OnNextDialog([&](HWND dialog) {
            EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_RB_EDIT3, EM_GETLIMITTEXT, 0, 0), 254);
            Harness::SetItemText(dialog, IDC_RB_EDIT2, "B.EXE");
            Harness::SetItemText(dialog, IDC_RB_EDIT3, c.text.c_str());
            Harness::Click(dialog, IDOK);
            EXPECT_EQ(IsWindowVisible(dialog) == FALSE, c.stored);
            if (!c.stored) Harness::Click(dialog, IDCANCEL);
        });
        RunDialog();
        if (c.stored) {
            ExpectSlots("A.EXE", "B.EXE", c.text.c_str(), "");
        } else {
            ExpectSlots("A.EXE", "", "", "");
            ASSERT_EQ(Harness::Boxes().size(), 1u);
            EXPECT_EQ(Harness::Boxes()[0].text, "A program path can hold at most 254 characters and no ;");
        }
    }
}

TEST_F(RunBeforeExitTest, OkWithTheFeatureOffLeavesTheSlots)
{
    SetSlots("A.EXE", "", "", "");
    State.RunBeforeExit = 0;
    Harness::OnNextDialog([](HWND dialog) {
        Harness::SetItemText(dialog, IDC_RB_EDIT1, "Z.EXE");
        Harness::SetItemText(dialog, IDC_RB_EDIT2, "Y.EXE");
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    ExpectSlots("A.EXE", "", "", "");
}

TEST_F(RunBeforeExitTest, CancelledBrowseChangesNothing)
{
    SetSlots("A.EXE", "", "", "");
    State.RunBeforeExit = 1;
    Harness::OnNextDialog([](HWND dialog) {
        Harness::OnNextDialog([dialog](HWND fileDialog) {
            EXPECT_EQ(GetWindow(fileDialog, GW_OWNER), dialog);
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(fileDialog, ReadOnlyBox))) << "read-only box shown";
            char filter[64] = "";
            GetDlgItemTextA(fileDialog, FilterCombo, filter, sizeof filter);
            EXPECT_STREQ(filter, "All Files");
            EXPECT_EQ(Harness::ItemText(fileDialog, FileNameEdit), "*.*");
            Harness::Click(fileDialog, IDCANCEL);
        });
        Harness::Click(dialog, IDC_RB_BROWSE1);
        EXPECT_EQ(Browsing(dialog).slot, 1);
        EXPECT_STREQ(Browsing(dialog).fileName, "*.*");
        EXPECT_EQ(Harness::ItemText(dialog, IDC_RB_EDIT1), "A.EXE");
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    ExpectSlots("A.EXE", "", "", "");
    EXPECT_TRUE(Harness::Boxes().empty());
}

// The request for the file-open dialog: the first published record size,
// the one filter and the two flags.
TEST_F(RunBeforeExitTest, BrowseRequestIsTheDocumentedOne)
{
    State.RunBeforeExit = 1;
    Harness::OnNextDialog([](HWND dialog) {
        BrowseAndAnswer(dialog, IDC_RB_BROWSE2, nullptr);
        const OPENFILENAMEA& request = Browsing(dialog).request;
#ifndef _WIN64
        EXPECT_EQ(request.lStructSize, 76u);
#endif
        EXPECT_EQ(request.lStructSize, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A));
        EXPECT_EQ(request.hwndOwner, dialog);
        EXPECT_EQ(request.hInstance, State.Instance);
        ASSERT_NE(request.lpstrFilter, nullptr);
        // "All Files", ";*.*", and the empty string that ends the list.
        EXPECT_EQ(std::memcmp(request.lpstrFilter, "All Files\0;*.*\0", 16), 0);
        EXPECT_EQ(request.nFilterIndex, 1u);
        EXPECT_EQ(request.lpstrFile, Browsing(dialog).fileName);
        EXPECT_EQ(request.nMaxFile, 260u);
        EXPECT_EQ(request.Flags, 0x100004u);
        EXPECT_EQ(request.lpstrCustomFilter, nullptr);
        EXPECT_EQ(request.lpstrFileTitle, nullptr);
        EXPECT_EQ(request.lpstrInitialDir, nullptr);
        EXPECT_EQ(request.lpstrTitle, nullptr);
        EXPECT_EQ(request.lpstrDefExt, nullptr);
        EXPECT_EQ(Browsing(dialog).slot, 2);
        Harness::Click(dialog, IDCANCEL);
    });
    RunDialog();
}

TEST_F(RunBeforeExitTest, BrowseFillsTheEditOnlyAndTheNextBrowseStartsFromTheChoice)
{
    CreateDirectoryA(TestFolder, nullptr);
    MakeFile(TestProgram);
    SetSlots("A.EXE", "", "", "");
    State.RunBeforeExit = 1;
    std::string secondStart;
    Harness::OnNextDialog([&](HWND dialog) {
        BrowseAndAnswer(dialog, IDC_RB_BROWSE3, TestProgram);
        // Quoted: a path with blanks must never run as "C:\dorva-browse\my.exe".
        EXPECT_EQ(Harness::ItemText(dialog, IDC_RB_EDIT3), "\"" + std::string(TestProgram) + "\"");
        EXPECT_STREQ(State.ProgramPath[2], "") << "the slot changes only on OK";
        EXPECT_STREQ(Browsing(dialog).fileName, TestProgram);

        Harness::OnNextDialog([&](HWND fileDialog) {
            secondStart = Harness::ItemText(fileDialog, FileNameEdit);
            Harness::Click(fileDialog, IDCANCEL);
        });
        Harness::Click(dialog, IDC_RB_BROWSE1);
        EXPECT_EQ(Harness::ItemText(dialog, IDC_RB_EDIT1), "A.EXE");
        Harness::Click(dialog, IDCANCEL);
    });
    RunDialog();
    EXPECT_NE(secondStart.find("prog.exe"), std::string::npos) << "the second Browse offered " << secondStart;
    ExpectSlots("A.EXE", "", "", "");
    EXPECT_TRUE(Harness::Boxes().empty());
    DeleteFileA(TestProgram);
    RemoveDirectoryA(TestFolder);
}

TEST_F(RunBeforeExitTest, BrowsedMissingFileIsReportedAndLeavesTheEdit)
{
    CreateDirectoryA(TestFolder, nullptr);
    State.RunBeforeExit = 1;
    SetSlots("A.EXE", "", "", "");
    Harness::AnswerBoxes({IDOK});
    Harness::OnNextDialog([](HWND dialog) {
        BrowseAndAnswer(dialog, IDC_RB_BROWSE1, "C:\\dorva-browse\\missing.exe");
        EXPECT_EQ(Harness::ItemText(dialog, IDC_RB_EDIT1), "A.EXE");
        EXPECT_TRUE(IsWindowVisible(dialog));
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    const Harness::Box& box = Harness::Boxes()[0];
    Harness::ExpectErrorBox(box, "Cannot find file");
    ExpectSlots("A.EXE", "", "", "");
    RemoveDirectoryA(TestFolder);
}

// OpenFile knows only paths of up to 127 characters; a longer chosen file
// that exists must still reach the edit, with its whole path, as long as the
// edit can store it. A longer one is refused with a message.
TEST_F(RunBeforeExitTest, BrowsedFileWithALongPathIsTakenWholeOrRefused)
{
    std::string folder = TestFolder;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (size_t length : {60, 60, 110}) {
        folder += "\\" + std::string(length, static_cast<char>('e' + folder.size() % 5));
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    const std::string shorter = folder.substr(0, folder.rfind('\\')) + "\\long.exe";
    const std::string longer = folder + "\\long.exe";
    ASSERT_GT(shorter.size(), 127u);
    ASSERT_GT(longer.size(), 254u);
    MakeFile(shorter.c_str());
    MakeFile(longer.c_str());
    State.RunBeforeExit = 1;
    Harness::AnswerBoxes({IDOK});
    Harness::OnNextDialog([&](HWND dialog) {
        BrowseAndAnswer(dialog, IDC_RB_BROWSE4, shorter.c_str());
        BrowseAndAnswer(dialog, IDC_RB_BROWSE1, longer.c_str());
        EXPECT_EQ(Harness::ItemText(dialog, IDC_RB_EDIT1), "");
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_EQ(std::string(State.ProgramPath[3]), shorter);
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    EXPECT_EQ(Harness::Boxes()[0].text, "A program path can hold at most 254 characters and no ;");
    DeleteFileA(shorter.c_str());
    DeleteFileA(longer.c_str());
    for (int level = 0; level < 4; ++level) {
        RemoveDirectoryA(folder.c_str());
        folder.erase(folder.rfind('\\'));
    }
}

}  // namespace
