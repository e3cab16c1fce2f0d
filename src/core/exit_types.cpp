// The exit-type table, kept in one place for the tray, the menus and the
// countdown text.
#include "exit_types.h"

#include <cstddef>

namespace {
constexpr ExitTypeInfo ExitTypes[] = {
    {ExitTypeShutdown, "Icon_1", "Shutdown", "shutdown"},
    {ExitTypeReboot, "Icon_2", "Reboot", "reboot"},
    {ExitTypeLogoff, "Icon_3", "Logoff", "logoff"},
    {ExitTypeScreensaver, "Icon_4", "Screensaver", "screensaver"},
    {ExitTypePowerOff, "Icon_5", "Power-off", "power-off"},
    {ExitTypeRestartShell, "Icon_8", "Restart Shell", "restart shell"},
};
}  // namespace

const ExitTypeInfo* FindExitType(int code)
{
    for (const ExitTypeInfo& row : ExitTypes) {
        if (row.code == code) return &row;
    }
    return nullptr;
}
