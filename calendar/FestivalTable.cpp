#include "calendar/FestivalTable.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/base/FileFind.h"
#include "platform/base/ModuleDir.h"
#include "platform/base/OsPath.h"

namespace {

enum Section { SOLAR, SOLAR_WEEK, SOLAR_ANTI_WEEK, LUNAR };

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Two characters as a decimal number; anything that does not parse counts as 0.
int TwoDigits(const std::string& s, size_t at) {
    int n = 0;
    for (size_t i = at; i < at + 2; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return 0;
        n = n * 10 + (s[i] - '0');
    }
    return n;
}

// The lunar month and day of a date in the tables' range; FALSE outside it or in a leap month.
bool PlainLunar(const CDate& date, int& month, int& day) {
    if (!date.IsInLunarRange())
        return false;
    int year = 0;
    return date.ToLunar(&year, &month, &day) == 1;
}

} // namespace

CFestivalTable::CFestivalTable() {
    for (CNameMap* map : {&m_solarDays, &m_solarSpecial, &m_lunarDays, &m_lunarSpecial})
        map->InitHashTable(17, FALSE);
}

void CFestivalTable::AddName(CNameMap& map, DWORD key, const CString& name) {
    CString& text = map[key];
    if (!text.IsEmpty())
        text += m_chSeparator;
    text += name;
}

void CFestivalTable::ParseLine(const char* raw, int& section) {
    std::string line = Trimmed(raw);
    size_t comment = line.find("//");
    if (comment != std::string::npos)
        line = Trimmed(line.substr(0, comment));
    if (line.empty())
        return;
    if (line[0] == '[') {
        size_t close = line.find(']');
        std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        std::string argument = close == std::string::npos ? "" : Trimmed(line.substr(close + 1));
        if (name == "Solar")
            section = SOLAR;
        else if (name == "SolarWeek")
            section = SOLAR_WEEK;
        else if (name == "SolarAntiWeek")
            section = SOLAR_ANTI_WEEK;
        else if (name == "Lunar")
            section = LUNAR;
        else if (name == "Easter") {
            m_nFlags |= FLAG_EASTER;
            if (!argument.empty())
                m_strEasterName = argument.c_str();
        } else if (name == "BlackFri") {
            m_nFlags |= FLAG_BLACK_FRIDAY;
            if (!argument.empty())
                m_strBlackFriName = argument.c_str();
        }
        return;
    }
    size_t comma = line.find(',');
    if (comma == std::string::npos || comma <= 3)
        return;
    size_t nameEnd = line.find(',', comma + 1);
    std::string name = Trimmed(
        line.substr(comma + 1, nameEnd == std::string::npos ? std::string::npos : nameEnd - comma - 1));
    if (name.empty())
        return;
    int month = TwoDigits(line, 0), day = TwoDigits(line, 2);
    CString text(name.c_str());
    switch (section) {
    case SOLAR:
        if (day != 0)
            AddName(m_solarDays, MakeKey(KIND_DAY, month, day), text);
        else
            AddName(m_solarSpecial, MakeKey(KIND_DAY, month, 0), text);
        break;
    case SOLAR_WEEK:
        if (day != 0)
            AddName(m_solarSpecial, MakeKey(KIND_SOLAR_WEEK, month, day), text);
        break;
    case SOLAR_ANTI_WEEK:
        if (day != 0)
            AddName(m_solarSpecial, MakeKey(KIND_SOLAR_ANTI_WEEK, month, day), text);
        break;
    case LUNAR:
        if (day != 0)
            AddName(m_lunarDays, MakeKey(KIND_DAY, month, day), text);
        else
            AddName(m_lunarSpecial, MakeKey(KIND_DAY, month, 0), text);
        break;
    }
}

BOOL CFestivalTable::LoadFile(LPCTSTR lpszPath) {
    if (lpszPath == nullptr)
        return FALSE;
    std::ifstream in(OsPathFromProgramPath(lpszPath), std::ios::binary);
    if (!in)
        return FALSE;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LoadText(text.data(), text.size());
    return TRUE;
}

void CFestivalTable::LoadText(const char* pText, size_t nLength) {
    int section = SOLAR;
    size_t pos = 0;
    while (pos < nLength) {
        const void* nl = memchr(pText + pos, '\n', nLength - pos);
        size_t end = nl != nullptr ? (size_t)(static_cast<const char*>(nl) - pText) : nLength;
        // A NUL ends the line's text: nothing after it could be part of a name.
        ParseLine(std::string(pText + pos, end - pos).c_str(), section);
        pos = end + 1;
    }
}

