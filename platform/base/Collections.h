// Lists, arrays and hash maps with the behaviour the system's code was written against: opaque
// POSITION handles that stay valid while other elements come and go, arrays indexed by int,
// and maps whose iteration order is the fixed-bucket order users see on several screens.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUILLMAR_COLLECTIONS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLMAR_COLLECTIONS_ASAN 1
#endif
#endif
#ifdef QUILLMAR_COLLECTIONS_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace collections_detail {
// Memory kept for reuse inside a container is marked unusable under the address sanitizer, so a
// stale handle into it is reported as if the memory had been freed.
inline void Poison(const void* p, size_t n) {
#ifdef QUILLMAR_COLLECTIONS_ASAN
    ASAN_POISON_MEMORY_REGION(p, n);
#else
    (void)p, (void)n;
#endif
}
inline void Unpoison(const void* p, size_t n) {
#ifdef QUILLMAR_COLLECTIONS_ASAN
    ASAN_UNPOISON_MEMORY_REGION(p, n);
#else
    (void)p, (void)n;
#endif
}
} // namespace collections_detail

struct __POSITION {};
typedef __POSITION* POSITION;

// Handed out by a map's GetStartPosition; never a real entry.
#define BEFORE_START_POSITION ((POSITION)(intptr_t)-1)

// ---------------------------------------------------------------------------------------------
// Element helpers. Code may specialise them for its own key and element types.

template <class TYPE, class ARG_TYPE>
inline BOOL CompareElements(const TYPE* pElement1, const ARG_TYPE* pElement2) {
    return *pElement1 == *pElement2;
}

// String elements compare as whole strings, byte for byte; a null pointer is the empty string.
template <>
inline BOOL CompareElements<CString, LPCTSTR>(const CString* pElement1, const LPCTSTR* pElement2) {
    return std::strcmp(*pElement1, *pElement2 != nullptr ? *pElement2 : "") == 0;
}

// The bucket hash of a map key. Integers hash to their value shifted right by four, pointers to
// their address shifted the same way, and strings as below. A key class specialises
// HashKey<TheClass>; maps whose argument type is a (const) reference to it use that too.
template <class ARG_KEY> inline UINT HashKey(ARG_KEY key) {
    using K = std::remove_cvref_t<ARG_KEY>;
    if constexpr (!std::is_same_v<K, ARG_KEY>)
        return HashKey<K>(key);
    else if constexpr (std::is_pointer_v<K>)
        return (UINT)((UINT_PTR)key >> 4);
    else
        return ((UINT)key) >> 4;
}

// Each byte is added as a signed char, so GBK bytes (0x80 and up) add negative values: the
// bucket order of Chinese keys depends on it.
template <> inline UINT HashKey<LPCSTR>(LPCSTR key) {
    UINT nHash = 0;
    if (key != nullptr) {
        while (*key != '\0')
            nHash = (nHash << 5) + nHash + (UINT)(int)(signed char)*key++;
    }
    return nHash;
}
template <> inline UINT HashKey<LPSTR>(LPSTR key) {
    return HashKey<LPCSTR>(key);
}
template <> inline UINT HashKey<CString>(CString key) {
    return HashKey<LPCSTR>(key);
}
template <> inline UINT HashKey<const CString&>(const CString& key) {
    return HashKey<LPCSTR>(key);
}

// ---------------------------------------------------------------------------------------------
// Doubly linked list. A POSITION is a node; it stays valid until that node is removed.

