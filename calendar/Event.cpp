#include "calendar/Event.h"

#include <climits>

#include "calendar/EventSet.h"
#include "platform/base/Archive.h"
#include "platform/base/Collate.h"

IMPLEMENT_SERIAL(_CEvent, CContent, 1)

namespace {

constexpr long long kSecondsPerDay = 24 * 3600;

// The advance of a reminder in seconds. A file may hold any numbers: they are kept within
// about a hundred years so that the sums below cannot overflow.
long long AdvanceSeconds(const CEventRemindInfo& remind) {
    auto clampPart = [](int v) { return v < -1000000 ? -1000000LL : v > 1000000 ? 1000000LL : v; };
    return clampPart(remind.m_when[0]) * 3600 + clampPart(remind.m_when[1]) * 60;
}

long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The moment `seconds` after midnight of `base`'s date; with a date that is not valid only the
// time of day, wrapped into the day.
CDateTime MomentAfter(const CDate& date, long long seconds) {
    long long days = FloorDiv(seconds, kSecondsPerDay);
    long long rest = seconds - days * kSecondsPerDay;
    CDateTime out;
    out.m_date = date;
    if (date.IsValid() && days != 0)
        out.m_date.AddDays((int)days);
    out.m_time.Set((int)(rest / 3600), (int)(rest / 60 % 60), (int)(rest % 60));
    return out;
}

long long SecondsOfDay(const CTimeOfDay& t) {
    return t.GetTotalSeconds();
}

void AppendDateTime(CString& out, const CDateTime& t, int nResult) {
    CString part;
    part.Format("%4d-%2d-%2d", t.m_date.GetYear(), t.m_date.GetMonth(), t.m_date.GetDay());
    out += part;
    if (nResult & 2) {
        part.Format(" %.2d:%.2d", (int)t.m_time.m_nHour, (int)t.m_time.m_nMinute);
        out += part;
    }
}

} // namespace

// ---- Basic information and recurrence ----------------------------------------------------------

CEventBaseInfo::CEventBaseInfo() {
    CDate today = CDate::GetToday(TRUE);
    m_start.m_date = today;
    m_start.m_time.Set(9, 0, 0);
    m_end.m_date = today;
    m_end.m_time.Set(17, 0, 0);
}

int CEventPeriodInfo::GetWordCount(int nKind) {
    switch (nKind) {
    case BY_WEEK:
    case BY_XUN:
    case BY_MONTH:
        return 1;
    case BY_SEASON:
        return 3;
    case BY_YEAR:
        return 12;
    default:
        return 0;
    }
}

BOOL CEventPeriodInfo::Matches(const CDate& date) const {
    if (m_first.m_date.IsValid() && date < m_first.m_date)
        return FALSE;
    if (m_last.m_date.IsValid() && date > m_last.m_date)
        return FALSE;
    if (!date.IsValid())
        return FALSE;
    const int every = GetEvery();
    const int kind = GetKind();
    // A count of periods needs a period 0; the loader always gives a rule one.
    if (every != 1 && !m_anchor.IsValid())
        return FALSE;
    if (kind == BY_DAY)
        return every == 1 || date.DaysSince(m_anchor) % every == 0;
    int word = 0, bit = 0, periods = 0;
    const bool counted = every != 1;
    switch (kind) {
    case BY_WEEK:
        bit = (date.GetDayOfWeek() + 6) % 7;
        if (counted)
            periods = date.WeeksSince(m_anchor);
        break;
    case BY_XUN:
        bit = date.GetDayOfXun() - 1;
        if (counted)
            periods = date.XunsSince(m_anchor);
        break;
    case BY_MONTH:
        bit = (m_nFlags & FLAG_FROM_MONTH_END)
                  ? CDate::GetDaysInMonth(date.GetYear(), date.GetMonth()) - date.GetDay()
                  : date.GetDay() - 1;
        if (counted)
            periods = date.MonthsSince(m_anchor);
        break;
    case BY_SEASON:
        bit = date.GetDay() - 1;
        word = date.GetMonthOfSeason() - 1;
        if (counted)
            periods = date.SeasonsSince(m_anchor);
        break;
    case BY_YEAR:
        bit = date.GetDay() - 1;
        word = date.GetMonth() - 1;
        if (counted)
            periods = (int)((long long)date.GetYear() - m_anchor.GetYear());
        break;
    }
    if (counted && periods % every != 0)
        return FALSE;
    return (m_values[word] >> (bit % 32)) & 1;
}

