// The single-instance lock: a named lock held for the life of its holder. Only the first copy of
// the program to create the name gets it new; later copies see it exists until every holder has
// closed it or ended (a crash included: the system releases it with the process).
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// The name every copy of the program uses.
#define QUILLMAR_INSTANCE_MUTEX_NAME "7C3A91E2-4B5D-4F08-A6C1-2E9D5B8F0A47"

class CNamedMutex {
public:
    explicit CNamedMutex(LPCTSTR lpszName = QUILLMAR_INSTANCE_MUTEX_NAME) : m_strName(lpszName) {}
    ~CNamedMutex();
    CNamedMutex(const CNamedMutex&) = delete;
    CNamedMutex& operator=(const CNamedMutex&) = delete;

    // Creates or opens the lock, not owned. TRUE when it did not exist before this call (also
    // when no lock can be made at all, so that the program still starts); FALSE when another
    // holder had created it.
    BOOL Create();

    const CString& GetName() const { return m_strName; }

private:
    CString m_strName;
    HANDLE m_hMutex = nullptr;
};
