#include "shell/NamedMutex.h"

#include "platform/base/Sync.h"

CNamedMutex::~CNamedMutex() {
    if (m_hMutex != nullptr)
        CloseHandle(m_hMutex);
}

BOOL CNamedMutex::Create() {
    if (m_hMutex != nullptr)
        CloseHandle(m_hMutex);
    m_hMutex = CreateMutex(nullptr, FALSE, m_strName);
    if (m_hMutex == nullptr)
        return TRUE;
    return GetLastError() != ERROR_ALREADY_EXISTS;
}
