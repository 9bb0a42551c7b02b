#include "sms/Sms.h"

#include <iterator>

#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(_CSms, CMessageBase, 1)

_CSms::_CSms(LPCTSTR lpszSubject) : m_strSubject(lpszSubject != nullptr ? lpszSubject : "") {}

_CSms::_CSms(const _CSms& src) : CMessageBase() {
    CopyFields(src);
}

void _CSms::CopyFields(const _CSms& src) {
    m_sender = src.m_sender;
    m_strContent = src.m_strContent;
    m_strSubject = src.m_strSubject;
    m_recipient = src.m_recipient;
    m_batchList = src.m_batchList;
    m_bBatch = src.m_bBatch;
    m_nState = src.m_nState;
    m_nKind = src.m_nKind;
    m_time = src.m_time;
    m_nSize = src.m_nSize;
}

void _CSms::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_sender.m_str << m_strSubject << m_strContent << m_recipient.m_str;
        ar << (DWORD)m_bBatch << (DWORD)m_nState << (DWORD)m_nKind << m_time << (DWORD)m_nSize;
    } else {
        DWORD dwBatch = 0, dwState = 0, dwKind = 0, dwSize = 0;
        ar >> m_sender.m_str >> m_strSubject >> m_strContent >> m_recipient.m_str;
        ar >> dwBatch >> dwState >> dwKind >> m_time >> dwSize;
        m_bBatch = (BOOL)dwBatch;
        m_nState = (int)dwState;
        m_nKind = (int)dwKind;
        m_nSize = (int)dwSize;
    }
    m_batchList.Serialize(ar);
}

void _CSms::CopyFrom(const CContent* pSource) {
    const _CSms* pSms = DYNAMIC_DOWNCAST(_CSms, const_cast<CContent*>(pSource));
    if (pSms != nullptr && pSms != this)
        CopyFields(*pSms);
}

CContent* _CSms::Clone() const {
    return new _CSms(*this);
}

CContent* _CSms::CreateInstance(LPCTSTR lpszName) const {
    auto* pSms = new _CSms();
    pSms->SetName(lpszName);
    return pSms;
}

BOOL _CSms::IsRead() const {
    return m_nState != STATE_UNREAD;
}

void _CSms::SetRead(BOOL bRead) {
    m_nState = bRead ? STATE_READ : STATE_UNREAD;
}

CString _CSms::GetFirstRecipientName() const {
    if (!m_bBatch)
        return m_recipient.GetName(TRUE);
    if (m_batchList.IsEmpty())
        return CString();
    return CNameCodeString::GetNameOf(m_batchList.GetHead(), TRUE);
}

int _CSms::CompareTo(const CMessageBase* pOther, int nColumn) const {
    const _CSms* pSms = DYNAMIC_DOWNCAST(_CSms, const_cast<CMessageBase*>(pOther));
    if (pSms == nullptr)
        return CMessageBase::CompareTo(pOther, nColumn);
    switch (nColumn) {
    case COLUMN_STATE:
        return CompareSign(m_nState, pSms->m_nState);
    case COLUMN_SENDER:
        // Names compare byte by byte as multibyte text, not by the pinyin collation.
        return m_sender.GetName(TRUE).Compare(pSms->m_sender.GetName(TRUE));
    case COLUMN_RECIPIENT:
        return GetFirstRecipientName().Compare(pSms->GetFirstRecipientName());
    case COLUMN_KIND:
        return CompareSign(m_nKind, pSms->m_nKind);
    case COLUMN_BATCH:
        return CompareSign(m_bBatch, pSms->m_bBatch);
    case COLUMN_SUBJECT: {
        const CString& mine = m_strSubject.IsEmpty() ? m_strContent : m_strSubject;
        const CString& theirs =
            pSms->m_strSubject.IsEmpty() ? pSms->m_strContent : pSms->m_strSubject;
        return mine.Compare(theirs);
    }
    case COLUMN_TIME:
        return CompareTime(pSms);
    case COLUMN_SIZE:
        return CompareSign(m_nSize, pSms->m_nSize);
    default:
        return 0;
    }
}

int _CSms::CompareTime(const _CSms* pOther) const {
    // Signed, so that a time before 1970 sorts before the later ones.
    return pOther != nullptr ? CompareSign(m_time.GetTime(), pOther->m_time.GetTime()) : 1;
}

int _CSms::GetStateImage() const {
    switch (m_nState) {
    case STATE_DRAFT:
    case STATE_SEND_NOW:
    case STATE_PENDING:
        return CMsgBoxBase::BOX_OUTBOX;
    case STATE_SENT:
        return CMsgBoxBase::BOX_SENT;
    case STATE_READ:
    case STATE_UNREAD:
        return CMsgBoxBase::BOX_INBOX;
    default:
        return CMsgBoxBase::BOX_ANY;
    }
}

int _CSms::GetTextLength() const {
    return m_strContent.GetLength();
}

CString _CSms::GetStateText() const {
    static const char* const kShort[] = {"草稿", "立即发送", "待发", "已发送",
                                         "已读", "未读",     "徘徊", "已丢弃"};
    if (m_nState >= 0 && m_nState < (int)std::size(kShort))
        return kShort[m_nState];
    return "未知";
}

CString _CSms::GetStateDescription(int nState) {
    static const char* const kLong[] = {"草稿",
                                        "准备立即发送的短信",
                                        "待发短信",
                                        "已发短信",
                                        "已读短信",
                                        "未读短信",
                                        "已被程序接收但没有放入相应的信箱的短信",
                                        "被舍弃的短信"};
    if (nState >= 0 && nState < (int)std::size(kLong))
        return kLong[nState];
    return CString();
}

CString _CSms::GetKindText(int nKind) {
    switch (nKind) {
    case KIND_NOT_SET:
        return "未设定";
    case KIND_MOBILE:
        return "手机短信";
    case KIND_INSTANT:
        return "即时消息";
    case KIND_NOTE:
        return "留言";
    default:
        return "error";
    }
}

CString _CSms::GetSenderText() const {
    CString text = m_sender.GetDisplayText();
    return text.IsEmpty() ? CString("?") : text;
}

CString _CSms::GetRecipientsText() const {
    CString text;
    if (m_bBatch) {
        if (m_batchList.IsEmpty()) {
            text = "(无)";
        } else {
            for (POSITION pos = m_batchList.GetHeadPosition(); pos != nullptr;) {
                text += CNameCodeString(m_batchList.GetNext(pos)).GetDisplayText();
                text += ",";
            }
            CString count;
            count.Format("共%d人", (int)m_batchList.GetCount());
            text += count;
        }
    } else {
        text = m_recipient.GetDisplayText();
    }
    return text.IsEmpty() ? CString("?") : text;
}

CString _CSms::GetTimeText() const {
    return m_time.Format("%Y-%m-%d %H:%M:%S");
}

int _CSms::GetRecipientCount() const {
    return m_bBatch ? (int)m_batchList.GetCount() : 1;
}
