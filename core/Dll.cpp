#include "core/Dll.h"

CDll::~CDll() {
    Free();
}

BOOL CDll::Load(LPCTSTR path) {
    if (m_hModule != nullptr)
        return FALSE;
    if (path != nullptr)
        m_strPath = path;
    m_hModule = LoadLibrary(m_strPath);
    return m_hModule != nullptr;
}

FARPROC CDll::GetProc(LPCSTR name) const {
    if (m_hModule == nullptr || name == nullptr)
        return nullptr;
    return GetProcAddress(m_hModule, name);
}

BOOL CDll::Free() {
    if (m_hModule == nullptr)
        return TRUE;
    if (!FreeLibrary(m_hModule))
        return FALSE;
    m_hModule = nullptr;
    return TRUE;
}
