// The festivals and memorial days the calendar names in its day cells, read from the text files
// of the folder "Calendar\Festivals": solar days, solar days given by week, lunar days, the eves
// of months, and the movable feasts [Easter] and [BlackFri].
#pragma once

#include "core/Date.h"
#include "platform/base/Collections.h"
#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CFestivalTable {
public:
    enum { KIND_DAY = 0, KIND_SOLAR_WEEK = 1, KIND_SOLAR_ANTI_WEEK = 2 };
    enum { FLAG_EASTER = 0x01, FLAG_BLACK_FRIDAY = 0x02 };
    static constexpr const char* kFolder = "Calendar\\Festivals";

    CFestivalTable();

    static DWORD MakeKey(int kind, int month, int day) {
        return ((DWORD)kind << 16) | ((DWORD)(month & 0xFF) << 8) | (DWORD)(day & 0xFF);
    }

    // Reads one festival file; FALSE when it cannot be opened.
    BOOL LoadFile(LPCTSTR lpszPath);
    // Reads the text of a festival file (any bytes).
    void LoadText(const char* pText, size_t nLength);
    // Every file of the folder, in name order; the number of files read.
    int LoadFolder(LPCTSTR lpszFolder);
    // The folder under the program folder.
    int LoadProgramFolder();
    // Appends the solar and the lunar names of the date; answers how many were added.
    int GetFestivals(const CDate& date, CStringList& solarNames, CStringList& lunarNames) const;
    int GetFestivals(const CDate& date, CStringList& names) const;

    // The Easter Sunday of a year whose 1 January the lunar tables cover (1901..2050); the null
    // date for any other year.
    static CDate GetEasterDate(int year);

    int GetFlags() const { return m_nFlags; }
    const CString& GetEasterName() const { return m_strEasterName; }
    const CString& GetBlackFridayName() const { return m_strBlackFriName; }
    // Every name text under every key, for checks of the shipped files.
    int GetEntryCount() const;

private:
    typedef CMap<DWORD, DWORD, CString, LPCTSTR> CNameMap;
    void AddName(CNameMap& map, DWORD key, const CString& name);
    void ParseLine(const char* line, int& section);
    int Split(const CString& text, CStringList& out) const;

    CNameMap m_solarDays;
    CNameMap m_solarSpecial;
    CNameMap m_lunarDays;
    CNameMap m_lunarSpecial;
    char m_chSeparator = '|';
    int m_nFlags = 0;
    CString m_strEasterName;
    CString m_strBlackFriName;
};