template <class TYPE, class ARG_TYPE = const TYPE&> class CList : public CObject {
public:
    typedef TYPE BASE_TYPE;
    typedef ARG_TYPE BASE_ARG_TYPE;

protected:
    // The element lives in a union so that a node can sit in a block, unconstructed, until it is
    // handed out; Link constructs the element and FreeNode destroys it.
    struct CNode {
        CNode* pNext;
        CNode* pPrev;
        union {
            TYPE data;
        };
        CNode() {}
        ~CNode() {}
    };

public:
    // Nodes are carved from blocks of up to nBlockSize nodes, so that walking a long list reads
    // neighbouring memory instead of one scattered allocation per element. The first blocks of a
    // list are smaller (as many nodes as the list already holds), so that the many lists holding
    // one or two elements cost no more than a node each.
    explicit CList(int nBlockSize = 10) : m_nBlockSize(nBlockSize < 1 ? 1 : nBlockSize) {}
    ~CList() override { RemoveAll(); }

    int GetCount() const { return m_nCount; }
    int GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    // Goes up with every element added or removed: a walker that kept a POSITION with its index
    // knows by it whether the two still belong together.
    UINT GetChangeCount() const { return m_nChanges; }

    TYPE& GetHead() { return Node(GetHeadPosition())->data; }
    const TYPE& GetHead() const { return Node(GetHeadPosition())->data; }
    TYPE& GetTail() { return Node(GetTailPosition())->data; }
    const TYPE& GetTail() const { return Node(GetTailPosition())->data; }

    TYPE RemoveHead() { return Take(Node(GetHeadPosition())); }
    TYPE RemoveTail() { return Take(Node(GetTailPosition())); }

    POSITION AddHead(ARG_TYPE newElement) { return Link(newElement, nullptr, m_pNodeHead); }
    POSITION AddTail(ARG_TYPE newElement) { return Link(newElement, m_pNodeTail, nullptr); }

    // Adding a list to itself doubles it: only the elements present at the start are copied.
    void AddHead(const CList* pNewList) {
        assert(pNewList != nullptr);
        const CNode* pNode = pNewList->m_pNodeTail;
        for (int n = pNewList->m_nCount; n > 0; --n, pNode = pNode->pPrev)
            AddHead(pNode->data);
    }
    void AddTail(const CList* pNewList) {
        assert(pNewList != nullptr);
        const CNode* pNode = pNewList->m_pNodeHead;
        for (int n = pNewList->m_nCount; n > 0; --n, pNode = pNode->pNext)
            AddTail(pNode->data);
    }

    void RemoveAll() {
        for (CNode* pNode = m_pNodeHead; pNode != nullptr; pNode = pNode->pNext)
            std::destroy_at(&pNode->data);
        m_pNodeHead = m_pNodeTail = nullptr;
        m_nCount = 0;
        ++m_nChanges;
        FreeBlocks();
    }

    POSITION GetHeadPosition() const { return (POSITION)m_pNodeHead; }
    POSITION GetTailPosition() const { return (POSITION)m_pNodeTail; }

    // Return the element at rPosition and move rPosition on (null after the last one).
    TYPE& GetNext(POSITION& rPosition) { return Step(rPosition, &CNode::pNext)->data; }
    const TYPE& GetNext(POSITION& rPosition) const { return Step(rPosition, &CNode::pNext)->data; }
    TYPE& GetPrev(POSITION& rPosition) { return Step(rPosition, &CNode::pPrev)->data; }
    const TYPE& GetPrev(POSITION& rPosition) const { return Step(rPosition, &CNode::pPrev)->data; }

    TYPE& GetAt(POSITION position) { return Node(position)->data; }
    const TYPE& GetAt(POSITION position) const { return Node(position)->data; }
    void SetAt(POSITION pos, ARG_TYPE newElement) { Node(pos)->data = newElement; }
    void RemoveAt(POSITION position) { Unlink(Node(position)); }

    // A null position inserts at the head (before) or the tail (after).
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement) {
        if (position == nullptr)
            return AddHead(newElement);
        CNode* pOld = Node(position);
        return Link(newElement, pOld->pPrev, pOld);
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement) {
        if (position == nullptr)
            return AddTail(newElement);
        CNode* pOld = Node(position);
        return Link(newElement, pOld, pOld->pNext);
    }

    // The first element equal to searchValue after startAfter (from the head when null).
    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const {
        const CNode* pNode = startAfter == nullptr ? m_pNodeHead : Node(startAfter)->pNext;
        for (; pNode != nullptr; pNode = pNode->pNext) {
            if (CompareElements<TYPE, std::remove_cvref_t<ARG_TYPE>>(&pNode->data, &searchValue))
                return (POSITION)pNode;
        }
        return nullptr;
    }
    // Null when nIndex is negative or past the end.
    POSITION FindIndex(int nIndex) const {
        if (nIndex < 0 || nIndex >= m_nCount)
            return nullptr;
        const CNode* pNode = m_pNodeHead;
        while (nIndex-- > 0)
            pNode = pNode->pNext;
        return (POSITION)pNode;
    }

