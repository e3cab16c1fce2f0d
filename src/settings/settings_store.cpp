// The program's own settings, kept under "SOFTWARE\Tarnwick\DorvaNT" in two
// stores: the machine's (HKEY_LOCAL_MACHINE), read first, and the current
// user's (HKEY_CURRENT_USER), read over it. A save goes to the machine's store
// when the program may write there and to the user's otherwise; a delete
// empties both. Also the stored form of the program list.
#include "settings/settings_store.h"

#include "core/decimal.h"
#include "core/program_list.h"
#include "core/stored_value.h"
#include "core/text.h"
#include "settings/registry_view.h"
#include "state/program_state.h"

#include <cstring>

namespace {
constexpr char ParentKeyPath[] = "SOFTWARE\\Tarnwick";
constexpr char SettingsKeyName[] = "DorvaNT";
constexpr char SettingsKeyPath[] = "SOFTWARE\\Tarnwick\\DorvaNT";

// Every small value is stored with this many bytes of data.
constexpr DWORD SmallValueLength = 7;
constexpr int NumberTextSize = 16;  // every int in decimal, with sign
// A program's name is stored with the whole field: 64 characters and the terminator.
constexpr DWORD ProgramValueLength = ProgramNameSize;

static_assert(sizeof State.TimerValue == SmallValueLength, "small text fields hold seven bytes");
static_assert(sizeof State.ProgramsToRun == ProgramsToRunSize, "list field size");
static_assert(sizeof State.WarningText == WarningTextSize, "warning text field size");
static_assert(ProgramItemSize == ProgramPathSize && ProgramListSlots == ProgramSlots,
              "the stored list and the program slots agree");

// How a value is written; every value is read the same way but the exit type.
enum class SaveRule : unsigned char {
    AsIs,
    ExitTypeCode,      // as is; a stored number that is no exit type is skipped
    ZeroOrOne,         // any non-zero number as "1"
    PackedList,        // the program slots, packed afresh
    OnlyWhenEdited,    // only after the user edited the countdown text
};

// One stored value: a number field, or a text field of its size. The data
// length is fixed whatever the text; the bytes after the terminator are zeros.
// The sizes and defaults are small: narrow members keep the table short.
struct StoredSetting {
    const char* name;
    int* number;
    char* text;
    const char* defaultText;
    unsigned short textSize;
    unsigned short length;
    signed char defaultNumber;
    SaveRule rule;
};

// The seventeen values of old and the newer ones after them, in the order in
// which they are written and read.
const StoredSetting Settings[] = {
    {"ClickFlag", &State.ClickFlag, nullptr, nullptr, 0, SmallValueLength, 1, SaveRule::AsIs},
    {"ConfirmFlag", &State.ConfirmFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"TimerFlag", &State.TimerFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"TimerValue", nullptr, State.TimerValue, "30", sizeof State.TimerValue, SmallValueLength, 0, SaveRule::AsIs},
    {"AtFlag", &State.AtFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"AtValue", nullptr, State.AtValue, "230000", sizeof State.AtValue, SmallValueLength, 0, SaveRule::AsIs},
    {"WarnFlag", &State.WarnFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"WarnValue", nullptr, State.WarnValue, "10", sizeof State.WarnValue, SmallValueLength, 0, SaveRule::AsIs},
    {"HotkeyFlag", &State.HotkeyFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::ZeroOrOne},
    {"HotKey", nullptr, State.HotKey, "X", sizeof State.HotKey, SmallValueLength, 0, SaveRule::AsIs},
    {"ExitType", &State.ExitType, nullptr, nullptr, 0, SmallValueLength, ExitTypeShutdown, SaveRule::ExitTypeCode},
    {"RunBeforeExit", &State.RunBeforeExit, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"ProgramsToRun", nullptr, State.ProgramsToRun, "", sizeof State.ProgramsToRun, ProgramsToRunSize, 0,
     SaveRule::PackedList},
    {"WarningText", nullptr, State.WarningText, "", sizeof State.WarningText, WarningTextSize, 0,
     SaveRule::OnlyWhenEdited},
    {"ForceFlag", &State.ForceFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"EjectFlag", &State.EjectFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"BlockFlag", &State.BlockFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"WakeFlag", &State.WakeFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::ZeroOrOne},
    {"ProgramFlag", &State.ProgramFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"ProgramValue", nullptr, State.ProgramValue, "", sizeof State.ProgramValue, ProgramValueLength, 0, SaveRule::AsIs},
    {"IdleFlag", &State.IdleFlag, nullptr, nullptr, 0, SmallValueLength, 0, SaveRule::AsIs},
    {"IdleValue", nullptr, State.IdleValue, "30", sizeof State.IdleValue, SmallValueLength, 0, SaveRule::AsIs},
    // Seven weekday digits and the terminator: one byte more than the others.
    {"AtDays", nullptr, State.AtDays, "", sizeof State.AtDays, sizeof State.AtDays, 0, SaveRule::AsIs},
    {"PostponeMinutes", &State.PostponeMinutes, nullptr, nullptr, 0, SmallValueLength, DefaultPostponeMinutes,
     SaveRule::AsIs},
};

static_assert(sizeof Settings / sizeof Settings[0] == 24, "the key holds twenty-four values, one row each");

// The machine's store first: the user's is read over it.
const HKEY Stores[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};

// Applies one stored value when it can be read within its length; a value
// that is missing, longer or unreadable leaves its field as it was, and so
// does an exit type that is none. Text fields always end in a terminator,
// even when the data filled them without.
void LoadSetting(HKEY key, const StoredSetting& setting)
{
    char data[ProgramsToRunSize];
    DWORD length = setting.length;
    if (RegQueryValueExA(key, setting.name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &length) !=
            ERROR_SUCCESS ||
        length > setting.length) {
        return;
    }
    if (setting.number) {
        const int number = StoredNumber(data, length);
        if (setting.rule == SaveRule::ExitTypeCode && !FindExitType(number)) return;
        *setting.number = number;
    } else {
        StoredTextToField(data, length, setting.text, setting.textSize);
    }
    // Stored only once edited: the countdown text is the user's own.
    if (setting.rule == SaveRule::OnlyWhenEdited) State.WarningTextOwn = 1;
}

// Writes `text` as REG_SZ with exactly `length` bytes of data: the text, its
// terminator and zeros after it.
bool WriteFixed(HKEY key, const char* name, const char* text, DWORD length)
{
    char data[ProgramsToRunSize];
    FillFixedLength(text, data, length);
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), length) == ERROR_SUCCESS;
}

