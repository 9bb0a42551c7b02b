// Shared pieces of the date and time tests: readable failure messages and the bytes an archive
// wrote.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "platform/base/CString.h"
#include "platform/base/File.h"

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

// Everything in the memory file, from its start.
inline std::vector<unsigned char> FileBytes(CMemFile& file) {
    std::vector<unsigned char> bytes((size_t)file.GetLength());
    file.SeekToBegin();
    if (!bytes.empty())
        file.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

// The bytes of a text, so that a failing comparison prints both sides.
inline std::string Str(const CString& s) {
    return std::string((const char*)s, s.GetLength());
}
