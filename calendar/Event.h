// A calendar event: a titled record with a start and an end, an optional recurrence rule, an
// optional reminder and display settings, stored as fixed blocks of 32-bit integers. Every date
// question the calendar, the task filter and the reminder ask of a schedule record is answered
// here (a task keeps its data in an embedded event).
#pragma once

#include "calendar/ScheduleElement.h"
#include "core/Content.h"
#include "core/Date.h"
#include "core/DateTime.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

// 基本信息.
class CEventBaseInfo {
public:
    CEventBaseInfo();

    int m_nImportance = 1; // 重要性 0..2
    int m_nUrgency = 1;    // 紧急性 0..2
    int m_nPercentDone = 0;
    int m_nState = 0; // see _CEvent::GetStateName
    int m_nReserved = 0;
    BOOL m_bRecurring = FALSE; // the recurrence rule is in force, the base dates are ignored
    BOOL m_bAllDay = FALSE;    // the times of day are ignored
    BOOL m_bSingleDay = FALSE; // the event ends on its start date
    CDateTime m_start;         // today 09:00
    CDateTime m_end;           // today 17:00
    CString m_strTitle;
    CString m_strContent;
    CString m_strPlace;
    CString m_strPeople;
};

// 提醒设置.
class CEventRemindInfo {
public:
    enum { MODE_ADVANCE = 0, MODE_FIXED = 1 };

    BOOL m_bEnabled = FALSE;
    int m_nMode = MODE_ADVANCE;
    // Advance: [0] hours and [1] minutes before the start. Fixed: year, month, day, hour,
    // minute, second.
    int m_when[6] = {0, 0, 0, 0, 0, 0};
    int m_nPopup = 0;       // below 0: no prompt window
    int m_nSound = 0;       // non-zero: a sound with the prompt
    int m_nSoundSource = 0; // below 0: m_strSoundFile, otherwise the standard reminder sound
    CString m_strSoundFile; // not stored
    CStringList m_extra;    // not stored

    // The amount the reminder comes before the start (advance mode).
    CTimeOfDay GetAdvance() const { return CTimeOfDay(m_when[0], m_when[1], 0); }
    // Every setting, the extra list too (the list makes the block no plain copy).
    void CopyFrom(const CEventRemindInfo& other);
};

// 重复周期: which days of which periods an event recurs on.
class CEventPeriodInfo {
public:
    enum Kind { BY_DAY = 0, BY_WEEK, BY_XUN, BY_MONTH, BY_SEASON, BY_YEAR };
    enum { FLAG_FROM_MONTH_END = 0x01 }; // 按倒数日 (month kind only)
    static constexpr int kValueWords = 12;

    int m_nKind = BY_DAY;
    int m_nEvery = 1;
    int m_nFlags = 0;
    // Day bit sets; bit i is the (i+1)-th day of the period as the kind counts it.
    DWORD m_values[kValueWords] = {};
    CDateTime m_first; // null: no lower bound
    CDateTime m_last;  // null: no upper bound
    // Its period is period 0 of the every-N count. Today for a new rule, as a rule read from a
    // file without a real anchor gets, so that a new record stores as it reads back.
    CDate m_anchor = CDate::GetToday(TRUE);

    // A file may hold any number: kinds outside 0..5 count as by day, every below 1 as 1.
    int GetKind() const { return m_nKind >= BY_DAY && m_nKind <= BY_YEAR ? m_nKind : BY_DAY; }
    int GetEvery() const { return m_nEvery >= 1 ? m_nEvery : 1; }
    // How many value words the kind uses: 0, 1, 3 or 12.
    static int GetWordCount(int nKind);

    BOOL Matches(const CDate& date) const;
    // "每2周:第1天,第3天", "每年-第1月:第1天;第3月:第5天".
    void GetText(CString& out) const;
    // The block of 14 DWORDs and the two bounds.
    void Serialize(CArchive& ar);
};

// 显示设置.
class CEventDisplayInfo {
public:
    enum { SHOW_EVERY_DAY = 0, SHOW_FIRST_DAY, SHOW_LAST_DAY, SHOW_FIRST_AND_LAST };
    BOOL m_bShowOnCalendar = TRUE;
    int m_nShowMode = SHOW_EVERY_DAY;
};

class _CEvent : public CContent, public CScheduleElement {
    DECLARE_SERIAL(_CEvent)
public:
    static constexpr int kStateCount = 5;

    _CEvent();
    ~_CEvent() override;

    void Serialize(CArchive& ar) override;
    // A whole copy of the record: its settings and how it is shown.
    void CopyFrom(const CContent* pSource) override;
    CContent* Clone() const override;

    // The name every list shows is the title.
    CString& GetName() override { return m_base.m_strTitle; }
    const CString& GetTitle() const { return m_base.m_strTitle; }
    void SetName(LPCTSTR lpszName) override;
    // Sorting: events with a start moment by that moment, before those without, which go by name.
    int CompareName(const CGroupItem* pOther) const override;

    CObject* GetElementObject() override { return this; }
    _CEvent* GetElementEvent() override { return this; }
    // The element the per-date lists hold for this event (the task's, for a task's event).
    virtual CScheduleElement* GetScheduleElement() { return GetReferredElement(); }

    BOOL IsRecurring() const { return m_base.m_bRecurring; }
    // Recurring: the rule's bounds; otherwise the base start date and the base end date (the
    // start date again for a single-day event).
    void GetDateRange(CDate& first, CDate& last) const;
    BOOL GetStartDate(CDate& out) const;
    BOOL GetEndDate(CDate& out) const;
    // 0 without a valid date; 1 with the date at 00:00 (all-day); 3 with the date and its time.
    int GetStartDateTime(CDateTime& out) const;
    int GetEndDateTime(CDateTime& out) const;
    // Both ends counted; -1 when the span is reversed or a date is missing.
    int CountDays() const;
    int CountMonths() const;
    int CountYears() const;
    BOOL IsRangeReversed() const { return CountYears() < 0; }
    BOOL HasDate() const;

    BOOL OccursOn(const CDate& date) const;
    BOOL ShowsOn(const CDate& date) const;
    BOOL OccursInRange(const CDate& from, const CDate& to) const;

    // 0 with out null when no reminder; 1 with the moment; -1 when the reminder comes before
    // each occurrence (out then holds only the time of day).
    int GetRemindTime(CDateTime& out) const;
    BOOL RemindsOn(const CDateTime& remindTime, const CDate& date) const;
    BOOL GetLastReminded(CDateTime& out) const;
    void SetLastReminded(const CDateTime& t) { m_lastReminded = t; }

    void GetPeriodText(CString& out) const;
    void GetEndText(CString& out) const;
    // "未开始" .. "已取消"; empty outside 0..4.
    static CString GetStateName(int nState);

    // The basic information, the reminder (sound file and extra list too) and the recurrence;
    // not the display settings nor the last reminder.
    void CopySettings(const _CEvent& other);

    CEventBaseInfo m_base;
    CEventRemindInfo m_remind;
    CEventPeriodInfo m_period;
    CEventDisplayInfo m_display;

private:
    BOOL BaseSpanContains(const CDate& date) const;
    int GetDateTimeOf(const CDate& date, const CDateTime& base, CDateTime& out) const;

    CDateTime m_lastReminded;
};
