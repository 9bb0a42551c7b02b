// A schedule file (".sch"): a tree of schedule groups holding events and tasks, with the memory-
// only indexes that answer the calendar's day questions and collect the reminders due.
#pragma once

#include "calendar/CalendarCellItem.h"
#include "calendar/EventSet.h"
#include "calendar/Reminder.h"
#include "calendar/ScheduleGroup.h"
#include "core/DateTime.h"
#include "core/QuillmarBaseDoc.h"

class CScheduleDoc : public CQuillmarBaseDoc {
    DECLARE_DYNCREATE(CScheduleDoc)
public:
    // The most year keys one event is filed under.
    static constexpr int kMaxYearKeys = 100;

    explicit CScheduleDoc(void* pOwner = nullptr);
    ~CScheduleDoc() override;

    // The version word, then the root group's tree.
    void Serialize(CArchive& ar) override;
    // Empties the indexes and the tree.
    void DeleteContents() override;

    void* GetOwner() const { return m_pOwner; }
    CScheduleGroup& GetRootGroup() { return m_root; }

    // Files the event for the calendar (by its span) and its reminder; an event already filed is
    // taken out first, so a changed event can be filed again.
    void IndexEvent(_CEvent* pEvent);
    void UnindexEvent(_CEvent* pEvent);
    void IndexTask(CTask* pTask, BOOL bIndex, BOOL bRecursive);
    // The group's events and tasks and, when recursive, its sub-groups'.
    void IndexGroup(CScheduleGroup* pGroup, BOOL bIndex, BOOL bRecursive);
    // Files the event's reminder for the date (null: today); with bIndex FALSE only unlinks it.
    void FileReminder(_CEvent* pEvent, const CDate& date, BOOL bIndex);

    // The events shown on the date, one cell item each; the number of them. With bStopAtFirst
    // only whether there is one: 1 or 0, and nothing is appended.
    virtual int GetDayInfo(const CDate& date, CKovCalendarCellItemList* pItems, BOOL bStopAtFirst);
    // Appends a prompt for every reminder due at `now` and marks each reminded.
    void CollectDuePrompts(CReminder::CPromptList& prompts, const CDateTime& now);
    // The display set for an event's span: day, month or year set.
    _CEventSet& ChooseDisplaySet(const _CEvent* pEvent);

    // For tests and the benchmark.
    _CEventSet& GetDaySet() { return m_daySet; }
    _CEventSet& GetMonthSet() { return m_monthSet; }
    _CEventSet& GetYearSet() { return m_yearSet; }
    CEventLinkList& GetUndatedList() { return m_undated; }
    _CEventSet& GetFixedReminderSet() { return m_fixedReminders; }
    _CEventSet& GetOccurrenceReminderSet() { return m_occurrenceReminders; }

    // What a cell item's data points at.
    static CScheduleElement* GetCellElement(const CKovCalendarCellItem& item) {
        return reinterpret_cast<CScheduleElement*>(item.m_dwData);
    }

private:
    void ClearIndexes();
    int AskList(CEventLinkList* pList, const CDate& date, CKovCalendarCellItemList* pItems,
                BOOL bStopAtFirst);
    void CollectFrom(CEventLinkList* pList, CReminder::CPromptList& prompts, const CDateTime& now);
    // Files every per-occurrence reminder again for a new day.
    void RefileOccurrences(const CDate& date);

    void* m_pOwner;
    _CEventSet m_daySet{_CEventSet::BY_DAY};
    _CEventSet m_monthSet{_CEventSet::BY_MONTH};
    _CEventSet m_yearSet{_CEventSet::BY_YEAR};
    CEventLinkList m_undated;
    _CEventSet m_fixedReminders{_CEventSet::BY_DAY};
    _CEventSet m_occurrenceReminders{_CEventSet::BY_DAY};
    // Every indexed event whose reminder comes before each occurrence, and the day the
    // per-occurrence set was filed for.
    CEventLinkList m_occurrenceEvents;
    CDate m_occurrenceDay;
    CScheduleGroup m_root;
};
