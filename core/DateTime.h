// A time of day (also used as an amount of time), a date with a time of day, and the reader of
// time stamps that arrive as text.
#pragma once

#include "core/Date.h"
#include "platform/base/Types.h"

class CArchive;
class CString;
class CTime;

// Hour, minute and second in three signed bytes. Sums are normalised with carries, so the same
// type holds "23:59:30" and "minus one minute thirty".
class CTimeOfDay {
public:
    CTimeOfDay() = default;
    CTimeOfDay(int hour, int minute, int second) { Set(hour, minute, second); }

    void Set(int hour, int minute, int second);
    void Clear() { Set(0, 0, 0); }

    // Brings second and minute into 0..59, carrying into the next unit up (negative carries
    // borrow). With withDays the hour is brought into 0..23 too and its carry, in days, returned.
    int Normalize(BOOL withDays);

    // Componentwise, then minutes and seconds normalised; the hour is left as it comes out.
    CTimeOfDay& operator+=(const CTimeOfDay& amount);
    CTimeOfDay& operator-=(const CTimeOfDay& amount);
    CTimeOfDay operator-(const CTimeOfDay& amount) const;
    // All three parts negated, then normalised without days: -0:01:30 is hour -1, 58:30.
    CTimeOfDay Negate() const;

    int GetTotalSeconds() const { return m_nSecond + m_nMinute * 60 + m_nHour * 3600; }
    // Equal amounts of seconds are equal times, normalised or not.
    bool operator==(const CTimeOfDay& other) const;
    bool operator!=(const CTimeOfDay& other) const { return !(*this == other); }
    int Compare(const CTimeOfDay& other) const;

    // Hour, minute and second as three single bytes.
    void Serialize(CArchive& ar);

    signed char m_nHour = 0;
    signed char m_nMinute = 0;
    signed char m_nSecond = 0;
};

class CDateTime {
public:
    CDateTime() = default;
    CDateTime(int year, int month, int day, int hour, int minute, int second);
    CDateTime(const CDateTime& other) = default;
    CDateTime& operator=(const CDateTime& other) = default;
    virtual ~CDateTime();

    // The date through CDate::SetDate (negative parts keep their value), the time as given.
    void SetDateTime(int year, int month, int day, int hour, int minute, int second);
    // wYear..wSecond; the week day and the milliseconds are not touched. Null is ignored.
    void SetFromSystemTime(const SYSTEMTIME* st);
    SYSTEMTIME* GetSystemTime(SYSTEMTIME* st) const;

    // Only the date is tested.
    BOOL IsValid() const { return m_date.IsValid(); }
    void SetNull();

    // The day carry moves a valid date by whole days; with a date that is not valid the hour is
    // left outside 0..23.
    void AddTime(const CTimeOfDay& amount);
    void SubtractTime(const CTimeOfDay& amount);

    // Date first, then the time of day by total seconds.
    int Compare(const CDateTime& other) const;
    bool operator==(const CDateTime& other) const;
    bool operator!=(const CDateTime& other) const { return !(*this == other); }

    // The date's three 32-bit integers, then the time's three bytes: 15 bytes.
    void Serialize(CArchive& ar);

    // The current local date and time.
    static CDateTime GetCurrent();

    CDate m_date;
    CTimeOfDay m_time;
};

// Year, month, day, hour, minute and second, the first six numbers of the text (missing ones 0),
// as a local time. FALSE, with `out` unchanged, when they do not name a real local time.
BOOL ParseTimeText(const CString& text, CTime& out);
