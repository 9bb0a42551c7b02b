#include "sms/SmsBox.h"

#include "platform/base/Archive.h"

IMPLEMENT_SERIAL(_CSmsBox, CMsgBoxBase, 1)

namespace {

// Smallest stored sizes, to refuse counts the rest of the file cannot hold. A box: its name's
// length byte and three DWORDs. A message: four length bytes, three DWORDs, the short time form,
// the size and the batch list's count and current index.
constexpr ULONGLONG kMinBoxBytes = 1 + 3 * 4;
constexpr ULONGLONG kMinSmsBytes = 4 + 3 * 4 + 4 + 4 + 2 * 4;

} // namespace

_CSmsBox::_CSmsBox(LPCTSTR lpszName) {
    SetName(lpszName);
}

_CSmsBox::_CSmsBox(const _CSmsBox& src) : CMsgBoxBase() {
    CopyFrom(&src);
}

_CSmsBox::~_CSmsBox() {
    // The group's destructor deletes whatever is still listed.
    DropSharedSms();
}

void _CSmsBox::DropSharedSms() {
    for (POSITION pos = m_contents.GetHeadPosition(); pos != nullptr;) {
        POSITION here = pos;
        auto* pContent = static_cast<CContent*>(m_contents.GetNext(pos));
        if (pContent->GetParent() != this)
            m_contents.RemoveAt(here);
    }
}

void _CSmsBox::RemoveAll() {
    DropSharedSms();
    CMsgBoxBase::RemoveAll();
}

BOOL _CSmsBox::RemoveMessage(CContent* pMessage, BOOL bDelete) {
    if (pMessage != nullptr && pMessage->GetParent() != this) {
        POSITION pos = m_contents.Find(pMessage);
        if (pos == nullptr)
            return FALSE;
        m_contents.RemoveAt(pos);
        return TRUE;
    }
    return CMsgBoxBase::RemoveMessage(pMessage, bDelete);
}

void _CSmsBox::DeleteAllSms() {
    DropSharedSms();
    DeleteAllContents();
}

// ---- Storage -----------------------------------------------------------------------------------

void _CSmsBox::Serialize(CArchive& ar) {
    SerializeBox(ar, 1);
}

void _CSmsBox::SerializeBox(CArchive& ar, int nDepth) {
    if (ar.IsStoring()) {
        ar << m_strName << (DWORD)GetSubBoxCount() << (DWORD)GetSmsCount() << (DWORD)m_nBoxType;
        for (POSITION pos = GetFirstSubBoxPosition(); pos != nullptr;)
            GetNextSubBox(pos)->SerializeBox(ar, nDepth + 1);
        for (POSITION pos = GetFirstSmsPosition(); pos != nullptr;)
            GetNextContent(pos)->Serialize(ar);
        return;
    }
    if (nDepth > kMaxLoadDepth)
        AfxThrowArchiveException(CArchiveException::badIndex);
    // The file holds the whole box: what the box held before would be duplicated.
    RemoveAll();
    DWORD nBoxes = 0, nSms = 0, dwType = 0;
    ar >> m_strName >> nBoxes >> nSms >> dwType;
    m_nBoxType = (int)dwType;
    ar.RequireBytes(nBoxes * kMinBoxBytes + nSms * kMinSmsBytes);
    for (DWORD i = 0; i < nBoxes; ++i) {
        auto* pBox = new _CSmsBox();
        try {
            pBox->SerializeBox(ar, nDepth + 1);
        } catch (...) {
            delete pBox;
            throw;
        }
        AddSubgroup(pBox, FALSE, nullptr, TRUE, TRUE);
    }
    for (DWORD i = 0; i < nSms; ++i) {
        auto* pSms = new _CSms();
        try {
            pSms->Serialize(ar);
        } catch (...) {
            delete pSms;
            throw;
        }
        AddSms(pSms);
    }
}

CRuntimeClass* _CSmsBox::GetContentClass() const {
    return RUNTIME_CLASS(_CSms);
}

// ---- Copying and building ----------------------------------------------------------------------

void _CSmsBox::CopyFrom(const CGroup* pSource) {
    if (pSource == nullptr || pSource == this)
        return;
    if (const auto* pBox = DYNAMIC_DOWNCAST(_CSmsBox, const_cast<CGroup*>(pSource))) {
        m_strName = pBox->m_strName;
        m_nBoxType = pBox->m_nBoxType;
    }
    DropSharedSms();
    CMsgBoxBase::CopyFrom(pSource);
}

