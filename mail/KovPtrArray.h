// An owning array of element pointers with a cursor, the list type of a message's addresses and
// of a body part's children. Copying copies every element.
//
// The cursor is an index, BEFORE_FIRST (-1) for no current element or PAST_END (INT_MAX) after
// the last one. Adding while the cursor is past the end makes the new element current; removing
// elements below the cursor moves it back to just before the removal point.
//
// Stored form: a DWORD count, then each element's own form. A count is checked against the bytes
// left before anything is allocated: each element stores at least T::MIN_STORED_SIZE bytes.
#pragma once

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/Types.h"

template <class T> class CKovPtrArray {
public:
    enum : int { BEFORE_FIRST = -1, PAST_END = INT_MAX };

    CKovPtrArray() = default;
    CKovPtrArray(const CKovPtrArray& other) { CopyFrom(other); }
    CKovPtrArray& operator=(const CKovPtrArray& other) {
        if (this != &other) {
            RemoveAll();
            CopyFrom(other);
        }
        return *this;
    }
    ~CKovPtrArray() { RemoveAll(); }

    int GetCount() const { return static_cast<int>(m_items.size()); }
    BOOL IsEmpty() const { return m_items.empty(); }
    T* GetAt(int nIndex) const { return m_items.at(static_cast<size_t>(nIndex)); }

    // Takes ownership; answers the new element's index.
    int Add(T* pElement) {
        m_items.push_back(pElement);
        const int index = GetCount() - 1;
        if (m_nCursor == PAST_END)
            m_nCursor = index;
        return index;
    }
    // Deletes the elements.
    void RemoveAt(int nIndex, int nCount = 1) {
        if (nIndex < 0 || nCount <= 0 || nIndex >= GetCount())
            return;
        nCount = std::min(nCount, GetCount() - nIndex);
        for (int i = nIndex; i < nIndex + nCount; ++i)
            delete m_items[static_cast<size_t>(i)];
        m_items.erase(m_items.begin() + nIndex, m_items.begin() + nIndex + nCount);
        if (m_nCursor != PAST_END && m_nCursor > nIndex)
            m_nCursor = nIndex - 1;
        if (m_nCursor != PAST_END && m_nCursor >= GetCount())
            m_nCursor = PAST_END;
    }
    void RemoveAll() {
        for (T* p : m_items)
            delete p;
        m_items.clear();
        m_nCursor = BEFORE_FIRST;
    }

    void First() { m_nCursor = m_items.empty() ? BEFORE_FIRST : 0; }
    BOOL IsValid() const { return m_nCursor >= 0 && m_nCursor != PAST_END; }
    T* Current() const { return IsValid() ? GetAt(m_nCursor) : nullptr; }
    void Next() { Move(1); }
    void Move(int nStep) {
        long long at = m_nCursor;
        if (m_nCursor == PAST_END) {
            if (nStep >= 0)
                return;
            at = GetCount();
        }
        at += nStep;
        if (at >= GetCount())
            m_nCursor = PAST_END;
        else
            m_nCursor = static_cast<int>(std::max(at, -1LL));
    }
    int GetCursor() const { return m_nCursor; }

    // Loading replaces the elements; each is made by its default constructor and then loads.
    template <class... Args> void Serialize(CArchive& ar, Args&&... args) {
        if (ar.IsStoring()) {
            ar << static_cast<DWORD>(m_items.size());
            for (T* p : m_items)
                p->Serialize(ar, args...);
            return;
        }
        RemoveAll();
        DWORD count = 0;
        ar >> count;
        ar.RequireBytes(static_cast<ULONGLONG>(count) * T::MIN_STORED_SIZE);
        for (DWORD i = 0; i < count; ++i) {
            auto element = std::make_unique<T>();
            element->Serialize(ar, args...);
            Add(element.release());
        }
    }

private:
    void CopyFrom(const CKovPtrArray& other) {
        m_items.reserve(other.m_items.size());
        for (T* p : other.m_items)
            m_items.push_back(new T(*p));
        m_nCursor = other.m_nCursor;
    }

    std::vector<T*> m_items;
    int m_nCursor = BEFORE_FIRST;
};
