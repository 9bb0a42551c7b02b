// The list of recently used files: kept in a profile section as "File1", "File2", ... and shown in
// a menu in place of its first command (ID_FILE_MRU_FILE1 and the following ids).
#pragma once

#include "platform/base/CString.h"

#include <vector>

class CCmdUI;

#define ID_FILE_MRU_FILE1 0xE110
#define ID_FILE_MRU_FIRST 0xE110
#define ID_FILE_MRU_LAST 0xE11F

class CRecentFileList {
public:
    // nStart: the index shown for the first entry (usually 0), lpszSection and lpszEntryFormat
    // ("File%d") name the profile values, nSize the number of entries kept, nMaxDispLen the
    // longest name shown in a menu.
    CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize,
                    int nMaxDispLen = 30);
    virtual ~CRecentFileList() = default;

    int GetSize() const { return m_nSize; }
    // Entries from the front; an unused one is empty.
    CString& operator[](int nIndex) { return m_arrNames[nIndex]; }
    // Puts a path in front; the same file (letters compared without case) moves there instead
    // of appearing twice, and the last entry falls off a full list.
    virtual void Add(LPCTSTR lpszPathName);
    virtual void Remove(int nIndex);
    virtual void ReadList();
    virtual void WriteList();
    // The name shown for an entry: the whole path when it fits in nMaxDispLen, else the file
    // name alone, else the file name shortened with "...". FALSE for an empty entry.
    virtual BOOL GetDisplayName(CString& strName, int nIndex, LPCTSTR lpszCurDir, int nCurDir,
                                BOOL bAtLeastName = TRUE) const;
    // Replaces the menu item being updated by "&1 name", "&2 name", ... (one per used entry), or
    // shows it disabled when the list is empty.
    virtual void UpdateMenu(CCmdUI* pCmdUI);

    CString m_strSectionName;
    CString m_strEntryFormat;
    CString m_strOriginal; // the text of the menu item before the list replaced it
    UINT m_nStart;
    int m_nMaxDisplayLength;

protected:
    int m_nSize;
    std::vector<CString> m_arrNames;
};
