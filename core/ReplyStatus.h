// The outcome of a request to a server: a result code (0 = success) and the reply's text.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// The code a reply gets when it does not begin with a number.
constexpr int REPLY_CODE_NO_NUMBER = 101;

class CReplyStatus {
public:
    // A non-zero transport code (the request itself failed) becomes the code and nothing else
    // changes. Otherwise the code is the decimal number at the start of the reply (white space
    // before it skipped), or REPLY_CODE_NO_NUMBER when the reply does not begin with one: a page
    // that is not a reply of the service must never read as success because it holds a 0
    // somewhere. With bKeepText the text becomes the rest of the reply after the number, or the
    // whole reply when there is no number or nothing follows it; "#" characters at its start are
    // removed. Answers the code.
    int Parse(int nTransportCode, LPCTSTR reply, BOOL bKeepText);

    BOOL IsOk() const { return m_nCode == 0; }
    static BOOL IsReplyCodeOk(int nCode) { return nCode == 0; }

    int m_nCode = -1;
    CString m_strText;
};

inline BOOL IsReplyCodeOk(int nCode) {
    return CReplyStatus::IsReplyCodeOk(nCode);
}
