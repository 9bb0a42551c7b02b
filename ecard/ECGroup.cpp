#include "ecard/ECGroup.h"

#include <vector>

#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(CECGroup, _CGroup, 1)

namespace {

// Smallest stored sizes, to refuse counts the rest of the file cannot hold: a group writes two
// counts, a name and its flags; a contact at least its two six-value access records.
constexpr ULONGLONG kMinGroupBytes = 4 + 4 + 1 + 4;
constexpr ULONGLONG kMinContactBytes = 48;

// Contacts of a group are ordered before its sub-groups in a search position.
constexpr int kContactKey = -0x40000000;

typedef std::vector<int> SearchKey;

bool NameMatches(CECContact* pContact, LPCTSTR lpszText, BOOL bInitials) {
    if (bInitials)
        return pContact->MatchNameInitials(lpszText) >= 0;
    return pContact->GetName().Find(lpszText) >= 0;
}

CECGroup* FindAfter(CECGroup* pGroup, SearchKey& key, const SearchKey& after, LPCTSTR lpszText,
                    BOOL bInitials) {
    int nIndex = 0;
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr; ++nIndex) {
        auto* pContact = dynamic_cast<CECContact*>(pGroup->GetNextContent(pos));
        key.push_back(kContactKey + nIndex);
        if (pContact != nullptr && key > after && NameMatches(pContact, lpszText, bInitials))
            return pGroup;
        key.pop_back();
    }
    nIndex = 0;
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr; ++nIndex) {
        auto* pSub = dynamic_cast<CECGroup*>(pGroup->GetNextSubgroup(pos));
        key.push_back(nIndex);
        if (pSub != nullptr && !pSub->IsLocked())
            if (CECGroup* pFound = FindAfter(pSub, key, after, lpszText, bInitials))
                return pFound;
        key.pop_back();
    }
    return nullptr;
}

} // namespace

CECGroup::CECGroup(LPCTSTR lpszName, int nRole) : _CGroup(lpszName), m_nRole(nRole) {}

void CECGroup::Serialize(CArchive& ar) {
    SerializeAt(ar, 0);
}

void CECGroup::SerializeAt(CArchive& ar, int nDepth) {
    if (ar.IsStoring()) {
        ar << (DWORD)GetSubgroupCount() << (DWORD)GetContentList().GetCount();
        for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;) {
            CGroup* pSub = GetNextSubgroup(pos);
            if (auto* pGroup = dynamic_cast<CECGroup*>(pSub))
                pGroup->SerializeAt(ar, nDepth + 1);
            else
                pSub->Serialize(ar);
        }
        for (POSITION pos = GetFirstContentPosition(); pos != nullptr;)
            GetNextContent(pos)->Serialize(ar);
        ar << m_strName << m_dwFlags;
        return;
    }
    if (nDepth >= kMaxLoadDepth)
        AfxThrowArchiveException(CArchiveException::badIndex);
    RemoveAll();
    DWORD nGroups = 0, nContacts = 0;
    ar >> nGroups >> nContacts;
    ar.RequireBytes(nGroups * kMinGroupBytes + nContacts * kMinContactBytes + 4 + 1);
    for (DWORD i = 0; i < nGroups; ++i) {
        auto* pGroup = new CECGroup;
        AddSubgroup(pGroup, FALSE, nullptr, TRUE, TRUE);
        pGroup->SerializeAt(ar, nDepth + 1);
    }
    for (DWORD i = 0; i < nContacts; ++i) {
        auto* pContact = new CECContact(nullptr, FALSE);
        AddContent(pContact, FALSE, nullptr, TRUE, TRUE);
        pContact->Serialize(ar);
    }
    ar >> m_strName >> m_dwFlags;
    if (m_dwFlags & FLAG_PASSWORD)
        m_dwFlags |= FLAG_LOCKED;
}

CRuntimeClass* CECGroup::GetContentClass() const {
    return RUNTIME_CLASS(CECContact);
}

CGroup* CECGroup::CreateSubGroup(LPCTSTR lpszName) {
    return new CECGroup(lpszName);
}

