// The exit-type table, kept in one place for the tray, the menus and the
// countdown text.
#include "exit_types.h"

#include <cstddef>

namespace {
constexpr ExitTypeInfo ExitTypes[] = {
    {ExitTypeShutdown, "Icon_1", "Shutdown"},
    {ExitTypeReboot, "Icon_2", "Reboot"},
    {ExitTypeLogoff, "Icon_3", "Logoff"},
    {ExitTypeScreensaver, "Icon_4", "Screensaver"},
    {ExitTypePowerOff, "Icon_5", "Power-off"},
    {ExitTypeRestartShell, "Icon_8", "Restart Shell"},
};
}  // namespace

const ExitTypeInfo* FindExitType(int code)
{
    for (const ExitTypeInfo& row : ExitTypes) {
        if (row.code == code) return &row;
    }
    return nullptr;
}
