// The Shortcut dialog and "Dorva.lnk": written through the real dialog into
// the test prefix's desktop and Start menu, and read back through the
// system's own shell link object.
#include "core/text.h"
#include "dialogs/shortcut.h"
#include "state/program_state.h"
#include "support/harness.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

namespace {

struct LinkContents {
    bool loaded = false;
    std::string path;
    std::string arguments;
    WORD hotkey = 0xFFFF;
    std::string iconPath;
    int iconIndex = -1;
};

std::string FolderPath(int folder)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string LinkIn(int folder) { return FolderPath(folder) + "\\Dorva.lnk"; }

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

LinkContents ReadLink(const std::string& file)
{
    LinkContents contents;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return contents;
    }
    IPersistFile* persist = nullptr;
    WCHAR wide[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            contents.loaded = true;
            char text[MAX_PATH] = "";
            link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
            contents.path = text;
            text[0] = '\0';
            link->GetArguments(text, sizeof text);
            contents.arguments = text;
            link->GetHotkey(&contents.hotkey);
            text[0] = '\0';
            link->GetIconLocation(text, sizeof text, &contents.iconIndex);
            contents.iconPath = text;
        }
        persist->Release();
    }
    link->Release();
    return contents;
}

std::string ProgramPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// The target path as the shell link object stores the program's path. Under
// Wine a test run from a folder outside every drive has a module path such as
// "unix\work\...\x.exe", which the link object makes absolute; on a drive
// this is the module path itself.
std::string ProgramPathAsLinkTarget()
{
    std::string target;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        char text[MAX_PATH] = "";
        link->SetPath(ProgramPath().c_str());
        link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
        target = text;
        link->Release();
    }
    return target;
}

// The desktop and the Start menu are shared by every test process of the
// prefix: the tests of this file take turns, and leave no link behind.
class ShortcutTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CoInitialize(nullptr);
        CreateMainWindowAndMenus();
        RemoveLinks();
    }
    void TearDown() override
    {
        RemoveLinks();
        CoUninitialize();
        DorvaTest::TearDown();
    }
    static void RemoveLinks()
    {
        for (int folder : {CSIDL_DESKTOPDIRECTORY, CSIDL_STARTMENU, CSIDL_PROGRAMS}) {
            const std::string link = LinkIn(folder);
            DeleteFileA(link.c_str());
            RemoveDirectoryA(link.c_str());
        }
    }
    static void RunDialog()
    {
        DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(IDD_SHORTCUT), State.MainWindow, ShortcutDialogProc, 0);
    }
    static void ExpectCreatedBox()
    {
        ASSERT_EQ(Harness::Boxes().size(), 1u);
        const Harness::Box& box = Harness::Boxes()[0];
        EXPECT_EQ(box.text, "Shortcut created");
        EXPECT_EQ(box.caption, "Ok");
        EXPECT_EQ(box.flags, 0x10040u);
        EXPECT_EQ(box.beepBefore, 48u);
        EXPECT_FALSE(box.hadOwner);
    }

    Harness::SharedLock lock_{"DorvaNT.Tests.Shortcut"};
};

TEST_F(ShortcutTest, OpensWithTheDesktopSelected)
{
    Harness::OnNextDialog([](HWND dialog) {
        EXPECT_EQ(State.ShortcutDialog, dialog);
        char caption[32] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "Shortcut");
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_SC_DESKTOP));
        EXPECT_FALSE(Harness::IsChecked(dialog, IDC_SC_STARTMENU));
        Harness::Click(dialog, IDCANCEL);
    });
    RunDialog();
    EXPECT_FALSE(FileExists(LinkIn(CSIDL_DESKTOPDIRECTORY))) << "Cancel wrote a link";
}

struct LinkCase {
    int radio;
    int folder;
    int hotkeyFlag;
    const char* letter;
    WORD hotkey;
};

