// Readable failure messages for dates and times in the tests.
#pragma once

#include <ostream>

#include "core/DateTime.h"

inline void PrintTo(const CDate& d, std::ostream* os) {
    *os << d.GetYear() << "-" << d.GetMonth() << "-" << d.GetDay();
}

inline void PrintTo(const CTimeOfDay& t, std::ostream* os) {
    *os << (int)t.m_nHour << ":" << (int)t.m_nMinute << ":" << (int)t.m_nSecond;
}

inline void PrintTo(const CDateTime& t, std::ostream* os) {
    PrintTo(t.m_date, os);
    *os << " ";
    PrintTo(t.m_time, os);
}
