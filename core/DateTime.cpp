#include "core/DateTime.h"

#include "platform/base/Archive.h"
#include "platform/base/CString.h"
#include "platform/base/Time.h"

namespace {

// value mod unit taken into 0..unit-1; the carry (possibly negative) is added to *next.
int Wrap(int value, int unit, int* next) {
    int wrapped = value % unit;
    if (wrapped < 0)
        wrapped += unit;
    *next += (value - wrapped) / unit;
    return wrapped;
}

} // namespace

void CTimeOfDay::Set(int hour, int minute, int second) {
    m_nHour = (signed char)hour;
    m_nMinute = (signed char)minute;
    m_nSecond = (signed char)second;
}

int CTimeOfDay::Normalize(BOOL withDays) {
    int hour = m_nHour, minute = m_nMinute, second = m_nSecond;
    second = Wrap(second, 60, &minute);
    minute = Wrap(minute, 60, &hour);
    int days = 0;
    if (withDays)
        hour = Wrap(hour, 24, &days);
    Set(hour, minute, second);
    return days;
}

CTimeOfDay& CTimeOfDay::operator+=(const CTimeOfDay& amount) {
    // Summed in int so that a carry out of an 8-bit part is not lost before normalising.
    int hour = m_nHour + amount.m_nHour;
    int minute = m_nMinute + amount.m_nMinute;
    int second = m_nSecond + amount.m_nSecond;
    second = Wrap(second, 60, &minute);
    minute = Wrap(minute, 60, &hour);
    Set(hour, minute, second);
    return *this;
}

CTimeOfDay& CTimeOfDay::operator-=(const CTimeOfDay& amount) {
    return *this += CTimeOfDay(-amount.m_nHour, -amount.m_nMinute, -amount.m_nSecond);
}

CTimeOfDay CTimeOfDay::operator-(const CTimeOfDay& amount) const {
    CTimeOfDay difference(*this);
    difference -= amount;
    return difference;
}

CTimeOfDay CTimeOfDay::Negate() const {
    CTimeOfDay negated(-m_nHour, -m_nMinute, -m_nSecond);
    negated.Normalize(FALSE);
    return negated;
}

bool CTimeOfDay::operator==(const CTimeOfDay& other) const {
    return GetTotalSeconds() == other.GetTotalSeconds();
}

int CTimeOfDay::Compare(const CTimeOfDay& other) const {
    int a = GetTotalSeconds(), b = other.GetTotalSeconds();
    return a > b ? 1 : (a < b ? -1 : 0);
}

void CTimeOfDay::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << (BYTE)m_nHour << (BYTE)m_nMinute << (BYTE)m_nSecond;
    } else {
        BYTE hour, minute, second;
        ar >> hour >> minute >> second;
        Set((signed char)hour, (signed char)minute, (signed char)second);
    }
}

CDateTime::CDateTime(int year, int month, int day, int hour, int minute, int second)
    : m_date(year, month, day), m_time(hour, minute, second) {}

CDateTime::~CDateTime() = default;

void CDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
    m_date.SetDate(year, month, day);
    m_time.Set(hour, minute, second);
}

void CDateTime::SetFromSystemTime(const SYSTEMTIME* st) {
    if (st == nullptr)
        return;
    m_date.SetFromSystemTime(st);
    m_time.Set(st->wHour, st->wMinute, st->wSecond);
}

SYSTEMTIME* CDateTime::GetSystemTime(SYSTEMTIME* st) const {
    if (st != nullptr) {
        m_date.GetSystemTime(st);
        st->wHour = (WORD)m_time.m_nHour;
        st->wMinute = (WORD)m_time.m_nMinute;
        st->wSecond = (WORD)m_time.m_nSecond;
    }
    return st;
}

void CDateTime::SetNull() {
    m_date.SetNull();
    m_time.Clear();
}

void CDateTime::AddTime(const CTimeOfDay& amount) {
    m_time += amount;
    if (m_date.IsValid())
        m_date.AddDays(m_time.Normalize(TRUE));
}

void CDateTime::SubtractTime(const CTimeOfDay& amount) {
    AddTime(amount.Negate());
}

int CDateTime::Compare(const CDateTime& other) const {
    int byDate = m_date.Compare(other.m_date);
    return byDate != 0 ? byDate : m_time.Compare(other.m_time);
}

bool CDateTime::operator==(const CDateTime& other) const {
    return m_date == other.m_date && m_time == other.m_time;
}

void CDateTime::Serialize(CArchive& ar) {
    m_date.Serialize(ar);
    m_time.Serialize(ar);
}

CDateTime CDateTime::GetCurrent() {
    CDateTime now;
    __time64_t t = _time64(nullptr);
    struct tm local;
    if (_localtime64_s(&local, &t) == 0) {
        now.m_date.Set(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        now.m_time.Set(local.tm_hour, local.tm_min, local.tm_sec);
    }
    return now;
}

BOOL ParseTimeText(const CString& text, CTime& out) {
    int v[6] = {0, 0, 0, 0, 0, 0};
    CDate::ScanNumbers(text, v, nullptr, 6);
    if (v[0] < 1900 || v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31 || v[3] < 0 || v[3] > 23 ||
        v[4] < 0 || v[4] > 59 || v[5] < 0 || v[5] > 59)
        return FALSE;
    // CTime refuses a day the month does not have (2005-2-30) instead of rolling it into the next
    // month: a time stamp that names no day is not a time.
    return out.SetDateTime(v[0], v[1], v[2], v[3], v[4], v[5]);
}