protected:
    static CNode* Node(POSITION position) {
        assert(position != nullptr && position != BEFORE_START_POSITION);
        return reinterpret_cast<CNode*>(position);
    }
    static CNode* Step(POSITION& rPosition, CNode* CNode::*link) {
        CNode* pNode = Node(rPosition);
        rPosition = (POSITION)(pNode->*link);
        return pNode;
    }
    TYPE Take(CNode* pOld) {
        TYPE returnValue = std::move(pOld->data);
        Unlink(pOld);
        return returnValue;
    }

    POSITION Link(ARG_TYPE newElement, CNode* pPrev, CNode* pNext) {
        CNode* pNode = NewNode();
        try {
            std::construct_at(&pNode->data, newElement);
        } catch (...) {
            FreeNode(pNode);
            if (m_nCount == 0)
                FreeBlocks();
            throw;
        }
        pNode->pNext = pNext;
        pNode->pPrev = pPrev;
        (pPrev != nullptr ? pPrev->pNext : m_pNodeHead) = pNode;
        (pNext != nullptr ? pNext->pPrev : m_pNodeTail) = pNode;
        ++m_nCount;
        ++m_nChanges;
        return (POSITION)pNode;
    }

    // The element is destroyed at once; its node waits on the free list for the next element,
    // and an emptied list gives all its blocks back.
    void Unlink(CNode* pOld) {
        (pOld->pPrev != nullptr ? pOld->pPrev->pNext : m_pNodeHead) = pOld->pNext;
        (pOld->pNext != nullptr ? pOld->pNext->pPrev : m_pNodeTail) = pOld->pPrev;
        std::destroy_at(&pOld->data);
        FreeNode(pOld);
        ++m_nChanges;
        if (--m_nCount == 0)
            FreeBlocks();
    }

private:
    // A block: this header, then its nodes. Blocks are chained from m_pBlocks.
    struct CBlock {
        CBlock* pNext;
    };
    static constexpr size_t kNodesOffset =
        (sizeof(CBlock) + alignof(CNode) - 1) / alignof(CNode) * alignof(CNode);
    static constexpr bool kOverAligned =
        std::max(alignof(CBlock), alignof(CNode)) > __STDCPP_DEFAULT_NEW_ALIGNMENT__;
    static constexpr std::align_val_t kBlockAlign{std::max(alignof(CBlock), alignof(CNode))};

    CNode* NewNode() {
        if (m_pNodeFree == nullptr) {
            const int nNodes = std::clamp(m_nCount, 1, m_nBlockSize);
            const size_t nBytes = kNodesOffset + sizeof(CNode) * (size_t)nNodes;
            void* pMemory;
            if constexpr (kOverAligned)
                pMemory = ::operator new(nBytes, kBlockAlign);
            else
                pMemory = ::operator new(nBytes);
            CBlock* pBlock = ::new (pMemory) CBlock{m_pBlocks};
            m_pBlocks = pBlock;
            // Chained so that the block's nodes are handed out lowest address first: a list
            // filled in order is then laid out in order.
            char* pNodes = static_cast<char*>(pMemory) + kNodesOffset;
            for (int i = nNodes - 1; i >= 0; --i) {
                CNode* pNode = ::new (static_cast<void*>(pNodes + sizeof(CNode) * i)) CNode;
                pNode->pNext = m_pNodeFree;
                m_pNodeFree = pNode;
            }
        }
        CNode* pNode = m_pNodeFree;
        collections_detail::Unpoison(pNode, sizeof(CNode));
        m_pNodeFree = pNode->pNext;
        return pNode;
    }

    // Puts a node whose element is already destroyed on the free list; under the address
    // sanitizer everything but its link is poisoned, so a stale POSITION still gets caught.
    void FreeNode(CNode* pNode) {
        pNode->pNext = m_pNodeFree;
        m_pNodeFree = pNode;
        collections_detail::Poison(reinterpret_cast<char*>(pNode) + sizeof(CNode*),
                                   sizeof(CNode) - sizeof(CNode*));
    }

    // Only when no element is left (the nodes' own destructors do nothing).
    void FreeBlocks() {
        while (m_pBlocks != nullptr) {
            CBlock* pBlock = m_pBlocks;
            m_pBlocks = pBlock->pNext;
            if constexpr (kOverAligned)
                ::operator delete(static_cast<void*>(pBlock), kBlockAlign);
            else
                ::operator delete(static_cast<void*>(pBlock));
        }
        m_pNodeFree = nullptr;
    }

