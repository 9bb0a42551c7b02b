#include "core/SystemInformation.h"

namespace {

// This platform answers as a current release of the newer line (major version 6), and the
// program is made for version 4.0.
constexpr DWORD kPlatformVersion = 0x00000006;
constexpr DWORD kExpectedVersion = 0x00040000;

} // namespace

CSystemInformation::CSystemInformation(DWORD dwPlatformVersion, DWORD dwExpectedVersion) {
    const DWORD major = dwPlatformVersion & 0xFF;
    m_bConsumerLine = (dwPlatformVersion & 0x80000000u) != 0;
    m_bMajorAbove3 = major > 3;
    m_bScrollBarCorrection = major >= 4 && dwExpectedVersion > 0x3FFFF;
}

const CSystemInformation& CSystemInformation::Get() {
    static const CSystemInformation info(kPlatformVersion, kExpectedVersion);
    return info;
}

void FillSystemTime(SYSTEMTIME& st) {
    GetSystemTime(&st);
}

CString LoadResString(UINT nID) {
    CString text;
    text.LoadString(nID);
    return text;
}
