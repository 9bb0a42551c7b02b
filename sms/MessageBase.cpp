#include "sms/MessageBase.h"

#include "core/FieldValue.h"
#include "core/Group.h"

IMPLEMENT_SERIAL(CMessageBase, CContent, 1)

CMessageBase::CMessageBase() : CContent(nullptr), m_time(CTime::GetCurrentTime()) {}

void* CMessageBase::GetFieldData(int nField, int& nKind) {
    switch (nField) {
    case 0:
        nKind = FIELD_INT;
        return &m_nState;
    case 9:
        nKind = FIELD_FLAGS;
        return &m_dwFlags;
    default:
        nKind = FIELD_NONE;
        return nullptr;
    }
}

// The getter and the setter share one sense of the mark (set = unread), so a message marked read
// reads back as read; the list's read timer relies on that to stop.
BOOL CMessageBase::IsRead() const {
    return (m_dwFlags & FLAG_UNREAD) == 0;
}

void CMessageBase::SetRead(BOOL bRead) {
    if (bRead)
        m_dwFlags &= ~(DWORD)FLAG_UNREAD;
    else
        m_dwFlags |= FLAG_UNREAD;
}

int CMessageBase::GetImportance() const {
    return 2;
}

void CMessageBase::SetImportance(int) {}

CGroup* CMessageBase::DetachFromBox(CGroup* pBox) {
    CGroup* pParent = GetParent();
    if (pBox != nullptr && pBox == pParent)
        SetParent(nullptr);
    return pParent;
}

int CMessageBase::CompareTo(const CMessageBase* pOther, int) const {
    return pOther != nullptr ? CompareSign(m_nKey, pOther->m_nKey) : 1;
}

int CMessageBase::GetAttachmentCount() const {
    return 0;
}

BOOL CMessageBase::IsValid() const {
    return TRUE;
}

BOOL CMessageBase::IsDetached() const {
    return GetParent() == nullptr;
}

BOOL CMessageBase::MoveToBox(CMsgBoxBase* pDest) {
    if (pDest == nullptr)
        return FALSE;
    CGroup* pOld = GetParent();
    CObList* pOldList = pOld != nullptr ? &pOld->GetContentList() : nullptr;
    POSITION posOld = pOld != nullptr ? pOld->FindContent(this) : nullptr;
    // The neighbour, so that a refused move puts the message back in its place.
    CObject* pNext = nullptr;
    if (posOld != nullptr) {
        POSITION pos = posOld;
        pOldList->GetNext(pos);
        pNext = pos != nullptr ? pOldList->GetAt(pos) : nullptr;
        if (auto* pBox = DYNAMIC_DOWNCAST(CMsgBoxBase, pOld))
            pBox->RemoveMessage(this, FALSE);
        else
            pOld->RemoveContent(this, FALSE);
    }
    DetachFromBox(pOld);
    if (pDest->AddMessage(this))
        return TRUE;
    // A message that no list holds would never be freed.
    if (posOld != nullptr) {
        POSITION posNext = pNext != nullptr ? pOld->FindContent(pNext) : nullptr;
        pOld->AddContent(this, FALSE, posNext, posNext == nullptr, TRUE);
    }
    return FALSE;
}

int CMessageBase::GetStateImage() const {
    switch (m_nState) {
    case 0:
    case 1:
        return CMsgBoxBase::BOX_OUTBOX;
    case 2:
        return CMsgBoxBase::BOX_SENT;
    case 3:
        return CMsgBoxBase::BOX_INBOX;
    default:
        return CMsgBoxBase::BOX_ANY;
    }
}

CMsgBoxBase* CMessageBase::GetBox() const {
    return CIMessage::GetBox(this);
}

int CMessageBase::GetTextLength() const {
    return 0;
}
