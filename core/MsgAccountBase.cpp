#include "core/MsgAccountBase.h"

#include "core/Content.h"
#include "core/MsgBoxBase.h"
#include "platform/base/Time.h"

IMPLEMENT_DYNCREATE(CMsgAccountBase, CObject)

BOOL CMsgAccountBase::IsLocked() const {
    const DWORD dwLock = FLAG_PASSWORD | FLAG_LOCKED;
    return (m_dwFlags & dwLock) == dwLock;
}

CMsgBoxBase* CMsgAccountBase::GetRootBox() {
    return nullptr;
}

CString& CMsgAccountBase::GetName() {
    static CString s_strNoName;
    s_strNoName.Empty();
    return s_strNoName;
}

CContent* CMsgAccountBase::CreateMessageCopy(const CContent* pMessage) {
    if (CIMessage::FromContent(pMessage) == nullptr) {
        return nullptr;
    }
    CContent* pCopy = pMessage->Clone();
    CIMessage* pCopyMsg = CIMessage::FromContent(pCopy);
    if (pCopyMsg == nullptr) {
        // A clone of some other class cannot be dated; it is not a message copy.
        delete pCopy;
        return nullptr;
    }
    // A clone is made in no box; the caller files it.
    pCopy->SetParent(nullptr);
    pCopyMsg->SetMessageTime(CTime::GetCurrentTime());
    return pCopy;
}
