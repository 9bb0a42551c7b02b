#include "platform/sys/DynLib.h"

#include <string>

#include <dlfcn.h>

#include "platform/base/ModuleDir.h"
#include "platform/base/OsPath.h"
#include "platform/base/Sync.h"

HMODULE LoadLibrary(LPCSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string path = OsPathFromProgramPath(lpLibFileName);
    // A bare name would make the loader search the system's library folders, and the current
    // folder of a desktop launch is whatever folder the user happened to be in: a name without a
    // folder means the program folder, and only that.
    if (path.find('/') == std::string::npos)
        path = (GetProgramFolderPath() / path).string();
    // RTLD_LOCAL keeps one plug-in's symbols from resolving another's.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    SetLastError(handle ? ERROR_SUCCESS : ERROR_MOD_NOT_FOUND);
    return handle;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (!hModule || !lpProcName) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* symbol = ::dlsym(hModule, lpProcName);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE hModule) {
    if (!hModule) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return ::dlclose(hModule) == 0;
}
