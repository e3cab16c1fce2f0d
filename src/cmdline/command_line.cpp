// The command-line options: checked, laid over the saved settings, and a
// time-of-day exit armed when one ends up selected.
#include "cmdline/command_line.h"

#include "app/program_state.h"
#include "core/command_line_text.h"
#include "core/decimal.h"
#include "core/text.h"
#include "dialogs/hotkey.h"
#include "settings/settings_store.h"
#include "timer/scheduler.h"

#include <array>
#include <cstddef>

namespace {
constexpr char TooManyOptions[] = "Too many options specified";
constexpr char WarnNeedsTimer[] = "The '/w' option can only be\nused with '/a' or '/t'";
constexpr char WarnTooLong[] = "Warning time is bigger than\ntimeout value";
constexpr char TimerNotStarted[] = "Timer not started (Invalid time ?)";

constexpr char NoSavedSettings[] = "/z";
constexpr int DefaultWarnSeconds = 10;
constexpr int DefaultTimeoutSeconds = 30;
constexpr char DefaultHotKey[] = "X";

// One option and the field it sets. Applied in this order.
struct OptionSetting {
    const char* option;
    int ProgramState::*field;
    int value;
};

constexpr int ExitTypeOptionCount = 6;
constexpr std::array<OptionSetting, 17> Options = {{
    {"/e:s", &ProgramState::ExitType, ExitTypeShutdown},
    {"/e:b", &ProgramState::ExitType, ExitTypeReboot},
    {"/e:l", &ProgramState::ExitType, ExitTypeLogoff},
    {"/e:p", &ProgramState::ExitType, ExitTypePowerOff},
    {"/x:s", &ProgramState::ExitType, ExitTypeScreensaver},
    {"/x:r", &ProgramState::ExitType, ExitTypeRestartShell},
    {"/f:f", &ProgramState::ForceFlag, 1},
    {"/f:d", &ProgramState::ClickFlag, 0},
    {"/f:e", &ProgramState::EjectFlag, 1},
    {"/f:b", &ProgramState::BlockFlag, 1},
    {"/f:c", &ProgramState::ConfirmFlag, 1},
    {"/f:h", &ProgramState::HideIconFlag, 1},
    {"/h", &ProgramState::HotkeyFlag, 1},
    {"/t", &ProgramState::TimerFlag, 1},
    {"/a", &ProgramState::AtFlag, 1},
    {"/w", &ProgramState::WarnFlag, 1},
    {"/n", &ProgramState::NoIconMode, 1},
}};

int Fail(const char* message)
{
    ErrorBox(message);
    return 0;
}

int CountExitTypeOptions(const char* text)
{
    int count = 0;
    for (int i = 0; i < ExitTypeOptionCount; ++i) count += HasOption(text, Options[i].option) ? 1 : 0;
    return count;
}

void ApplyOptions(const char* text)
{
    for (const OptionSetting& setting : Options) {
        if (HasOption(text, setting.option)) State.*setting.field = setting.value;
    }
}

// Takes the option's value into its field when the option is given with one;
// otherwise the field keeps the saved setting or the default. False, with the
// field unchanged, when the value is longer than the field holds: a cut would
// change the number.
template <size_t Size>
bool TakeValue(const char* text, const char* option, char letter, char (&field)[Size])
{
    if (!HasOption(text, option)) return true;
    char value[Size];
    size_t length = OptionValue(text, letter, value, sizeof value);
    if (length >= Size) return false;
    if (length > 0) CopyText(field, Size, value);
    return true;
}

// A count of seconds: out of 1..999999 it is replaced by the default. The
// text is then the number's own, so that the two always agree.
template <size_t Size>
int TakeSeconds(char (&field)[Size], int fallback)
{
    int seconds = DecimalToInt(field);
    if (seconds < 1 || seconds > MaxTimedSeconds) seconds = fallback;
    IntToDecimal(seconds, field, Size);
    return seconds;
}

// The hotkey is one letter: a longer value keeps its first character.
void TakeHotKey(const char* text)
{
    if (HasOption(text, "/h")) {
        char value[HotKeySize];
        if (OptionValue(text, 'h', value, sizeof value) > 0) CopyText(State.HotKey, sizeof State.HotKey, value);
    }
    // Only A to Z are hotkey letters: a plain upper-casing is all they need.
    char& letter = State.HotKey[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (!IsHotkeyLetter(State.HotKey[0])) CopyText(State.HotKey, sizeof State.HotKey, DefaultHotKey);
}
}  // namespace

int ParseCommandLine(const char* text)
{
    if (text == nullptr) text = "";
    if (CountExitTypeOptions(text) >= 2) return Fail(TooManyOptions);
    if (!HasOption(text, NoSavedSettings)) LoadSettings();

    ApplyOptions(text);

    if (State.AtFlag && State.TimerFlag) return Fail(TooManyOptions);
    if (State.WarnFlag && !State.AtFlag && !State.TimerFlag) return Fail(WarnNeedsTimer);
    if (State.HotkeyFlag) TakeHotKey(text);
    // A timed value too long for its field is refused, never cut.
    if (State.WarnFlag) {
        if (!TakeValue(text, "/w", 'w', State.WarnValue)) return Fail(TimerNotStarted);
        State.WarnSeconds = TakeSeconds(State.WarnValue, DefaultWarnSeconds);
    }
    if (State.TimerFlag) {
        if (!TakeValue(text, "/t", 't', State.TimerValue)) return Fail(TimerNotStarted);
        State.TimeoutSeconds = TakeSeconds(State.TimerValue, DefaultTimeoutSeconds);
        if (State.WarnSeconds > State.TimeoutSeconds) return Fail(WarnTooLong);
    }
    // The screen saver is never forced.
    if (State.ExitType == ExitTypeScreensaver && State.ForceFlag) State.ForceFlag = 0;
    if (!State.AtFlag) return 1;

    if (!TakeValue(text, "/a", 'a', State.AtValue)) return Fail(TimerNotStarted);
    StartTimedExit();
    if (State.TimerRunning) return 1;
    return Fail(TimerNotStarted);
}
