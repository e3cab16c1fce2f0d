// COM and the common file dialog, whose libraries are loaded only when the
// program first needs them: the tray icon comes up without waiting for them.
#ifndef DORVA_ON_DEMAND_H
#define DORVA_ON_DEMAND_H

#include <windows.h>
#include <commdlg.h>

// Function `name` of the system folder's copy of `dll` (never one next to
// the exe), which is loaded once and stays loaded; nullptr when either is
// missing. Also for the functions of a library the program imports that an
// older Windows lacks.
FARPROC SystemFunction(const char* dll, const char* name);
// CoInitialize for this thread; false when COM cannot be loaded or started.
bool InitializeCom();
// CoUninitialize, when InitializeCom succeeded.
void UninitializeCom();
// CoCreateInstance of an in-process server without an outer object.
HRESULT CreateComInstance(REFCLSID classId, REFIID interfaceId, void** object);
// CoTaskMemFree.
void FreeComMemory(void* block);
// GetOpenFileNameA; FALSE when the dialog cannot be loaded or was cancelled.
BOOL ShowOpenFileDialog(OPENFILENAMEA* request);

#endif