protected:
    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    int m_nCount = 0;

private:
    int m_nBlockSize;
    UINT m_nChanges = 0;
    CNode* m_pNodeFree = nullptr;
    CBlock* m_pBlocks = nullptr;
};

class CPtrList : public CList<void*, void*> {
    DECLARE_DYNAMIC(CPtrList)
public:
    explicit CPtrList(int nBlockSize = 10) : CList(nBlockSize) {}
};

class CObList : public CList<CObject*, CObject*> {
    DECLARE_SERIAL(CObList)
public:
    explicit CObList(int nBlockSize = 10) : CList(nBlockSize) {}
    void Serialize(CArchive& ar) override;
};

class CStringList : public CList<CString, LPCTSTR> {
    DECLARE_SERIAL(CStringList)
public:
    explicit CStringList(int nBlockSize = 10) : CList(nBlockSize) {}
    void Serialize(CArchive& ar) override;
};

// A CPtrList or CObList whose elements are TYPE pointers.
template <class BASE_CLASS, class TYPE> class CTypedPtrList : public BASE_CLASS {
    using Base = BASE_CLASS;

public:
    explicit CTypedPtrList(int nBlockSize = 10) : BASE_CLASS(nBlockSize) {}

    TYPE& GetHead() { return reinterpret_cast<TYPE&>(Base::GetHead()); }
    TYPE GetHead() const { return static_cast<TYPE>(Base::GetHead()); }
    TYPE& GetTail() { return reinterpret_cast<TYPE&>(Base::GetTail()); }
    TYPE GetTail() const { return static_cast<TYPE>(Base::GetTail()); }
    TYPE RemoveHead() { return static_cast<TYPE>(Base::RemoveHead()); }
    TYPE RemoveTail() { return static_cast<TYPE>(Base::RemoveTail()); }
    TYPE& GetNext(POSITION& rPosition) { return reinterpret_cast<TYPE&>(Base::GetNext(rPosition)); }
    TYPE GetNext(POSITION& rPosition) const { return static_cast<TYPE>(Base::GetNext(rPosition)); }
    TYPE& GetPrev(POSITION& rPosition) { return reinterpret_cast<TYPE&>(Base::GetPrev(rPosition)); }
    TYPE GetPrev(POSITION& rPosition) const { return static_cast<TYPE>(Base::GetPrev(rPosition)); }
    TYPE& GetAt(POSITION position) { return reinterpret_cast<TYPE&>(Base::GetAt(position)); }
    TYPE GetAt(POSITION position) const { return static_cast<TYPE>(Base::GetAt(position)); }
    void SetAt(POSITION pos, TYPE newElement) { Base::SetAt(pos, newElement); }

    POSITION AddHead(TYPE newElement) { return Base::AddHead(newElement); }
    POSITION AddTail(TYPE newElement) { return Base::AddTail(newElement); }
    void AddHead(const CTypedPtrList* pNewList) { Base::AddHead(pNewList); }
    void AddTail(const CTypedPtrList* pNewList) { Base::AddTail(pNewList); }
    POSITION InsertBefore(POSITION position, TYPE newElement) {
        return Base::InsertBefore(position, newElement);
    }
    POSITION InsertAfter(POSITION position, TYPE newElement) {
        return Base::InsertAfter(position, newElement);
    }
    POSITION Find(TYPE searchValue, POSITION startAfter = nullptr) const {
        return Base::Find(searchValue, startAfter);
    }
};

// ---------------------------------------------------------------------------------------------
// Growable array indexed by int. New elements are value-initialised (zero for numbers and
// pointers).

