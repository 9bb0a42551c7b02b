// Listing a folder with a wildcard pattern, one entry at a time.
#pragma once

#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Object.h"
#include "platform/base/Time.h"
#include "platform/base/Types.h"

// The usual loop:
//     CFileFind ff;
//     BOOL more = ff.FindFile(folder + "\\*.*");
//     while (more) { more = ff.FindNextFile(); if (ff.IsDots()) continue; ... }
// Entries come sorted by name (without regard to ASCII case), "." and ".." first, so that every
// listing the user sees has the same order on every disk.
class CFileFind : public CObject {
public:
    CFileFind() = default;
    ~CFileFind() override = default;

    // Pattern: an optional folder then a name with `*` and `?` (case-insensitive; "*.*" also
    // matches names without a dot). Null means "*.*". FALSE when nothing matches.
    virtual BOOL FindFile(LPCTSTR pstrName = nullptr, DWORD dwUnused = 0);
    // Moves to the next entry; FALSE when the entry it moved to is the last one.
    virtual BOOL FindNextFile();
    void Close();

    CString GetFileName() const;
    // The folder as given in the pattern, then the name.
    CString GetFilePath() const;
    CString GetFileTitle() const;
    BOOL IsDirectory() const;
    BOOL IsDots() const;
    BOOL IsReadOnly() const;
    ULONGLONG GetLength() const;
    BOOL GetLastWriteTime(CTime& refTime) const;

    // Whether a name matches a pattern as FindFile matches it.
    static BOOL MatchesPattern(LPCTSTR name, LPCTSTR pattern);

private:
    struct Entry {
        CString name;
        bool directory = false;
        bool readOnly = false;
        ULONGLONG size = 0;
        __time64_t mtime = 0;
    };
    const Entry* Current() const;

    std::vector<Entry> m_entries;
    CString m_strRoot;
    int m_next = 0; // index of the entry FindNextFile moves to
};
