// The account of an e-card user on the service, as registration and the account dialog edit it.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

struct SECAccount {
    UINT m_nUid = 0;
    CString m_strUserName;
    CString m_strPassword;
    CString m_strEmail;
    CString m_strSecureEmail;
    CString m_strCertType;
    CString m_strCert;

    // The number (32-bit), then the six strings in the order above.
    void Serialize(CArchive& ar);
};
