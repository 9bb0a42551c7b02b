#include "notes/NoteGroup.h"

#include "platform/base/Archive.h"
#include "platform/base/Time.h"

IMPLEMENT_SERIAL(CNoteGroup, CGroup, 1)

CNoteGroup::CNoteGroup(LPCTSTR lpszName) : CGroup(lpszName) {
    m_created = CTime::GetCurrentTime().GetTime();
}

CNoteGroup::CNoteGroup(const CNoteGroup& other, BOOL bDeep) : CGroup(other.GetName()) {
    if (bDeep)
        CopyFrom(&other);
    else
        CopyAttributes(&other);
    m_created = CTime::GetCurrentTime().GetTime();
}

CNoteGroup::~CNoteGroup() = default;

CRuntimeClass* CNoteGroup::GetContentClass() const {
    return RUNTIME_CLASS(CNoteContent);
}

CGroup* CNoteGroup::CreateSubGroup(LPCTSTR lpszName) {
    return new CNoteGroup(lpszName);
}

void CNoteGroup::CopyFrom(const CGroup* pSource) {
    if (pSource == nullptr || pSource == this)
        return;
    CGroup::CopyFrom(pSource);
    SetName(pSource->GetName());
    m_created = CTime::GetCurrentTime().GetTime();
}

void CNoteGroup::CopyAttributes(const CGroup* pSource) {
    CGroup::CopyAttributes(pSource);
    if (pSource != nullptr && pSource != this)
        SetName(pSource->GetName());
    m_created = CTime::GetCurrentTime().GetTime();
}

void CNoteGroup::Serialize(CArchive& ar) {
    // The name goes before the counts and the children, the other fields after them.
    if (ar.IsStoring()) {
        ar << m_strName;
        CGroup::Serialize(ar);
        ar << m_dwFlags << m_dwPasswordChecksum << (LONGLONG)m_created;
        return;
    }
    ar >> m_strName;
    CGroup::Serialize(ar);
    LONGLONG created = 0;
    ar >> m_dwFlags >> m_dwPasswordChecksum >> created;
    m_created = created;
    // A group stored with a password opens locked.
    if ((m_dwFlags & FLAG_PASSWORD) != 0)
        m_dwFlags |= FLAG_LOCKED;
}
