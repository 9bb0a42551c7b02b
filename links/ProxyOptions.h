// The proxy section of the options record ("Proxy" in the profile): how the program's HTTP
// requests reach the service, and the user and password a proxy may ask for.
#pragma once

#include "platform/base/CString.h"

class CProxyOptions {
public:
    // The password is read only when it is to be remembered; it is kept scrambled in the profile.
    void Load();
    // Writes the section; the password is written (scrambled) only when it is to be remembered,
    // an empty value otherwise.
    void Save() const;
    // Makes every HTTP request of the program go the way these settings say from now on.
    void ApplyToHttpRequests() const;

    int m_nProxyScheme = 0;
    int m_nProxyType = 0;
    CString m_strProxyAddr;
    CString m_strProxyPort;
    CString m_strProxyUser;
    CString m_strProxyPsw; // in clear text, in memory only
    BOOL m_bRememberPsw = FALSE;
    CString m_strSection = "Proxy";
};

// The section the running program works with (the application's options record), so that the
// proxy page edits that one; null when none was set.
CProxyOptions* GetProgramProxyOptions();
void SetProgramProxyOptions(CProxyOptions* pOptions);