void CEventPeriodInfo::GetText(CString& out) const {
    static const char* const kNames[] = {"天", "周", "旬", "月", "季", "年"};
    const int kind = GetKind();
    const int every = GetEvery();
    if (every == 1)
        out.Format("每%s", kNames[kind]);
    else
        out.Format("每%d%s", every, kNames[kind]);
    const int words = GetWordCount(kind);
    CString days;
    for (int i = 0; i < words; ++i) {
        if (m_values[i] == 0)
            continue;
        CString word;
        if (words > 1)
            word.Format("第%d月:", i + 1);
        BOOL firstBit = TRUE;
        for (int b = 0; b < 32; ++b) {
            if (!((m_values[i] >> b) & 1))
                continue;
            CString day;
            day.Format("第%d天", b + 1);
            if (!firstBit)
                word += ",";
            word += day;
            firstBit = FALSE;
        }
        if (!days.IsEmpty())
            days += ";";
        days += word;
    }
    if (!days.IsEmpty()) {
        out += words > 1 ? "-" : ":";
        out += days;
    }
}

void CEventPeriodInfo::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        DWORD values[kValueWords];
        for (int i = 0; i < kValueWords; ++i)
            values[i] = m_values[i];
        DWORD high = (DWORD)m_nFlags & 0xFFFF;
        // The anchor travels in value words the kind does not use (only its year for the year
        // kind, which uses all twelve).
        if (m_nKind == BY_DAY) {
            values[0] = (DWORD)m_anchor.GetYear();
            values[1] = (DWORD)m_anchor.GetMonth();
            values[2] = (DWORD)m_anchor.GetDay();
        } else if (m_nKind >= BY_WEEK && m_nKind <= BY_SEASON) {
            values[9] = (DWORD)m_anchor.GetYear();
            values[10] = (DWORD)m_anchor.GetMonth();
            values[11] = (DWORD)m_anchor.GetDay();
        } else if (m_nKind == BY_YEAR) {
            high = (DWORD)m_anchor.GetYear() & 0xFFFF;
        }
        ar << (((DWORD)m_nKind & 0xFFFF) | (high << 16)) << (DWORD)m_nEvery;
        for (DWORD v : values)
            ar << v;
    } else {
        DWORD head = 0, every = 0;
        ar >> head >> every;
        m_nKind = (int)(head & 0xFFFF);
        m_nFlags = (int)(head >> 16);
        m_nEvery = (int)every;
        for (DWORD& v : m_values)
            ar >> v;
        if (m_nKind == BY_DAY)
            m_anchor.Set((int)m_values[0], (int)m_values[1], (int)m_values[2]);
        else if (m_nKind >= BY_WEEK && m_nKind <= BY_SEASON)
            m_anchor.Set((int)m_values[9], (int)m_values[10], (int)m_values[11]);
        else if (m_nKind == BY_YEAR) {
            m_anchor.Set(m_nFlags, 1, 1);
            m_nFlags = 0;
        } else
            m_anchor.SetNull();
        if (!m_anchor.IsValid())
            m_anchor = CDate::GetToday(TRUE);
    }
    m_first.Serialize(ar);
    m_last.Serialize(ar);
}

// ---- The event ---------------------------------------------------------------------------------

_CEvent::_CEvent() = default;

_CEvent::~_CEvent() = default;

void _CEvent::CopyFrom(const CContent* pSource) {
    const auto* source = dynamic_cast<const _CEvent*>(pSource);
    if (source == nullptr || source == this)
        return;
    CopySettings(*source);
    m_display = source->m_display;
}

CContent* _CEvent::Clone() const {
    auto* pCopy = new _CEvent;
    pCopy->CopyFrom(this);
    return pCopy;
}

void _CEvent::SetName(LPCTSTR lpszName) {
    m_base.m_strTitle = lpszName != nullptr ? lpszName : "";
}

