#include "links/ProxyOptions.h"

#include <memory>

#include "core/Checksum.h"
#include "core/ProfileValues.h"
#include "links/HttpProxy.h"
#include "platform/base/Profile.h"

namespace {

CProxyOptions* g_programOptions = nullptr;

} // namespace

void CProxyOptions::Load() {
    LPCTSTR s = m_strSection;
    ReadProfileValue(s, "ProxyScheme", m_nProxyScheme);
    ReadProfileValue(s, "ProxyType", m_nProxyType);
    ReadProfileValue(s, "ProxyAddr", m_strProxyAddr);
    ReadProfileValue(s, "ProxyPort", m_strProxyPort);
    ReadProfileValue(s, "ProxyUser", m_strProxyUser);
    int remember = m_bRememberPsw;
    ReadProfileValue(s, "RememberPsw", remember);
    m_bRememberPsw = remember != 0;
    m_strProxyPsw.Empty();
    if (!m_bRememberPsw)
        return;
    BYTE* raw = nullptr;
    UINT bytes = 0;
    if (!OptionsProfile().GetProfileBinary(s, "ProxyPsw", &raw, &bytes))
        return;
    std::unique_ptr<BYTE[]> owned(raw);
    m_strProxyPsw = CString(reinterpret_cast<const char*>(raw), (int)bytes);
    ScrambleString(m_strProxyPsw, FALSE);
}

void CProxyOptions::Save() const {
    LPCTSTR s = m_strSection;
    WriteProfileValue(s, "ProxyScheme", m_nProxyScheme);
    WriteProfileValue(s, "ProxyType", m_nProxyType);
    OptionsProfile().WriteProfileString(s, "ProxyAddr", m_strProxyAddr);
    OptionsProfile().WriteProfileString(s, "ProxyPort", m_strProxyPort);
    OptionsProfile().WriteProfileString(s, "ProxyUser", m_strProxyUser);
    WriteProfileValue(s, "RememberPsw", m_bRememberPsw);
    CString scrambled = m_bRememberPsw ? m_strProxyPsw : CString();
    ScrambleString(scrambled, TRUE);
    OptionsProfile().WriteProfileBinary(s, "ProxyPsw",
                                        reinterpret_cast<const BYTE*>(scrambled.GetString()),
                                        (UINT)scrambled.GetLength());
}

void CProxyOptions::ApplyToHttpRequests() const {
    HttpProxySettings settings;
    settings.nScheme = m_nProxyScheme;
    settings.nType = m_nProxyType;
    settings.strServer = m_strProxyAddr;
    settings.strPort = m_strProxyPort;
    settings.strUser = m_strProxyUser;
    settings.strPassword = m_strProxyPsw;
    SetHttpProxySettings(settings);
}

CProxyOptions* GetProgramProxyOptions() {
    return g_programOptions;
}

void SetProgramProxyOptions(CProxyOptions* pOptions) {
    g_programOptions = pOptions;
}
