// The exit-type table, and the texts made from it.
#include "exit_types.h"

#include "decimal.h"
#include "text.h"

namespace {
constexpr bool IsFixedMnemonic(char letter)
{
    for (char fixed : FixedMenuMnemonics) {
        if (fixed != '\0' && fixed == LowerCase(letter)) return true;
    }
    return false;
}

// Every row filled; the codes are command ids below every other command
// (100 and up), one each; each mnemonic lies inside its tip, and no two are
// the same letter, nor that of a fixed item of the menu.
constexpr bool ExitTypesAreSound()
{
    for (const ExitTypeInfo& type : ExitTypes) {
        if (type.code <= 0 || type.code >= 100 || type.tip[type.mnemonic] == '\0') return false;
        if (IsFixedMnemonic(type.tip[type.mnemonic])) return false;
        for (const ExitTypeInfo& other : ExitTypes) {
            if (&other == &type) continue;
            if (other.code == type.code) return false;
            if (LowerCase(other.tip[other.mnemonic]) == LowerCase(type.tip[type.mnemonic])) return false;
        }
    }
    return true;
}
static_assert(ExitTypesAreSound(), "exit-type codes must be distinct command ids below 100, mnemonics distinct");
}  // namespace

const ExitTypeInfo* FindExitType(int code)
{
    for (const ExitTypeInfo& row : ExitTypes) {
        if (row.code == code) return &row;
    }
    return nullptr;
}

void MakeMenuLabel(const ExitTypeInfo& type, char* out, size_t outSize)
{
    CopyTextN(out, outSize, type.tip, type.mnemonic);
    AppendText(out, outSize, "&");
    AppendText(out, outSize, type.tip + type.mnemonic);
}

void MakeTimedExitTip(int exitType, int secondOfDay, char* out, size_t outSize, int weekday)
{
    CopyText(out, outSize, "Timed Exit");
    if (const ExitTypeInfo* type = FindExitType(exitType)) {
        AppendText(out, outSize, ": ");
        AppendText(out, outSize, type->tip);
    }
    char digits[8];
    FormatTimeOfDayDigits(secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60, digits, sizeof digits);
    char clock[] = " at hh:mm:ss";
    for (int i = 0; i < 6; ++i) clock[4 + i + i / 2] = digits[i];
    AppendText(out, outSize, clock);
    static constexpr char DayNames[][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    if (weekday < 0 || weekday >= static_cast<int>(sizeof DayNames / sizeof DayNames[0])) return;
    AppendText(out, outSize, " on ");
    AppendText(out, outSize, DayNames[weekday]);
}
