#include "calendar/ScheduleDoc.h"

#include "platform/base/Archive.h"

IMPLEMENT_DYNCREATE(CScheduleDoc, CQuillmarBaseDoc)

CScheduleDoc::CScheduleDoc(void* pOwner) : m_pOwner(pOwner) {
    m_undated.m_nFlag = 0;
    m_occurrenceEvents.m_nFlag = 0;
}

CScheduleDoc::~CScheduleDoc() {
    ClearIndexes();
}

void CScheduleDoc::Serialize(CArchive& ar) {
    CQuillmarBaseDoc::Serialize(ar);
    m_root.Serialize(ar);
}

void CScheduleDoc::ClearIndexes() {
    m_daySet.Clear();
    m_monthSet.Clear();
    m_yearSet.Clear();
    m_undated.RemoveAllElements();
    m_fixedReminders.Clear();
    m_occurrenceReminders.Clear();
    m_occurrenceEvents.RemoveAllElements();
    m_occurrenceDay.SetNull();
}

void CScheduleDoc::DeleteContents() {
    ClearIndexes();
    m_root.RemoveAll();
    CQuillmarBaseDoc::DeleteContents();
}

_CEventSet& CScheduleDoc::ChooseDisplaySet(const _CEvent* pEvent) {
    if (pEvent->CountDays() <= 3)
        return m_daySet;
    if (pEvent->CountMonths() < 4)
        return m_monthSet;
    return m_yearSet;
}

void CScheduleDoc::IndexEvent(_CEvent* pEvent) {
    CScheduleElement* pElement = pEvent->GetScheduleElement();
    pElement->Unlink(nullptr);
    if (pEvent->m_display.m_bShowOnCalendar) {
        CDate first, last;
        pEvent->GetDateRange(first, last);
        // Spans that have no end, run backwards, lie outside the years a key can have or would
        // need more than a century of year keys are asked on every day instead of being walked
        // key by key: a damaged file then costs time on each question, never memory without end.
        if (!_CEventSet::IsIndexable(first) || !_CEventSet::IsIndexable(last) || last < first ||
            pEvent->CountYears() > kMaxYearKeys || !ChooseDisplaySet(pEvent).AddEvent(pEvent))
            pElement->LinkInto(&m_undated);
    }
    FileReminder(pEvent, CDate(), TRUE);
}

void CScheduleDoc::UnindexEvent(_CEvent* pEvent) {
    pEvent->GetScheduleElement()->Unlink(nullptr);
    FileReminder(pEvent, CDate(), FALSE);
}

void CScheduleDoc::IndexTask(CTask* pTask, BOOL bIndex, BOOL bRecursive) {
    if (bIndex)
        IndexEvent(pTask->GetEvent());
    else
        UnindexEvent(pTask->GetEvent());
    if (!bRecursive)
        return;
    for (POSITION pos = pTask->GetHeadPosition(); pos != nullptr;)
        IndexTask(pTask->GetNextSubTask(pos), bIndex, TRUE);
}

void CScheduleDoc::IndexGroup(CScheduleGroup* pGroup, BOOL bIndex, BOOL bRecursive) {
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        if (auto* pEvent = dynamic_cast<_CEvent*>(pGroup->GetNextContent(pos))) {
            if (bIndex)
                IndexEvent(pEvent);
            else
                UnindexEvent(pEvent);
        }
    }
    CTask& holder = pGroup->GetTaskHolder();
    for (POSITION pos = holder.GetHeadPosition(); pos != nullptr;)
        IndexTask(holder.GetNextSubTask(pos), bIndex, TRUE);
    if (bRecursive) {
        for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;) {
            if (auto* pSub = dynamic_cast<CScheduleGroup*>(pGroup->GetNextSubgroup(pos)))
                IndexGroup(pSub, bIndex, TRUE);
        }
    }
    pGroup->SetIndexed(bIndex);
}

void CScheduleDoc::FileReminder(_CEvent* pEvent, const CDate& date, BOOL bIndex) {
    CScheduleElement* pElement = pEvent->GetScheduleElement();
    if (!bIndex) {
        pElement->Unlink(nullptr);
        return;
    }
    if (!pEvent->m_remind.m_bEnabled)
        return;
    CDateTime t, last;
    int n = pEvent->GetRemindTime(t);
    BOOL reminded = pEvent->GetLastReminded(last);
    if (n == 1) {
        if (!reminded && _CEventSet::IsIndexable(t.m_date))
            m_fixedReminders.AddElement(pElement, t.m_date);
        return;
    }
    if (n != -1)
        return;
    if (!pElement->IsIn(&m_occurrenceEvents))
        pElement->LinkInto(&m_occurrenceEvents);
    CDate day = date.IsNull() ? CDate::GetToday(TRUE) : date;
    if (m_occurrenceDay.IsNull())
        m_occurrenceDay = day;
    if (pElement->IsIn(m_occurrenceReminders.GetList(day, FALSE)))
        return;
    if (pEvent->RemindsOn(t, day) && (!reminded || last.m_date < day))
        m_occurrenceReminders.AddElement(pElement, day);
}