int CFestivalTable::LoadFolder(LPCTSTR lpszFolder) {
    int n = 0;
    CFileFind ff;
    BOOL more = ff.FindFile(CString(lpszFolder) + "\\*.*");
    while (more) {
        more = ff.FindNextFile();
        if (ff.IsDots() || ff.IsDirectory())
            continue;
        if (LoadFile(ff.GetFilePath()))
            ++n;
    }
    return n;
}

int CFestivalTable::LoadProgramFolder() {
    return LoadFolder(GetModuleDirectory() + "\\" + kFolder);
}

int CFestivalTable::Split(const CString& text, CStringList& out) const {
    int n = 0;
    const char* p = text;
    while (true) {
        const char* sep = strchr(p, m_chSeparator);
        size_t len = sep != nullptr ? (size_t)(sep - p) : strlen(p);
        out.AddTail(CString(std::string(p, len).c_str()));
        ++n;
        if (sep == nullptr)
            return n;
        p = sep + 1;
    }
}

int CFestivalTable::GetFestivals(const CDate& date, CStringList& solarNames,
                                 CStringList& lunarNames) const {
    if (!date.IsValid())
        return 0;
    int n = 0;
    CString text;
    if (m_solarDays.Lookup(MakeKey(KIND_DAY, date.GetMonth(), date.GetDay()), text))
        n += Split(text, solarNames);
    int lunarMonth = 0, lunarDay = 0;
    if (PlainLunar(date, lunarMonth, lunarDay) &&
        m_lunarDays.Lookup(MakeKey(KIND_DAY, lunarMonth, lunarDay), text))
        n += Split(text, lunarNames);

    const CDate tomorrow = date.PlusDays(1);
    const int weekday = date.GetDayOfWeek();
    const int daysInMonth = CDate::GetDaysInMonth(date.GetYear(), date.GetMonth());
    for (POSITION pos = m_solarSpecial.GetStartPosition(); pos != nullptr;) {
        DWORD key;
        m_solarSpecial.GetNextAssoc(pos, key, text);
        int kind = (int)(key >> 16), month = (int)(key >> 8 & 0xFF), day = (int)(key & 0xFF);
        bool hit = false;
        if (kind == KIND_DAY) {
            hit = tomorrow.GetMonth() == month && tomorrow.GetDay() == 1 && tomorrow != date;
        } else if (date.GetMonth() == month && weekday == day % 10) {
            // The ordinal of this weekday in the month, from its start or from its end.
            int ordinal = kind == KIND_SOLAR_WEEK ? (date.GetDay() - 1) / 7 + 1
                                                  : (daysInMonth - date.GetDay()) / 7 + 1;
            hit = day / 10 == ordinal;
        }
        if (hit)
            n += Split(text, solarNames);
    }
    int tomorrowMonth = 0, tomorrowDay = 0;
    // An eve belongs to the 1st of the plain month only: a leap month repeating the month would
    // give the eve a second time.
    if (PlainLunar(tomorrow, tomorrowMonth, tomorrowDay) && tomorrowDay == 1 &&
        m_lunarSpecial.Lookup(MakeKey(KIND_DAY, tomorrowMonth, 0), text))
        n += Split(text, lunarNames);
    if ((m_nFlags & FLAG_EASTER) && (date.GetMonth() == 3 || date.GetMonth() == 4) &&
        GetEasterDate(date.GetYear()) == date) {
        solarNames.AddTail(m_strEasterName);
        ++n;
    }
    if ((m_nFlags & FLAG_BLACK_FRIDAY) && date.GetDay() == 13 && weekday == 5) {
        solarNames.AddTail(m_strBlackFriName);
        ++n;
    }
    return n;
}

int CFestivalTable::GetFestivals(const CDate& date, CStringList& names) const {
    return GetFestivals(date, names, names);
}

CDate CFestivalTable::GetEasterDate(int year) {
    if (year < CDate::kLunarFirstYear || year > CDate::kLunarLastYear)
        return CDate();
    // The Gregorian computus (the anonymous algorithm of 1876).
    int a = year % 19, b = year / 100, c = year % 100, d = b / 4, e = b % 4;
    int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    int m = (a + 11 * h + 22 * l) / 451;
    int month = (h + l - 7 * m + 114) / 31, day = (h + l - 7 * m + 114) % 31 + 1;
    return CDate(year, month, day);
}

int CFestivalTable::GetEntryCount() const {
    return m_solarDays.GetCount() + m_solarSpecial.GetCount() + m_lunarDays.GetCount() +
           m_lunarSpecial.GetCount();
}
