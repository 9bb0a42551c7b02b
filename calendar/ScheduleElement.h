// What the per-date lists of a schedule hold: a schedule element is the part of an event or a
// task that can sit in several lists at once and knows every list that holds it, so that
// removing the record takes it out of all of them.
#pragma once

#include "core/BiLinkList.h"
#include "platform/base/Collections.h"
#include "platform/base/Types.h"

class CObject;
class CEventLinkList;
class _CEvent;

class CScheduleElement {
public:
    CScheduleElement() : m_links(10) {}
    // Leaves every list that still holds it.
    virtual ~CScheduleElement();
    CScheduleElement(const CScheduleElement&) = delete;
    CScheduleElement& operator=(const CScheduleElement&) = delete;

    // Appends a new node for this element to the list.
    void LinkInto(CEventLinkList* pList);
    // Leaves the given list (its first node there), or every list when pList is null.
    void Unlink(CEventLinkList* pList);
    // Forgets a node that its list is about to delete.
    void ForgetNode(CBiLinkListNode* pNode);
    int GetLinkCount() const { return (int)m_links.GetCount(); }
    BOOL IsIn(const CEventLinkList* pList) const;

    // The element that stands for this record in the lists: itself, or the element of the record
    // it is embedded in (a task's event stands for the task).
    CScheduleElement* GetReferredElement() const { return m_pReferred; }
    void SetReferredElement(CScheduleElement* pElement) {
        m_pReferred = pElement != nullptr ? pElement : this;
    }

    // The record behind the element and the event that holds its dates.
    virtual CObject* GetElementObject() = 0;
    virtual _CEvent* GetElementEvent() = 0;

private:
    CList<CBiLinkListNode*, CBiLinkListNode*> m_links;
    CScheduleElement* m_pReferred = this;
};
