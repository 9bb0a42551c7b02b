#include "platform/base/Time.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstring>
#include <locale.h>
#include <string>
#include <thread>

namespace {

std::atomic<bool> g_nowPinned{false};
std::atomic<__time64_t> g_pinnedNow{0};

__time64_t Now() {
    if (g_nowPinned.load())
        return g_pinnedNow.load();
    return (__time64_t)::time(nullptr);
}

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

// Converts local parts; false when they do not name a local time that exists.
bool PartsToTime(int y, int mo, int d, int h, int mi, int s, int nDST, __time64_t& out) {
    if (y < 1900 || y > 3000 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h < 0 ||
        h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return false;
    struct tm tm = {};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = nDST < 0 ? -1 : (nDST > 0 ? 1 : 0);
    errno = 0;
    time_t t = ::mktime(&tm);
    if (t == (time_t)-1 && errno != 0)
        return false;
    if (nDST < 0) {
        // mktime moves a clock time inside the spring-forward gap to a neighbouring hour; such a
        // time never appears on a clock, so it is refused rather than silently shifted.
        struct tm back = {};
        if (!::localtime_r(&t, &back) || back.tm_year != y - 1900 || back.tm_mon != mo - 1 ||
            back.tm_mday != d || back.tm_hour != h || back.tm_min != mi || back.tm_sec != s)
            return false;
    }
    out = (__time64_t)t;
    return true;
}

locale_t ClassicLocale() {
    static locale_t loc = ::newlocale(LC_ALL_MASK, "C", (locale_t)0);
    return loc;
}

std::string StrftimeOne(const char* spec, const struct tm& tm) {
    char buf[128];
    size_t n = ::strftime_l(buf, sizeof buf, spec, &tm, ClassicLocale());
    return std::string(buf, n);
}

std::string FormatTm(const char* format, const struct tm& tm) {
    std::string out;
    if (!format)
        return out;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char* start = p;
        bool noZeros = false;
        if (p[1] == '#') {
            noZeros = true;
            ++p;
        }
        char code = p[1];
        if (!code) {
            out.append(start, p + 1 - start);
            break;
        }
        ++p;
        std::string piece;
        switch (code) {
        case '%':
            piece = "%";
            break;
        // These short forms are always written as in the "C" locale, whatever the user's locale,
        // since stored texts and their readers expect that form.
        case 'c':
            piece = StrftimeOne("%m/%d/%y %H:%M:%S", tm);
            break;
        case 'x':
            piece = StrftimeOne("%m/%d/%y", tm);
            break;
        case 'X':
            piece = StrftimeOne("%H:%M:%S", tm);
            break;
        case 'a':
        case 'A':
        case 'b':
        case 'B':
        case 'd':
        case 'H':
        case 'I':
        case 'j':
        case 'm':
        case 'M':
        case 'p':
        case 'S':
        case 'U':
        case 'w':
        case 'W':
        case 'y':
        case 'Y':
        case 'Z':
        case 'z': {
            char spec[3] = {'%', code, 0};
            piece = StrftimeOne(spec, tm);
            if (noZeros) {
                size_t z = 0;
                while (z + 1 < piece.size() && piece[z] == '0')
                    ++z;
                piece.erase(0, z);
            }
            break;
        }
        default:
            piece.assign(start, p + 1 - start);
            break;
        }
        out += piece;
    }
    return out;
}

void TmToSystemTime(const struct tm& tm, WORD ms, SYSTEMTIME& st) {
    st.wYear = (WORD)(tm.tm_year + 1900);
    st.wMonth = (WORD)(tm.tm_mon + 1);
    st.wDayOfWeek = (WORD)tm.tm_wday;
    st.wDay = (WORD)tm.tm_mday;
    st.wHour = (WORD)tm.tm_hour;
    st.wMinute = (WORD)tm.tm_min;
    st.wSecond = (WORD)tm.tm_sec;
    st.wMilliseconds = ms;
}

} // namespace

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
    __time64_t t;
    if (PartsToTime(nYear, nMonth, nDay, nHour, nMin, nSec, nDST, t))
        m_time = t;
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST) {}