POSITION _CSmsBox::AddSubgroup(CGroup* pGroup, BOOL bSorted, POSITION posRef, BOOL bAfter,
                               BOOL bSetParent) {
    POSITION pos = CMsgBoxBase::AddSubgroup(pGroup, bSorted, posRef, bAfter, bSetParent);
    if (auto* pBox = DYNAMIC_DOWNCAST(_CSmsBox, pGroup))
        pBox->SetOwner(m_pOwner);
    return pos;
}

void _CSmsBox::SetOwner(CMsgAccountBase* pOwner) {
    m_pOwner = pOwner;
    for (POSITION pos = GetFirstSubBoxPosition(); pos != nullptr;) {
        if (_CSmsBox* pBox = GetNextSubBox(pos))
            pBox->SetOwner(pOwner);
    }
}

CString _CSmsBox::GetStandardBoxName(int nType) {
    if (!IsStandardBoxType(nType))
        return CString();
    // The outbox is named after what the user does there, not after its type ("待发信箱").
    return nType == BOX_OUTBOX ? CString("发信箱") : GetTypeName(nType);
}

void _CSmsBox::AddStandardSubBoxes() {
    for (int nType : {BOX_INBOX, BOX_OUTBOX, BOX_SENT, BOX_RECYCLE})
        AddSubBox(GetStandardBoxName(nType), nType);
}

_CSmsBox* _CSmsBox::AddSubBox(LPCTSTR lpszName, int nType, BOOL bSorted, POSITION posRef,
                              BOOL bAfter) {
    auto* pBox = new _CSmsBox(lpszName);
    pBox->m_nBoxType = nType;
    AddSubgroup(pBox, bSorted, posRef, bAfter, TRUE);
    return pBox;
}

POSITION _CSmsBox::AddSms(_CSms* pSms, BOOL bSorted, POSITION posRef, BOOL bAfter) {
    return AddContent(pSms, bSorted, posRef, bAfter, TRUE);
}

POSITION _CSmsBox::ReinsertSms(POSITION pos, BOOL bSorted, POSITION posRef, BOOL bAfter) {
    if (pos == nullptr)
        return nullptr;
    // Placed next to itself, the message stays where it is.
    if (pos == posRef)
        return pos;
    auto* pSms = static_cast<CContent*>(m_contents.GetAt(pos));
    m_contents.RemoveAt(pos);
    // The parent link is left as it is: a shared message keeps its owner.
    return AddContent(pSms, bSorted, posRef, bAfter, FALSE);
}

void _CSmsBox::CopySmsFrom(_CSmsBox* pSource, BOOL bSorted, POSITION posRef, BOOL bAfter,
                           BOOL bMove, BOOL bShare) {
    if (pSource == nullptr || pSource == this)
        return;
    // Taken in one go, so that moving out of the source cannot disturb the walk.
    CObList messages;
    messages.AddTail(&pSource->m_contents);
    POSITION posLast = nullptr;
    for (POSITION pos = messages.GetHeadPosition(); pos != nullptr;) {
        auto* pSms = static_cast<_CSms*>(messages.GetNext(pos));
        CContent* pAdded = pSms;
        // A message the source only borrowed stays with its owner whatever the mode.
        BOOL bTakeOwnership = !bShare;
        if (bMove) {
            bTakeOwnership = pSms->GetParent() == pSource;
            pSource->RemoveMessage(pSms, FALSE);
        } else if (!bShare) {
            pAdded = pSms->Clone();
        }
        // After the first, each one follows the previous, which keeps the source's order
        // whatever the placement.
        POSITION posNew = posLast != nullptr && !bSorted
                              ? AddContent(pAdded, FALSE, posLast, TRUE, FALSE)
                              : AddContent(pAdded, bSorted, posRef, bAfter, FALSE);
        if (bTakeOwnership)
            pAdded->SetParent(this);
        posLast = posNew;
    }
}

// ---- Questions ---------------------------------------------------------------------------------

_CSmsBox* _CSmsBox::GetNextSubBox(POSITION& pos) const {
    return DYNAMIC_DOWNCAST(_CSmsBox, GetNextSubgroup(pos));
}