void CScheduleDoc::RefileOccurrences(const CDate& date) {
    m_occurrenceReminders.Clear();
    m_occurrenceDay = date;
    for (CBiLinkListNode* pNode = m_occurrenceEvents.GetHead(); pNode != nullptr;
         pNode = pNode->GetNext()) {
        _CEvent* pEvent = CEventLinkList::ElementOf(pNode)->GetElementEvent();
        CDateTime t, last;
        if (pEvent->GetRemindTime(t) != -1)
            continue;
        BOOL reminded = pEvent->GetLastReminded(last);
        if (pEvent->RemindsOn(t, date) && (!reminded || last.m_date < date))
            m_occurrenceReminders.AddElement(CEventLinkList::ElementOf(pNode), date);
    }
}

int CScheduleDoc::AskList(CEventLinkList* pList, const CDate& date,
                          CKovCalendarCellItemList* pItems, BOOL bStopAtFirst) {
    if (pList == nullptr)
        return 0;
    int n = 0;
    for (CBiLinkListNode* pNode = pList->GetHead(); pNode != nullptr; pNode = pNode->GetNext()) {
        CScheduleElement* pElement = CEventLinkList::ElementOf(pNode);
        _CEvent* pEvent = pElement->GetElementEvent();
        if (!pEvent->ShowsOn(date))
            continue;
        ++n;
        if (bStopAtFirst)
            return n;
        if (pItems != nullptr) {
            CKovCalendarCellItem item;
            item.m_nKind = CKovCalendarCellItem::KIND_EVENT;
            item.m_dwData = reinterpret_cast<DWORD_PTR>(pElement);
            item.m_nAltIcon = pEvent->m_base.m_nState == 2 ? 1 : 0;
            item.m_dwOwner = reinterpret_cast<DWORD_PTR>(this);
            item.m_strText = pEvent->GetTitle();
            pItems->AddTail(item);
        }
    }
    return n;
}

int CScheduleDoc::GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems,
                             BOOL bStopAtFirst) {
    int n = 0;
    _CEventSet* sets[] = {&m_daySet, &m_monthSet, &m_yearSet};
    for (_CEventSet* pSet : sets) {
        CDate key = date;
        pSet->NormalizeKey(key);
        n += AskList(pSet->GetList(key, FALSE), date, pItems, bStopAtFirst);
        if (bStopAtFirst && n > 0)
            return 1;
    }
    n += AskList(&m_undated, date, pItems, bStopAtFirst);
    return bStopAtFirst ? (n > 0 ? 1 : 0) : n;
}

void CScheduleDoc::CollectFrom(CEventLinkList* pList, CReminder::CPromptList& prompts,
                               const CDateTime& now) {
    if (pList == nullptr)
        return;
    for (CBiLinkListNode* pNode = pList->GetHead(); pNode != nullptr;) {
        CBiLinkListNode* pNext = pNode->GetNext();
        CScheduleElement* pElement = CEventLinkList::ElementOf(pNode);
        _CEvent* pEvent = pElement->GetElementEvent();
        CDateTime t;
        pEvent->GetRemindTime(t);
        // Due from one check period before its time of day on.
        if (now.m_time.GetTotalSeconds() - t.m_time.GetTotalSeconds() >= -5) {
            CReminder::CPrompt prompt;
            prompt.m_pElement = pElement;
            CString period;
            pEvent->GetPeriodText(period);
            prompt.m_strText.Format("任务执行提醒：\n%s\n执行时间：\n%s",
                                    (LPCTSTR)pEvent->GetTitle(), (LPCTSTR)period);
            prompt.m_nPopup = pEvent->m_remind.m_nPopup;
            prompt.m_nSound = pEvent->m_remind.m_nSound;
            prompt.m_nSoundSource = pEvent->m_remind.m_nSoundSource;
            prompt.m_strSoundFile = pEvent->m_remind.m_strSoundFile;
            prompts.AddTail(prompt);
            pEvent->SetLastReminded(now);
            pElement->Unlink(pList); // prompted once
            SetModifiedFlag(TRUE);
        }
        pNode = pNext;
    }
}

void CScheduleDoc::CollectDuePrompts(CReminder::CPromptList& prompts, const CDateTime& now) {
    if (now.m_date != m_occurrenceDay)
        RefileOccurrences(now.m_date);
    CollectFrom(m_fixedReminders.GetList(now.m_date, FALSE), prompts, now);
    CollectFrom(m_occurrenceReminders.GetList(now.m_date, FALSE), prompts, now);
}
