#include "sms/SenderSettings.h"

#include <algorithm>

#include "platform/base/Archive.h"

namespace {

// Integers and flags are stored as DWORDs.
void Exchange(CArchive& ar, int& value) {
    if (ar.IsStoring()) {
        ar << (DWORD)value;
    } else {
        DWORD dw = 0;
        ar >> dw;
        value = (int)dw;
    }
}

void Exchange(CArchive& ar, CString& text) {
    if (ar.IsStoring())
        ar << text;
    else
        ar >> text;
}

template <class... T> void ExchangeAll(CArchive& ar, T&... fields) {
    (Exchange(ar, fields), ...);
}

} // namespace

void SSenderMobileInfo::Serialize(CArchive& ar) {
    if (ar.IsLoading()) {
        m_nPhoneType = PHONE_CHINESE;
        m_strRemarks.Empty();
    }
    ExchangeAll(ar, m_strBrand, m_nNetwork, m_strModel, m_strMobileNumber);
}

void SSenderServers::Serialize(CArchive& ar) {
    ExchangeAll(ar, m_strSendServer, m_nSendPort, m_strRecvServer, m_nRecvPort, m_bRecvSameAsSend);
}

void SSenderRemoteAccount::Serialize(CArchive& ar) {
    ExchangeAll(ar, m_strUserId, m_strPassword, m_nServerAction, m_bAppendSignature,
                m_bAppendOwnNumber, m_strSignature);
}

void SSenderSendScheme::Serialize(CArchive& ar) {
    ExchangeAll(ar, m_nReserved, m_strGatewayLibrary);
}

int SSenderReceiveScheme::GetMinimumInterval() const {
    return m_nIntervalUnit == UNIT_SECONDS ? 5 : 1;
}

void SSenderReceiveScheme::ApplyMinimumInterval() {
    m_nInterval = std::max(m_nInterval, GetMinimumInterval());
}

void SSenderReceiveScheme::Serialize(CArchive& ar) {
    ExchangeAll(ar, m_bKeepServerCopy, m_bAutoReceive, m_nInterval, m_nIntervalUnit, m_bPlaySound,
                m_nSoundChoice, m_strSoundFile, m_nStoreNewIn);
    if (ar.IsLoading())
        ApplyMinimumInterval();
}

void SSenderAccountRecord::Serialize(CArchive& ar) {
    m_person.Serialize(ar);
    m_mobile.Serialize(ar);
    m_servers.Serialize(ar);
    m_remote.Serialize(ar);
    m_send.Serialize(ar);
    m_receive.Serialize(ar);
}
