// Plug-in libraries: LoadLibrary / GetProcAddress / FreeLibrary over the dynamic loader.
// Paths are program paths (GBK, `\` or `/`); a plug-in built for this system is a shared object.
#pragma once

#include "platform/base/Types.h"

// Returns nothing useful by itself: callers cast it to the real type, and this form is the one
// the compiler accepts casting to any function type without a warning.
typedef void (*FARPROC)();

// The library's handle, or null (GetLastError() == ERROR_MOD_NOT_FOUND) when it cannot be loaded.
// Each successful call must be matched by one FreeLibrary.
HMODULE LoadLibrary(LPCSTR lpLibFileName);
// The exported symbol, or null (ERROR_PROC_NOT_FOUND). Cast it to the function's real type.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL FreeLibrary(HMODULE hModule);
