#include "core/ReplyStatus.h"

#include "core/StringUtil.h"

int CReplyStatus::Parse(int nTransportCode, LPCTSTR reply, BOOL bKeepText) {
    if (nTransportCode != 0) {
        m_nCode = nTransportCode;
        return m_nCode;
    }
    const CString text(reply ? reply : "");
    int start = 0;
    while (text[start] == ' ' || text[start] == '\t' || text[start] == '\r' || text[start] == '\n')
        ++start;

    int after = -1; // position after the number; -1 when there is none or it ends the reply
    if (text[start] >= '0' && text[start] <= '9') {
        int value = 0;
        after = start;
        CStringEx(text).ScanInt(after, value);
        m_nCode = value;
    } else {
        m_nCode = REPLY_CODE_NO_NUMBER;
    }

    if (bKeepText) {
        m_strText = after >= 0 && after < text.GetLength() ? text.Mid(after) : text;
        m_strText.TrimLeft('#');
    }
    return m_nCode;
}
