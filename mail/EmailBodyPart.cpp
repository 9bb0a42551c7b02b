#include "mail/EmailBodyPart.h"

#include <algorithm>

#include "mail/MimeCodec.h"
#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/sys/Uuid.h"

CString NewMimeBoundary() {
    UUID uuid;
    RPC_CSTR text = nullptr;
    CString boundary;
    if (UuidCreate(&uuid) == RPC_S_OK && UuidToStringA(&uuid, &text) == RPC_S_OK) {
        boundary = reinterpret_cast<const char*>(text);
        RpcStringFreeA(&text);
    }
    return boundary;
}

BOOL IsSafeHeaderValue(const CString& value) {
    for (int i = 0; i < value.GetLength(); ++i) {
        const char c = value[i];
        if (c == '\r' || c == '\n' || c == '\0')
            return FALSE;
    }
    return TRUE;
}

CEmailBodyPart::CEmailBodyPart()
    : m_strBoundary(NewMimeBoundary()), m_dwSizeLimit(MAIL_ATTACHMENT_LIMIT) {}

CEmailBodyPart::CEmailBodyPart(const CEmailBodyPart& other) {
    CopyFrom(other);
}

CEmailBodyPart& CEmailBodyPart::operator=(const CEmailBodyPart& other) {
    if (this != &other) {
        const CEmailBodyPart copy(other); // other may be one of this part's children
        m_children.RemoveAll();
        CopyFrom(copy);
    }
    return *this;
}

void CEmailBodyPart::CopyFrom(const CEmailBodyPart& other) {
    m_strFilePath = other.m_strFilePath;
    m_strText = other.m_strText;
    m_strName = other.m_strName;
    m_strContentType = other.m_strContentType;
    m_strCharset = other.m_strCharset;
    m_strContentBase = other.m_strContentBase;
    m_strContentId = other.m_strContentId;
    m_strContentLocation = other.m_strContentLocation;
    m_strBoundary = other.m_strBoundary;
    m_nEncoding = other.m_nEncoding;
    m_dwSizeLimit = other.m_dwSizeLimit;
    for (int i = 0; i < other.GetChildCount(); ++i)
        AddChild(new CEmailBodyPart(*other.GetChild(i)));
}

void CEmailBodyPart::SerializeAt(CArchive& ar, int nDepth) {
    if (ar.IsStoring()) {
        ar << m_strFilePath << m_strText << m_strName << m_strContentType << m_strCharset
           << m_strContentBase << m_strContentId << m_strContentLocation << m_strBoundary;
        ar << static_cast<DWORD>(m_nEncoding) << m_dwSizeLimit
           << static_cast<DWORD>(m_children.GetCount());
        for (int i = 0; i < m_children.GetCount(); ++i)
            m_children.GetAt(i)->SerializeAt(ar, nDepth + 1);
        return;
    }
    if (nDepth > MAX_DEPTH)
        AfxThrowArchiveException(CArchiveException::badIndex);
    m_children.RemoveAll();
    DWORD encoding = 0, count = 0;
    ar >> m_strFilePath >> m_strText >> m_strName >> m_strContentType >> m_strCharset >>
        m_strContentBase >> m_strContentId >> m_strContentLocation >> m_strBoundary;
    ar >> encoding >> m_dwSizeLimit >> count;
    m_nEncoding = static_cast<int>(encoding);
    ar.RequireBytes(static_cast<ULONGLONG>(count) * MIN_STORED_SIZE);
    for (DWORD i = 0; i < count; ++i) {
        auto* child = new CEmailBodyPart;
        AddChild(child); // owned from here on, also when its loading throws
        child->SerializeAt(ar, nDepth + 1);
    }
}

void CEmailBodyPart::SetText(LPCTSTR lpszText) {
    CString text = lpszText != nullptr ? lpszText : "";
    text.Replace("\r\n", "\n");
    text.Replace("\r", "\n");
    text.Replace("\n", "\r\n");
    m_strText = text;
    m_strContentType = "text/plain";
}