template <class TYPE, class ARG_TYPE = const TYPE&> class CArray : public CObject {
public:
    typedef TYPE BASE_TYPE;
    typedef ARG_TYPE BASE_ARG_TYPE;

    CArray() = default;

    int GetSize() const { return (int)m_data.size(); }
    int GetCount() const { return (int)m_data.size(); }
    BOOL IsEmpty() const { return m_data.empty(); }
    int GetUpperBound() const { return (int)m_data.size() - 1; }

    // nGrowBy is only a hint for how much room to reserve; -1 keeps the current hint.
    void SetSize(int nNewSize, int nGrowBy = -1) {
        assert(nNewSize >= 0);
        if (nGrowBy >= 0)
            m_nGrowBy = nGrowBy;
        if (nNewSize < 0)
            nNewSize = 0;
        if ((size_t)nNewSize > m_data.capacity() && m_nGrowBy > 0)
            m_data.reserve(std::max((size_t)nNewSize, m_data.size() + (size_t)m_nGrowBy));
        m_data.resize((size_t)nNewSize);
    }
    void FreeExtra() { m_data.shrink_to_fit(); }
    void RemoveAll() {
        m_data.clear();
        m_data.shrink_to_fit();
    }

    const TYPE& GetAt(int nIndex) const { return m_data[Checked(nIndex)]; }
    TYPE& GetAt(int nIndex) { return m_data[Checked(nIndex)]; }
    void SetAt(int nIndex, ARG_TYPE newElement) { m_data[Checked(nIndex)] = newElement; }
    TYPE& ElementAt(int nIndex) { return m_data[Checked(nIndex)]; }
    const TYPE& ElementAt(int nIndex) const { return m_data[Checked(nIndex)]; }
    TYPE& operator[](int nIndex) { return m_data[Checked(nIndex)]; }
    const TYPE& operator[](int nIndex) const { return m_data[Checked(nIndex)]; }

    const TYPE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
    TYPE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }

    // Grows the array so that nIndex exists, then stores the element there.
    void SetAtGrow(int nIndex, ARG_TYPE newElement) {
        assert(nIndex >= 0);
        if (nIndex < 0)
            return;
        TYPE copy(newElement); // newElement may live in this array
        if (nIndex >= GetSize())
            SetSize(nIndex + 1);
        m_data[(size_t)nIndex] = std::move(copy);
    }
    int Add(ARG_TYPE newElement) {
        m_data.push_back(TYPE(newElement));
        return GetSize() - 1;
    }
    // Returns the index of the first appended element.
    int Append(const CArray& src) {
        int nOldSize = GetSize();
        if (&src == this) {
            std::vector<TYPE> copy(m_data);
            m_data.insert(m_data.end(), copy.begin(), copy.end());
        } else {
            m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
        }
        return nOldSize;
    }
    void Copy(const CArray& src) {
        if (&src != this)
            m_data = src.m_data;
    }

    // Past the end, the array first grows (value-initialised) up to nIndex.
    void InsertAt(int nIndex, ARG_TYPE newElement, int nCount = 1) {
        assert(nIndex >= 0 && nCount >= 0);
        if (nIndex < 0 || nCount <= 0)
            return;
        TYPE copy(newElement); // newElement may live in this array
        if (nIndex > GetSize())
            SetSize(nIndex);
        m_data.insert(m_data.begin() + nIndex, (size_t)nCount, copy);
    }
    void InsertAt(int nStartIndex, const CArray* pNewArray) {
        assert(pNewArray != nullptr && nStartIndex >= 0);
        if (pNewArray == nullptr || nStartIndex < 0 || pNewArray->IsEmpty())
            return;
        std::vector<TYPE> copy(pNewArray->m_data);
        if (nStartIndex > GetSize())
            SetSize(nStartIndex);
        m_data.insert(m_data.begin() + nStartIndex, copy.begin(), copy.end());
    }
    // A range reaching past the end removes only what exists.
    void RemoveAt(int nIndex, int nCount = 1) {
        assert(nIndex >= 0 && nCount >= 0 && nIndex + nCount <= GetSize());
        if (nIndex < 0 || nCount <= 0 || nIndex >= GetSize())
            return;
        int nEnd = nCount > GetSize() - nIndex ? GetSize() : nIndex + nCount;
        m_data.erase(m_data.begin() + nIndex, m_data.begin() + nEnd);
    }

protected:
    size_t Checked(int nIndex) const {
        assert(nIndex >= 0 && nIndex < GetSize());
        return (size_t)nIndex;
    }

    std::vector<TYPE> m_data;
    int m_nGrowBy = -1;
};

class CByteArray : public CArray<BYTE, BYTE> {
    DECLARE_SERIAL(CByteArray)
public:
    void Serialize(CArchive& ar) override;
};

class CWordArray : public CArray<WORD, WORD> {
    DECLARE_SERIAL(CWordArray)
public:
    void Serialize(CArchive& ar) override;
};

