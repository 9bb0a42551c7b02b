#include "core/MsgBoxBase.h"

IMPLEMENT_DYNCREATE(CMsgBoxBase, CGroup)

namespace {

const CMsgBoxBase* AsBox(const CGroup* pGroup) {
    return static_cast<const CMsgBoxBase*>(
        AfxDynamicDownCast(RUNTIME_CLASS(CMsgBoxBase), static_cast<const CObject*>(pGroup)));
}

// A box's parent when that is a box too; a climb over the types of a tree stops at any other
// kind of group.
const CMsgBoxBase* ParentBox(const CMsgBoxBase* pBox) {
    return AsBox(pBox->GetParent());
}

// Types 0 to 4 pass their governing role up to the box that holds them.
bool InheritsType(int nType) {
    return nType >= CMsgBoxBase::BOX_INBOX && nType <= CMsgBoxBase::BOX_USER;
}

} // namespace

CIMessage* CIMessage::FromContent(CContent* pContent) {
    return dynamic_cast<CIMessage*>(pContent);
}

const CIMessage* CIMessage::FromContent(const CContent* pContent) {
    return dynamic_cast<const CIMessage*>(pContent);
}

CMsgBoxBase* CIMessage::GetBox(const CContent* pMessage) {
    if (pMessage == nullptr) {
        return nullptr;
    }
    return DYNAMIC_DOWNCAST(CMsgBoxBase, pMessage->GetParent());
}

CMsgBoxBase::CMsgBoxBase() : CGroup(nullptr) {}

BOOL CMsgBoxBase::CanMoveTo(const CMsgBoxBase* pDest) const {
    if (pDest == nullptr || pDest == this || pDest == GetParent()) {
        return FALSE;
    }
    // Boxes never move from one account to another.
    if (pDest->GetRootGroup() != GetRootGroup()) {
        return FALSE;
    }
    // No cycles.
    if (pDest->IsSelfOrDescendantOf(this)) {
        return FALSE;
    }
    if (IsStandardBoxType(m_nBoxType)) {
        return FALSE;
    }
    const int nOwn = GetTopLevelType();
    const int nDest = pDest->GetTopLevelType();
    return nDest < 0 || nDest == BOX_ANY || nDest == nOwn || nDest == BOX_RECYCLE ||
           nDest == BOX_USER;
}

BOOL CMsgBoxBase::AddMessage(CContent* pMessage) {
    if (pMessage == nullptr) {
        return FALSE;
    }
    // Adding a message that a group still lists would leave two owners to delete it. A parent
    // link without a list entry is a stale one (left by RemoveContentAt) and does not count.
    CGroup* pHolder = pMessage->GetParent();
    if (pHolder != nullptr && pHolder->FindContent(pMessage) != nullptr) {
        return FALSE;
    }
    return AddContent(pMessage, TRUE, nullptr, TRUE, TRUE) != nullptr;
}

POSITION CMsgBoxBase::GetFirstMessagePosition() const {
    return GetFirstContentPosition();
}

CContent* CMsgBoxBase::GetNextMessage(POSITION& pos) const {
    return GetNextContent(pos);
}

BOOL CMsgBoxBase::RemoveMessage(CContent* pMessage, BOOL bDelete) {
    return RemoveContent(pMessage, bDelete);
}

BOOL CMsgBoxBase::CanAcceptMessage(const CContent* pMessage) const {
    const CIMessage* pMsg = CIMessage::FromContent(pMessage);
    if (pMsg == nullptr) {
        return FALSE;
    }
    const CGroup* pHolder = pMessage->GetParent();
    const CMsgBoxBase* pCurrent = CIMessage::GetBox(pMessage);
    // Messages never move from one account to another.
    if (pHolder != nullptr && pHolder->GetRootGroup() != GetRootGroup()) {
        return FALSE;
    }
    if (pHolder == this) {
        return FALSE;
    }
    const int nOwn = GetTopLevelType();
    // The recycle box and the user's own boxes take anything.
    if (nOwn == BOX_RECYCLE || nOwn == BOX_USER) {
        return TRUE;
    }
    if (pCurrent == nullptr) {
        return FALSE;
    }
    if (nOwn == pCurrent->GetTopLevelType()) {
        return TRUE;
    }
    // Out of the recycle box or a user box a message goes back only to the kind of box its
    // state belongs in.
    if (pCurrent->IsInBoxOfType(BOX_RECYCLE) || pCurrent->IsInBoxOfType(BOX_USER)) {
        return nOwn == pMsg->GetStateImage();
    }
    return FALSE;
}

int CMsgBoxBase::GetTopLevelType() const {
    if (!InheritsType(m_nBoxType)) {
        return m_nBoxType;
    }
    int nType = m_nBoxType;
    for (const CMsgBoxBase* pBox = ParentBox(this);
         pBox != nullptr && InheritsType(pBox->m_nBoxType); pBox = ParentBox(pBox)) {
        nType = pBox->m_nBoxType;
    }
    return nType;
}

BOOL CMsgBoxBase::IsInBoxOfType(int nType) const {
    for (const CMsgBoxBase* pBox = this; pBox != nullptr; pBox = ParentBox(pBox)) {
        if (pBox->m_nBoxType == nType) {
            return TRUE;
        }
    }
    return FALSE;
}

CMsgBoxBase* CMsgBoxBase::FindSubBoxByType(int nType) const {
    for (POSITION pos = GetFirstSubgroupPosition(); pos != nullptr;) {
        CMsgBoxBase* pBox = DYNAMIC_DOWNCAST(CMsgBoxBase, GetNextSubgroup(pos));
        if (pBox != nullptr && pBox->m_nBoxType == nType) {
            return pBox;
        }
    }
    return nullptr;
}

CString CMsgBoxBase::GetTypeName(int nType) {
    switch (nType) {
    case BOX_INBOX:
        return "收信箱";
    case BOX_OUTBOX:
        return "待发信箱";
    case BOX_SENT:
        return "已发信箱";
    case BOX_RECYCLE:
        return "垃圾箱";
    case BOX_USER:
        return "用户自定义信箱";
    case BOX_ANY:
        return "可存放任何类型短信或信箱的信箱";
    default:
        return CString();
    }
}

BOOL CMsgBoxBase::IsStandardBoxType(int nType) {
    // Unsigned, so that the untyped box (-1) is not taken for a standard one.
    return (unsigned)nType <= (unsigned)BOX_RECYCLE;
}