void CEmailBodyPart::SetFile(LPCTSTR lpszPath) {
    m_strFilePath = lpszPath != nullptr ? lpszPath : "";
    // Backslashes inside double-byte characters are not separators; the GBK-aware search finds
    // the real last one.
    const int lastBackslash = m_strFilePath.ReverseFind('\\');
    const int lastSlash = m_strFilePath.ReverseFind('/');
    const int start = std::max(lastBackslash, lastSlash) + 1;
    m_strName = m_strFilePath.Mid(start);
    m_strContentType = "application/octet-stream";
}

int CEmailBodyPart::AddChild(CEmailBodyPart* pChild) {
    pChild->m_pParent = this;
    return m_children.Add(pChild);
}

int CEmailBodyPart::FindChild(LPCTSTR lpszContentType, int nStart) const {
    for (int i = std::max(nStart, 0); i < m_children.GetCount(); ++i)
        if (m_children.GetAt(i)->m_strContentType.CompareNoCase(lpszContentType) == 0)
            return i;
    return -1;
}

int CEmailBodyPart::GetAttachmentCount() const {
    int count = 0;
    for (int i = 0; i < m_children.GetCount(); ++i)
        if (!m_children.GetAt(i)->m_strFilePath.IsEmpty())
            ++count;
    return count;
}

ULONGLONG CEmailBodyPart::GetAttachmentsSentSize() const {
    ULONGLONG total = 0;
    for (int i = 0; i < m_children.GetCount(); ++i) {
        CFileStatus status;
        const CString& path = m_children.GetAt(i)->m_strFilePath;
        if (!path.IsEmpty() && CFile::GetStatus(path, status))
            total += GetBase64Length(status.m_size, 0);
    }
    return total;
}

void CEmailBodyPart::RemoveAttachments() {
    for (int i = m_children.GetCount() - 1; i >= 0; --i)
        if (!m_children.GetAt(i)->m_strFilePath.IsEmpty())
            m_children.RemoveAt(i);
}

CString CEmailBodyPart::GetEncodingName(int nEncoding) {
    switch (nEncoding) {
    case ENCODING_BASE64:
        return "base64";
    case ENCODING_QP:
        return "quoted-printable";
    case ENCODING_8BIT:
        return "8bit";
    default:
        return "";
    }
}

int CEmailBodyPart::GetOutgoingEncoding(const CString& bytes, int nStored, BOOL b8Bit) {
    if (nStored == ENCODING_BASE64 || nStored == ENCODING_QP)
        return nStored;
    bool eightBit = false, fitsLines = true;
    int lineLength = 0;
    for (int i = 0; i < bytes.GetLength() && fitsLines; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        eightBit = eightBit || c >= 0x80;
        lineLength = c == '\r' || c == '\n' ? 0 : lineLength + 1;
        fitsLines = c != 0 && lineLength <= 998;
    }
    if (!fitsLines)
        return ENCODING_QP;
    if (!eightBit)
        return ENCODING_NONE;
    return b8Bit ? ENCODING_8BIT : ENCODING_QP;
}

CString CEmailBodyPart::GetOutgoingCharset(const CString& text, const CString& stored) {
    for (const char* family : {"", "gb2312", "gbk", "gb18030"})
        if (stored.CompareNoCase(family) == 0)
            return MailCharsetOf(text);
    return stored;
}

BOOL CEmailBodyPart::IsMultipart() const {
    return m_strContentType.Left(10).CompareNoCase("multipart/") == 0;
}

