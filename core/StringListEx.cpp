#include "core/StringListEx.h"

#include <algorithm>
#include <vector>

#include "platform/base/Archive.h"

CStringListEx::CStringListEx() : CStringList(10) {}

CStringListEx::CStringListEx(const CStringListEx& other) : CStringList(10) {
    *this = other;
}

CStringListEx& CStringListEx::operator=(const CStringListEx& other) {
    if (this != &other) {
        CStringList::RemoveAll();
        for (POSITION pos = other.GetHeadPosition(); pos != nullptr;)
            AddTail(other.GetNext(pos));
        m_nCurrent = other.m_nCurrent;
    }
    return *this;
}

BOOL CStringListEx::RemoveAt(int nIndex) {
    POSITION pos = nIndex >= 0 ? FindIndex(nIndex) : nullptr;
    if (pos == nullptr)
        return FALSE;
    CStringList::RemoveAt(pos);
    if (m_nCurrent == nIndex)
        m_nCurrent = -1;
    else if (m_nCurrent > nIndex)
        --m_nCurrent;
    return TRUE;
}

void CStringListEx::InsertAt(int nIndex, LPCTSTR text) {
    if (nIndex < 0) {
        AddHead(text);
        nIndex = 0;
    } else if (nIndex >= GetCount()) {
        AddTail(text);
        return;
    } else {
        InsertBefore(FindIndex(nIndex), text);
    }
    if (m_nCurrent >= nIndex)
        ++m_nCurrent;
}

void CStringListEx::RemoveList(const CArray<int, int>& indexes) {
    std::vector<int> order;
    for (int i = 0; i < indexes.GetSize(); ++i)
        if (indexes[i] >= 0 && indexes[i] < GetCount())
            order.push_back(indexes[i]);
    // From the highest index down, so that each removal leaves the lower indexes in place.
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        RemoveAt(*it);
}

BOOL CStringListEx::SetAt(int nIndex, LPCTSTR text) {
    POSITION pos = nIndex >= 0 ? FindIndex(nIndex) : nullptr;
    if (pos == nullptr)
        return FALSE;
    CStringList::SetAt(pos, text);
    return TRUE;
}

void CStringListEx::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(GetCount());
        for (POSITION pos = GetHeadPosition(); pos != nullptr;)
            ar << GetNext(pos);
        ar << static_cast<LONG>(m_nCurrent);
    } else {
        CStringList::RemoveAll();
        m_nCurrent = -1;
        DWORD count = 0;
        ar >> count;
        // Every string takes at least its one-byte length prefix, and the current index follows.
        ar.RequireBytes(static_cast<ULONGLONG>(count) + 4);
        for (DWORD i = 0; i < count; ++i) {
            CString text;
            ar >> text;
            AddTail(text);
        }
        LONG current = -1;
        ar >> current;
        m_nCurrent = current;
    }
}
