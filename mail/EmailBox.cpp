#include "mail/EmailBox.h"

#include "core/FileUtil.h"
#include "mail/EmailAccount.h"
#include "mail/EmailMessage.h"
#include "platform/base/Archive.h"

#include <algorithm>
#include <set>

IMPLEMENT_DYNCREATE(CEmailBox, CMsgBoxBase)

namespace {
// The file name of a path, without its folder.
CString BareName(const CString& path) {
    const int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    return path.Mid(slash + 1);
}
} // namespace

CEmailBox::CEmailBox() = default;

CEmailBox::CEmailBox(CEmailAccount* pOwner, LPCTSTR lpszName, int nKind) {
    m_pOwner = pOwner;
    m_strName = lpszName != nullptr ? lpszName : "";
    m_nBoxType = nKind;
}

CEmailBox::~CEmailBox() = default;

CEmailAccount* CEmailBox::GetAccount() const {
    return dynamic_cast<CEmailAccount*>(m_pOwner);
}

CString CEmailBox::GetKindFileName(int nKind) {
    switch (nKind) {
    case BOX_INBOX:
        return "in";
    case BOX_OUTBOX:
        return "out";
    case BOX_SENT:
        return "sent";
    case BOX_RECYCLE:
        return "recycle";
    default:
        return "mailbox";
    }
}

void CEmailBox::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_strName << static_cast<DWORD>(m_nBoxType);
    } else {
        DWORD kind = 0;
        ar >> m_strName >> kind;
        m_nBoxType = static_cast<int>(kind);
    }
    CMiniDBGroup::Serialize(ar);
}

BOOL CEmailBox::Open(LPCTSTR lpszPath) {
    std::set<CString> opened;
    return OpenTree(lpszPath, opened);
}

BOOL CEmailBox::OpenTree(LPCTSTR lpszPath, std::set<CString>& opened) {
    if (!CMiniDBGroup::Open(lpszPath))
        return FALSE;
    opened.insert(CanonicalizePath(GetFilePath()));
    const CStringListEx& names = GetSubgroupNames();
    for (POSITION pos = names.GetHeadPosition(); pos != nullptr;) {
        CString path = names.GetNext(pos);
        ResolveRelativePath(path, GetFilePath(), TRUE);
        // A damaged file that names a box above it, or itself, would never end.
        if (opened.count(CanonicalizePath(path)) != 0)
            continue;
        auto* pBox = new CEmailBox(nullptr, "", BOX_UNTYPED);
        pBox->m_pOwner = m_pOwner;
        if (pBox->OpenTree(path, opened)) {
            CGroup::AddSubgroup(pBox, FALSE, nullptr, TRUE, TRUE);
        } else {
            // A box whose files are missing is left out; one whose file is a pipe, a device or
            // a folder is damaged, and so is the tree that holds it.
            const CString irregular = pBox->GetIrregularFile();
            delete pBox;
            if (!irregular.IsEmpty()) {
                m_strIrregularFile = irregular;
                return FALSE;
            }
        }
    }
    return TRUE;
}

BOOL CEmailBox::HasBusyMessage() const {
    CEmailAccount* pAccount = GetAccount();
    if (pAccount == nullptr)
        return FALSE;
    for (POSITION pos = GetFirstIdPosition(); pos != nullptr;) {
        const DWORD id = GetNextId(pos);
        if (pAccount->IsMessageBusy(pAccount->FindCachedMessage(id)))
            return TRUE;
    }
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        if (auto* pSub = dynamic_cast<CEmailBox*>(GetNextSubgroup(pos)))
            if (pSub->HasBusyMessage())
                return TRUE;
    return FALSE;
}

BOOL CEmailBox::HoldsMessage(const CEmailMessage* pMessage) const {
    return pMessage != nullptr && pMessage->GetRecordId() != CMiniDBRecord::NO_ID &&
           HasId(pMessage->GetRecordId()) && pMessage->GetParent() == this;
}

BOOL CEmailBox::AddMessage(CContent* pContent) {
    auto* pMessage = dynamic_cast<CEmailMessage*>(pContent);
    if (pMessage == nullptr || pMessage->GetRecordId() == CMiniDBRecord::NO_ID)
        return FALSE;
    // A message has one box: taking another box's message would leave its id listed twice.
    if (pMessage->GetParent() != nullptr && pMessage->GetParent() != this)
        return FALSE;
    if (!AddId(pMessage->GetRecordId()))
        return FALSE;
    pMessage->SetParent(this);
    return TRUE;
}

