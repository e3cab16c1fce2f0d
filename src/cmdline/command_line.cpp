// The command-line options: checked, laid over the saved settings, and a
// time-of-day exit armed when one ends up selected.
#include "cmdline/command_line.h"

#include "core/command_line_text.h"
#include "core/decimal.h"
#include "core/hand_over.h"
#include "core/job_text.h"
#include "core/text.h"
#include "dialogs/hotkey.h"
#include "exit/perform_exit.h"
#include "settings/settings_store.h"
#include "state/program_state.h"
#include "timer/scheduler.h"

#include <cstddef>
#include <cstring>
#include <utility>

namespace {
constexpr char WarnNeedsTimer[] = "The '/w' option can only be\nused with '/a' or '/t'";
constexpr char WarnTooLong[] = "Warning time is bigger than\ntimeout value";

// A timed exit refused for what the saved settings alone ask for names them,
// not options the user never typed.
constexpr char SavedTimedExit[] = "The saved settings ask for a timed exit\nthat cannot start: start with /z to ignore them";

constexpr char NoSavedSettings[] = "/z";
// "/r:12345": the weekdays of the time of day.
constexpr char WeekdaysOption[] = "/r";
constexpr char BadWeekdays[] = "The weekdays are digits from 1 (Monday) to 7 (Sunday)";

// A word that starts with '/' and is no option is refused with the word as
// typed: a typo never becomes another exit.
constexpr char UnknownOption[] = "Unknown option ";
constexpr char SeeOptionList[] = " (DorvaNT.exe /? lists the options)";
constexpr size_t UnknownOptionSize = 128;
// A hand-over's refusal is held until its answer has gone, and kept whole.
static_assert(UnknownOptionSize <= HeldBoxTextSize, "a held box keeps the whole message");
// The options that take a value written after them ("/t:600", "/h:q").
constexpr char ValueLetters[] = "ahtwpir";

// One option and the field it sets. Applied in this order, after the
// exit-type options of the exit-type table. The option's text is kept in the
// row itself: a short table without pointers.
constexpr size_t OptionTextSize = 5;
struct OptionSetting {
    char option[OptionTextSize];
    signed char value;
    int ProgramState::*field;
};

constexpr OptionSetting Options[] = {
    {"/f:f", 1, &ProgramState::ForceFlag},
    {"/f:d", 0, &ProgramState::ClickFlag},
    {"/f:e", 1, &ProgramState::EjectFlag},
    {"/f:b", 1, &ProgramState::BlockFlag},
    {"/f:c", 1, &ProgramState::ConfirmFlag},
    {"/f:h", 1, &ProgramState::HideIconFlag},
    {"/f:w", 1, &ProgramState::WakeFlag},
    {"/h", 1, &ProgramState::HotkeyFlag},
    {"/t", 1, &ProgramState::TimerFlag},
    {"/a", 1, &ProgramState::AtFlag},
    {"/p", 1, &ProgramState::ProgramFlag},
    {"/i", 1, &ProgramState::IdleFlag},
    {"/w", 1, &ProgramState::WarnFlag},
    {"/n", 1, &ProgramState::NoIconMode},
};

// An option is found by a search of the whole text: one that is a part of
// another ("/t" of a "/t:x") would be found in it too. Every option of the
// tables, the exit types' included, is no part of any other.
constexpr bool IsPartOf(const char* part, const char* whole)
{
    for (size_t at = 0; whole[at] != '\0'; ++at) {
        size_t i = 0;
        while (part[i] != '\0' && part[i] == whole[at + i]) ++i;
        if (part[i] == '\0') return true;
    }
    return false;
}

// Found in the text too: "/z", and the option list's "/?".
constexpr const char* LoneOptions[] = {NoSavedSettings, UsageOption, WeekdaysOption};
constexpr size_t OptionSettingCount = sizeof Options / sizeof Options[0];

constexpr const char* OptionText(size_t index)
{
    if (index < ExitTypeCount) return ExitTypes[index].option;
    index -= ExitTypeCount;
    return index < OptionSettingCount ? Options[index].option : LoneOptions[index - OptionSettingCount];
}

constexpr bool OptionsAreApart()
{
    constexpr size_t count = ExitTypeCount + OptionSettingCount + sizeof LoneOptions / sizeof LoneOptions[0];
    for (size_t a = 0; a < count; ++a) {
        if (OptionText(a)[0] != '/' || OptionText(a)[1] == '\0') return false;
        for (size_t b = 0; b < count; ++b) {
            if (a != b && IsPartOf(OptionText(a), OptionText(b))) return false;
        }
    }
    return true;
}
static_assert(OptionsAreApart(), "an option is no part of another");

bool Fail(const char* message)
{
    ErrorBox(message);
    return false;
}

// The options are ASCII: the word as typed is compared in any case.
bool IsPiece(const char* piece, size_t length, const char* option)
{
    if (TextLengthN(option, length + 1) != length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (LowerCase(piece[i]) != option[i]) return false;
    }
    return true;
}

// One option of a word, from its '/' up to the next: an option of the
// tables, or a value option with whatever value follows it.
bool IsOptionPiece(const char* piece, size_t length)
{
    for (const ExitTypeInfo& type : ExitTypes) {
        if (IsPiece(piece, length, type.option)) return true;
    }
    for (const OptionSetting& setting : Options) {
        if (IsPiece(piece, length, setting.option)) return true;
    }
    if (length >= 2 && std::strchr(ValueLetters, LowerCase(piece[1]))) return true;
    return IsPiece(piece, length, NoSavedSettings);
}

// A long word is cut; the pointer to the option list always fits.
bool FailUnknownWord(const char* word, size_t length)
{
    char message[UnknownOptionSize];
    constexpr size_t WordRoom = sizeof message - (sizeof SeeOptionList - 1);
    size_t used = CopyText(message, WordRoom, UnknownOption);
    used += CopyTextN(message + used, WordRoom - used, word, length);
    CopyText(message + used, sizeof message - used, SeeOptionList);
    return Fail(message);
}

// The typed option's own message, or the saved settings' when the timed exit
// comes from them alone.
bool FailTimed(bool typed, const char* message) { return Fail(typed ? message : SavedTimedExit); }

// The exit type that the options name, nullptr for none; false when they
// name more than one.
bool FindNamedExitType(const char* text, const ExitTypeInfo** named)
{
    *named = nullptr;
    for (const ExitTypeInfo& type : ExitTypes) {
        if (!HasOption(text, type.option)) continue;
        if (*named) return false;
        *named = &type;
    }
    return true;
}

void ApplyOptions(const char* text, const ExitTypeInfo* named, ProgramState& base)
{
    if (named) base.ExitType = named->code;
    for (const OptionSetting& setting : Options) {
        if (HasOption(text, setting.option)) base.*setting.field = setting.value;
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

// A count of seconds: out of 1..999999 it is replaced by the setting's
// default. The text is then the number's own, so that the two always agree.
template <size_t Size>
int TakeSeconds(char (&field)[Size], const char* settingName)
{
    int seconds = DecimalToInt(field);
    if (!IsTimedSeconds(seconds)) seconds = DecimalToInt(SettingDefault(settingName));
    IntToDecimal(seconds, field, Size);
    return seconds;
}

// The hotkey is one letter: a longer value keeps its first character.
void TakeHotKey(const char* text, ProgramState& base)
{
    if (HasOption(text, "/h")) {
        char value[HotKeySize];
        if (OptionValue(text, 'h', value, sizeof value) > 0) CopyText(base.HotKey, sizeof base.HotKey, value);
    }
    // Only A to Z are hotkey letters: a plain upper-casing is all they need.
    char& letter = base.HotKey[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (!IsHotkeyLetter(base.HotKey[0])) CopyText(base.HotKey, sizeof base.HotKey, SettingDefault("HotKey"));
}

// The four kinds of timed exit, each with its flag: one at a time.
constexpr const char* TimedOptions[] = {"/t", "/a", "/p", "/i"};
constexpr int ProgramState::*TimedFlags[] = {&ProgramState::TimerFlag, &ProgramState::AtFlag,
                                             &ProgramState::ProgramFlag, &ProgramState::IdleFlag};
static_assert(sizeof TimedOptions / sizeof TimedOptions[0] == sizeof TimedFlags / sizeof TimedFlags[0],
              "one flag for each kind of timed exit");

int TypedTimedCount(const char* text)
{
    int count = 0;
    for (const char* option : TimedOptions) count += HasOption(text, option) ? 1 : 0;
    return count;
}

int TimedFlagCount(const ProgramState& base)
{
    int count = 0;
    for (int ProgramState::*flag : TimedFlags) count += base.*flag ? 1 : 0;
    return count;
}

// The timed exit typed replaces the base's.
void ClearOtherTimedFlags(const char* text, ProgramState& base)
{
    for (size_t i = 0; i < sizeof TimedOptions / sizeof TimedOptions[0]; ++i) {
        if (!HasOption(text, TimedOptions[i])) continue;
        for (int ProgramState::*flag : TimedFlags) base.*flag = 0;
    }
}

// A program's name is a file name, which may hold what an option's text
// does: the options are looked for in a copy with the "/p:" value covered.
// The value as typed, with one character more than a name may have, so that
// a longer one shows.
struct CoveredText {
    char text[HandOverTextSize];
    char typed[HandOverTextSize];
    char program[ProgramNameSize + 1];
};
CoveredText Covered;

// Takes the program's name when "/p" comes with one; a name that is no file
// name alone is refused.
bool TakeProgramName(const char* text, ProgramState& base)
{
    if (!HasOption(text, "/p") || Covered.program[0] == '\0') return true;
    if (!IsProgramName(Covered.program)) return Fail(BadProgramText);
    CopyText(base.ProgramValue, sizeof base.ProgramValue, Covered.program);
    return true;
}

// The weekdays given with "/r", kept in order without repeats; without a
// value the base's stay.
bool TakeWeekdays(const char* text, ProgramState& base)
{
    char value[WeekdaysTextSize];
    CopyText(value, sizeof value, base.AtDays);
    int days = 0;
    if (!TakeValue(text, WeekdaysOption, 'r', value) || !ParseWeekdays(value, &days)) return Fail(BadWeekdays);
    FormatWeekdays(days, base.AtDays, sizeof base.AtDays);
    return true;
}
}  // namespace

bool TypedTimedExit(const char* text) { return TypedTimedCount(text) > 0; }

const char* CoverProgramValue(const char* text, const char* typed, const char** coveredTyped)
{
    CopyText(Covered.text, sizeof Covered.text, text);
    CopyText(Covered.typed, sizeof Covered.typed, typed);
    Covered.program[0] = '\0';
    ProgramValueSpan span = {};
    if (FindProgramValue(Covered.text, &span) && TextLengthN(Covered.typed, sizeof Covered.typed) >= span.spanEnd) {
        CopyTextN(Covered.program, sizeof Covered.program, Covered.typed + span.start, span.length);
        for (size_t i = span.start - (span.start > 0 && Covered.text[span.start - 1] == '"'); i < span.spanEnd; ++i) {
            Covered.text[i] = Covered.typed[i] = '_';
        }
    }
    *coveredTyped = Covered.typed;
    return Covered.text;
}

bool CheckOptions(const char* text, const char* typed)
{
    // The word is refused as the user typed it.
    size_t length = 0;
    if (const char* word = FindUnknownWord(typed, IsOptionPiece, &length)) return FailUnknownWord(word, length);
    const ExitTypeInfo* named = nullptr;
    if (!FindNamedExitType(text, &named)) return Fail(TooManyOptions);
    if (TypedTimedCount(text) > 1) return Fail(TooManyOptions);
    // An exit type that this system lacks is refused with its own message.
    return !(named && RefuseUnavailable(*named));
}

bool ApplyOptionsOver(const char* text, ProgramState& base)
{
    const ExitTypeInfo* named = nullptr;
    FindNamedExitType(text, &named);
    const bool typedTimed = TypedTimedExit(text) || HasOption(text, "/w");
    // The timed-exit mode given here replaces the base's.
    ClearOtherTimedFlags(text, base);
    ApplyOptions(text, named, base);

    // Two modes at once can only come from the base now.
    if (TimedFlagCount(base) > 1) return FailTimed(false, TooManyOptions);
    if (base.WarnFlag && TimedFlagCount(base) == 0) return FailTimed(typedTimed, WarnNeedsTimer);
    if (base.HotkeyFlag) TakeHotKey(text, base);
    // A timed value too long for its field is refused, never cut.
    if (base.WarnFlag) {
        if (!TakeValue(text, "/w", 'w', base.WarnValue)) return Fail(TimerNotStarted);
        base.WarnSeconds = TakeSeconds(base.WarnValue, "WarnValue");
    }
    if (base.TimerFlag) {
        if (!TakeValue(text, "/t", 't', base.TimerValue)) return Fail(TimerNotStarted);
        base.TimeoutSeconds = TakeSeconds(base.TimerValue, "TimerValue");
        if (base.WarnSeconds > base.TimeoutSeconds) return FailTimed(typedTimed, WarnTooLong);
    }
    // The screen saver, sleep, hibernation and the lock are never forced.
    if (HasTrait(FindExitType(base.ExitType), NeverForced)) base.ForceFlag = 0;
    if (base.AtFlag && !TakeValue(text, "/a", 'a', base.AtValue)) return Fail(TimerNotStarted);
    if (base.ProgramFlag && !TakeProgramName(text, base)) return false;
    if (base.IdleFlag) {
        if (!TakeValue(text, "/i", 'i', base.IdleValue)) return Fail(BadMinutesText);
        base.IdleMinutes = DecimalToInt(base.IdleValue);
    }
    return !HasOption(text, WeekdaysOption) || TakeWeekdays(text, base);
}

bool ArmTimedExit(const char* text, bool replace)
{
    const bool typed = TypedTimedExit(text) || HasOption(text, "/w");
    // A program that does not run, or a system that cannot tell, has its own
    // message. Saved alone, it waits for the next arming: the program that
    // ended with the last session does not keep the program from starting,
    // unless it starts without an icon, to wait for nothing.
    const bool tell = typed || State.NoIconMode;
    if (!TimedExitConditionCanArm(tell)) return !tell;
    return StartTimedExit(replace) || FailTimed(typed, TimerNotStarted);
}

void ExchangeOptions(ProgramState& other)
{
    std::swap(State.ExitType, other.ExitType);
    for (const OptionSetting& setting : Options) {
        if (setting.field != &ProgramState::NoIconMode) std::swap(State.*setting.field, other.*setting.field);
    }
    std::swap(State.HotKey, other.HotKey);
    std::swap(State.TimerValue, other.TimerValue);
    std::swap(State.AtValue, other.AtValue);
    std::swap(State.AtDays, other.AtDays);
    std::swap(State.WarnValue, other.WarnValue);
    std::swap(State.ProgramValue, other.ProgramValue);
    std::swap(State.IdleValue, other.IdleValue);
    std::swap(State.IdleMinutes, other.IdleMinutes);
    std::swap(State.TimeoutSeconds, other.TimeoutSeconds);
    std::swap(State.WarnSeconds, other.WarnSeconds);
}

int ParseCommandLine(const char* text, const char* typed)
{
    if (text == nullptr) text = "";
    if (typed == nullptr) typed = text;
    text = CoverProgramValue(text, typed, &typed);
    if (!CheckOptions(text, typed)) return 0;
    if (!HasOption(text, NoSavedSettings)) LoadSettings();
    if (!ApplyOptionsOver(text, State)) return 0;
    // A time of day, a program's end and inactivity are armed at start.
    return !ArmsWhenChosen(State) || ArmTimedExit(text, false);
}