int CECGroup::GetTopRole() const {
    for (const CGroup* pGroup = this; pGroup != nullptr; pGroup = pGroup->GetParent()) {
        const auto* pEC = dynamic_cast<const CECGroup*>(pGroup);
        if (pEC != nullptr && pEC->m_nRole != ROLE_NONE)
            return pEC->m_nRole;
    }
    return ROLE_NONE;
}

void CECGroup::InsertPerson(CECContact* pContact) {
    AddContent(pContact, FALSE, nullptr, TRUE, TRUE);
}

CECContact* CECGroup::FindByNumber(UINT nUid) const {
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;) {
        auto* pContact = dynamic_cast<CECContact*>(GetNextContent(pos));
        if (pContact != nullptr && pContact->m_nUid == nUid)
            return pContact;
    }
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;) {
        auto* pSub = dynamic_cast<CECGroup*>(GetNextSubgroup(pos));
        if (pSub == nullptr)
            continue;
        if (CECContact* pFound = pSub->FindByNumber(nUid))
            return pFound;
    }
    return nullptr;
}

void CECGroup::CollectNumbers(CDWordArray& numbers) const {
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;)
        if (auto* pContact = dynamic_cast<CECContact*>(GetNextContent(pos)))
            numbers.Add(pContact->m_nUid);
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        if (auto* pSub = dynamic_cast<CECGroup*>(GetNextSubgroup(pos)))
            pSub->CollectNumbers(numbers);
}

void CECGroup::CollectContacts(CECContactMap& contacts) const {
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;)
        if (auto* pContact = dynamic_cast<CECContact*>(GetNextContent(pos)))
            contacts[pContact->m_nUid] = pContact;
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        if (auto* pSub = dynamic_cast<CECGroup*>(GetNextSubgroup(pos)))
            pSub->CollectContacts(contacts);
}

void CECGroup::ReadPendingAccess(SECAccess& values, SECAccess& masks, BOOL& bFirst) const {
    for (POSITION pos = GetFirstContentPosition(); pos != nullptr;)
        if (auto* pContact = dynamic_cast<CECContact*>(GetNextContent(pos)))
            ::ReadPendingAccess(*pContact, values, masks, bFirst);
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;)
        if (auto* pSub = dynamic_cast<CECGroup*>(GetNextSubgroup(pos)))
            pSub->ReadPendingAccess(values, masks, bFirst);
}

void CECGroup::CopyProperties(const CECGroup& other) {
    if (&other == this)
        return;
    SetName(other.GetName());
    GetInfo() = other.GetInfo();
    m_dwFlags = other.m_dwFlags;
    m_dwPasswordChecksum = other.m_dwPasswordChecksum;
}

CECGroup* CECGroup::SearchNext(LPCTSTR lpszText, CList<int, int>& position, BOOL bInitials) {
    if (lpszText == nullptr || *lpszText == 0) {
        position.RemoveAll();
        return nullptr;
    }
    // The stored position holds plain indexes; the walk orders contacts before sub-groups.
    SearchKey after;
    for (POSITION pos = position.GetHeadPosition(); pos != nullptr;)
        after.push_back(position.GetNext(pos));
    if (!after.empty())
        after.back() += kContactKey;
    SearchKey key;
    CECGroup* pFound = FindAfter(this, key, after, lpszText, bInitials);
    position.RemoveAll();
    if (pFound == nullptr)
        return nullptr;
    key.back() -= kContactKey;
    for (int k : key)
        position.AddTail(k);
    return pFound;
}

BOOL CECGroup::SearchPerson(_CPerson* pPerson, LPCTSTR lpszText, const DWORD* pPersonMasks,
                            CSearchItemArray& hits, BOOL bMatchCase) {
    if (auto* pContact = dynamic_cast<CECContact*>(pPerson))
        return pContact->SearchWithStatus(lpszText, pPersonMasks, hits, bMatchCase);
    return _CGroup::SearchPerson(pPerson, lpszText, pPersonMasks, hits, bMatchCase);
}
