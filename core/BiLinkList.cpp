#include "core/BiLinkList.h"

CBiLinkListNode::~CBiLinkListNode() {
    Remove();
}

void CBiLinkListNode::Remove() {
    CBiLinkList* list = m_pOwner;
    if (list == nullptr)
        return;
    if (m_pPrev != nullptr)
        m_pPrev->m_pNext = m_pNext;
    else
        list->m_pHead = m_pNext;
    if (m_pNext != nullptr)
        m_pNext->m_pPrev = m_pPrev;
    else
        list->m_pTail = m_pPrev;
    Detach();
    list->DecreaseCount();
}

CBiLinkList::~CBiLinkList() {
    RemoveAll(FALSE);
}

void CBiLinkList::AddTail(CBiLinkListNode* pNode) {
    if (pNode == nullptr)
        return;
    pNode->Remove();
    pNode->m_pOwner = this;
    pNode->m_pPrev = m_pTail;
    pNode->m_pNext = nullptr;
    if (m_pTail != nullptr)
        m_pTail->m_pNext = pNode;
    else
        m_pHead = pNode;
    m_pTail = pNode;
    ++m_nCount;
}

void CBiLinkList::RemoveAll(BOOL bDelete) {
    CBiLinkListNode* node = m_pHead;
    m_pHead = m_pTail = nullptr;
    m_nCount = 0;
    while (node != nullptr) {
        CBiLinkListNode* next = node->m_pNext;
        node->Detach(); // a deleted node then has no list left to unlink itself from
        if (bDelete)
            delete node;
        node = next;
    }
}

void CBiLinkList::DecreaseCount() {
    if (m_nCount > 0 && --m_nCount == 0)
        OnEmpty();
}
