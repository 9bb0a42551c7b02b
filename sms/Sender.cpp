#include "sms/Sender.h"

#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(_CSender, CMsgAccountBase, 1)

_CSender::_CSender(LPCTSTR lpszName, BOOL bMakeStandardBoxes)
    : m_pRootBox(std::make_unique<_CSmsBox>("")) {
    m_record.m_pOwner = this;
    m_record.m_person.m_strText[SENDER_NAME] = lpszName != nullptr ? lpszName : "";
    m_pRootBox->SetOwner(this);
    if (bMakeStandardBoxes)
        m_pRootBox->AddStandardSubBoxes();
}

_CSender::~_CSender() = default;

CString& _CSender::GetName() {
    return m_record.m_person.m_strText[SENDER_NAME];
}

void _CSender::Serialize(CArchive& ar) {
    m_record.Serialize(ar);
    m_pRootBox->Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_dwFlags << m_dwPasswordChecksum;
        return;
    }
    ar >> m_dwFlags >> m_dwPasswordChecksum;
    // A password-protected account opens locked, whatever it was when it was saved.
    if (m_dwFlags & FLAG_PASSWORD)
        m_dwFlags |= FLAG_LOCKED;
    m_pRootBox->SetOwner(this);
}

BOOL _CSender::MoveSmsToStateBox(CMessageBase* pMessage) {
    if (pMessage == nullptr)
        return FALSE;
    CMsgBoxBase* pDest = m_pRootBox->FindSubBoxByType(pMessage->GetStateImage());
    if (pDest == nullptr)
        return FALSE;
    if (pMessage->GetParent() == pDest)
        return TRUE;
    return pMessage->MoveToBox(pDest);
}
