// COM (ole32), the file-open dialog (comdlg32) and sleep (powrprof) are
// loaded by name when first used. Each is found in the system folder only,
// never next to the exe, and stays loaded for the rest of the run.
#include "system/on_demand.h"

#include "state/program_state.h"

namespace {
using CoInitializeFn = HRESULT(WINAPI*)(LPVOID);
using CoUninitializeFn = void(WINAPI*)();
using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
using CoTaskMemFreeFn = void(WINAPI*)(LPVOID);
using GetOpenFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEA);
}  // namespace

FARPROC SystemFunction(const char* dll, const char* name)
{
    char path[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    const size_t dllLength = lstrlenA(dll);
    if (length == 0 || length + 1 + dllLength >= sizeof path) return nullptr;
    path[length] = '\\';
    CopyMemory(path + length + 1, dll, dllLength + 1);
    HMODULE module = GetModuleHandleA(path);
    if (!module) module = LoadLibraryA(path);
    return module ? GetProcAddress(module, name) : nullptr;
}

bool InitializeCom()
{
    auto initialize = reinterpret_cast<CoInitializeFn>(SystemFunction("ole32.dll", "CoInitialize"));
    State.ComStarted = initialize && SUCCEEDED(initialize(nullptr));
    return State.ComStarted != 0;
}

void UninitializeCom()
{
    if (!State.ComStarted) return;
    auto uninitialize = reinterpret_cast<CoUninitializeFn>(SystemFunction("ole32.dll", "CoUninitialize"));
    if (uninitialize) uninitialize();
    State.ComStarted = 0;
}

HRESULT CreateComInstance(REFCLSID classId, REFIID interfaceId, void** object)
{
    auto create = reinterpret_cast<CoCreateInstanceFn>(SystemFunction("ole32.dll", "CoCreateInstance"));
    if (!create) return E_NOTIMPL;
    return create(classId, nullptr, CLSCTX_INPROC_SERVER, interfaceId, object);
}

void FreeComMemory(void* block)
{
    auto release = reinterpret_cast<CoTaskMemFreeFn>(SystemFunction("ole32.dll", "CoTaskMemFree"));
    if (release) release(block);
}

BOOL ShowOpenFileDialog(OPENFILENAMEA* request)
{
    auto show = reinterpret_cast<GetOpenFileNameFn>(SystemFunction("comdlg32.dll", "GetOpenFileNameA"));
    return show ? show(request) : FALSE;
}
