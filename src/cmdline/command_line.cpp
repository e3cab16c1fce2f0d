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

namespace {
constexpr char TooManyOptions[] = "Too many options specified";
constexpr char WarnNeedsTimer[] = "The '/w' option can only be\nused with '/a' or '/t'";
constexpr char WarnTooLong[] = "Warning time is bigger than\ntimeout value";
constexpr char TimerNotStarted[] = "Timer not started (Invalid time ?)";

constexpr char NoSavedSettings[] = "/z";
constexpr int MaxSeconds = 999999;
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

// The tokens that carry the values of "/a", "/h", "/t" and "/w".
struct OptionTokens {
    char at[TokenBufferSize];
    char hotkey[TokenBufferSize];
    char timer[TokenBufferSize];
    char warn[TokenBufferSize];
};

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
// otherwise the field keeps the saved setting or the default.
void TakeValue(const char* text, const char* option, const char* token, char letter, char* field,
               size_t fieldSize)
{
    if (HasOption(text, option)) ExtractOptionValue(token, letter, field, fieldSize);
}

// A count of seconds: out of 1..999999 it is replaced by the default.
int SecondsOrDefault(const char* value, int fallback)
{
    int seconds = DecimalToInt(value);
    return seconds <= 0 || seconds > MaxSeconds ? fallback : seconds;
}

void TakeHotKey(const char* text, const OptionTokens& tokens)
{
    TakeValue(text, "/h", tokens.hotkey, 'h', State.HotKey, sizeof State.HotKey);
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

    OptionTokens tokens;
    CollectOptionTokens(text, tokens.at, tokens.hotkey, tokens.timer, tokens.warn);
    ApplyOptions(text);

    if (State.AtFlag && State.TimerFlag) return Fail(TooManyOptions);
    if (State.WarnFlag && !State.AtFlag && !State.TimerFlag) return Fail(WarnNeedsTimer);
    if (State.HotkeyFlag) TakeHotKey(text, tokens);
    if (State.WarnFlag) {
        TakeValue(text, "/w", tokens.warn, 'w', State.WarnValue, sizeof State.WarnValue);
        State.WarnSeconds = SecondsOrDefault(State.WarnValue, DefaultWarnSeconds);
    }
    if (State.TimerFlag) {
        TakeValue(text, "/t", tokens.timer, 't', State.TimerValue, sizeof State.TimerValue);
        State.TimeoutSeconds = SecondsOrDefault(State.TimerValue, DefaultTimeoutSeconds);
        if (State.WarnSeconds > State.TimeoutSeconds) return Fail(WarnTooLong);
    }
    // The screen saver is never forced.
    if (State.ExitType == ExitTypeScreensaver && State.ForceFlag) State.ForceFlag = 0;
    if (!State.AtFlag) return 1;

    TakeValue(text, "/a", tokens.at, 'a', State.AtValue, sizeof State.AtValue);
    StartTimedExit();
    if (State.TimerRunning) return 1;
    return Fail(TimerNotStarted);
}
