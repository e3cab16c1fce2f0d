// The smallest tray program there is: a hidden window, one icon, a message
// loop. The benchmark compares the program's start-to-icon time with this.
#include <windows.h>
#include <shellapi.h>

namespace {
NOTIFYICONDATAA Icon = {};

LRESULT CALLBACK MinTrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        Shell_NotifyIconA(NIM_DELETE, &Icon);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MinTrayProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "MinTray";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "MinTray", "MinTray", WS_SYSMENU, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
    Icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    Icon.hWnd = window;
    Icon.uID = 1;
    Icon.uFlags = NIF_ICON | NIF_TIP;
    Icon.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    lstrcpynA(Icon.szTip, "MinTray", sizeof Icon.szTip);
    Shell_NotifyIconA(NIM_ADD, &Icon);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