class CDWordArray : public CArray<DWORD, DWORD> {
    DECLARE_SERIAL(CDWordArray)
public:
    void Serialize(CArchive& ar) override;
};

class CUIntArray : public CArray<UINT, UINT> {
    DECLARE_SERIAL(CUIntArray)
public:
    void Serialize(CArchive& ar) override;
};

class CPtrArray : public CArray<void*, void*> {
    DECLARE_DYNAMIC(CPtrArray)
};

class CObArray : public CArray<CObject*, CObject*> {
    DECLARE_SERIAL(CObArray)
public:
    void Serialize(CArchive& ar) override;
};

class CStringArray : public CArray<CString, LPCTSTR> {
    DECLARE_SERIAL(CStringArray)
public:
    void Serialize(CArchive& ar) override;
};

// A CPtrArray or CObArray whose elements are TYPE pointers.
template <class BASE_CLASS, class TYPE> class CTypedPtrArray : public BASE_CLASS {
    using Base = BASE_CLASS;

public:
    TYPE GetAt(int nIndex) const { return static_cast<TYPE>(Base::GetAt(nIndex)); }
    TYPE& ElementAt(int nIndex) { return reinterpret_cast<TYPE&>(Base::ElementAt(nIndex)); }
    TYPE& operator[](int nIndex) { return reinterpret_cast<TYPE&>(Base::ElementAt(nIndex)); }
    TYPE operator[](int nIndex) const { return static_cast<TYPE>(Base::GetAt(nIndex)); }
    void SetAt(int nIndex, TYPE ptr) { Base::SetAt(nIndex, ptr); }
    void SetAtGrow(int nIndex, TYPE newElement) { Base::SetAtGrow(nIndex, newElement); }
    int Add(TYPE newElement) { return Base::Add(newElement); }
    int Append(const CTypedPtrArray& src) { return Base::Append(src); }
    void Copy(const CTypedPtrArray& src) { Base::Copy(src); }
    void InsertAt(int nIndex, TYPE newElement, int nCount = 1) {
        Base::InsertAt(nIndex, newElement, nCount);
    }
    void InsertAt(int nStartIndex, const CTypedPtrArray* pNewArray) {
        Base::InsertAt(nStartIndex, pNewArray);
    }
};

