// The exit-type table, and the texts made from it.
#include "exit_types.h"

#include "decimal.h"
#include "text.h"

constexpr ExitTypeInfo ExitTypes[ExitTypeCount] = {
    // code, tip, icon, option, mnemonic, request, request flags, traits
    {ExitTypeShutdown, "Shutdown", "Icon_1", "/e:s", 0, ExitRequest::EndSession, ShutdownFlags,
     EndsSession | FlushesDrives},
    {ExitTypeReboot, "Reboot", "Icon_2", "/e:b", 0, ExitRequest::EndSession, RebootFlags,
     EndsSession | FlushesDrives},
    {ExitTypeLogoff, "Logoff", "Icon_3", "/e:l", 0, ExitRequest::EndSession, LogoffFlags,
     EndsSession | FlushesDrives},
    {ExitTypePowerOff, "Power-off", "Icon_5", "/e:p", 0, ExitRequest::EndSession, PowerOffFlags,
     EndsSession | FlushesDrives},
    {ExitTypeScreensaver, "Screensaver", "Icon_4", "/x:s", 1, ExitRequest::ScreenSaver, 0,
     KeepsBlock | NeverForced | StartsGroup},
    {ExitTypeRestartShell, "Restart Shell", "Icon_8", "/x:r", 3, ExitRequest::RestartShell, 0,
     FlushesDrives | KeepsBlock},
    {ExitTypeSleep, "Sleep", "Icon_9", "/x:u", 2, ExitRequest::Suspend, 0, FlushesDrives | KeepsBlock | NeverForced},
    {ExitTypeHibernate, "Hibernate", "Icon_10", "/x:h", 0, ExitRequest::Suspend, HibernateFlags,
     FlushesDrives | KeepsBlock | NeverForced},
    {ExitTypeLock, "Lock", "Icon_11", "/x:k", 3, ExitRequest::Lock, 0, KeepsBlock | NeverForced},
};

namespace {
// Every row filled; the codes are command ids below every other command
// (100 and up), one each; each mnemonic lies inside its tip, and no two are
// the same letter.
constexpr bool ExitTypesAreSound()
{
    for (const ExitTypeInfo& type : ExitTypes) {
        if (type.code <= 0 || type.code >= 100 || type.tip[type.mnemonic] == '\0') return false;
        for (const ExitTypeInfo& other : ExitTypes) {
            if (&other == &type) continue;
            if (other.code == type.code) return false;
            if (LowerCase(other.tip[other.mnemonic]) == LowerCase(type.tip[type.mnemonic])) return false;
        }
    }
    return true;
}
static_assert(ExitTypesAreSound(), "exit-type codes must be distinct command ids below 100, mnemonics distinct");

constexpr unsigned CountMenuPositions()
{
    unsigned positions = 0;
    for (const ExitTypeInfo& type : ExitTypes) positions += (type.traits & StartsGroup) ? 2 : 1;
    return positions;
}
}  // namespace

constexpr unsigned ExitTypeMenuPositions = CountMenuPositions();

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

void MakeTimedExitTip(int exitType, int secondOfDay, char* out, size_t outSize)
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
}
