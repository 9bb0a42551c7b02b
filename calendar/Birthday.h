// A contact's birthday: a date, possibly without its year (-1), kept in the solar calendar or,
// when the year is unknown, possibly as a lunar month and day; plus flags for how it is shown and
// which anniversaries are reminded.
#pragma once

#include "core/Date.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

class CBirthday : public CDate {
public:
    enum : WORD {
        FLAG_SHOW_LUNAR = 0x01,     // shown in its lunar form
        FLAG_REMIND_LUNAR = 0x02,   // remind on the lunar anniversary
        FLAG_REMIND_SOLAR = 0x04,   // remind on the solar anniversary
        FLAG_LEAP_MONTH = 0x10,     // the lunar month is a leap month (texts only)
        FLAG_LUNAR_MONTH_DAY = 0x80 // month and day are lunar (only without a year)
    };

    CBirthday() = default;
    CBirthday(const CBirthday& other) = default;
    CBirthday& operator=(const CBirthday& other) = default;
    ~CBirthday() override = default;

    // The null birthday: null date, no flags.
    void Reset();

    WORD GetFlags() const { return m_wFlags; }
    void SetFlags(WORD wFlags) { m_wFlags = wFlags; }

    BOOL IsShowLunar() const { return TestFlag(FLAG_SHOW_LUNAR); }
    void SetShowLunar(BOOL b) { SetFlag(FLAG_SHOW_LUNAR, b); }
    BOOL IsRemindLunar() const { return TestFlag(FLAG_REMIND_LUNAR); }
    void SetRemindLunar(BOOL b) { SetFlag(FLAG_REMIND_LUNAR, b); }
    BOOL IsRemindSolar() const { return TestFlag(FLAG_REMIND_SOLAR); }
    void SetRemindSolar(BOOL b) { SetFlag(FLAG_REMIND_SOLAR, b); }
    BOOL IsLeapMonth() const { return TestFlag(FLAG_LEAP_MONTH); }
    BOOL IsLunarMonthDay() const { return TestFlag(FLAG_LUNAR_MONTH_DAY); }
    void SetLunarMonthDay(BOOL b) { SetFlag(FLAG_LUNAR_MONTH_DAY, b); }

    // With a year: a valid solar date. Without: a lunar month 1..12 and day 1..30 when the month
    // and day are lunar, else a valid solar month and day (29 February allowed).
    BOOL IsValid() const;

    // Stores a birthday as entered. Without a year (-1) the month and day are kept in the
    // calendar they were entered in; with a year a lunar date is converted to its solar date
    // (pErrorText receives the conversion's message when that fails). An invalid entry changes
    // nothing. The show and remind flags stay as they were. Answers whether it was stored.
    BOOL SetBirthday(int year, int month, int day, BOOL bLeap, BOOL bSolar,
                     CString* pErrorText = nullptr);

    // The text in the asked form: a year-less birthday asked in its own calendar gives its month
    // and day; anything else the date's text in that form.
    void GetText(CString& out, BOOL bLunarForm) const;
    // Empty when not valid; else solar, lunar and star sign, or, without a year, GetText in the
    // form the birthday is shown in.
    void GetDisplayText(CString& out) const;

    // Year; flags << 16 | month; day: three DWORDs.
    void Serialize(CArchive& ar);

    bool operator==(const CBirthday& other) const {
        return CDate::operator==(other) && m_wFlags == other.m_wFlags;
    }

private:
    BOOL TestFlag(WORD w) const { return (m_wFlags & w) != 0; }
    void SetFlag(WORD w, BOOL b) { m_wFlags = b ? (WORD)(m_wFlags | w) : (WORD)(m_wFlags & ~w); }

    WORD m_wFlags = 0;
};

#include "platform/base/Collections.h"

// Names of the contacts born on a day, joined by "\n", keyed by month << 8 | day.
typedef CMap<int, int, CString, LPCTSTR> CBirthdayMap;
inline int BirthdayKey(int month, int day) {
    return (month << 8) | day;
}