// ---------------------------------------------------------------------------------------------
// Hash map with a fixed number of buckets (17 unless InitHashTable says otherwise while the map
// is empty). A new entry goes to the head of its bucket's chain, and iteration walks the buckets
// in index order, each chain from its head. That order is visible to users, so the table never
// rehashes on its own unless its owner allows it (SetGrowth).

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE> class CMap : public CObject {
public:
    typedef KEY BASE_KEY;
    typedef ARG_KEY BASE_ARG_KEY;
    typedef VALUE BASE_VALUE;
    typedef ARG_VALUE BASE_ARG_VALUE;

    class CPair {
    public:
        const KEY key;
        VALUE value;

    protected:
        CPair(ARG_KEY keyval) : key(keyval), value() {}
    };

protected:
    class CAssoc : public CPair {
    public:
        CAssoc(ARG_KEY keyval, UINT nHash) : CPair(keyval), nHashValue(nHash) {}
        CAssoc* pNext = nullptr;
        UINT nHashValue; // the full hash, so the bucket can be found again without the key
    };

public:
    explicit CMap(int nBlockSize = 10) { (void)nBlockSize; }
    ~CMap() override { RemoveAll(); }

    int GetCount() const { return m_nCount; }
    int GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const {
        const CAssoc* pAssoc = GetAssocAt(key);
        if (pAssoc == nullptr)
            return FALSE;
        rValue = pAssoc->value;
        return TRUE;
    }
    const CPair* PLookup(ARG_KEY key) const { return GetAssocAt(key); }
    CPair* PLookup(ARG_KEY key) { return GetAssocAt(key); }

    // The value for key, a value-initialised one newly added when the key is new.
    VALUE& operator[](ARG_KEY key) {
        if (CAssoc* pAssoc = GetAssocAt(key))
            return pAssoc->value;
        UINT nHashValue = HashKey<ARG_KEY>(key);
        if (m_bGrow && (UINT)m_nCount >= 2 * m_nHashTableSize)
            Rehash(2 * m_nHashTableSize + 1);
        if (m_pHashTable == nullptr)
            m_pHashTable = new CAssoc* [m_nHashTableSize] {};
        CAssoc*& rBucket = m_pHashTable[nHashValue % m_nHashTableSize];
        CAssoc* pAssoc = new CAssoc(key, nHashValue);
        pAssoc->pNext = rBucket;
        rBucket = pAssoc;
        ++m_nCount;
        return pAssoc->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }

    BOOL RemoveKey(ARG_KEY key) {
        if (m_pHashTable == nullptr)
            return FALSE;
        CAssoc** ppPrev = &m_pHashTable[HashKey<ARG_KEY>(key) % m_nHashTableSize];
        for (CAssoc* pAssoc = *ppPrev; pAssoc != nullptr; pAssoc = pAssoc->pNext) {
            if (CompareElements<KEY, std::remove_cvref_t<ARG_KEY>>(&pAssoc->key, &key)) {
                *ppPrev = pAssoc->pNext;
                delete pAssoc;
                --m_nCount;
                return TRUE;
            }
            ppPrev = &pAssoc->pNext;
        }
        return FALSE;
    }
    // Frees the buckets too; the table size stays as it was.
    void RemoveAll() {
        if (m_pHashTable != nullptr) {
            for (UINT nBucket = 0; nBucket < m_nHashTableSize; ++nBucket) {
                CAssoc* pAssoc = m_pHashTable[nBucket];
                while (pAssoc != nullptr) {
                    CAssoc* pNext = pAssoc->pNext;
                    delete pAssoc;
                    pAssoc = pNext;
                }
            }
            delete[] m_pHashTable;
            m_pHashTable = nullptr;
        }
        m_nCount = 0;
    }

    // Null for an empty map. Removing the entry just returned by GetNextAssoc is safe.
    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const {
        const CAssoc* pAssoc = NextAssoc(rNextPosition);
        rKey = pAssoc->key;
        rValue = pAssoc->value;
    }
    const CPair* PGetFirstAssoc() const { return FirstAssocFrom(0); }
    CPair* PGetFirstAssoc() { return FirstAssocFrom(0); }
    const CPair* PGetNextAssoc(const CPair* pPair) const {
        return NextAfter(static_cast<const CAssoc*>(pPair));
    }
    CPair* PGetNextAssoc(const CPair* pPair) {
        return NextAfter(static_cast<const CAssoc*>(pPair));
    }

    UINT GetHashTableSize() const { return m_nHashTableSize; }
    // Only an empty map changes its table: entries already placed would be lost in the wrong
    // buckets otherwise. A size of 0 is ignored.
    void InitHashTable(UINT hashSize, BOOL bAllocNow = TRUE) {
        if (m_nCount != 0 || hashSize == 0)
            return;
        delete[] m_pHashTable;
        m_pHashTable = nullptr;
        m_nHashTableSize = hashSize;
        if (bAllocNow)
            m_pHashTable = new CAssoc* [m_nHashTableSize] {};
    }

    // For a map whose order nobody relies on: once the entries outnumber the buckets twice, the
    // next insertion moves them all into a table about twice as large, so lookups stay short
    // however large the map grows. That changes the order of iteration, so no entry may be added
    // while the map is being walked (removing the one just returned stays safe). The table
    // never shrinks.
    void SetGrowth(BOOL bGrow) { m_bGrow = bGrow != FALSE; }

protected:
    void Rehash(UINT nHashTableSize) {
        auto** pTable = new CAssoc* [nHashTableSize] {};
        for (UINT nBucket = 0; m_pHashTable != nullptr && nBucket < m_nHashTableSize; ++nBucket) {
            for (CAssoc* pAssoc = m_pHashTable[nBucket]; pAssoc != nullptr;) {
                CAssoc* pNext = pAssoc->pNext;
                CAssoc*& rBucket = pTable[pAssoc->nHashValue % nHashTableSize];
                pAssoc->pNext = rBucket;
                rBucket = pAssoc;
                pAssoc = pNext;
            }
        }
        delete[] m_pHashTable;
        m_pHashTable = pTable;
        m_nHashTableSize = nHashTableSize;
    }

    CAssoc* GetAssocAt(ARG_KEY key) const {
        if (m_pHashTable == nullptr)
            return nullptr;
        CAssoc* pAssoc = m_pHashTable[HashKey<ARG_KEY>(key) % m_nHashTableSize];
        for (; pAssoc != nullptr; pAssoc = pAssoc->pNext) {
            if (CompareElements<KEY, std::remove_cvref_t<ARG_KEY>>(&pAssoc->key, &key))
                return pAssoc;
        }
        return nullptr;
    }

    CAssoc* FirstAssocFrom(UINT nBucket) const {
        if (m_pHashTable == nullptr)
            return nullptr;
        for (; nBucket < m_nHashTableSize; ++nBucket) {
            if (m_pHashTable[nBucket] != nullptr)
                return m_pHashTable[nBucket];
        }
        return nullptr;
    }
    CAssoc* NextAfter(const CAssoc* pAssoc) const {
        if (pAssoc->pNext != nullptr)
            return pAssoc->pNext;
        return FirstAssocFrom(pAssoc->nHashValue % m_nHashTableSize + 1);
    }
    const CAssoc* NextAssoc(POSITION& rNextPosition) const {
        assert(rNextPosition != nullptr);
        const CAssoc* pAssoc = rNextPosition == BEFORE_START_POSITION
                                   ? FirstAssocFrom(0)
                                   : reinterpret_cast<const CAssoc*>(rNextPosition);
        assert(pAssoc != nullptr);
        rNextPosition = (POSITION)NextAfter(pAssoc);
        return pAssoc;
    }

    CAssoc** m_pHashTable = nullptr;
    UINT m_nHashTableSize = 17;
    int m_nCount = 0;
    bool m_bGrow = false;
};

