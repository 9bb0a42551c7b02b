// An intrusive doubly linked list: each node knows its list and its neighbours and refers to one
// object, so that an object held by several lists can leave any of them in constant time.
#pragma once

#include "platform/base/Types.h"

class CBiLinkList;

class CBiLinkListNode {
public:
    explicit CBiLinkListNode(void* pData = nullptr) : m_pData(pData) {}
    // Unlinks the node from its list first.
    virtual ~CBiLinkListNode();
    CBiLinkListNode(const CBiLinkListNode&) = delete;
    CBiLinkListNode& operator=(const CBiLinkListNode&) = delete;

    // Takes the node out of its list (neighbours, head and tail fixed, the list's count lowered
    // through CBiLinkList::DecreaseCount). Nothing happens to a node in no list.
    void Remove();

    CBiLinkList* GetOwner() const { return m_pOwner; }
    CBiLinkListNode* GetNext() const { return m_pNext; }
    CBiLinkListNode* GetPrev() const { return m_pPrev; }
    void* GetData() const { return m_pData; }
    void SetData(void* pData) { m_pData = pData; }

private:
    friend class CBiLinkList;
    void Detach() { m_pOwner = nullptr, m_pNext = m_pPrev = nullptr; }

    CBiLinkList* m_pOwner = nullptr;
    CBiLinkListNode* m_pNext = nullptr;
    CBiLinkListNode* m_pPrev = nullptr;
    void* m_pData;
};

class CBiLinkList {
public:
    CBiLinkList() = default;
    // Called when Remove takes the last node out; nothing in this base.
    virtual void OnEmpty() {}
    // Unlinks the nodes that are still in the list without deleting them, so that none of them
    // points at a list that no longer exists.
    virtual ~CBiLinkList();
    CBiLinkList(const CBiLinkList&) = delete;
    CBiLinkList& operator=(const CBiLinkList&) = delete;

    // Links the node after the tail. A node that is in a list already leaves that list first.
    void AddTail(CBiLinkListNode* pNode);
    // Empties the list from the head on: with bDelete every node is deleted, otherwise each is
    // only unlinked.
    void RemoveAll(BOOL bDelete);
    // One node fewer; OnEmpty when none is left.
    void DecreaseCount();

    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    CBiLinkListNode* GetHead() const { return m_pHead; }
    CBiLinkListNode* GetTail() const { return m_pTail; }

private:
    friend class CBiLinkListNode;

    int m_nCount = 0;
    CBiLinkListNode* m_pHead = nullptr;
    CBiLinkListNode* m_pTail = nullptr;
};
