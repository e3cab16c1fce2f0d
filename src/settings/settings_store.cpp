// The program's own settings under HKLM "SOFTWARE\Tarnwick\DorvaNT": loaded
// once at start, saved and deleted from the Registry dialog; and the stored
// form of the program list.
#include "settings/settings_store.h"

#include "app/program_state.h"
#include "core/decimal.h"
#include "core/program_list.h"
#include "core/stored_value.h"

#include <array>

namespace {
constexpr char ParentKeyPath[] = "SOFTWARE\\Tarnwick";
constexpr char SettingsKeyName[] = "DorvaNT";
constexpr char SettingsKeyPath[] = "SOFTWARE\\Tarnwick\\DorvaNT";

// Every small value is stored with this many bytes of data.
constexpr DWORD SmallValueLength = 7;
constexpr int NumberTextSize = 16;  // every int in decimal, with sign

static_assert(sizeof State.TimerValue == SmallValueLength, "small text fields hold seven bytes");
static_assert(sizeof State.ProgramsToRun == ProgramsToRunSize, "list field size");
static_assert(sizeof State.WarningText == WarningTextSize, "warning text field size");
static_assert(ProgramItemSize == ProgramPathSize && ProgramListSlots == ProgramSlots,
              "the stored list and the program slots agree");

// A small value: a number field, or a text field of its size.
struct SmallValue {
    const char* name;
    int* number;
    char* text;
    size_t textSize;
};

// The small values in the order they are read.
const std::array<SmallValue, 15> LoadOrder = {{
    {"ForceFlag", &State.ForceFlag, nullptr, 0},
    {"ClickFlag", &State.ClickFlag, nullptr, 0},
    {"ConfirmFlag", &State.ConfirmFlag, nullptr, 0},
    {"EjectFlag", &State.EjectFlag, nullptr, 0},
    {"ExitType", &State.ExitType, nullptr, 0},
    {"TimerFlag", &State.TimerFlag, nullptr, 0},
    {"TimerValue", nullptr, State.TimerValue, sizeof State.TimerValue},
    {"AtFlag", &State.AtFlag, nullptr, 0},
    {"AtValue", nullptr, State.AtValue, sizeof State.AtValue},
    {"WarnFlag", &State.WarnFlag, nullptr, 0},
    {"WarnValue", nullptr, State.WarnValue, sizeof State.WarnValue},
    {"BlockFlag", &State.BlockFlag, nullptr, 0},
    {"HotkeyFlag", &State.HotkeyFlag, nullptr, 0},
    {"HotKey", nullptr, State.HotKey, sizeof State.HotKey},
    {"RunBeforeExit", &State.RunBeforeExit, nullptr, 0},
}};

// Reads one value into `buffer` with an allowed length of `size` bytes.
// Returns the length read, or -1 when the value is missing, longer than
// allowed or unreadable.
long ReadValue(HKEY key, const char* name, char* buffer, DWORD size)
{
    DWORD length = size;
    LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
    if (result != ERROR_SUCCESS || length > size) return -1;
    return static_cast<long>(length);
}

void LoadSmallValue(HKEY key, const SmallValue& value)
{
    char data[SmallValueLength];
    long length = ReadValue(key, value.name, data, sizeof data);
    if (length < 0) return;
    if (value.number) {
        *value.number = StoredNumber(data, static_cast<size_t>(length));
    } else {
        StoredTextToField(data, static_cast<size_t>(length), value.text, value.textSize);
    }
}

// A whole text field read through a buffer of its size: the field changes
// only when the read succeeds, and always ends in a terminator, even when
// the stored data filled it without one.
template <size_t Size>
void LoadTextField(HKEY key, const char* name, char (&field)[Size])
{
    char data[Size];
    long length = ReadValue(key, name, data, sizeof data);
    if (length >= 0) StoredTextToField(data, static_cast<size_t>(length), field, Size);
}

// Writes `text` as REG_SZ with exactly `length` bytes of data: the text, its
// terminator and zeros after it.
template <size_t Length>
bool WriteFixed(HKEY key, const char* name, const char* text)
{
    char data[Length];
    FillFixedLength(text, data, Length);
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), Length) == ERROR_SUCCESS;
}

bool WriteSmallText(HKEY key, const char* name, const char* text)
{
    return WriteFixed<SmallValueLength>(key, name, text);
}

bool WriteNumber(HKEY key, const char* name, int number)
{
    char text[NumberTextSize];
    IntToDecimal(number, text, sizeof text);
    return WriteSmallText(key, name, text);
}

// After a timed exit was cancelled from the tray icon, the time-of-day exit
// and the warning are stored as off.
int FlagToSave(int flag) { return State.TimerCancelled ? 0 : flag; }
}  // namespace

void LoadSettings()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    for (const SmallValue& value : LoadOrder) LoadSmallValue(key, value);
    LoadTextField(key, "ProgramsToRun", State.ProgramsToRun);
    LoadTextField(key, "WarningText", State.WarningText);
    RegCloseKey(key);
    // The slots always hold the stored list, also while "Run before Exit" is
    // off: the switch decides whether the programs run, and the list must
    // survive the dialog and the next save either way.
    UnpackProgramList();
}

bool SaveSettings()
{
    char keyClass[] = "REG_SZ";
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SettingsKeyPath, 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    // Every write is made, whatever failed before it.
    bool saved = true;
    saved &= WriteNumber(key, "ClickFlag", State.ClickFlag);
    saved &= WriteNumber(key, "ConfirmFlag", State.ConfirmFlag);
    saved &= WriteNumber(key, "TimerFlag", State.TimerFlag);
    saved &= WriteSmallText(key, "TimerValue", State.TimerValue);
    saved &= WriteNumber(key, "AtFlag", FlagToSave(State.AtFlag));
    saved &= WriteSmallText(key, "AtValue", State.AtValue);
    saved &= WriteNumber(key, "WarnFlag", FlagToSave(State.WarnFlag));
    saved &= WriteSmallText(key, "WarnValue", State.WarnValue);
    saved &= WriteNumber(key, "HotkeyFlag", State.HotkeyFlag ? 1 : 0);
    saved &= WriteSmallText(key, "HotKey", State.HotKey);
    saved &= WriteNumber(key, "ExitType", State.ExitType);
    saved &= WriteNumber(key, "RunBeforeExit", State.RunBeforeExit);
    PackProgramList();
    saved &= WriteFixed<ProgramsToRunSize>(key, "ProgramsToRun", State.ProgramsToRun);
    if (State.WarningTextEdited) saved &= WriteFixed<WarningTextSize>(key, "WarningText", State.WarningText);
    saved &= WriteNumber(key, "ForceFlag", State.ForceFlag);
    saved &= WriteNumber(key, "EjectFlag", State.EjectFlag);
    saved &= WriteNumber(key, "BlockFlag", State.BlockFlag);
    RegCloseKey(key);
    return saved;
}

bool DeleteSettings()
{
    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ParentKeyPath, 0, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) return false;
    bool deleted = RegDeleteKeyA(parent, SettingsKeyName) == ERROR_SUCCESS;
    RegCloseKey(parent);
    return deleted;
}

void PackProgramList()
{
    PackProgramText(State.ProgramPath, State.ProgramsToRun, sizeof State.ProgramsToRun);
}

void UnpackProgramList()
{
    UnpackProgramTextN(State.ProgramsToRun, sizeof State.ProgramsToRun, State.ProgramPath);
}