class CMapStringToPtr : public CMap<CString, LPCTSTR, void*, void*> {
    DECLARE_DYNAMIC(CMapStringToPtr)
public:
    explicit CMapStringToPtr(int nBlockSize = 10) : CMap(nBlockSize) {}
};

class CMapStringToString : public CMap<CString, LPCTSTR, CString, LPCTSTR> {
    DECLARE_DYNAMIC(CMapStringToString)
public:
    explicit CMapStringToString(int nBlockSize = 10) : CMap(nBlockSize) {}
};

class CMapStringToOb : public CMap<CString, LPCTSTR, CObject*, CObject*> {
    DECLARE_DYNAMIC(CMapStringToOb)
public:
    explicit CMapStringToOb(int nBlockSize = 10) : CMap(nBlockSize) {}
};

class CMapPtrToPtr : public CMap<void*, void*, void*, void*> {
    DECLARE_DYNAMIC(CMapPtrToPtr)
public:
    explicit CMapPtrToPtr(int nBlockSize = 10) : CMap(nBlockSize) {}
};

class CMapWordToPtr : public CMap<WORD, WORD, void*, void*> {
    DECLARE_DYNAMIC(CMapWordToPtr)
public:
    explicit CMapWordToPtr(int nBlockSize = 10) : CMap(nBlockSize) {}
};

class CMapWordToOb : public CMap<WORD, WORD, CObject*, CObject*> {
    DECLARE_DYNAMIC(CMapWordToOb)
public:
    explicit CMapWordToOb(int nBlockSize = 10) : CMap(nBlockSize) {}
};

// One of the maps above whose values (and, for pointer keys, keys) are typed pointers.
template <class BASE_CLASS, class KEY, class VALUE> class CTypedPtrMap : public BASE_CLASS {
    using Base = BASE_CLASS;

public:
    explicit CTypedPtrMap(int nBlockSize = 10) : BASE_CLASS(nBlockSize) {}

    BOOL Lookup(typename Base::BASE_ARG_KEY key, VALUE& rValue) const {
        typename Base::BASE_VALUE value{};
        if (!Base::Lookup(key, value))
            return FALSE;
        rValue = static_cast<VALUE>(value);
        return TRUE;
    }
    VALUE& operator[](typename Base::BASE_ARG_KEY key) {
        return reinterpret_cast<VALUE&>(Base::operator[](key));
    }
    void SetAt(KEY key, VALUE newValue) { Base::SetAt(key, newValue); }
    BOOL RemoveKey(KEY key) { return Base::RemoveKey(key); }
    void GetNextAssoc(POSITION& rPosition, KEY& rKey, VALUE& rValue) const {
        const auto* pPair = Base::NextAssoc(rPosition);
        rKey = (KEY)pPair->key;
        rValue = static_cast<VALUE>(pPair->value);
    }
};
