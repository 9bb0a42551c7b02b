// A reference-counted object that may delete itself when the last reference goes.
#pragma once

#include "platform/base/Types.h"

class CUnknownObject {
public:
    CUnknownObject() = default;
    virtual ~CUnknownObject() = default;
    CUnknownObject(const CUnknownObject&) = delete;
    CUnknownObject& operator=(const CUnknownObject&) = delete;

    // Both answer the new count.
    virtual int AddRef() { return ++m_nRefCount; }
    // When the count goes from 1 to 0 and delete-on-release is set, the object deletes itself:
    // the caller must not touch it afterwards.
    virtual int Release();
    virtual int GetRefCount() const { return m_nRefCount; }

    BOOL GetDeleteOnRelease() const { return m_bDeleteOnRelease; }
    void SetDeleteOnRelease(BOOL bDelete) { m_bDeleteOnRelease = bDelete; }

protected:
    int m_nRefCount = 0;
    BOOL m_bDeleteOnRelease = TRUE;
};
