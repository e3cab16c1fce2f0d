// The Registry dialog and the four system switches, against the test prefix's
// real registry. Every value and key a test touches is put back afterwards.
#include "settings/registry_dialog.h"
#include "settings/system_switches.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "support/settings_key.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char RunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char PoliciesKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr char WinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

struct Value {
    bool exists = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

Value ReadValue(HKEY root, const char* path, const char* name)
{
    Value value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        value.exists = RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS;
        value.data.resize(size);
    }
    RegCloseKey(key);
    return value;
}

void WriteValue(HKEY root, const char* path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void WriteText(HKEY root, const char* path, const char* name, const char* text)
{
    WriteValue(root, path, name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

void DeleteValue(HKEY root, const char* path, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A value as it was before the test, put back at the end.
struct SavedValue {
    HKEY root;
    const char* path;
    const char* name;
    Value value;
};

std::string Text(const Value& value)
{
    return std::string(reinterpret_cast<const char*>(value.data.data()),
                       strnlen(reinterpret_cast<const char*>(value.data.data()), value.data.size()));
}

std::string ProgramPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// The switches are machine-wide and shared by every test process of the
// prefix: the tests of this file take turns.
class RegistryDialogTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CreateMainWindowAndMenus();
        Recorder::SetWindowsVersion(5, 0);  // Windows 2000: the password is a plain value
        policiesKeyExisted_ = KeyExists(HKEY_CURRENT_USER, PoliciesKey);
        if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
        saved_ = {
            {HKEY_LOCAL_MACHINE, RunKey, "Dorva NT", {}},
            {HKEY_CURRENT_USER, RunKey, "Dorva NT", {}},
            {HKEY_CURRENT_USER, PoliciesKey, "NoLogOff", {}},
            {HKEY_CURRENT_USER, PoliciesKey, "NoClose", {}},
            {HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon", {}},
            {HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultUserName", {}},
            {HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultPassword", {}},
        };
        for (SavedValue& saved : saved_) saved.value = ReadValue(saved.root, saved.path, saved.name);
        // Start from every switch off, with the policy key present.
        CreatePoliciesKey();
        for (const SavedValue& saved : saved_) DeleteValue(saved.root, saved.path, saved.name);
    }

    void TearDown() override
    {
        CreatePoliciesKey();
        for (const SavedValue& saved : saved_) {
            DeleteValue(saved.root, saved.path, saved.name);
            if (saved.value.exists) {
                WriteValue(saved.root, saved.path, saved.name, saved.value.type, saved.value.data.data(),
                           static_cast<DWORD>(saved.value.data.size()));
            }
        }
        if (!policiesKeyExisted_) RegDeleteKeyA(HKEY_CURRENT_USER, PoliciesKey);
        DorvaTest::TearDown();
    }

    static void CreatePoliciesKey()
    {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, PoliciesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
        RegCloseKey(key);
    }

    static void RunDialog()
    {
        DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(IDD_REGISTRY), State.MainWindow, RegistryDialogProc, 0);
    }

    // Opens the dialog, runs `change` in it, presses OK, and tells whether
    // the dialog closed.
    template <typename Change>
    static bool OkAfter(Change change)
    {
        bool closed = false;
        Harness::OnNextDialog([&](HWND dialog) {
            change(dialog);
            Harness::Click(dialog, IDOK);
            closed = !IsWindowVisible(dialog);
            if (!closed) Harness::Click(dialog, IDCANCEL);
        });
        RunDialog();
        return closed;
    }

    static void ExpectChangedBox(size_t index = 0)
    {
        ASSERT_GT(Harness::Boxes().size(), index);
        const Harness::Box& box = Harness::Boxes()[index];
        EXPECT_EQ(box.text, "Registry settings changed");
        EXPECT_EQ(box.caption, "Ok");
        EXPECT_EQ(box.flags, 0x10040u);
        EXPECT_EQ(box.beepBefore, 48u);
        EXPECT_FALSE(box.hadOwner);
    }

    static void ExpectFailedBox(size_t index = 0)
    {
        ASSERT_GT(Harness::Boxes().size(), index);
        const Harness::Box& box = Harness::Boxes()[index];
        Harness::ExpectErrorBox(box, "Could not change registry settings", 64u);
    }

    Harness::SharedLock lock_{"DorvaNT.Tests.Registry"};
    bool policiesKeyExisted_ = false;
    std::vector<SavedValue> saved_;
};

// ---- Reading the switches --------------------------------------------------

struct PolicyCase {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
    int on;
};

TEST_F(RegistryDialogTest, PoliciesReadOnByTheirFirstFourBytesWithinTen)
{
    const PolicyCase cases[] = {
        {"REG_DWORD 1", REG_DWORD, {1, 0, 0, 0}, 1},
        {"REG_DWORD 0", REG_DWORD, {0, 0, 0, 0}, 0},
        {"REG_BINARY 01 00 00 00", REG_BINARY, {1, 0, 0, 0}, 1},
        {"REG_BINARY 00 00 00 01", REG_BINARY, {0, 0, 0, 1}, 1},
        {"type 5, little-endian 1", REG_DWORD_BIG_ENDIAN, {1, 0, 0, 0}, 1},
        {"one byte", REG_BINARY, {2}, 1},
        {"fifth byte only", REG_BINARY, {0, 0, 0, 0, 1}, 0},
        {"ten bytes", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1},
        {"eleven bytes", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {"empty", REG_BINARY, {}, 0},
    };
    struct Policy {
        const char* name;
        int (*get)();
    };
    for (const Policy& policy : {Policy{"NoLogOff", GetNoLogOff}, Policy{"NoClose", GetNoClose}}) {
        for (const PolicyCase& c : cases) {
            SCOPED_TRACE(testing::Message() << policy.name << ": " << c.what);
            WriteValue(HKEY_CURRENT_USER, PoliciesKey, policy.name, c.type, c.data.data(),
                       static_cast<DWORD>(c.data.size()));
            EXPECT_EQ(policy.get(), c.on);
        }
        DeleteValue(HKEY_CURRENT_USER, PoliciesKey, policy.name);
        EXPECT_EQ(policy.get(), 0) << policy.name << " missing";
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, PoliciesKey);
    EXPECT_EQ(GetNoLogOff(), 0) << "without the policy key";
}

TEST_F(RegistryDialogTest, AutoAdminLogonReadsAsANumberWithinFiftyBytes)
{
    struct Case {
        std::string text;
        int on;
    };
    const Case cases[] = {{"1", 1},  {"0", 0},          {" 2", 1}, {"-1", 1}, {"abc", 0},
                          {"", 0},   {"0001", 1},       {std::string(48, ' ') + "1", 1},
                          {std::string(49, ' ') + "1", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.text << "\"");
        WriteText(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon", c.text.c_str());
        EXPECT_EQ(GetAutoAdminLogon(), c.on);
    }
    DeleteValue(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon");
    EXPECT_EQ(GetAutoAdminLogon(), 0);
}

TEST_F(RegistryDialogTest, AutorunReadsOnWhenTheValueExistsWhateverItHolds)
{
    EXPECT_EQ(GetAutorun(), 0);
    WriteValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT", REG_BINARY, "", 0);
    EXPECT_EQ(GetAutorun(), 1);
    WriteText(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT", std::string(400, 'x').c_str());
    EXPECT_EQ(GetAutorun(), 1);
}

// ---- Opening ---------------------------------------------------------------

TEST_F(RegistryDialogTest, OpeningShowsTheSwitchesAndSelectsNoChange)
{
    WriteText(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT", "x");
    const BYTE one[] = {1, 0, 0, 0};
    WriteValue(HKEY_CURRENT_USER, PoliciesKey, "NoClose", REG_DWORD, one, sizeof one);
    WriteText(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon", "1");
    WriteText(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultUserName", "alice");
    WriteText(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultPassword", "s3cret");
    Harness::OnNextDialog([](HWND dialog) {
        EXPECT_EQ(State.RegistryDialog, dialog);
        char caption[32] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "Registry");
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_RG_AUTORUN));
        EXPECT_FALSE(Harness::IsChecked(dialog, IDC_RG_NOLOGOFF));
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_RG_NOCLOSE));
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_RG_AUTOLOGON));
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_RG_NOCHANGE));
        EXPECT_FALSE(Harness::IsChecked(dialog, IDC_RG_SAVE));
        EXPECT_FALSE(Harness::IsChecked(dialog, IDC_RG_DELETE));
        EXPECT_EQ(Harness::ItemText(dialog, IDC_RG_NAME), "alice");
        EXPECT_EQ(Harness::ItemText(dialog, IDC_RG_PASSWORD), "s3cret");
        EXPECT_EQ(OpeningSwitch(dialog, IDC_RG_AUTORUN), 1);
        EXPECT_EQ(OpeningSwitch(dialog, IDC_RG_NOLOGOFF), 0);
        EXPECT_EQ(OpeningSwitch(dialog, IDC_RG_NOCLOSE), 1);
        EXPECT_EQ(OpeningSwitch(dialog, IDC_RG_AUTOLOGON), 1);
        Harness::Click(dialog, IDCANCEL);
    });
    RunDialog();
}

TEST_F(RegistryDialogTest, LogonEditsStayEmptyWhenOffOrTooLong)
{
    struct Case {
        const char* autoLogon;
        std::string name;
        const char* shownName;
    };
    const std::string fortyOne(40, 'n');  // 41 bytes with the terminator
    const std::string thirtyNine(39, 'n');
    const Case cases[] = {{"0", "bob", ""}, {"1", fortyOne, ""}, {"1", thirtyNine, thirtyNine.c_str()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "AutoAdminLogon " << c.autoLogon << ", name of " << c.name.size());
        WriteText(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon", c.autoLogon);
        WriteText(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultUserName", c.name.c_str());
        DeleteValue(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultPassword");
        Harness::OnNextDialog([&](HWND dialog) {
            EXPECT_EQ(Harness::ItemText(dialog, IDC_RG_NAME), c.shownName);
            EXPECT_EQ(Harness::ItemText(dialog, IDC_RG_PASSWORD), "");
            EXPECT_TRUE(Harness::IsEnabled(dialog, IDC_RG_NAME));
            EXPECT_TRUE(Harness::IsEnabled(dialog, IDC_RG_PASSWORD));
            Harness::Click(dialog, IDCANCEL);
        });
        RunDialog();
    }
}

// ---- Writing the switches --------------------------------------------------

TEST_F(RegistryDialogTest, OkWithNothingChangedClosesSilently)
{
    WriteText(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon", "1");
    WriteText(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultUserName", "alice");
    const bool closed = OkAfter([](HWND dialog) {
        // Name and password alone are no change while the box stays checked.
        Harness::SetItemText(dialog, IDC_RG_NAME, "mallory");
        Harness::SetItemText(dialog, IDC_RG_PASSWORD, "other");
    });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(Harness::Boxes().empty());
    EXPECT_EQ(Text(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultUserName")), "alice");
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultPassword").exists);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT").exists);
}

TEST_F(RegistryDialogTest, AutorunOnWritesTheQuotedPathAndOffDeletesIt)
{
    Harness::AnswerBoxes({IDOK});
    EXPECT_TRUE(OkAfter([](HWND dialog) { Harness::Click(dialog, IDC_RG_AUTORUN); }));
    ExpectChangedBox();
    const Value run = ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT");
    ASSERT_TRUE(run.exists);
    EXPECT_EQ(run.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(run.data.size(), 260u);
    EXPECT_EQ(Text(run), "\"" + ProgramPath() + "\"");

    Harness::ClearBoxes();
    Harness::AnswerBoxes({IDOK});
    EXPECT_TRUE(OkAfter([](HWND dialog) {
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_RG_AUTORUN)) << "reopening shows it on";
        Harness::Click(dialog, IDC_RG_AUTORUN);
    }));
    ExpectChangedBox();
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT").exists);
}

TEST_F(RegistryDialogTest, PoliciesAreWrittenAsType5WithFourLittleEndianBytes)
{
    struct Case {
        const char* name;
        int checkBox;
    };
    for (const Case& c : {Case{"NoLogOff", IDC_RG_NOLOGOFF}, Case{"NoClose", IDC_RG_NOCLOSE}}) {
        for (BYTE on : {1, 0}) {
            SCOPED_TRACE(testing::Message() << c.name << " " << int(on));
            Harness::ClearBoxes();
            Harness::AnswerBoxes({IDOK});
            EXPECT_TRUE(OkAfter([&](HWND dialog) {
                EXPECT_EQ(Harness::IsChecked(dialog, c.checkBox), on == 0);
                Harness::Click(dialog, c.checkBox);
            }));
            ExpectChangedBox();
            const Value value = ReadValue(HKEY_CURRENT_USER, PoliciesKey, c.name);
            ASSERT_TRUE(value.exists);
            EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD_BIG_ENDIAN));
            EXPECT_EQ(value.data, (std::vector<BYTE>{on, 0, 0, 0}));
        }
    }
}

// A password is never cut: one that does not fit is refused before anything
// is written, and the dialog stays open. Off deletes the plain-text password.
TEST_F(RegistryDialogTest, AutoLogonStoresNameAndPasswordWholeAndOffDeletesThePassword)
{
    Harness::AnswerBoxes({IDOK, IDOK});
    bool refusedStayedOpen = false;
    Harness::OnNextDialog([&](HWND dialog) {
        Harness::Click(dialog, IDC_RG_AUTORUN);
        Harness::Click(dialog, IDC_RG_AUTOLOGON);
        Harness::SetItemText(dialog, IDC_RG_NAME, "tester");
        Harness::SetItemText(dialog, IDC_RG_PASSWORD, std::string(40, 'p').c_str());
        Harness::Click(dialog, IDOK);
        refusedStayedOpen = IsWindowVisible(dialog) != FALSE;
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon").exists);
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT").exists) << "nothing is written";
        Harness::SetItemText(dialog, IDC_RG_PASSWORD, std::string(39, 'p').c_str());
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_TRUE(refusedStayedOpen);
    ASSERT_EQ(Harness::Boxes().size(), 2u);
    EXPECT_EQ(Harness::Boxes()[0].text, "The logon name and password can hold at most 39 characters");
    ExpectChangedBox(1);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon").data, (std::vector<BYTE>{'1', 0}));
    const Value name = ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultUserName");
    EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(name.data.size(), 40u);
    EXPECT_EQ(Text(name), "tester");
    const Value password = ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultPassword");
    EXPECT_EQ(password.data.size(), 40u);
    EXPECT_EQ(Text(password), std::string(39, 'p'));

    Harness::ClearBoxes();
    Harness::AnswerBoxes({IDOK});
    EXPECT_TRUE(OkAfter([](HWND dialog) {
        EXPECT_EQ(Harness::ItemText(dialog, IDC_RG_NAME), "tester");
        Harness::SetItemText(dialog, IDC_RG_NAME, std::string(45, 'n').c_str());  // not stored: no check
        Harness::Click(dialog, IDC_RG_AUTOLOGON);
    }));
    ExpectChangedBox();
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon").data, (std::vector<BYTE>{'0', 0}));
    EXPECT_EQ(Text(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultUserName")), "tester") << "off keeps the name";
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultPassword").exists);
}

// From XP on the password is kept as the secret, and a plain value left by
// an older version goes; off deletes the secret. Without the secret stored,
// automatic logon stays off.
TEST_F(RegistryDialogTest, FromXpOnThePasswordIsKeptAsASecret)
{
    Recorder::SetWindowsVersion(5, 1);
    WriteText(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultPassword", "old");
    EXPECT_TRUE(SetAutoAdminLogon(1, "tester", "s3cret"));
    EXPECT_STREQ(Recorder::StoredSecret(), "s3cret");
    EXPECT_STREQ(Recorder::Find("LsaStorePrivateData")->text, "DefaultPassword");
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "DefaultPassword").exists);
    EXPECT_TRUE(SetAutoAdminLogon(0, "", ""));
    EXPECT_EQ(Recorder::StoredSecret(), nullptr);
    Recorder::RefuseSecrets(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(SetAutoAdminLogon(1, "tester", "s3cret"));
    EXPECT_EQ(GetAutoAdminLogon(), 0);
}

TEST_F(RegistryDialogTest, AutoLogonOnWithEmptyEditsStoresEmptyTexts)
{
    Harness::AnswerBoxes({IDOK});
    EXPECT_TRUE(OkAfter([](HWND dialog) { Harness::Click(dialog, IDC_RG_AUTOLOGON); }));
    ExpectChangedBox();
    for (const char* value : {"DefaultUserName", "DefaultPassword"}) {
        const Value text = ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, value);
        EXPECT_TRUE(text.exists) << value;
        EXPECT_EQ(text.data.size(), 40u) << value;
        EXPECT_EQ(Text(text), "") << value;
    }
}

// Without the user's Explorer policy key the hide switches cannot be turned
// on: one failure box, the dialog stays open, and the switches that could be
// written stay written. The key is not created.
TEST_F(RegistryDialogTest, FailingSwitchReportsOnceAndKeepsTheOthers)
{
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, PoliciesKey), ERROR_SUCCESS);
    Harness::AnswerBoxes({IDOK, IDOK});
    bool stayedOpen = false;
    Harness::OnNextDialog([&](HWND dialog) {
        Harness::Click(dialog, IDC_RG_AUTORUN);
        Harness::Click(dialog, IDC_RG_NOLOGOFF);
        Harness::Click(dialog, IDC_RG_AUTOLOGON);
        Harness::Click(dialog, IDOK);
        stayedOpen = IsWindowVisible(dialog) != FALSE;
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_RG_NOLOGOFF)) << "the dialog stays as the user left it";
        EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT").exists);
        EXPECT_EQ(Text(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon")), "1");
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, PoliciesKey)) << "the policy key was created";

        // With the key back, a second OK writes what still differs.
        CreatePoliciesKey();
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(Harness::Boxes().size(), 2u);
    ExpectFailedBox(0);
    ExpectChangedBox(1);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, PoliciesKey, "NoLogOff").data, (std::vector<BYTE>{1, 0, 0, 0}));
}

TEST_F(RegistryDialogTest, CancelAndCloseBoxWriteNothing)
{
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(testing::Message() << "way " << way);
        Harness::OnNextDialog([&](HWND dialog) {
            Harness::Click(dialog, IDC_RG_AUTORUN);
            Harness::Click(dialog, IDC_RG_NOCLOSE);
            Harness::Click(dialog, IDC_RG_SAVE);
            if (way == 0) Harness::Click(dialog, IDCANCEL);
            if (way == 1) SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        RunDialog();
        Harness::PumpFor(20);
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT").exists);
        EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, PoliciesKey, "NoClose").exists);
        EXPECT_TRUE(Harness::Boxes().empty());
    }
}

// Without the right to write the machine's keys (refused here, as Windows
// refuses a program without elevation), "start with Windows" goes to the
// user's Run key and reads as on from there, while automatic logon keeps its
// failure box. Off removes the value from both keys: one that the machine's
// key keeps is a failure. Under WOW64 every key is opened in the 64-bit view.
TEST_F(RegistryDialogTest, WithoutRightsToTheMachineStartWithWindowsUsesTheUsersRunKey)
{
    Recorder::SetWow64(true);
    Recorder::RefuseMachineWrites(true);
    Harness::AnswerBoxes({IDOK, IDOK});
    bool autoLogonRefused = false;
    Harness::OnNextDialog([&](HWND dialog) {
        Harness::Click(dialog, IDC_RG_AUTORUN);
        Harness::Click(dialog, IDC_RG_AUTOLOGON);
        Harness::Click(dialog, IDOK);
        autoLogonRefused = IsWindowVisible(dialog) != FALSE;
        Harness::Click(dialog, IDC_RG_AUTOLOGON);
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_TRUE(autoLogonRefused);
    ExpectFailedBox(0);
    ExpectChangedBox(1);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, WinlogonKey, "AutoAdminLogon").exists);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT").exists);
    EXPECT_EQ(Text(ReadValue(HKEY_CURRENT_USER, RunKey, "Dorva NT")), "\"" + ProgramPath() + "\"");

    // A machine-wide value from an elevated run cannot be removed now.
    WriteText(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT", "x");
    Harness::ClearBoxes();
    Harness::AnswerBoxes({IDOK, IDOK});
    Harness::OnNextDialog([&](HWND dialog) {
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_RG_AUTORUN));
        Harness::Click(dialog, IDC_RG_AUTORUN);
        Harness::Click(dialog, IDOK);
        EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT").exists);
        EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, RunKey, "Dorva NT").exists);
        Recorder::RefuseMachineWrites(false);
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    ExpectFailedBox(0);
    ExpectChangedBox(1);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT").exists);

    int opened = 0;
    for (int i = 0; i < Recorder::CallCount(); ++i) {
        const RecordedCall& call = Recorder::Call(i);
        if (std::strcmp(call.name, "RegOpenKeyEx") != 0) continue;
        ++opened;
        EXPECT_EQ(call.arg[1] & KEY_WOW64_64KEY, static_cast<uintptr_t>(KEY_WOW64_64KEY)) << call.text;
    }
    EXPECT_GE(opened, 10);
}

// Calling a switch's Set with the state it already has: the Run value is
// left as it is (whatever it holds), the others are written again.
TEST_F(RegistryDialogTest, SetAutorunSkipsTheWriteWhenTheValueAlreadyMatches)
{
    WriteText(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT", "elsewhere.exe");
    EXPECT_TRUE(SetAutorun(1));
    EXPECT_EQ(Text(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT")), "elsewhere.exe");
    EXPECT_TRUE(SetAutorun(0));
    EXPECT_TRUE(SetAutorun(0)) << "deleting a missing value is no failure: nothing to do";
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, RunKey, "Dorva NT").exists);
}

// ---- The program's own settings --------------------------------------------

TEST_F(RegistryDialogTest, SaveWithNoSwitchChangedWritesTheSettingsKey)
{
    SettingsKey::Guard settings;
    State.ExitType = ExitTypeReboot;
    Harness::AnswerBoxes({IDOK});
    EXPECT_TRUE(OkAfter([](HWND dialog) { Harness::Click(dialog, IDC_RG_SAVE); }));
    ExpectChangedBox();
    EXPECT_TRUE(SettingsKey::Exists(SettingsKey::Path));
    EXPECT_EQ(Text(ReadValue(HKEY_LOCAL_MACHINE, SettingsKey::Path, "ExitType")), "20");
}

TEST_F(RegistryDialogTest, DeleteRemovesTheSettingsKey)
{
    SettingsKey::Guard settings;
    ASSERT_TRUE(SettingsKey::WriteRaw("ExitType", std::string("30\0", 3)));
    Harness::AnswerBoxes({IDOK});
    EXPECT_TRUE(OkAfter([](HWND dialog) { Harness::Click(dialog, IDC_RG_DELETE); }));
    ExpectChangedBox();
    EXPECT_FALSE(SettingsKey::Exists(SettingsKey::Path));
}

// Deleting settings that were never saved fails: the failure box and an open
// dialog, while the switch asked for in the same OK is written.
TEST_F(RegistryDialogTest, FailedDeleteReportsButTheSwitchStaysWritten)
{
    SettingsKey::Guard settings;
    Harness::AnswerBoxes({IDOK});
    const bool closed = OkAfter([](HWND dialog) {
        Harness::Click(dialog, IDC_RG_NOCLOSE);
        Harness::Click(dialog, IDC_RG_DELETE);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);  // a second OK while the box is open is ignored
    });
    EXPECT_FALSE(closed);
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    ExpectFailedBox();
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, PoliciesKey, "NoClose").data, (std::vector<BYTE>{1, 0, 0, 0}));
}

TEST_F(RegistryDialogTest, SwitchWithNoChangeSelectedLeavesTheSettingsKeyAlone)
{
    SettingsKey::Guard settings;
    Harness::AnswerBoxes({IDOK});
    EXPECT_TRUE(OkAfter([](HWND dialog) { Harness::Click(dialog, IDC_RG_NOLOGOFF); }));
    ExpectChangedBox();
    EXPECT_FALSE(SettingsKey::Exists(SettingsKey::Path));
}

}  // namespace
