// Chinese names of the lunar calendar: solar terms, stem-branch years, lunar months and days.
// Every name is built in the caller's string, so the functions may run on any thread.
#include "core/Date.h"

#include "platform/base/CString.h"

namespace {

const char* const kSolarTermNames[24] = {
    "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至",
    "小暑", "大暑", "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至"};

const char* const kStems[10] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
const char* const kBranches[12] = {"子", "丑", "寅", "卯", "辰", "巳",
                                   "午", "未", "申", "酉", "戌", "亥"};
const char* const kAnimals[12] = {"鼠", "牛", "虎", "兔", "龙", "蛇",
                                  "马", "羊", "猴", "鸡", "狗", "猪"};
const char* const kDigits[10] = {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};
// The first character of days 1-10, 11-19, 21-29 (20 and 30 are written 二十 and 三十).
const char* const kDayTens[3] = {"初", "十", "廿"};
// Months 1..12; the eleventh is written 十一 around its character.
const char* const kMonthChars[12] = {"正", "二", "三", "四", "五", "六",
                                     "七", "八", "九", "十", "一", "腊"};

// Floored remainder: years before 4 (which only a damaged record holds) still index the tables.
int CycleIndex(long long value, int cycle) {
    long long r = value % cycle;
    return (int)(r < 0 ? r + cycle : r);
}

} // namespace

CString CDate::GetSolarTermName(int n) {
    return n >= 1 && n <= 24 ? CString(kSolarTermNames[n - 1]) : CString();
}

int CDate::GetGanzhiYearName(int lunarYear, CString* stemBranch, CString* animal, CString* joined) {
    long long k = (long long)lunarYear - 4;
    int stem = CycleIndex(k, 10);
    int branch = CycleIndex(k, 12);
    CString pair(kStems[stem]);
    pair += kBranches[branch];
    if (stemBranch != nullptr)
        *stemBranch = pair;
    if (animal != nullptr)
        *animal = kAnimals[branch];
    if (joined != nullptr)
        joined->Format("%s%s年", (const char*)pair, kAnimals[branch]);
    return branch;
}

void CDate::GetLunarMonthName(int month, CString& out, BOOL withMonthSuffix, BOOL leapPrefix,
                              int sizeMark) {
    out.Empty();
    if (month < 1 || month > 12)
        return;
    if (leapPrefix)
        out = "闰";
    if (month == 11)
        out += "十";
    out += kMonthChars[month - 1];
    if (withMonthSuffix)
        out += "月";
    if (sizeMark == 1)
        out += "小";
    else if (sizeMark == 2)
        out += "大";
}

void CDate::GetLunarDayName(int day, CString& out) {
    out.Empty();
    if (day < 1 || day > 30)
        return;
    if (day % 10 == 0 && day > 10) {
        // 二十, 三十
        out = kDigits[day / 10 - 1];
        out += kDigits[9];
    } else {
        out = kDayTens[(day - 1) / 10];
        out += kDigits[(day - 1) % 10];
    }
}

void CDate::FormatLunarMonthDay(int month, int day, BOOL numeric, BOOL leap, CString& out) {
    if (numeric) {
        out.Format("%d月%d日", month, day);
        return;
    }
    CString monthName, dayName;
    GetLunarMonthName(month, monthName, FALSE, leap, 0);
    GetLunarDayName(day, dayName);
    out.Format("%s月%s", (const char*)monthName, (const char*)dayName);
}
