// The exception of the internet session classes: an error number (InternetDefs.h) and the
// caller's context value. Thrown as a pointer, like every framework exception.
#pragma once

#include "platform/base/Exception.h"
#include "platform/net/InternetDefs.h"

class CInternetException : public CException {
    DECLARE_DYNAMIC(CInternetException)
public:
    explicit CInternetException(DWORD dwError);

    BOOL GetErrorMessage(LPTSTR buf, UINT max, UINT* helpId = nullptr) const override;
    using CException::GetErrorMessage;

    DWORD_PTR m_dwContext = 0;
    DWORD m_dwError;
};

[[noreturn]] void AfxThrowInternetException(DWORD_PTR dwContext, DWORD dwError = 0);