CTime CTime::GetCurrentTime() {
    return CTime(Now());
}

BOOL CTime::IsValidParts(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
    __time64_t t;
    return PartsToTime(nYear, nMonth, nDay, nHour, nMin, nSec, nDST, t);
}

void CTime::SetNowForTesting(__time64_t now) {
    g_pinnedNow.store(now);
    g_nowPinned.store(true);
}

void CTime::ResetNowForTesting() {
    g_nowPinned.store(false);
}

BOOL CTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
    __time64_t t;
    if (!PartsToTime(nYear, nMonth, nDay, nHour, nMin, nSec, nDST, t))
        return FALSE;
    m_time = t;
    return TRUE;
}

struct tm* CTime::GetLocalTm(struct tm* ptm) const {
    return ptm && _localtime64_s(ptm, &m_time) == 0 ? ptm : nullptr;
}

struct tm* CTime::GetGmtTm(struct tm* ptm) const {
    return ptm && _gmtime64_s(ptm, &m_time) == 0 ? ptm : nullptr;
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const {
    struct tm tm;
    if (!GetLocalTm(&tm) || tm.tm_year + 1900 > 0xFFFF || tm.tm_year < -1900)
        return FALSE;
    TmToSystemTime(tm, 0, st);
    return TRUE;
}

namespace {
// Getters on a value that cannot be broken down answer 0 rather than reading garbage.
struct tm LocalOrZero(const CTime& t) {
    struct tm tm = {};
    if (!t.GetLocalTm(&tm)) {
        std::memset(&tm, 0, sizeof tm);
        tm.tm_year = -1900;
        tm.tm_mon = -1;
        tm.tm_wday = -1;
    }
    return tm;
}
} // namespace

int CTime::GetYear() const {
    return LocalOrZero(*this).tm_year + 1900;
}
int CTime::GetMonth() const {
    return LocalOrZero(*this).tm_mon + 1;
}
int CTime::GetDay() const {
    return LocalOrZero(*this).tm_mday;
}
int CTime::GetHour() const {
    return LocalOrZero(*this).tm_hour;
}
int CTime::GetMinute() const {
    return LocalOrZero(*this).tm_min;
}
int CTime::GetSecond() const {
    return LocalOrZero(*this).tm_sec;
}
int CTime::GetDayOfWeek() const {
    return LocalOrZero(*this).tm_wday + 1;
}

CString CTime::Format(const char* format) const {
    struct tm tm;
    if (!GetLocalTm(&tm))
        return CString();
    return CString(FormatTm(format, tm).c_str());
}

CString CTime::FormatGmt(const char* format) const {
    struct tm tm;
    if (!GetGmtTm(&tm))
        return CString();
    return CString(FormatTm(format, tm).c_str());
}

CString CTimeSpan::Format(const char* format) const {
    std::string out;
    char buf[32];
    for (const char* p = format ? format : ""; *p; ++p) {
        if (*p != '%' || !p[1]) {
            out += *p;
            continue;
        }
        ++p;
        switch (*p) {
        case 'D':
            std::snprintf(buf, sizeof buf, "%lld", (long long)GetDays());
            out += buf;
            break;
        case 'H':
            std::snprintf(buf, sizeof buf, "%02ld", (long)GetHours());
            out += buf;
            break;
        case 'M':
            std::snprintf(buf, sizeof buf, "%02ld", (long)GetMinutes());
            out += buf;
            break;
        case 'S':
            std::snprintf(buf, sizeof buf, "%02ld", (long)GetSeconds());
            out += buf;
            break;
        case '%':
            out += '%';
            break;
        default:
            out += '%';
            out += *p;
            break;
        }
    }
    return CString(out.c_str());
}

__time64_t _time64(__time64_t* pt) {
    __time64_t now = Now();
    if (pt)
        *pt = now;
    return now;
}

int _localtime64_s(struct tm* ptm, const __time64_t* pt) {
    if (!ptm || !pt)
        return EINVAL;
    time_t t = (time_t)*pt;
    return ::localtime_r(&t, ptm) ? 0 : EINVAL;
}

int _gmtime64_s(struct tm* ptm, const __time64_t* pt) {
    if (!ptm || !pt)
        return EINVAL;
    time_t t = (time_t)*pt;
    return ::gmtime_r(&t, ptm) ? 0 : EINVAL;
}

__time64_t _mktime64(struct tm* ptm) {
    if (!ptm)
        return -1;
    return (__time64_t)::mktime(ptm);
}

namespace {
void FillSystemTime(LPSYSTEMTIME st, bool local) {
    if (!st)
        return;
    WORD ms = 0;
    __time64_t secs;
    if (g_nowPinned.load()) {
        secs = g_pinnedNow.load();
    } else {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        auto msTotal = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
        secs = msTotal / 1000;
        ms = (WORD)(msTotal % 1000);
    }
    struct tm tm = {};
    if ((local ? _localtime64_s(&tm, &secs) : _gmtime64_s(&tm, &secs)) != 0)
        return;
    TmToSystemTime(tm, ms, *st);
}
} // namespace

void GetLocalTime(LPSYSTEMTIME st) {
    FillSystemTime(st, true);
}

void GetSystemTime(LPSYSTEMTIME st) {
    FillSystemTime(st, false);
}

namespace {
void CopyZoneName(WCHAR (&out)[32], const char* name) {
    size_t i = 0;
    for (; name && name[i] && i + 1 < 32; ++i)
        out[i] = static_cast<unsigned char>(name[i]);
    out[i] = 0;
}
} // namespace

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION ptzi) {
    if (!ptzi)
        return TIME_ZONE_ID_INVALID;
    *ptzi = {};
    const __time64_t now = Now();
    struct tm current = {};
    if (_localtime64_s(&current, &now) != 0)
        return TIME_ZONE_ID_INVALID;
    // The other kind of time of the zone, if it has one, is in force some months away in either
    // hemisphere; probing the year round finds it from the zone's current rules.
    struct tm standard = current, daylight = current;
    bool hasStandard = current.tm_isdst <= 0, hasDaylight = current.tm_isdst > 0;
    for (int month = 1; month < 12 && !(hasStandard && hasDaylight); ++month) {
        const __time64_t probe = now + (__time64_t)month * 30 * 24 * 3600;
        struct tm other = {};
        if (_localtime64_s(&other, &probe) != 0)
            continue;
        if (other.tm_isdst > 0 && !hasDaylight) {
            daylight = other;
            hasDaylight = true;
        } else if (other.tm_isdst <= 0 && !hasStandard) {
            standard = other;
            hasStandard = true;
        }
    }
    if (!hasStandard) {
        // Daylight time all year round: its offset is the zone's only one.
        standard = current;
        hasDaylight = false;
    }
    ptzi->Bias = (LONG)(-standard.tm_gmtoff / 60);
    CopyZoneName(ptzi->StandardName, standard.tm_zone);
    if (!hasDaylight)
        return TIME_ZONE_ID_UNKNOWN;
    ptzi->DaylightBias = (LONG)(-(daylight.tm_gmtoff - standard.tm_gmtoff) / 60);
    CopyZoneName(ptzi->DaylightName, daylight.tm_zone);
    return current.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

ULONGLONG GetTickCount64() {
    auto d = std::chrono::steady_clock::now().time_since_epoch();
    return (ULONGLONG)std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

DWORD GetTickCount() {
    return (DWORD)GetTickCount64();
}

void Sleep(DWORD ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
