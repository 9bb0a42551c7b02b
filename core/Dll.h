// A loaded plug-in library and the path it was (or will be) loaded from.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "platform/sys/DynLib.h"

class CDll {
public:
    CDll() = default;
    explicit CDll(LPCTSTR path) : m_strPath(path) {}
    // Frees the library.
    virtual ~CDll();
    CDll(const CDll&) = delete;
    CDll& operator=(const CDll&) = delete;

    // FALSE when a library is loaded already. A given path replaces the stored one; then loads
    // from the stored path. TRUE when the library is loaded; a library that cannot be loaded
    // leaves the handle null.
    BOOL Load(LPCTSTR path = nullptr);
    // The exported procedure, null when it is missing or nothing is loaded. Cast it to the
    // procedure's real type.
    FARPROC GetProc(LPCSTR name) const;
    // TRUE when nothing is loaded afterwards; FALSE when the library refused to be freed.
    BOOL Free();

    BOOL IsLoaded() const { return m_hModule != nullptr; }
    HMODULE GetHandle() const { return m_hModule; }
    const CString& GetPath() const { return m_strPath; }

protected:
    HMODULE m_hModule = nullptr;
    CString m_strPath;
};