void _CEvent::Serialize(CArchive& ar) {
    CEventBaseInfo& b = m_base;
    CEventRemindInfo& r = m_remind;
    if (ar.IsStoring()) {
        ar << b.m_nImportance << b.m_nUrgency << b.m_nPercentDone << b.m_nState << b.m_nReserved
           << b.m_bRecurring << b.m_bAllDay << b.m_bSingleDay;
        ar << b.m_strTitle << b.m_strContent << b.m_strPlace << b.m_strPeople;
        b.m_start.Serialize(ar);
        b.m_end.Serialize(ar);
        // The last time value is written twice; readers keep the second copy.
        ar << r.m_bEnabled << r.m_nMode;
        for (int v : r.m_when)
            ar << v;
        ar << r.m_when[5] << r.m_nPopup << r.m_nSound << r.m_nSoundSource;
        m_period.Serialize(ar);
        ar << m_display.m_bShowOnCalendar << m_display.m_nShowMode;
        m_lastReminded.Serialize(ar);
        return;
    }
    ar >> b.m_nImportance >> b.m_nUrgency >> b.m_nPercentDone >> b.m_nState >> b.m_nReserved >>
        b.m_bRecurring >> b.m_bAllDay >> b.m_bSingleDay;
    ar >> b.m_strTitle >> b.m_strContent >> b.m_strPlace >> b.m_strPeople;
    b.m_start.Serialize(ar);
    b.m_end.Serialize(ar);
    ar >> r.m_bEnabled >> r.m_nMode;
    for (int& v : r.m_when)
        ar >> v;
    ar >> r.m_when[5] >> r.m_nPopup >> r.m_nSound >> r.m_nSoundSource;
    m_period.Serialize(ar);
    ar >> m_display.m_bShowOnCalendar >> m_display.m_nShowMode;
    m_lastReminded.Serialize(ar);
}

void _CEvent::GetDateRange(CDate& first, CDate& last) const {
    if (IsRecurring()) {
        first = m_period.m_first.m_date;
        last = m_period.m_last.m_date;
        return;
    }
    first = m_base.m_start.m_date;
    last = m_base.m_bSingleDay ? m_base.m_start.m_date : m_base.m_end.m_date;
}

BOOL _CEvent::GetStartDate(CDate& out) const {
    CDate last;
    GetDateRange(out, last);
    return out.IsValid();
}

BOOL _CEvent::GetEndDate(CDate& out) const {
    CDate first;
    GetDateRange(first, out);
    return out.IsValid();
}

int _CEvent::GetDateTimeOf(const CDate& date, const CDateTime& base, CDateTime& out) const {
    if (!date.IsValid())
        return 0;
    out.m_date = date;
    if (m_base.m_bAllDay) {
        out.m_time.Clear();
        return 1;
    }
    out.m_time = base.m_time;
    return 3;
}

int _CEvent::GetStartDateTime(CDateTime& out) const {
    CDate date;
    GetStartDate(date);
    return GetDateTimeOf(date, m_base.m_start, out);
}

int _CEvent::GetEndDateTime(CDateTime& out) const {
    CDate date;
    GetEndDate(date);
    return GetDateTimeOf(date, m_base.m_end, out);
}

int _CEvent::CountDays() const {
    CDate first, last;
    GetDateRange(first, last);
    int n = CDate::CountDaysInRange(first, last);
    return n > 0 ? n : -1;
}

int _CEvent::CountMonths() const {
    CDate first, last;
    GetDateRange(first, last);
    int n = CDate::CountMonthsInRange(first, last);
    return n > 0 ? n : -1;
}

int _CEvent::CountYears() const {
    CDate first, last;
    GetDateRange(first, last);
    // The same year with the last day before the first is a reversed span too.
    if (CDate::CountDaysInRange(first, last) <= 0)
        return -1;
    return CDate::CountYearsInRange(first, last);
}

BOOL _CEvent::HasDate() const {
    return IsRecurring() || m_base.m_start.m_date.IsValid() || m_base.m_end.m_date.IsValid();
}

BOOL _CEvent::BaseSpanContains(const CDate& date) const {
    const CDate& start = m_base.m_start.m_date;
    const CDate& end = m_base.m_end.m_date;
    BOOL s = start.IsValid(), e = end.IsValid();
    if (s && e)
        return start <= date && date <= end;
    if (s)
        return date == start;
    if (e)
        return date == end;
    return FALSE;
}

BOOL _CEvent::OccursOn(const CDate& date) const {
    return IsRecurring() ? m_period.Matches(date) : BaseSpanContains(date);
}

BOOL _CEvent::ShowsOn(const CDate& date) const {
    if (!m_display.m_bShowOnCalendar)
        return FALSE;
    if (IsRecurring())
        return m_period.Matches(date);
    if (!BaseSpanContains(date))
        return FALSE;
    CDate first, last;
    GetDateRange(first, last);
    if (m_display.m_nShowMode == CEventDisplayInfo::SHOW_EVERY_DAY || first == last)
        return TRUE;
    switch (m_display.m_nShowMode) {
    case CEventDisplayInfo::SHOW_FIRST_DAY:
        return date == first;
    case CEventDisplayInfo::SHOW_LAST_DAY:
        return date == last;
    case CEventDisplayInfo::SHOW_FIRST_AND_LAST:
        return date == first || date == last;
    default:
        return TRUE;
    }
}

