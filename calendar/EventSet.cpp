#include "calendar/EventSet.h"

#include "calendar/Event.h"

CEventLinkList::~CEventLinkList() {
    RemoveAllElements();
}

void CEventLinkList::RemoveAllElements() {
    while (CBiLinkListNode* pNode = GetHead()) {
        ElementOf(pNode)->ForgetNode(pNode);
        delete pNode;
    }
}

_CEventSet::_CEventSet(int nMode) : m_nMode(nMode), m_map(10) {
    m_map.InitHashTable(17, FALSE);
}

_CEventSet::~_CEventSet() {
    Clear();
}

void _CEventSet::NormalizeKey(CDate& date) const {
    if (m_nMode == BY_MONTH)
        date.Set(date.GetYear(), date.GetMonth(), 1);
    else if (m_nMode == BY_YEAR)
        date.Set(date.GetYear(), 1, 1);
}

void _CEventSet::StepKey(CDate& date) const {
    if (m_nMode == BY_DAY) {
        date.NextDay();
    } else if (m_nMode == BY_MONTH) {
        int year = date.GetYear(), month = date.GetMonth();
        CDate::NextYearMonth(&year, &month);
        date.Set(year, month, 1);
    } else {
        date.Set(date.GetYear() + 1, 1, 1);
    }
}

CEventLinkList* _CEventSet::GetList(const CDate& key, BOOL bCreate) {
    CEventLinkList* pList = nullptr;
    if (m_map.Lookup(key, pList))
        return pList;
    if (!bCreate)
        return nullptr;
    pList = new CEventLinkList(this);
    m_map[key] = pList;
    return pList;
}

BOOL _CEventSet::AddElement(CScheduleElement* pElement, const CDate& key) {
    pElement->LinkInto(GetList(key, TRUE));
    return TRUE;
}

BOOL _CEventSet::AddEvent(_CEvent* pEvent) {
    CDate first, last;
    pEvent->GetStartDate(first);
    pEvent->GetEndDate(last);
    // Dates from a file may be anything: only real dates of the years keys cover are walked,
    // so the walk always ends.
    if (!IsIndexable(first) || !IsIndexable(last))
        return FALSE;
    NormalizeKey(first);
    NormalizeKey(last);
    for (CDate key = first; key <= last; StepKey(key))
        AddElement(pEvent->GetScheduleElement(), key);
    return TRUE;
}

void _CEventSet::Clear() {
    for (POSITION pos = m_map.GetStartPosition(); pos != nullptr;) {
        CDate key;
        CEventLinkList* pList = nullptr;
        m_map.GetNextAssoc(pos, key, pList);
        delete pList;
    }
    m_map.RemoveAll();
}