void CEmailBodyPart::FormatPartHeader(CString& out, BOOL b8Bit) const {
    CString head;
    if (!m_strFilePath.IsEmpty()) {
        // Readers that follow the standards take the RFC 2231 file name; older ones the name of
        // the content type, as encoded words.
        const CString name = StripControlChars(m_strName);
        head.Format("Content-Type: %s; name=\"%s\"", m_strContentType.GetString(),
                    EncodeHeaderWords(name, 'B').GetString());
        if (m_children.GetCount() > 0)
            head.AppendFormat("; Boundary=\"%s\"", m_strBoundary.GetString());
        out += FoldHeaderLine(head);
        out += "\r\nContent-Transfer-Encoding: base64\r\n";
        out += "Content-Disposition: attachment" + EncodeRfc2231Parameter("filename", name) +
               "\r\n";
    } else {
        const CString charset = GetOutgoingCharset(m_strText, m_strCharset);
        head.Format("Content-Type: %s; charset=%s", m_strContentType.GetString(),
                    charset.GetString());
        if (m_children.GetCount() > 0)
            head.AppendFormat("; Boundary=\"%s\"", m_strBoundary.GetString());
        out += FoldHeaderLine(head);
        const int encoding =
            IsMultipart() ? ENCODING_NONE
                          : GetOutgoingEncoding(MailBytes(m_strText, charset), m_nEncoding, b8Bit);
        if (encoding != ENCODING_NONE)
            out.AppendFormat("\r\nContent-Transfer-Encoding: %s\r\n",
                             GetEncodingName(encoding).GetString());
        else
            out += "\r\n";
    }
    if (!m_strContentBase.IsEmpty())
        out.AppendFormat("Content-Base: %s\r\n", m_strContentBase.GetString());
    if (!m_strContentId.IsEmpty())
        out.AppendFormat("Content-ID: %s\r\n", m_strContentId.GetString());
    if (!m_strContentLocation.IsEmpty())
        out.AppendFormat("Content-Location: %s\r\n", m_strContentLocation.GetString());
    out += "\r\n";
}

BOOL CEmailBodyPart::FormatPartBody(CString& out, BOOL bRecurse, CString* pUnreadable,
                                    BOOL b8Bit) const {
    BOOL bResult = TRUE;
    if (!m_strFilePath.IsEmpty()) {
        // A stored limit of 0 would mean none at all: a record never lifts the usual one.
        const DWORD limit = m_dwSizeLimit == 0 || m_dwSizeLimit > MAIL_ATTACHMENT_LIMIT
                                ? MAIL_ATTACHMENT_LIMIT
                                : m_dwSizeLimit;
        bResult = EncodeBase64File(m_strFilePath, &out, 0, limit, TRUE, 0);
        if (!bResult && pUnreadable != nullptr)
            *pUnreadable = m_strFilePath;
    } else if (IsMultipart()) {
        out += m_strText; // the preamble, which readers do not show
    } else if (!m_strText.IsEmpty()) {
        const CString bytes = MailBytes(m_strText, GetOutgoingCharset(m_strText, m_strCharset));
        switch (GetOutgoingEncoding(bytes, m_nEncoding, b8Bit)) {
        case ENCODING_BASE64:
            EncodeBase64(&bytes, &out, TRUE, 0);
            break;
        case ENCODING_QP:
            EncodeQuotedPrintable(&bytes, &out, TRUE, 0);
            break;
        default:
            out += bytes;
            break;
        }
    }
    if (bRecurse && m_children.GetCount() > 0) {
        for (int i = 0; i < m_children.GetCount(); ++i) {
            const CEmailBodyPart* child = m_children.GetAt(i);
            out.AppendFormat("\r\n--%s\r\n", m_strBoundary.GetString());
            child->FormatPartHeader(out, b8Bit);
            if (!child->FormatPartBody(out, bRecurse, bResult ? pUnreadable : nullptr, b8Bit))
                bResult = FALSE;
        }
        out.AppendFormat("\r\n--%s--", m_strBoundary.GetString());
    }
    return bResult;
}

BOOL CEmailBodyPart::HasSafeHeaderValues() const {
    // The name goes out as an encoded word, so any byte in it is safe.
    for (const CString* value : {&m_strContentType, &m_strCharset, &m_strContentBase,
                                 &m_strContentId, &m_strContentLocation, &m_strBoundary})
        if (!IsSafeHeaderValue(*value))
            return FALSE;
    for (int i = 0; i < m_children.GetCount(); ++i)
        if (!m_children.GetAt(i)->HasSafeHeaderValues())
            return FALSE;
    return TRUE;
}
