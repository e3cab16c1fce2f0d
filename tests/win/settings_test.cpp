// The settings key in the test prefix's real registry: what a save writes,
// byte for byte, what a load takes from good and bad data, and the delete.
// Every test leaves the registry as it found it.
#include "app/startup.h"
#include "app/tray_clicks.h"
#include "core/text.h"
#include "presence/tray_icon.h"
#include "settings/settings_store.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "support/settings_key.h"

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

using SettingsKey::ParentPath;
using SettingsKey::RawValue;
constexpr const char* KeyPath = SettingsKey::Path;

bool KeyExists(const char* path) { return SettingsKey::Exists(path); }
std::vector<RawValue> ReadAllValues() { return SettingsKey::ReadAll(); }

// One value read back with RegQueryValueEx; `found` false when missing.
struct ReadBack {
    bool found = false;
    DWORD type = 0;
    std::string data;
};

ReadBack QueryValue(const char* name)
{
    ReadBack result;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return result;
    char data[4096];
    DWORD length = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &result.type, reinterpret_cast<BYTE*>(data), &length) == ERROR_SUCCESS) {
        result.found = true;
        result.data.assign(data, length);
    }
    RegCloseKey(key);
    return result;
}

void WriteRaw(const char* name, const std::string& data, DWORD type = REG_SZ, HKEY root = HKEY_LOCAL_MACHINE)
{
    EXPECT_TRUE(SettingsKey::WriteRaw(name, data, type, root)) << name;
}

// A stored text as this program writes it: the text, then zeros up to `length`.
std::string Fixed(const std::string& text, size_t length)
{
    std::string data = text;
    data.resize(length, '\0');
    return data;
}

void DeleteTree(const char* parent, const char* name) { SettingsKey::DeleteKey(parent, name); }

// Every test has the settings key to itself and starts without it.
class SettingsTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
        ASSERT_FALSE(KeyExists(KeyPath));
    }

private:
    SettingsKey::Guard key_;
};

// The registry calls the program makes, seen through its import table: the
// names in order, with the data length written or the length allowed.
struct RegistryCall {
    std::string name;
    DWORD length;
};
std::vector<RegistryCall> SetCalls;
std::vector<RegistryCall> QueryCalls;

using RegSetValueExFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);
using RegQueryValueExFn = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
RegSetValueExFn RealSet = nullptr;
RegQueryValueExFn RealQuery = nullptr;

LONG WINAPI RecordingSet(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD length)
{
    SetCalls.push_back({name ? name : "", length});
    return RealSet(key, name, reserved, type, data, length);
}

LONG WINAPI RecordingQuery(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD length)
{
    QueryCalls.push_back({name ? name : "", length ? *length : 0});
    return RealQuery(key, name, reserved, type, data, length);
}

// Records while alive.
class RegistryCallRecorder {
public:
    RegistryCallRecorder()
    {
        SetCalls.clear();
        QueryCalls.clear();
        RealSet = reinterpret_cast<RegSetValueExFn>(
            Harness::PatchImport("advapi32.dll", "RegSetValueExA", reinterpret_cast<void*>(RecordingSet)));
        RealQuery = reinterpret_cast<RegQueryValueExFn>(
            Harness::PatchImport("advapi32.dll", "RegQueryValueExA", reinterpret_cast<void*>(RecordingQuery)));
    }
    ~RegistryCallRecorder()
    {
        if (RealSet) Harness::PatchImport("advapi32.dll", "RegSetValueExA", reinterpret_cast<void*>(RealSet));
        if (RealQuery) Harness::PatchImport("advapi32.dll", "RegQueryValueExA", reinterpret_cast<void*>(RealQuery));
    }
    bool Installed() const { return RealSet && RealQuery; }
};

void SetPath(int slot, const char* path) { CopyText(State.ProgramPath[slot], sizeof State.ProgramPath[slot], path); }

// ---- save ----------------------------------------------------------------------

struct WrittenValue {
    const char* name;
    std::string text;
    size_t length;
};

