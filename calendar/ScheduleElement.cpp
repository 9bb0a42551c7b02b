#include "calendar/ScheduleElement.h"

#include "calendar/EventSet.h"

CScheduleElement::~CScheduleElement() {
    Unlink(nullptr);
}

void CScheduleElement::LinkInto(CEventLinkList* pList) {
    auto* pNode = new CBiLinkListNode(this);
    pList->AddTail(pNode);
    m_links.AddTail(pNode);
}

void CScheduleElement::Unlink(CEventLinkList* pList) {
    for (POSITION pos = m_links.GetHeadPosition(); pos != nullptr;) {
        POSITION at = pos;
        CBiLinkListNode* pNode = m_links.GetNext(pos);
        if (pList != nullptr && pNode->GetOwner() != pList)
            continue;
        m_links.RemoveAt(at);
        delete pNode; // leaves its list
        if (pList != nullptr)
            return;
    }
}

void CScheduleElement::ForgetNode(CBiLinkListNode* pNode) {
    if (POSITION pos = m_links.Find(pNode))
        m_links.RemoveAt(pos);
}

BOOL CScheduleElement::IsIn(const CEventLinkList* pList) const {
    for (POSITION pos = m_links.GetHeadPosition(); pos != nullptr;) {
        if (m_links.GetNext(pos)->GetOwner() == pList)
            return TRUE;
    }
    return FALSE;
}