BOOL CEmailBox::RemoveMessage(CContent* pContent, BOOL bDelete) {
    auto* pMessage = dynamic_cast<CEmailMessage*>(pContent);
    if (pMessage == nullptr)
        return FALSE;
    const DWORD id = pMessage->GetRecordId();
    if (id == CMiniDBRecord::NO_ID || !HasId(id))
        return FALSE;
    CEmailAccount* pAccount = GetAccount();
    // A frame or the SMTP client still holds it: deleting it would leave them freed memory.
    if (bDelete && pAccount != nullptr && pAccount->IsMessageBusy(pMessage))
        return FALSE;
    pMessage->DetachFromBox(this);
    RemoveId(id);
    if (bDelete) {
        if (pAccount != nullptr) {
            pAccount->DeleteMessage(id);
        }
        delete pMessage;
    }
    return TRUE;
}

POSITION CEmailBox::GetFirstMessagePosition() const {
    return GetFirstIdPosition();
}

CContent* CEmailBox::GetNextMessage(POSITION& pos) const {
    CEmailAccount* pAccount = GetAccount();
    while (pos != nullptr) {
        const DWORD id = GetNextId(pos);
        CEmailMessage* pMessage = pAccount != nullptr ? pAccount->GetMessage(id) : nullptr;
        if (pMessage == nullptr)
            continue;
        if (pMessage->GetParent() == nullptr)
            pMessage->SetParent(const_cast<CEmailBox*>(this));
        return pMessage;
    }
    return nullptr;
}

void CEmailBox::SetName(LPCTSTR lpszName) {
    CMsgBoxBase::SetName(lpszName);
    if (!GetFilePath().IsEmpty())
        Save();
}

POSITION CEmailBox::AddSubgroup(CGroup* pGroup, BOOL bSorted, POSITION posRef, BOOL bAfter,
                                BOOL bSetParent) {
    auto* pBox = dynamic_cast<CEmailBox*>(pGroup);
    if (pBox == nullptr || GetFilePath().IsEmpty())
        return nullptr;
    if (pBox->GetFilePath().IsEmpty()) {
        const CString folder = GetParentDirectory(GetFilePath());
        CString name;
        MakeUniqueFileName(name, folder, GetKindFileName(pBox->GetBoxType()), ".box", FALSE);
        CString path;
        CombinePath(folder, name, path);
        if (!pBox->Create(path))
            return nullptr;
        pBox->SetBoxType(BOX_USER);
        pBox->Save();
    }
    const CString name = BareName(pBox->GetFilePath());
    AddSubgroupName(name);
    Save();
    if (pBox->GetOwner() == nullptr)
        pBox->SetOwner(m_pOwner);
    return CMsgBoxBase::AddSubgroup(pGroup, bSorted, posRef, bAfter, bSetParent);
}

void CEmailBox::DeleteContentsAndFiles() {
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        if (auto* pSub = dynamic_cast<CEmailBox*>(GetNextSubgroup(pos)))
            pSub->DeleteContentsAndFiles();
    CEmailAccount* pAccount = GetAccount();
    for (POSITION pos = GetFirstIdPosition(); pos != nullptr;) {
        const DWORD id = GetNextId(pos);
        if (pAccount != nullptr) {
            // The cached object goes with its record.
            pAccount->Uncache(id, TRUE);
            pAccount->DeleteMessage(id);
        }
    }
    DeleteFiles();
}

BOOL CEmailBox::RemoveSubgroup(CGroup* pGroup, BOOL bDelete) {
    auto* pBox = dynamic_cast<CEmailBox*>(pGroup);
    if (pBox == nullptr || Find(pGroup) == nullptr)
        return FALSE;
    const CString name = BareName(pBox->GetFilePath());
    if (bDelete) {
        if (pBox->HasBusyMessage())
            return FALSE;
        pBox->DeleteContentsAndFiles();
    }
    if (!CMsgBoxBase::RemoveSubgroup(pGroup, bDelete))
        return FALSE;
    RemoveSubgroupName(name);
    Save();
    return TRUE;
}
