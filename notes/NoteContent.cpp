#include "notes/NoteContent.h"

#include "platform/base/Archive.h"
#include "platform/base/Time.h"

IMPLEMENT_SERIAL(CNoteContent, CContent, 1)

CNoteContent::CNoteContent(LPCTSTR lpszTitle) : CContent(lpszTitle) {
    m_created = CTime::GetCurrentTime().GetTime();
}

CNoteContent::CNoteContent(const CNoteContent& other) : CContent(other.GetName()) {
    CopyFrom(&other);
}

void CNoteContent::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_strName;
        m_body.Serialize(ar);
        ar << (LONGLONG)m_created;
        return;
    }
    ar >> m_strName;
    m_body.Serialize(ar);
    LONGLONG created = 0;
    ar >> created;
    m_created = created;
    m_body.SetStoredLength((int)m_body.GetSize());
}

void CNoteContent::CopyFrom(const CContent* pSource) {
    const auto* source = dynamic_cast<const CNoteContent*>(pSource);
    if (source == nullptr || source == this)
        return;
    m_body = source->m_body;
    m_created = source->m_created;
    SetName(source->GetName());
}

CContent* CNoteContent::Clone() const {
    return new CNoteContent(*this);
}

CContent* CNoteContent::CreateInstance(LPCTSTR lpszName) const {
    return new CNoteContent(lpszName);
}

CString CNoteContent::GetText() {
    return GetName();
}

CString CNoteContent::GetBodyText() const {
    return CString(reinterpret_cast<const char*>(m_body.GetData()), (int)m_body.GetSize());
}

void CNoteContent::SetBodyText(const CString& text) {
    m_body.RemoveAll();
    m_body.SetWritePos(0);
    m_body.SetReadPos(0);
    m_body.Write(text.GetString(), text.GetLength());
    m_body.SetStoredLength(text.GetLength());
}
