// Calendar times: CTime (64-bit seconds since 1970-01-01 UTC, broken down in local time),
// CTimeSpan, SYSTEMTIME, the millisecond tick count and Sleep.
//
// "Now" can be pinned for tests (CTime::SetNowForTesting): GetCurrentTime, GetLocalTime,
// GetSystemTime and _time64 all answer the pinned time, so reminders, birthdays and "today" are
// testable without waiting for the clock.
#pragma once

#include <ctime>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek; // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
typedef SYSTEMTIME* LPSYSTEMTIME;

class CTimeSpan {
public:
    CTimeSpan() = default;
    CTimeSpan(__time64_t seconds) : m_timeSpan(seconds) {}
    CTimeSpan(LONG days, int hours, int mins, int secs)
        : m_timeSpan(((__time64_t)days * 24 * 3600) + (__time64_t)hours * 3600 +
                     (__time64_t)mins * 60 + secs) {}

    LONGLONG GetDays() const { return m_timeSpan / (24 * 3600); }
    LONGLONG GetTotalHours() const { return m_timeSpan / 3600; }
    LONG GetHours() const { return (LONG)(GetTotalHours() - GetDays() * 24); }
    LONGLONG GetTotalMinutes() const { return m_timeSpan / 60; }
    LONG GetMinutes() const { return (LONG)(GetTotalMinutes() - GetTotalHours() * 60); }
    LONGLONG GetTotalSeconds() const { return m_timeSpan; }
    LONG GetSeconds() const { return (LONG)(m_timeSpan - GetTotalMinutes() * 60); }
    __time64_t GetTimeSpan() const { return m_timeSpan; }

    // %D days, %H hours (0-23), %M minutes, %S seconds, %% a percent sign; other text is copied.
    CString Format(const char* format) const;

    CTimeSpan operator+(CTimeSpan s) const { return CTimeSpan(m_timeSpan + s.m_timeSpan); }
    CTimeSpan operator-(CTimeSpan s) const { return CTimeSpan(m_timeSpan - s.m_timeSpan); }
    CTimeSpan& operator+=(CTimeSpan s) {
        m_timeSpan += s.m_timeSpan;
        return *this;
    }
    CTimeSpan& operator-=(CTimeSpan s) {
        m_timeSpan -= s.m_timeSpan;
        return *this;
    }
    bool operator==(CTimeSpan s) const { return m_timeSpan == s.m_timeSpan; }
    bool operator!=(CTimeSpan s) const { return m_timeSpan != s.m_timeSpan; }
    bool operator<(CTimeSpan s) const { return m_timeSpan < s.m_timeSpan; }
    bool operator>(CTimeSpan s) const { return m_timeSpan > s.m_timeSpan; }
    bool operator<=(CTimeSpan s) const { return m_timeSpan <= s.m_timeSpan; }
    bool operator>=(CTimeSpan s) const { return m_timeSpan >= s.m_timeSpan; }

private:
    __time64_t m_timeSpan = 0;
};

class CTime {
public:
    CTime() = default;
    CTime(__time64_t t) : m_time(t) {}
    // Local time from its parts; nDST < 0 lets the zone rules decide daylight time. Parts that do
    // not name a real local time (month 13, 30 February, a clock time skipped by the change to
    // daylight time, a year outside 1900-3000) leave the value 0: test them first with
    // IsValidParts, or use SetDateTime, which reports FALSE instead.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1);

    static CTime GetCurrentTime();
    static BOOL IsValidParts(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec,
                             int nDST = -1);

    // Pins "now" for the whole process until ResetNowForTesting.
    static void SetNowForTesting(__time64_t now);
    static void ResetNowForTesting();

    // Sets the value from local parts and returns TRUE; on invalid parts returns FALSE and keeps
    // the old value.
    BOOL SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);

    __time64_t GetTime() const { return m_time; }

    // Broken down in local time; null when the value cannot be broken down.
    struct tm* GetLocalTm(struct tm* ptm) const;
    struct tm* GetGmtTm(struct tm* ptm) const;
    BOOL GetAsSystemTime(SYSTEMTIME& st) const;

    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday ... 7 = Saturday

    // strftime codes %Y %m %d %H %M %S %y %a %A %b %B %p %j %w %c %x %X %I %U %W %Z %%, in local
    // time (FormatGmt: in UTC), with English names whatever the process locale. A "#" after the
    // percent sign drops leading zeros (%#d). Unknown codes are copied as they are.
    CString Format(const char* format) const;
    CString FormatGmt(const char* format) const;

    CTimeSpan operator-(CTime t) const { return CTimeSpan(m_time - t.m_time); }
    CTime operator-(CTimeSpan s) const { return CTime(m_time - s.GetTimeSpan()); }
    CTime operator+(CTimeSpan s) const { return CTime(m_time + s.GetTimeSpan()); }
    CTime& operator+=(CTimeSpan s) {
        m_time += s.GetTimeSpan();
        return *this;
    }
    CTime& operator-=(CTimeSpan s) {
        m_time -= s.GetTimeSpan();
        return *this;
    }
    bool operator==(CTime t) const { return m_time == t.m_time; }
    bool operator!=(CTime t) const { return m_time != t.m_time; }
    bool operator<(CTime t) const { return m_time < t.m_time; }
    bool operator>(CTime t) const { return m_time > t.m_time; }
    bool operator<=(CTime t) const { return m_time <= t.m_time; }
    bool operator>=(CTime t) const { return m_time >= t.m_time; }

private:
    __time64_t m_time = 0;
};

// The current time as the C run-time gives it (honours CTime::SetNowForTesting).
__time64_t _time64(__time64_t* pt);
// Local / UTC breakdown and local composition of 64-bit times; 0 on success, an errno value else.
int _localtime64_s(struct tm* ptm, const __time64_t* pt);
int _gmtime64_s(struct tm* ptm, const __time64_t* pt);
// Local parts to a time, normalising out-of-range fields; -1 when it cannot be represented.
__time64_t _mktime64(struct tm* ptm);

void GetLocalTime(LPSYSTEMTIME st);
void GetSystemTime(LPSYSTEMTIME st); // UTC

// The local zone, in minutes: UTC = local time + Bias (+ DaylightBias while daylight time is in
// force). Names are the zone's abbreviations; the transition dates are not filled (wMonth 0).
struct TIME_ZONE_INFORMATION {
    LONG Bias;
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
};
typedef TIME_ZONE_INFORMATION* LPTIME_ZONE_INFORMATION;
#define TIME_ZONE_ID_UNKNOWN 0u  // the zone has no daylight time
#define TIME_ZONE_ID_STANDARD 1u // standard time is in force now
#define TIME_ZONE_ID_DAYLIGHT 2u // daylight time is in force now
#define TIME_ZONE_ID_INVALID 0xFFFFFFFFu
// Which of the zone's times applies now (CTime::SetNowForTesting moves "now").
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION ptzi);
// Milliseconds since an arbitrary start, monotonic, as a 32-bit count: it wraps after 49.7 days,
// so callers compare tick counts by their difference.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
void Sleep(DWORD ms);
