#include "mail/RegEmailAddress.h"

#include "mail/MimeCodec.h"
#include "platform/base/Archive.h"

void CRegEmailAddress::Parse(LPCTSTR lpszText) {
    const CString text = lpszText != nullptr ? lpszText : "";
    const int open = text.Find('<');
    const int close = text.IsEmpty() ? -1 : text.Find('>');
    if (open >= 0 && close >= 0 && open < close) {
        m_strAddress = text.Mid(open + 1, close - open - 1);
        m_strAddress.Trim();
        m_strName = text.Left(open);
        m_strName.Trim();
        m_strName.Trim('"');
    } else {
        m_strName.Empty();
        m_strAddress = text;
        m_strAddress.Trim();
    }
}

void CRegEmailAddress::Set(LPCTSTR lpszName, LPCTSTR lpszText) {
    Parse(lpszText);
    m_strName = lpszName != nullptr ? lpszName : "";
    m_dwTag = 0;
}

CString CRegEmailAddress::GetDisplayText() const {
    return m_strName.IsEmpty() ? m_strAddress : m_strName;
}

CString CRegEmailAddress::Format(int nMode, LPCTSTR lpszCharset) const {
    if (m_strName.IsEmpty())
        return m_strAddress;
    (void)lpszCharset;
    CString name;
    if (nMode == 'Q' || nMode == 'B')
        name = EncodeHeaderWords(StripControlChars(m_strName), static_cast<char>(nMode));
    else if (nMode == 0)
        name = m_strName;
    CString out;
    out.Format("%s <%s>", name.GetString(), m_strAddress.GetString());
    return out;
}

void CRegEmailAddress::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << m_dwTag << m_strName << m_strAddress;
    else
        ar >> m_dwTag >> m_strName >> m_strAddress;
}

BOOL CRegEmailAddress::IsSendable() const {
    if (m_strAddress.IsEmpty())
        return FALSE;
    for (int i = 0; i < m_strAddress.GetLength(); ++i) {
        const char c = m_strAddress[i];
        if (c == '\r' || c == '\n' || c == '\0' || c == ' ' || c == '\t' || c == '<' || c == '>')
            return FALSE;
    }
    return TRUE;
}

int CRegEmailAddress::AddList(LPCTSTR lpszText, CKovPtrArray<CRegEmailAddress>& list) {
    const CString text = lpszText != nullptr ? lpszText : "";
    int added = 0;
    for (int start = 0; start <= text.GetLength();) {
        int end = start;
        while (end < text.GetLength() && text[end] != ',' && text[end] != ';')
            ++end;
        CString piece = text.Mid(start, end - start);
        piece.Trim();
        if (!piece.IsEmpty()) {
            list.Add(new CRegEmailAddress(piece));
            ++added;
        }
        start = end + 1;
    }
    return added;
}