bool SaveSetting(HKEY key, const StoredSetting& setting)
{
    if (setting.rule == SaveRule::OnlyWhenEdited && !State.WarningTextEdited) return true;
    if (setting.rule == SaveRule::PackedList) PackProgramList();
    if (setting.text) return WriteFixed(key, setting.name, setting.text, setting.length);
    int number = *setting.number;
    if (setting.rule == SaveRule::ZeroOrOne) number = number ? 1 : 0;
    char text[NumberTextSize];
    IntToDecimal(number, text, sizeof text);
    return WriteFixed(key, setting.name, text, setting.length);
}

bool LoadFrom(HKEY store)
{
    const RegistryKey key = OpenRegistryKey(store, SettingsKeyPath, KEY_QUERY_VALUE);
    if (!key) return false;
    for (const StoredSetting& setting : Settings) LoadSetting(key, setting);
    return true;
}

// Every write is made, whatever failed before it.
bool SaveTo(HKEY store)
{
    const RegistryKey key = CreateRegistryKey(store, SettingsKeyPath, KEY_WRITE);
    if (!key) return false;
    bool saved = true;
    for (const StoredSetting& setting : Settings) saved &= SaveSetting(key, setting);
    return saved;
}

bool HasSettings(HKEY store)
{
    return OpenRegistryKey(store, SettingsKeyPath, KEY_QUERY_VALUE) != nullptr;
}

// Deletes the key; "SOFTWARE\Tarnwick" stays, empty.
bool DeleteFrom(HKEY store)
{
    const RegistryKey parent = OpenRegistryKey(store, ParentKeyPath, KEY_ALL_ACCESS);
    return parent && DeleteRegistryKey(parent, SettingsKeyName);
}
}  // namespace

void SetSettingDefaults()
{
    for (const StoredSetting& setting : Settings) {
        if (setting.number) {
            *setting.number = setting.defaultNumber;
        } else {
            CopyText(setting.text, setting.textSize, setting.defaultText);
        }
    }
}

const char* SettingDefault(const char* name)
{
    for (const StoredSetting& setting : Settings) {
        if (!setting.number && std::strcmp(setting.name, name) == 0) return setting.defaultText;
    }
    return "";
}

void LoadSettings()
{
    bool loaded = false;
    for (HKEY store : Stores) loaded |= LoadFrom(store);
    // The slots always hold the stored list, also while "Run before Exit" is
    // off: the switch decides whether the programs run, and the list must
    // survive the dialog and the next save either way.
    if (loaded) UnpackProgramList();
}

// A save to the machine's store also removes the user's own copy, which would
// otherwise be read over what was just saved.
bool SaveSettings()
{
    if (!SaveTo(HKEY_LOCAL_MACHINE)) return SaveTo(HKEY_CURRENT_USER);
    if (HasSettings(HKEY_CURRENT_USER)) DeleteFrom(HKEY_CURRENT_USER);
    return true;
}

// True when settings were deleted and neither store holds any now: settings
// left in the machine's store (without the right to delete them) would still
// be loaded at the next start.
bool DeleteSettings()
{
    bool deleted = false;
    bool left = false;
    for (HKEY store : Stores) {
        if (!HasSettings(store)) continue;
        if (DeleteFrom(store)) {
            deleted = true;
        } else {
            left = true;
        }
    }
    return deleted && !left;
}

void PackProgramList()
{
    PackProgramText(State.ProgramPath, State.ProgramsToRun, sizeof State.ProgramsToRun);
}

void UnpackProgramList()
{
    UnpackProgramTextN(State.ProgramsToRun, sizeof State.ProgramsToRun, State.ProgramPath);
}
