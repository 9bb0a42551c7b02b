#include "ecard/ECAccount.h"

#include "platform/base/Archive.h"

void SECAccount::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << m_nUid << m_strUserName << m_strPassword << m_strEmail << m_strSecureEmail
           << m_strCertType << m_strCert;
    else
        ar >> m_nUid >> m_strUserName >> m_strPassword >> m_strEmail >> m_strSecureEmail >>
            m_strCertType >> m_strCert;
}
