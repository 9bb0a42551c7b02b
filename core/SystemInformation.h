// Facts about the platform taken once at start-up, the current UTC time as a record, and string
// resources by id.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Time.h"
#include "platform/base/Types.h"

class CSystemInformation {
public:
    // dwPlatformVersion is in the classic version-word form: major version in the low byte, the
    // top bit set for the older consumer line. dwExpectedVersion is the platform version the
    // program was made for, major in the high word.
    CSystemInformation(DWORD dwPlatformVersion, DWORD dwExpectedVersion);

    // The instance made at start-up for the platform the program runs on.
    static const CSystemInformation& Get();

    BOOL IsConsumerLine() const { return m_bConsumerLine; }
    BOOL IsMajorAbove3() const { return m_bMajorAbove3; }
    // Scroll-bar sizes the window layer reports are one pixel larger when this is set.
    BOOL HasScrollBarCorrection() const { return m_bScrollBarCorrection; }

private:
    BOOL m_bConsumerLine;
    BOOL m_bMajorAbove3;
    BOOL m_bScrollBarCorrection;
};

// The current time in UTC.
void FillSystemTime(SYSTEMTIME& st);

// The string-table text with that id; empty when there is none.
CString LoadResString(UINT nID);