_CSms* _CSmsBox::GetNextSms(POSITION& pos) const {
    return DYNAMIC_DOWNCAST(_CSms, GetNextContent(pos));
}

_CSmsBox* _CSmsBox::GetSubBoxAt(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetSubBoxCount())
        return nullptr;
    return DYNAMIC_DOWNCAST(_CSmsBox, GetAt(FindIndex(nIndex)));
}

_CSmsBox* _CSmsBox::GetParentBox() const {
    return DYNAMIC_DOWNCAST(_CSmsBox, GetParent());
}

_CSmsBox* _CSmsBox::FindNextSubBoxByType(int nType, POSITION& pos) const {
    while (pos != nullptr) {
        _CSmsBox* pBox = GetNextSubBox(pos);
        if (pBox != nullptr && pBox->m_nBoxType == nType)
            return pBox;
    }
    return nullptr;
}

namespace {

// Walks the messages of a box and, when recursive, of every box below it.
template <class F> void ForEachSms(const _CSmsBox& box, BOOL bRecursive, F&& visit) {
    for (POSITION pos = box.GetFirstSmsPosition(); pos != nullptr;) {
        if (const _CSms* pSms = box.GetNextSms(pos))
            visit(*pSms);
    }
    if (!bRecursive)
        return;
    for (POSITION pos = box.GetFirstSubBoxPosition(); pos != nullptr;) {
        if (const _CSmsBox* pBox = box.GetNextSubBox(pos))
            ForEachSms(*pBox, TRUE, visit);
    }
}

} // namespace

int _CSmsBox::CountSmsByState(int nState, BOOL bRecursive) const {
    int n = 0;
    ForEachSms(*this, bRecursive, [&](const _CSms& sms) {
        if (nState < 0 || sms.GetState() == nState)
            ++n;
    });
    return n;
}

int _CSmsBox::CountRecipientsByState(int nState, BOOL bRecursive) const {
    int n = 0;
    ForEachSms(*this, bRecursive, [&](const _CSms& sms) {
        if (sms.GetState() == nState)
            n += sms.GetRecipientCount();
    });
    return n;
}

int _CSmsBox::TotalRecipientCount(BOOL bRecursive) const {
    int n = 0;
    ForEachSms(*this, bRecursive, [&](const _CSms& sms) { n += sms.GetRecipientCount(); });
    return n;
}

int _CSmsBox::CollectSmsByState(CObList& list, int nState) const {
    int n = 0;
    ForEachSms(*this, FALSE, [&](const _CSms& sms) {
        if (sms.GetState() == nState) {
            list.AddTail(const_cast<_CSms*>(&sms));
            ++n;
        }
    });
    // Messages thrown away are not collected for sending or counting.
    for (POSITION pos = GetFirstSubBoxPosition(); pos != nullptr;) {
        const _CSmsBox* pBox = GetNextSubBox(pos);
        if (pBox != nullptr && pBox->m_nBoxType != BOX_RECYCLE)
            n += pBox->CollectSmsByState(list, nState);
    }
    return n;
}

BOOL _CSmsBox::Contains(const _CSms* pSms, BOOL bViaParents) const {
    if (pSms == nullptr)
        return FALSE;
    if (!bViaParents)
        return m_contents.Find(const_cast<_CSms*>(pSms)) != nullptr;
    const CGroup* pHolder = pSms->GetParent();
    return pHolder != nullptr && pHolder->IsSelfOrDescendantOf(this);
}

BOOL _CSmsBox::MoveSmsToBoxOfType(_CSms* pSms, int nType) {
    if (!Contains(pSms, FALSE))
        return FALSE;
    auto* pRoot = DYNAMIC_DOWNCAST(CMsgBoxBase, GetRootGroup());
    CMsgBoxBase* pDest = pRoot != nullptr ? pRoot->FindSubBoxByType(nType) : nullptr;
    if (pDest == nullptr)
        return FALSE;
    if (pDest == this)
        return TRUE;
    return pSms->MoveToBox(pDest);
}

CString _CSmsBox::GetBoxPath() const {
    CString path = m_strName;
    for (const CGroup* pGroup = GetParent(); pGroup != nullptr; pGroup = pGroup->GetParent())
        path = pGroup->GetName() + "\\" + path;
    return path;
}