BOOL _CEvent::OccursInRange(const CDate& from, const CDate& to) const {
    CDate first, last;
    GetDateRange(first, last);
    // A rule's unset bound is open, as when a single day is matched; an event's own span needs
    // both its dates. (A null date sorts below every date.)
    const bool openEnd = IsRecurring() && !last.IsValid();
    if ((!openEnd && last < from) || first > to)
        return FALSE;
    if (!IsRecurring())
        return TRUE;
    // Days outside the rule's bounds never match, so the walk covers only the overlap.
    CDate d = from;
    if (first.IsValid() && first > d)
        d = first;
    CDate end = to;
    if (last.IsValid() && last < end)
        end = last;
    if (!d.IsValid())
        return FALSE;
    for (; d <= end; d.NextDay()) {
        if (m_period.Matches(d))
            return TRUE;
        if (d.GetYear() >= INT_MAX - 1)
            break;
    }
    return FALSE;
}

int _CEvent::GetRemindTime(CDateTime& out) const {
    out.SetNull();
    if (!m_remind.m_bEnabled)
        return 0;
    if (m_remind.m_nMode == CEventRemindInfo::MODE_FIXED) {
        const int* w = m_remind.m_when;
        out.m_date.Set(w[0], w[1], w[2]);
        out.m_time.Set(w[3], w[4], w[5]);
        return out.IsValid() ? 1 : -1;
    }
    const long long at = SecondsOfDay(m_base.m_start.m_time) - AdvanceSeconds(m_remind);
    // A recurring event is reminded before each occurrence, whatever its base start holds: the
    // moment is only a time of day.
    if (IsRecurring()) {
        out = MomentAfter(CDate(), at);
        return -1;
    }
    out = MomentAfter(m_base.m_start.m_date, at);
    return out.IsValid() ? 1 : -1;
}

BOOL _CEvent::RemindsOn(const CDateTime& remindTime, const CDate& date) const {
    if (remindTime.IsValid())
        return remindTime.m_date == date;
    // The reminder given on `date` belongs to the occurrence that follows it by the advance.
    CDateTime occurrence =
        MomentAfter(date, SecondsOfDay(remindTime.m_time) + AdvanceSeconds(m_remind));
    return OccursOn(occurrence.m_date);
}

BOOL _CEvent::GetLastReminded(CDateTime& out) const {
    out = m_lastReminded;
    return out.IsValid();
}

void _CEvent::GetPeriodText(CString& out) const {
    out.Empty();
    if (IsRecurring())
        m_period.GetText(out);
    CDateTime start;
    int n = GetStartDateTime(start);
    if (n == 0)
        return;
    if (!out.IsEmpty())
        out += "/";
    AppendDateTime(out, start, n);
}

void _CEvent::GetEndText(CString& out) const {
    out.Empty();
    CDateTime end;
    int n = GetEndDateTime(end);
    if (n != 0)
        AppendDateTime(out, end, n);
}

CString _CEvent::GetStateName(int nState) {
    static const char* const kStates[kStateCount] = {"未开始", "进行中", "已完成", "暂停",
                                                     "已取消"};
    return nState >= 0 && nState < kStateCount ? CString(kStates[nState]) : CString();
}

int _CEvent::CompareName(const CGroupItem* pOther) const {
    const auto* other = dynamic_cast<const _CEvent*>(pOther);
    if (other == nullptr)
        return CContent::CompareName(pOther);
    CDateTime a, b;
    BOOL hasA = GetStartDateTime(a) != 0, hasB = other->GetStartDateTime(b) != 0;
    if (hasA && hasB)
        return a.Compare(b);
    if (hasA)
        return 1;
    if (hasB)
        return -1;
    return GbkCollate(m_base.m_strTitle, other->m_base.m_strTitle);
}

void _CEvent::CopySettings(const _CEvent& other) {
    m_base = other.m_base;
    m_remind.CopyFrom(other.m_remind);
    m_period = other.m_period;
}

void CEventRemindInfo::CopyFrom(const CEventRemindInfo& other) {
    if (&other == this)
        return;
    m_bEnabled = other.m_bEnabled;
    m_nMode = other.m_nMode;
    for (int i = 0; i < 6; ++i)
        m_when[i] = other.m_when[i];
    m_nPopup = other.m_nPopup;
    m_nSound = other.m_nSound;
    m_nSoundSource = other.m_nSoundSource;
    m_strSoundFile = other.m_strSoundFile;
    m_extra.RemoveAll();
    m_extra.AddTail(&other.m_extra);
}