TEST_F(SettingsTest, SaveWritesEveryValueWithItsFixedLength)
{
    State.ClickFlag = 0;
    State.ConfirmFlag = 1;
    State.TimerFlag = 1;
    CopyText(State.TimerValue, sizeof State.TimerValue, "600");
    State.AtFlag = 0;
    CopyText(State.AtValue, sizeof State.AtValue, "064500");
    State.WarnFlag = 1;
    CopyText(State.WarnValue, sizeof State.WarnValue, "5");
    State.HotkeyFlag = 1;
    CopyText(State.HotKey, sizeof State.HotKey, "Q");
    State.ExitType = ExitTypePowerOff;
    State.RunBeforeExit = 1;
    SetPath(0, "C:\\A.EXE");
    SetPath(2, "D:\\B.BAT");
    CopyText(State.ProgramsToRun, sizeof State.ProgramsToRun, "stale;");
    State.WarningTextEdited = 1;
    CopyText(State.WarningText, sizeof State.WarningText, "Going down");
    State.ForceFlag = 1;
    State.EjectFlag = 0;
    State.BlockFlag = 1;
    State.WakeFlag = 5;  // saved as a flag
    State.ProgramFlag = 1;
    CopyText(State.ProgramValue, sizeof State.ProgramValue, "my job.exe");
    CopyText(State.AtDays, sizeof State.AtDays, "1234567"), State.PostponeMinutes = 1440;

    ASSERT_TRUE(SaveSettings());

    const WrittenValue expected[] = {
        {"ClickFlag", "0", 7},       {"ConfirmFlag", "1", 7},   {"TimerFlag", "1", 7},
        {"TimerValue", "600", 7},    {"AtFlag", "0", 7},        {"AtValue", "064500", 7},
        {"WarnFlag", "1", 7},        {"WarnValue", "5", 7},     {"HotkeyFlag", "1", 7},
        {"HotKey", "Q", 7},          {"ExitType", "50", 7},     {"RunBeforeExit", "1", 7},
        {"ProgramsToRun", "C:\\A.EXE;D:\\B.BAT;", 1024},         {"WarningText", "Going down", 100},
        {"ForceFlag", "1", 7},       {"EjectFlag", "0", 7},     {"BlockFlag", "1", 7},
        {"WakeFlag", "1", 7},        {"ProgramFlag", "1", 7},   {"ProgramValue", "my job.exe", 65},
        {"IdleFlag", "0", 7},        {"IdleValue", "30", 7},
        {"AtDays", "1234567", 8},   {"PostponeMinutes", "1440", 7},
    };
    EXPECT_EQ(ReadAllValues().size(), std::size(expected));
    for (const WrittenValue& value : expected) {
        SCOPED_TRACE(value.name);
        ReadBack back = QueryValue(value.name);
        ASSERT_TRUE(back.found);
        EXPECT_EQ(back.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(back.data.size(), value.length);
        EXPECT_EQ(back.data, Fixed(value.text, value.length)) << "zeros after the terminator";
    }
    EXPECT_STREQ(State.ProgramsToRun, "C:\\A.EXE;D:\\B.BAT;") << "packed afresh";
}

TEST_F(SettingsTest, SaveWritesInItsOrderAndLoadReadsInItsOrder)
{
    State.WarningTextEdited = 1;
    {
        RegistryCallRecorder recorder;
        ASSERT_TRUE(recorder.Installed());
        ASSERT_TRUE(SaveSettings());
        LoadSettings();
    }
    const RegistryCall written[] = {
        {"ClickFlag", 7},  {"ConfirmFlag", 7},     {"TimerFlag", 7},      {"TimerValue", 7}, {"AtFlag", 7},
        {"AtValue", 7},    {"WarnFlag", 7},        {"WarnValue", 7},      {"HotkeyFlag", 7}, {"HotKey", 7},
        {"ExitType", 7},   {"RunBeforeExit", 7},   {"ProgramsToRun", 1024}, {"WarningText", 100},
        {"ForceFlag", 7},  {"EjectFlag", 7},       {"BlockFlag", 7},      {"WakeFlag", 7},
        {"ProgramFlag", 7}, {"ProgramValue", 65},  {"IdleFlag", 7},       {"IdleValue", 7},
        {"AtDays", 8},     {"PostponeMinutes", 7},
    };
    ASSERT_EQ(SetCalls.size(), std::size(written));
    for (size_t i = 0; i < SetCalls.size(); ++i) {
        EXPECT_EQ(SetCalls[i].name, written[i].name) << "write " << i;
        EXPECT_EQ(SetCalls[i].length, written[i].length) << written[i].name;
    }
    // One table gives both orders; every read is allowed its full length,
    // set afresh before the read.
    ASSERT_EQ(QueryCalls.size(), std::size(written));
    for (size_t i = 0; i < QueryCalls.size(); ++i) {
        EXPECT_EQ(QueryCalls[i].name, written[i].name) << "read " << i;
        EXPECT_EQ(QueryCalls[i].length, written[i].length) << written[i].name;
    }
}

TEST_F(SettingsTest, SaveCreatesTheKeyWithItsClassAndFullDefaults)
{
    DeleteTree("SOFTWARE", "Tarnwick");  // only when empty; created again by the save
    ASSERT_TRUE(SaveSettings());
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
    char keyClass[32] = "";
    DWORD classLength = sizeof keyClass;
    DWORD valueCount = 0;
    EXPECT_EQ(RegQueryInfoKeyA(key, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr, &valueCount,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_STREQ(keyClass, "REG_SZ");
    EXPECT_EQ(valueCount, 23u) << "no WarningText while it was not edited";
    EXPECT_EQ(QueryValue("ClickFlag").data, Fixed("1", 7));
    EXPECT_EQ(QueryValue("TimerValue").data, Fixed("30", 7));
    EXPECT_EQ(QueryValue("AtValue").data, Fixed("230000", 7));
    EXPECT_EQ(QueryValue("WarnValue").data, Fixed("10", 7));
    EXPECT_EQ(QueryValue("HotKey").data, Fixed("X", 7));
    EXPECT_EQ(QueryValue("ExitType").data, Fixed("10", 7));
    EXPECT_EQ(QueryValue("ProgramsToRun").data, std::string(1024, '\0'));
    EXPECT_FALSE(QueryValue("WarningText").found);
}

TEST_F(SettingsTest, SavedFieldBytesAfterTheTerminatorAreZeros)
{
    // Old text behind the terminator of the fields must not reach the registry.
    std::memcpy(State.TimerValue, "5\0" "9999", 7);
    std::memcpy(State.HotKey, "Q", 2);
    std::memset(State.WarningText, 'Z', sizeof State.WarningText);
    State.WarningText[3] = '\0';
    State.WarningTextEdited = 1;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(QueryValue("TimerValue").data, Fixed("5", 7));
    EXPECT_EQ(QueryValue("WarningText").data, Fixed("ZZZ", 100));
}

struct NumberText {
    int value;
    const char* text;
};

TEST_F(SettingsTest, NumbersAreSavedAsSignedDecimalCutToSevenBytesAndHotkeyFlagAsZeroOrOne)
{
    const NumberText cases[] = {{0, "0"}, {1, "1"}, {-1, "-1"}, {99, "99"}, {123456, "123456"}, {-99999, "-99999"},
                                {ExitTypeSleep, "70"}, {ExitTypeHibernate, "80"}, {ExitTypeLock, "90"},
                                {-2147483647 - 1, "-21474"}};  // cut to the seven bytes, not overrun
    for (const NumberText& c : cases) {
        SCOPED_TRACE(c.value);
        State.ExitType = c.value;
        State.ClickFlag = c.value;
        State.BlockFlag = c.value;
        State.HotkeyFlag = c.value;
        ASSERT_TRUE(SaveSettings());
        EXPECT_EQ(QueryValue("ExitType").data, Fixed(c.text, 7));
        EXPECT_EQ(QueryValue("ClickFlag").data, Fixed(c.text, 7));
        EXPECT_EQ(QueryValue("BlockFlag").data, Fixed(c.text, 7));
        EXPECT_EQ(QueryValue("HotkeyFlag").data, Fixed(c.value ? "1" : "0", 7));
        EXPECT_EQ(State.HotkeyFlag, c.value) << "memory keeps the number";
    }
}

// Arming and cancelling from the tray icon changes no choice of the user's.
TEST_F(SettingsTest, ACancelledTimedExitSavesTheChoicesAsTheyAre)
{
    CreateMainWindowAndMenus();
    State.TimerFlag = 1;
    State.TimeoutSeconds = 30;
    State.WarnFlag = 1;
    State.WarnSeconds = 10;
    TrayClickAction();
    ASSERT_NE(State.TimerRunning, 0u);
    TrayClickAction();
    ASSERT_EQ(State.TimerRunning, 0u);
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(QueryValue("TimerFlag").data, Fixed("1", 7));
    EXPECT_EQ(QueryValue("WarnFlag").data, Fixed("1", 7));
}

TEST_F(SettingsTest, UneditedWarningTextLeavesTheStoredOneInPlace)
{
    WriteRaw("WarningText", Fixed("Stored earlier", 100));
    State.WarningTextEdited = 0;
    CopyText(State.WarningText, sizeof State.WarningText, "Counting down to shutdown");
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(QueryValue("WarningText").data, Fixed("Stored earlier", 100));
    ResetProgramState();
    SetDefaults();
    LoadSettings();
    EXPECT_STREQ(State.WarningText, "Stored earlier");
    EXPECT_EQ(State.WarningTextOwn, 1) << "a stored text is the user's, even an empty one";
}

// ---- load ----------------------------------------------------------------------

TEST_F(SettingsTest, RoundTripKeepsEverySetting)
{
    State.ForceFlag = 1;
    State.ClickFlag = 0;
    State.ConfirmFlag = 1;
    State.EjectFlag = 1;
    State.ExitType = ExitTypeRestartShell;
    State.TimerFlag = 0;
    CopyText(State.TimerValue, sizeof State.TimerValue, "999999");
    State.AtFlag = 1;
    CopyText(State.AtValue, sizeof State.AtValue, "063000");
    State.WarnFlag = 1;
    CopyText(State.WarnValue, sizeof State.WarnValue, "45");
    State.BlockFlag = 1;
    State.HotkeyFlag = 1;
    CopyText(State.HotKey, sizeof State.HotKey, "K");
    State.RunBeforeExit = 1;
    SetPath(1, "B");
    SetPath(3, "D:\\long path\\tool.exe");
    State.WarningTextEdited = 1;
    CopyText(State.WarningText, sizeof State.WarningText, "Save your work");
    const std::string longest(ProgramNameMax - 4, 'n');  // the whole field
    CopyText(State.ProgramValue, sizeof State.ProgramValue, (longest + ".exe").c_str());
    State.IdleFlag = 1;
    CopyText(State.IdleValue, sizeof State.IdleValue, "1440");
    ASSERT_TRUE(SaveSettings());

    ResetProgramState();
    SetDefaults();
    LoadSettings();
    EXPECT_EQ(State.ForceFlag, 1);
    EXPECT_EQ(State.ClickFlag, 0);
    EXPECT_EQ(State.ConfirmFlag, 1);
    EXPECT_EQ(State.EjectFlag, 1);
    EXPECT_EQ(State.ExitType, ExitTypeRestartShell);
    EXPECT_EQ(State.TimerFlag, 0);
    EXPECT_STREQ(State.TimerValue, "999999");
    EXPECT_EQ(State.AtFlag, 1);
    EXPECT_STREQ(State.AtValue, "063000");
    EXPECT_EQ(State.WarnFlag, 1);
    EXPECT_STREQ(State.WarnValue, "45");
    EXPECT_EQ(State.BlockFlag, 1);
    EXPECT_EQ(State.HotkeyFlag, 1);
    EXPECT_STREQ(State.HotKey, "K");
    EXPECT_EQ(State.RunBeforeExit, 1);
    EXPECT_STREQ(State.ProgramsToRun, "B;D:\\long path\\tool.exe;");
    EXPECT_STREQ(State.ProgramPath[0], "B") << "packed into the lowest slots";
    EXPECT_STREQ(State.ProgramPath[1], "D:\\long path\\tool.exe");
    EXPECT_STREQ(State.ProgramPath[2], "");
    EXPECT_STREQ(State.ProgramPath[3], "");
    EXPECT_STREQ(State.WarningText, "Save your work");
    EXPECT_EQ(State.ProgramValue, longest + ".exe");
    EXPECT_EQ(State.IdleFlag, 1);
    EXPECT_STREQ(State.IdleValue, "1440");
    // Fields the store does not own stay as they were.
    EXPECT_EQ(State.WarningTextEdited, 0);
    EXPECT_EQ(State.TimeoutSeconds, 0);
}

struct StoredNumberCase {
    const char* name;
    std::string data;
    int ProgramState::*field;
    int expected;
};

TEST_F(SettingsTest, StoredNumbersAreConvertedWithoutRangeCheck)
{
    const StoredNumberCase cases[] = {
        {"ForceFlag", Fixed(" 1", 7), &ProgramState::ForceFlag, 1},
        {"ClickFlag", Fixed("-1", 7), &ProgramState::ClickFlag, -1},
        {"ConfirmFlag", Fixed("x", 7), &ProgramState::ConfirmFlag, 0},
        {"EjectFlag", std::string("", 1), &ProgramState::EjectFlag, 0},
        {"ExitType", Fixed(" 25", 7), &ProgramState::ExitType, ExitTypeBootOptions},
        {"TimerFlag", "+5", &ProgramState::TimerFlag, 5},
        {"AtFlag", "\t\n\r 7x", &ProgramState::AtFlag, 7},
        {"WarnFlag", "\v\f 12", &ProgramState::WarnFlag, 12},  // no terminator at all
        {"BlockFlag", std::string(), &ProgramState::BlockFlag, 0},  // no data
        {"HotkeyFlag", Fixed("5", 7), &ProgramState::HotkeyFlag, 5},
        {"RunBeforeExit", Fixed("0", 7), &ProgramState::RunBeforeExit, 0},
    };
    for (const StoredNumberCase& c : cases) WriteRaw(c.name, c.data);
    State.ClickFlag = 1;
    for (const StoredNumberCase& c : cases) {
        if (c.expected == 0) State.*c.field = 3;  // shows that the value was applied
    }
    LoadSettings();
    for (const StoredNumberCase& c : cases) EXPECT_EQ(State.*c.field, c.expected) << c.name;
}

TEST_F(SettingsTest, EveryReadIsAllowedItsFullLength)
{
    // A short value read first must not shorten what the next read may take.
    WriteRaw("ForceFlag", std::string("1", 1));
    WriteRaw("ClickFlag", Fixed("0", 7));
    WriteRaw("ConfirmFlag", std::string("1\0", 2));
    WriteRaw("EjectFlag", Fixed("1", 7));
    WriteRaw("ExitType", std::string("20", 2));
    WriteRaw("TimerFlag", Fixed("1", 7));
    LoadSettings();
    EXPECT_EQ(State.ForceFlag, 1);
    EXPECT_EQ(State.ClickFlag, 0);
    EXPECT_EQ(State.ConfirmFlag, 1);
    EXPECT_EQ(State.EjectFlag, 1);
    EXPECT_EQ(State.ExitType, ExitTypeReboot);
    EXPECT_EQ(State.TimerFlag, 1);
}

TEST_F(SettingsTest, TooLongValuesAreSkipped)
{
    WriteRaw("ExitType", Fixed("20", 8));
    WriteRaw("ClickFlag", "00000000");
    WriteRaw("TimerValue", Fixed("5", 8));
    WriteRaw("HotKey", "ABCDEFGH");
    WriteRaw("ProgramsToRun", std::string(1025, 'P'));
    WriteRaw("WarningText", std::string(101, 'W'));
    WriteRaw("RunBeforeExit", Fixed("1", 7));
    CopyText(State.ProgramsToRun, sizeof State.ProgramsToRun, "kept;");
    CopyText(State.WarningText, sizeof State.WarningText, "kept");
    LoadSettings();
    EXPECT_EQ(State.ExitType, ExitTypeShutdown);
    EXPECT_EQ(State.ClickFlag, 1);
    EXPECT_STREQ(State.TimerValue, "30");
    EXPECT_STREQ(State.HotKey, "X");
    EXPECT_STREQ(State.ProgramsToRun, "kept;");
    EXPECT_STREQ(State.WarningText, "kept");
    EXPECT_STREQ(State.ProgramPath[0], "kept") << "the list is unpacked as it stands";
    // So is a number that is no exit type.
    for (const char* none : {"99", "0", "-10", "100"}) {
        WriteRaw("ExitType", Fixed(none, 7));
        LoadSettings();
        EXPECT_EQ(State.ExitType, ExitTypeShutdown) << none;
    }
}

TEST_F(SettingsTest, StoredTextsLongerThanTheirFieldAreCutAndTerminated)
{
    // Data that fills a field without a terminator is written as REG_BINARY,
    // which comes back byte for byte: Wine's REG_SZ reads want room for a
    // terminator of their own, Windows' do not.
    WriteRaw("TimerValue", "1234567", REG_BINARY);
    WriteRaw("AtValue", "0630");                  // four bytes, no terminator
    WriteRaw("WarnValue", std::string("7\0zzzz", 6));
    WriteRaw("HotKey", "QZ");
    WriteRaw("ProgramsToRun", std::string(1024, 'P'), REG_BINARY);
    WriteRaw("WarningText", std::string(100, 'W'), REG_BINARY);
    LoadSettings();
    EXPECT_STREQ(State.TimerValue, "123456");
    EXPECT_STREQ(State.AtValue, "0630");
    EXPECT_STREQ(State.WarnValue, "7");
    EXPECT_STREQ(State.HotKey, "Q");
    EXPECT_EQ(std::string(State.ProgramsToRun), std::string(1023, 'P'));
    EXPECT_EQ(std::string(State.WarningText), std::string(99, 'W'));
}

// With "Run before Exit" off the list is kept all the same: the dialog's
// compaction and the next save find it in the slots.
TEST_F(SettingsTest, TheListSurvivesWhileRunBeforeExitIsStoredOff)
{
    WriteRaw("RunBeforeExit", Fixed("0", 7));
    WriteRaw("ProgramsToRun", Fixed("A;B;", 1024));
    LoadSettings();
    EXPECT_EQ(State.RunBeforeExit, 0);
    PackProgramList();
    UnpackProgramList();
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(QueryValue("ProgramsToRun").data, Fixed("A;B;", 1024));
}

TEST_F(SettingsTest, FiveStoredItemsKeepTheFirstFour)
{
    WriteRaw("RunBeforeExit", Fixed("1", 7));
    WriteRaw("ProgramsToRun", Fixed("A;B;C;D;E;", 1024));
    LoadSettings();
    EXPECT_STREQ(State.ProgramPath[0], "A");
    EXPECT_STREQ(State.ProgramPath[3], "D");
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(QueryValue("ProgramsToRun").data, Fixed("A;B;C;D;", 1024));
}

// ---- the machine's store and the user's ----------------------------------------------

void Reload()
{
    ResetProgramState();
    SetDefaults();
    LoadSettings();
}

TEST_F(SettingsTest, WithoutRightsToTheMachineTheUsersStoreIsUsedAndReadOverTheMachines)
{
    Recorder::RefuseMachineWrites(true);
    State.ExitType = ExitTypeLogoff;
    ASSERT_TRUE(SaveSettings());
    EXPECT_FALSE(KeyExists(KeyPath));
    const std::vector<RawValue> user = SettingsKey::ReadAll(HKEY_CURRENT_USER);
    EXPECT_EQ(user.size(), 23u);
    // An administrator's machine-wide settings lie under the user's own: a
    // value the user's store lacks comes from the machine's.
    WriteRaw("ExitType", Fixed("20", 7));
    WriteRaw("WarningText", Fixed("Machine-wide", 100));
    Reload();
    EXPECT_EQ(State.ExitType, ExitTypeLogoff);
    EXPECT_STREQ(State.WarningText, "Machine-wide");
    // The user's copy goes; the machine's stays, and that is no success.
    EXPECT_FALSE(DeleteSettings());
    EXPECT_FALSE(SettingsKey::Exists(KeyPath, HKEY_CURRENT_USER));
    EXPECT_TRUE(KeyExists(KeyPath));

    // With the rights, a save goes to the machine's store, and the user's
    // older copy no longer hides it.
    Recorder::RefuseMachineWrites(false);
    WriteRaw("ExitType", Fixed("30", 7), REG_SZ, HKEY_CURRENT_USER);
    State.ExitType = ExitTypePowerOff;
    ASSERT_TRUE(SaveSettings());
    EXPECT_FALSE(SettingsKey::Exists(KeyPath, HKEY_CURRENT_USER));
    Reload();
    EXPECT_EQ(State.ExitType, ExitTypePowerOff);
    WriteRaw("ExitType", Fixed("30", 7), REG_SZ, HKEY_CURRENT_USER);
    EXPECT_TRUE(DeleteSettings());
    EXPECT_FALSE(KeyExists(KeyPath));
    EXPECT_FALSE(SettingsKey::Exists(KeyPath, HKEY_CURRENT_USER));
}

TEST_F(SettingsTest, OnSixtyFourBitWindowsTheX86ExeUsesTheSixtyFourBitView)
{
    for (bool wow64 : {false, true}) {
        Recorder::Reset();
        Recorder::SetWow64(wow64);
        ASSERT_TRUE(SaveSettings());
        LoadSettings();
        EXPECT_TRUE(DeleteSettings()) << wow64;
        int opened = 0;
        for (int i = 0; i < Recorder::CallCount(); ++i) {
            const RecordedCall& call = Recorder::Call(i);
            if (std::strncmp(call.name, "Reg", 3) != 0) continue;
            ++opened;
            EXPECT_EQ(call.arg[1] & KEY_WOW64_64KEY, wow64 ? KEY_WOW64_64KEY : 0u) << call.name << " " << call.text;
        }
        EXPECT_GE(opened, 5) << wow64;
    }
}

// ---- delete --------------------------------------------------------------------------

TEST_F(SettingsTest, DeleteRemovesTheKeyAndKeepsItsParent)
{
    ASSERT_TRUE(SaveSettings());
    ASSERT_TRUE(KeyExists(KeyPath));
    EXPECT_TRUE(DeleteSettings());
    EXPECT_FALSE(KeyExists(KeyPath));
    EXPECT_TRUE(KeyExists(ParentPath));
    EXPECT_FALSE(DeleteSettings()) << "nothing left to delete";

    // Without the key a load changes nothing, not even a list it could unpack.
    SetPath(0, "kept");
    CopyText(State.ProgramsToRun, sizeof State.ProgramsToRun, "A;B;");
    State.RunBeforeExit = 1;
    ProgramState before = State;
    LoadSettings();
    EXPECT_EQ(std::memcmp(&State, &before, sizeof State), 0) << "the next start keeps the defaults";
}

TEST_F(SettingsTest, DeleteWithoutTheParentFails)
{
    DeleteTree("SOFTWARE", "Tarnwick");
    if (KeyExists(ParentPath)) GTEST_SKIP() << "the prefix holds other keys under Tarnwick";
    EXPECT_FALSE(DeleteSettings());
}

}  // namespace
