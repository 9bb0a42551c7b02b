// A string list that remembers a current entry, stored with its count and current index.
#pragma once

#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

class CStringListEx : public CStringList {
public:
    CStringListEx();
    CStringListEx(const CStringListEx& other);
    CStringListEx& operator=(const CStringListEx& other);

    // FALSE when the index is outside the list.
    BOOL RemoveAt(int nIndex);
    using CStringList::RemoveAt;
    // A negative index inserts at the head, one past the end or more at the tail, otherwise before
    // the entry at that index. The current index keeps pointing at the same entry, also when it
    // is the first one: an insertion must never quietly make another entry the current one.
    void InsertAt(int nIndex, LPCTSTR text);
    // Removes the entries at the given indexes, each index counted as the list was before the
    // call; repeated and outside indexes are ignored. Callers pass the rows a user selected, so
    // removing one must not shift what the later indexes name.
    void RemoveList(const CArray<int, int>& indexes);
    // FALSE when the index is outside the list.
    BOOL SetAt(int nIndex, LPCTSTR text);
    using CStringList::SetAt;

    int GetCurrentIndex() const { return m_nCurrent; }
    void SetCurrentIndex(int nIndex) { m_nCurrent = nIndex; }

    // 4-byte count, the strings, then the 4-byte current index. Loading empties the list first.
    void Serialize(CArchive& ar) override;

private:
    int m_nCurrent = -1;
};
