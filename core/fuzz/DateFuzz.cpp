// libFuzzer entry for the date and time loaders. The input is read twice: as an archive holding a
// date, a date with a time and a time of day (the stored forms, whatever numbers they hold), and
// as text for the date and time-stamp parsers. Whatever a record loads, the texts, comparisons and
// steps the views apply to it must not fail.
#include <cstdint>
#include <string>

#include "core/Date.h"
#include "core/DateTime.h"
#include "core/fuzz/FuzzInput.h"
#include "platform/base/CString.h"
#include "platform/base/Time.h"

namespace {

void UseDate(const CDate& loaded) {
    CString text;
    loaded.GetDateText(text);
    loaded.GetDateText(text, TRUE);
    loaded.GetFullText(text);
    loaded.GetConstellationIndex();
    int lunarYear = 0, lunarMonth = 0, lunarDay = 0;
    loaded.ToLunar(&lunarYear, &lunarMonth, &lunarDay);
    loaded.GetLunarZodiacIndex();
    CDate moved(loaded);
    moved.AddDays(400);
    moved.AddDays(-800);
    moved.Compare(loaded);
    CDate::DaysToNextAnniversary(CDate(2024, 2, 29), loaded.GetMonth(), loaded.GetDay());
    if (loaded.IsValid()) {
        loaded.GetDayOfWeek();
        loaded.GetWeekOfYear();
        loaded.GetWeekOfMonthFromEnd();
        loaded.GetXunOfYear();
        loaded.DaysSince(CDate(2000, 1, 1));
        loaded.MonthsSince(CDate(2000, 1, 1));
        CDate::CountDaysInRange(CDate(1, 1, 1), loaded);
    }
}

void UseDateTime(CDateTime loaded, const CTimeOfDay& amount) {
    SYSTEMTIME st{};
    loaded.GetSystemTime(&st);
    loaded.Compare(CDateTime(2000, 1, 1, 0, 0, 0));
    loaded.AddTime(amount);
    loaded.SubtractTime(amount);
    CTimeOfDay time(amount);
    time.Normalize(TRUE);
    time.Negate();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_input::LoadFromBytes(data, size, [](CArchive& ar) {
        CDate date;
        date.Serialize(ar);
        UseDate(date);
        CDateTime dateTime;
        dateTime.Serialize(ar);
        UseDate(dateTime.m_date);
        CTimeOfDay amount;
        amount.Serialize(ar);
        UseDateTime(dateTime, amount);
    });

    const CString text(std::string(reinterpret_cast<const char*>(data), size).c_str());
    CDate parsed;
    parsed.Parse(text);
    UseDate(parsed);
    CTime stamp;
    if (ParseTimeText(text, stamp))
        stamp.Format("%Y-%m-%d %H:%M:%S %A");
    return 0;
}