TEST_F(ShortcutTest, OkWritesTheLinkWithPathArgumentIconAndHotkey)
{
    const LinkCase cases[] = {
        {IDC_SC_DESKTOP, CSIDL_DESKTOPDIRECTORY, 1, "X", 0x658},
        {IDC_SC_DESKTOP, CSIDL_DESKTOPDIRECTORY, 0, "X", 0},
        {IDC_SC_STARTMENU, CSIDL_STARTMENU, 1, "A", 0x641},
        {IDC_SC_STARTMENU, CSIDL_STARTMENU, 0, "Z", 0},
        {IDC_SC_DESKTOP, CSIDL_DESKTOPDIRECTORY, 1, "z", 0x65A},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "radio " << c.radio << ", HotkeyFlag " << c.hotkeyFlag << ", letter "
                                        << c.letter);
        RemoveLinks();
        Harness::ClearBoxes();
        State.HotkeyFlag = c.hotkeyFlag;
        CopyText(State.HotKey, sizeof State.HotKey, c.letter);
        Harness::AnswerBoxes({IDOK});
        bool closed = false;
        Harness::OnNextDialog([&](HWND dialog) {
            Harness::Click(dialog, c.radio);
            Harness::Click(dialog, IDOK);
            closed = !IsWindowVisible(dialog);
        });
        RunDialog();
        EXPECT_TRUE(closed) << "the dialog stayed open after success";
        ExpectCreatedBox();
        const LinkContents link = ReadLink(LinkIn(c.folder));
        ASSERT_TRUE(link.loaded) << LinkIn(c.folder);
        EXPECT_EQ(link.path, ProgramPathAsLinkTarget());
        EXPECT_EQ(link.arguments, "/n");
        EXPECT_EQ(link.hotkey, c.hotkey);
        EXPECT_EQ(link.iconPath, ProgramPath());
        EXPECT_EQ(link.iconIndex, 0);
        EXPECT_FALSE(FileExists(LinkIn(CSIDL_PROGRAMS))) << "the link must be at the top of the Start menu";
        const int otherFolder = c.folder == CSIDL_STARTMENU ? CSIDL_DESKTOPDIRECTORY : CSIDL_STARTMENU;
        EXPECT_FALSE(FileExists(LinkIn(otherFolder)));
    }
}

// A link that cannot be saved (a folder stands in its place): the failure
// box, and the dialog stays open for another try.
TEST_F(ShortcutTest, FailedSaveKeepsTheDialogOpenForAnotherTry)
{
    const std::string blocked = LinkIn(CSIDL_DESKTOPDIRECTORY);
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    Harness::AnswerBoxes({IDOK, IDOK});
    Harness::OnNextDialog([&](HWND dialog) {
        Harness::Click(dialog, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog closed after a failure";
        RemoveDirectoryA(blocked.c_str());
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    ASSERT_EQ(Harness::Boxes().size(), 2u);
    const Harness::Box& failed = Harness::Boxes()[0];
    Harness::ExpectErrorBox(failed, "Could not create shortcut", 64u);
    EXPECT_EQ(Harness::Boxes()[1].text, "Shortcut created");
    EXPECT_TRUE(ReadLink(blocked).loaded);
}

// A Start menu that the shell cannot resolve to a folder must give the
// failure, not a link built from whatever text was there.
TEST_F(ShortcutTest, UnresolvableFolderFails)
{
    constexpr char ShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key), ERROR_SUCCESS);
    BYTE saved[1024] = {};
    DWORD savedSize = sizeof saved;
    DWORD savedType = 0;
    ASSERT_EQ(RegQueryValueExA(key, "Start Menu", nullptr, &savedType, saved, &savedSize), ERROR_SUCCESS);
    // No drive Q: exists in a test prefix.
    constexpr char Nowhere[] = "Q:\\nowhere\\Start Menu";
    RegSetValueExA(key, "Start Menu", 0, REG_SZ, reinterpret_cast<const BYTE*>(Nowhere), sizeof Nowhere);

    LPITEMIDLIST items = nullptr;
    const HRESULT located = SHGetSpecialFolderLocation(nullptr, CSIDL_STARTMENU, &items);
    CoTaskMemFree(items);
    EXPECT_TRUE(FAILED(located)) << "the shell still finds a Start menu: the case is not tested";
    EXPECT_FALSE(CreateShortcut(0));

    RegSetValueExA(key, "Start Menu", 0, savedType, saved, savedSize);
    RegCloseKey(key);
    EXPECT_TRUE(CreateShortcut(0)) << "the restored Start menu should work again";
}

TEST_F(ShortcutTest, WithoutComTheLinkCannotBeMade)
{
    CoUninitialize();
    EXPECT_FALSE(CreateShortcut(1));
    EXPECT_FALSE(FileExists(LinkIn(CSIDL_DESKTOPDIRECTORY)));
    CoInitialize(nullptr);
}

}  // namespace
