#include "ecard/ui/ECContactsTreeView.h"

#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECAccessViews.h"
#include "ecard/ui/ECAccountDialogs.h"
#include "ecard/ui/ECDialogs.h"
#include "ecard/ui/ECDlgFindContact.h"
#include "contacts/PersonFields.h"
#include "contacts/PersonDoc.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/FieldValueActions.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/PersonFileDialogs.h"
#include "platform/gui/CommonDialogs.h"
#include "ecard/ui/ECRightPaneFrame.h"
#include "platform/gui/Icon.h"
#include "platform/gui/Menu.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/MessageBox.h"

#include <functional>
#include <memory>

namespace {

BOOL IsDeregistered(const CECContact& contact) {
    return (contact.m_dwStatus & CECContact::STATUS_DEREGISTERED) != 0 || contact.m_nExists == 0 ||
           contact.m_nResult == EC_CONTACT_NOT_EXIST;
}

// Removes the object from wherever it is held and puts it into the group.
void MoveContactTo(CECContact* pContact, CECGroup* pGroup) {
    if (pContact->GetParent() == pGroup)
        return;
    if (pContact->GetParent() != nullptr)
        CGroup::MoveContent(pContact, pGroup, FALSE);
    else
        pGroup->AddContent(pContact, FALSE);
}

// The value sub-menus of a contact's menu: the fields each offers and the command range of each
// field's values (the value's index added to the range's start).
struct ValueField {
    int nField;
    UINT nFirst;
};
struct ValueMenu {
    ValueField fields[5];
    int nFields;
    UINT nAllId; // acting on every value; 0 for none
};
constexpr UINT kValueRange = 0x10000;
constexpr ValueMenu kValueMenus[3] = {
    {{{PF_EMAIL, 0x10000}, {PF_WORK_EMAIL, 0x210000}}, 2, 485},
    {{{PF_HOMEPAGE, 0x20000}, {PF_WORK_HOMEPAGE, 0x220000}}, 2, 486},
    {{{6, 0x30000}, {20, 0x130000}, {31, 0x230000}, {32, 0x240000}, {5, 0x40000}}, 5, 0},
};
constexpr int kMailFields[] = {PF_EMAIL, PF_WORK_EMAIL};
constexpr int kPageFields[] = {PF_HOMEPAGE, PF_WORK_HOMEPAGE};

// The contact whose card the values come from: the source of a link.
CECContact* CardOf(CObject* pObject) {
    auto* pContact = dynamic_cast<CECContact*>(pObject);
    if (pContact != nullptr && pContact->IsVirtual())
        if (auto* pSource = dynamic_cast<CECContact*>(pContact->GetVirtualSource()))
            return pSource;
    return pContact;
}

// The contacts program's own records for an e-card group: its name, its sub-groups and each
// contact's card, without the e-card extras a contacts file has no place for.
_CPerson* PlainCard(const CECContact& contact) {
    auto* pCard = new _CPerson(contact.GetName());
    pCard->CopyFrom(&contact);
    return pCard;
}

_CGroup* PlainGroup(const CGroup& group) {
    auto* pCopy = new _CGroup(group.GetName());
    for (POSITION pos = group.GetFirstSubgroupPosition(); pos != nullptr;)
        pCopy->AddSubgroup(PlainGroup(*group.GetNextSubgroup(pos)), FALSE);
    for (POSITION pos = group.GetFirstContentPosition(); pos != nullptr;)
        if (auto* pContact = dynamic_cast<const CECContact*>(group.GetNextContent(pos)))
            pCopy->AddContent(PlainCard(*CardOf(const_cast<CECContact*>(pContact))), FALSE);
    return pCopy;
}

} // namespace

BOOL FillContactValueMenus(CMenu& popup, CECContact& contact) {
    BOOL bAny = FALSE;
    for (int i = 0; i < 3; ++i) {
        CMenu* pSub = popup.GetSubMenu(i);
        if (pSub == nullptr)
            continue;
        while (pSub->GetMenuItemCount() > 0)
            pSub->DeleteMenu(0, MF_BYPOSITION);
        const ValueMenu& menu = kValueMenus[i];
        int n = 0;
        for (int f = 0; f < menu.nFields; ++f)
            n += FillFieldMenu(*pSub, contact, menu.fields[f].nField, menu.fields[f].nFirst, TRUE);
        if (n > 1 && menu.nAllId != 0) {
            pSub->AppendMenu(MF_SEPARATOR);
            pSub->AppendMenu(MF_STRING, menu.nAllId, i == 0 ? "发送所有Email" : "打开所有网址");
        }
        popup.EnableMenuItem(i, MF_BYPOSITION | (n > 0 ? MF_ENABLED : MF_GRAYED));
        bAny = bAny || n > 0;
    }
    return bAny;
}

BOOL OpenContactValueCommand(CECContact& contact, UINT nID) {
    for (const ValueMenu& menu : kValueMenus)
        for (int f = 0; f < menu.nFields; ++f)
            if (nID >= menu.fields[f].nFirst && nID < menu.fields[f].nFirst + kValueRange)
                return OpenFieldValue(contact, menu.fields[f].nField,
                                      (int)(nID - menu.fields[f].nFirst), FALSE);
    return FALSE;
}

CString GetContactLabel(const CECContact& contact) {
    // A contact the service has just brought may carry no name of its own yet.
    if (!contact.GetName().IsEmpty())
        return contact.GetName();
    if (!contact.m_strUserName.IsEmpty())
        return contact.m_strUserName;
    CString text;
    text.Format("%u", contact.m_nUid);
    return text;
}

IMPLEMENT_DYNCREATE(CECContactsTreeView, CTreeView)

BEGIN_MESSAGE_MAP(CECContactsTreeView, CTreeView)
ON_NOTIFY_REFLECT(TVN_SELCHANGED, &CECContactsTreeView::OnSelChanged)
ON_NOTIFY_REFLECT(NM_RCLICK, &CECContactsTreeView::OnRClick)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CECContactsTreeView::OnCustomDraw)
ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, &CECContactsTreeView::OnItemExpanded)
ON_NOTIFY_REFLECT(TVN_BEGINLABELEDIT, &CECContactsTreeView::OnBeginLabelEdit)
ON_NOTIFY_REFLECT(TVN_ENDLABELEDIT, &CECContactsTreeView::OnEndLabelEdit)
ON_WM_CAPTURECHANGED()
ON_COMMAND(1517, &CECContactsTreeView::OnCmdRename)
ON_COMMAND(485, &CECContactsTreeView::OnCmdMailAll)
ON_COMMAND(499, &CECContactsTreeView::OnCmdExportContact)
ON_COMMAND(1506, &CECContactsTreeView::OnCmdExportGroup)
ON_UPDATE_COMMAND_UI(499, &CECContactsTreeView::OnUpdateContactCommand)
ON_UPDATE_COMMAND_UI(1506, &CECContactsTreeView::OnUpdateExportGroup)
ON_COMMAND(486, &CECContactsTreeView::OnCmdOpenAllPages)
ON_UPDATE_COMMAND_UI(485, &CECContactsTreeView::OnUpdateContactCommand)
ON_UPDATE_COMMAND_UI(486, &CECContactsTreeView::OnUpdateContactCommand)
ON_COMMAND(32777, &CECContactsTreeView::OnCmdNewSubgroup)
ON_UPDATE_COMMAND_UI(1517, &CECContactsTreeView::OnUpdateRename)
ON_UPDATE_COMMAND_UI(32777, &CECContactsTreeView::OnUpdateNewSubgroup)
ON_COMMAND(1513, &CECContactsTreeView::OnCmdAddFriends)
ON_COMMAND(1514, &CECContactsTreeView::OnCmdAddStrangers)
ON_COMMAND(1516, &CECContactsTreeView::OnCmdDelete)
ON_COMMAND(311, &CECContactsTreeView::OnCmdDelete)
ON_COMMAND(1518, &CECContactsTreeView::OnCmdRefresh)
ON_COMMAND(1525, &CECContactsTreeView::OnCmdSync)
ON_COMMAND(1528, &CECContactsTreeView::OnCmdFindID)
ON_COMMAND(57636, &CECContactsTreeView::OnCmdFind)
ON_UPDATE_COMMAND_UI(57636, &CECContactsTreeView::OnUpdateFind)
ON_COMMAND(32846, &CECContactsTreeView::OnCmdGoUp)
ON_COMMAND(489, &CECContactsTreeView::OnCmdAllowRename)
ON_UPDATE_COMMAND_UI(1516, &CECContactsTreeView::OnUpdateDelete)
ON_UPDATE_COMMAND_UI(311, &CECContactsTreeView::OnUpdateDelete)
ON_UPDATE_COMMAND_UI(32846, &CECContactsTreeView::OnUpdateGoUp)
ON_UPDATE_COMMAND_UI(489, &CECContactsTreeView::OnUpdateAllowRename)
ON_UPDATE_COMMAND_UI(1513, &CECContactsTreeView::OnUpdateRequest)
ON_UPDATE_COMMAND_UI(1514, &CECContactsTreeView::OnUpdateRequest)
ON_UPDATE_COMMAND_UI(1518, &CECContactsTreeView::OnUpdateRequest)
ON_UPDATE_COMMAND_UI(1525, &CECContactsTreeView::OnUpdateRequest)
ON_MESSAGE(WM_USER + 400, &CECContactsTreeView::OnSelectItem)
ON_MESSAGE(WM_USER + 401, &CECContactsTreeView::OnShowCardField)
ON_COMMAND(1521, &CECContactsTreeView::OnCmdSetAccess)
ON_COMMAND(1530, &CECContactsTreeView::OnCmdLeaveMessage)
ON_UPDATE_COMMAND_UI(1530, &CECContactsTreeView::OnUpdateLeaveMessage)
ON_UPDATE_COMMAND_UI(1521, &CECContactsTreeView::OnUpdateSetAccess)
ON_MESSAGE(WM_USER + 101, &CECContactsTreeView::OnCardEdit)
END_MESSAGE_MAP()

CECContactsTreeView::CECContactsTreeView() = default;

CECContactsTreeView::~CECContactsTreeView() = default;

CECUserDoc* CECContactsTreeView::GetUserDoc() const {
    return dynamic_cast<CECUserDoc*>(GetDocument());
}

CECUser* CECContactsTreeView::GetUser() const {
    CECUserDoc* pDoc = GetUserDoc();
    return pDoc != nullptr ? &pDoc->GetUser() : nullptr;
}

BOOL CECContactsTreeView::IsBusy() const {
    CECUser* pUser = GetUser();
    return pUser == nullptr || pUser->IsBusy();
}

void CECContactsTreeView::OnInitialUpdate() {
    CTreeView::OnInitialUpdate();
    if (m_bSetUp)
        return;
    m_bSetUp = TRUE;
    CTreeCtrl& tree = GetTreeCtrl();
    tree.ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    tree.SetBkColor(kGround);
    m_drawHelper.m_pTree = &tree;
    m_drawHelper.SetBackgroundColor(kGround);
    m_badge.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    if (HICON h = ::LoadIcon(nullptr, MAKEINTRESOURCE(550)))
        m_badge.Add(h);
    MakeContactImages(m_images, 16);
    tree.SetImageList(&m_images, TVSIL_NORMAL);
    if (CECUser* pUser = GetUser())
        m_nOwnID = pUser->GetAccount().m_nUid;
    m_groupHelper.Attach(&tree);
    m_groupHelper.SetRuntimeClasses(RUNTIME_CLASS(CECGroup), RUNTIME_CLASS(CECContact));
    m_groupHelper.m_strDefaultGroupName = "新组";
    m_groupHelper.m_strDefaultContentName = "新联系人";
    m_groupHelper.SetImageIndexes(CLeftView::ImgGroup, CLeftView::ImgGroup, CLeftView::ImgOther,
                                  CLeftView::ImgOtherSel);
    // A new sub-group or contact made by the helper gets the picture a rebuild would give it.
    m_groupHelper.m_imageCallback = [](CObject* pRecord, int kind, int* pImage, int* pSelImage) {
        if (auto* pContact = dynamic_cast<CECContact*>(pRecord)) {
            CLeftView::ContactImages(pContact->GetInfo().m_personal.nSex, *pImage, *pSelImage);
        } else if (auto* pGroup = dynamic_cast<CGroup*>(pRecord)) {
            *pImage = *pSelImage =
                pGroup->GetParent() != nullptr ? CLeftView::ImgGroup : CLeftView::ImgFile;
        } else if (kind == 2) {
            *pImage = CLeftView::ImgOther;
            *pSelImage = CLeftView::ImgOtherSel;
        } else {
            *pImage = *pSelImage = CLeftView::ImgGroup;
        }
    };
    m_groupHelper.EnableLabelEdit(FALSE);
    m_dragHelper.Attach(this, &tree);
    m_dragHelper.SetDragCursors(LoadCursor(nullptr, MAKEINTRESOURCE(242)), nullptr,
                                LoadCursor(nullptr, MAKEINTRESOURCE(241)));
    m_dragHelper.SetCallbacks(
        this,
        [this](CWnd*, DRAGITEM item, DWORD, DRAGITEM target, int, int, BOOL bTest,
               BOOL bHasNext, int&) {
            if (bTest)
                return CanDrop((HTREEITEM)item, (HTREEITEM)target);
            return DropItem((HTREEITEM)item, (HTREEITEM)target, !bHasNext);
        },
        nullptr);
    Rebuild();
}

CECGroup* CECContactsTreeView::GroupOfKind(int nKind) const {
    CECUser* pUser = GetUser();
    if (pUser == nullptr)
        return nullptr;
    switch (nKind) {
    case KindFriends: return &pUser->GetFriends();
    case KindStrangers: return &pUser->GetStrangers();
    case KindDeregistered: return &pUser->GetDeregistered();
    default: return nullptr;
    }
}

HTREEITEM CECContactsTreeView::InsertObject(HTREEITEM hParent, CObject* pObject, int nImage) {
    CString text;
    int nSelImage = nImage;
    if (auto* pContact = dynamic_cast<CECContact*>(pObject)) {
        text = GetContactLabel(*pContact);
        CLeftView::ContactImages(pContact->GetInfo().m_personal.nSex, nImage, nSelImage);
    } else if (auto* pGroup = dynamic_cast<CGroup*>(pObject)) {
        text = pGroup->GetName();
    }
    HTREEITEM h = GetTreeCtrl().InsertItem(TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE,
                                           text, nImage, nSelImage, 0, 0, (LPARAM)pObject, hParent,
                                           TVI_LAST);
    // The records know their items: the label edits find a record's item through it.
    if (auto* pNode = dynamic_cast<CGroupItem*>(pObject))
        pNode->SetTreeItem((DWORD_PTR)h);
    return h;
}

void CECContactsTreeView::InsertGroupContents(HTREEITEM hParent, CECGroup* pGroup, int nDepth) {
    POSITION pos = pGroup->GetFirstSubgroupPosition();
    while (pos != nullptr) {
        auto* pSub = dynamic_cast<CECGroup*>(pGroup->GetNextSubgroup(pos));
        if (pSub == nullptr)
            continue;
        HTREEITEM h = InsertObject(hParent, pSub, CLeftView::ImgGroup);
        InsertGroupContents(h, pSub, nDepth + 1);
    }
    pos = pGroup->GetFirstContentPosition();
    while (pos != nullptr)
        if (auto* pContact = dynamic_cast<CECContact*>(pGroup->GetNextContent(pos)))
            InsertObject(hParent, pContact, CLeftView::ImgOther);
}

void CECContactsTreeView::Rebuild() {
    CTreeCtrl& tree = GetTreeCtrl();
    CObject* pSelected = GetItemObject(tree.GetSelectedItem());
    const int nSelectedKind = GetItemKind(tree.GetSelectedItem());
    m_hRoot = nullptr;
    tree.DeleteAllItems();
    m_hRoot = tree.InsertItem(TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE,
                              "电子名片联系人", CLeftView::ImgTop, CLeftView::ImgTop, 0, 0, 0,
                              TVI_ROOT, TVI_LAST);
    const int kinds[3] = {KindFriends, KindStrangers, KindDeregistered};
    for (int i = 0; i < 3; ++i) {
        CECGroup* pGroup = GroupOfKind(kinds[i]);
        if (pGroup == nullptr)
            continue;
        m_hGroups[i] = InsertObject(m_hRoot, pGroup, CLeftView::ImgGroup);
        InsertGroupContents(m_hGroups[i], pGroup, 1);
    }
    tree.Expand(m_hRoot, TVE_EXPAND);
    ShowExpandedImage(m_hRoot);
    for (HTREEITEM hGroup : m_hGroups)
        if (hGroup != nullptr) {
            tree.Expand(hGroup, TVE_EXPAND);
            ShowExpandedImage(hGroup);
        }
    HTREEITEM hSelect = nSelectedKind == KindRoot ? m_hRoot : FindItemOf(pSelected);
    if (hSelect != nullptr)
        tree.SelectItem(hSelect);
}

void CECContactsTreeView::ShowExpandedImage(HTREEITEM hItem) {
    CTreeCtrl& tree = GetTreeCtrl();
    const BOOL bOpen = (tree.GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    int nImage = -1;
    if (hItem == m_hRoot)
        nImage = bOpen ? CLeftView::ImgTopOpen : CLeftView::ImgTop;
    else if (dynamic_cast<CGroup*>(GetItemObject(hItem)) != nullptr)
        nImage = bOpen ? CLeftView::ImgGroupOpen : CLeftView::ImgGroup;
    if (nImage >= 0)
        tree.SetItemImage(hItem, nImage, nImage);
}

void CECContactsTreeView::OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    ShowExpandedImage(reinterpret_cast<NMTREEVIEW*>(pNMHDR)->itemNew.hItem);
}

int CECContactsTreeView::GetItemKind(HTREEITEM hItem) const {
    if (hItem == nullptr)
        return KindNone;
    if (hItem == m_hRoot)
        return KindRoot;
    for (int i = 0; i < 3; ++i)
        if (hItem == m_hGroups[i])
            return KindFriends + i;
    CObject* pObject = GetItemObject(hItem);
    if (dynamic_cast<CECContact*>(pObject) != nullptr)
        return KindContact;
    if (dynamic_cast<CECGroup*>(pObject) != nullptr)
        return KindSubgroup;
    return KindNone;
}

CObject* CECContactsTreeView::GetItemObject(HTREEITEM hItem) const {
    return hItem != nullptr ? reinterpret_cast<CObject*>(GetTreeCtrl().GetItemData(hItem)) : nullptr;
}

HTREEITEM CECContactsTreeView::GetGroupItem(int nKind) const {
    return nKind >= KindFriends && nKind <= KindDeregistered ? m_hGroups[nKind - KindFriends]
                                                              : nullptr;
}

void CECContactsTreeView::FindItem(HTREEITEM hStart, const CObject* pObject,
                                   HTREEITEM& hFound) const {
    const CTreeCtrl& tree = GetTreeCtrl();
    for (HTREEITEM h = hStart; h != nullptr && hFound == nullptr; h = tree.GetNextSiblingItem(h)) {
        if (GetItemObject(h) == pObject) {
            hFound = h;
            return;
        }
        FindItem(tree.GetChildItem(h), pObject, hFound);
    }
}

HTREEITEM CECContactsTreeView::FindItemOf(const CObject* pObject) const {
    if (pObject == nullptr)
        return nullptr;
    HTREEITEM hFound = nullptr;
    FindItem(m_hRoot, pObject, hFound);
    return hFound;
}

HTREEITEM CECContactsTreeView::GetTopGroupItem(HTREEITEM hItem) const {
    const CTreeCtrl& tree = GetTreeCtrl();
    while (hItem != nullptr && hItem != m_hRoot) {
        HTREEITEM hParent = tree.GetParentItem(hItem);
        if (hParent == m_hRoot)
            return hItem;
        hItem = hParent;
    }
    return nullptr;
}

CECGroup* CECContactsTreeView::TargetGroup(HTREEITEM hItem) const {
    if (GetItemKind(hItem) == KindContact)
        hItem = GetTreeCtrl().GetParentItem(hItem);
    return dynamic_cast<CECGroup*>(GetItemObject(hItem));
}

void CECContactsTreeView::OnSelChanged(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    const int nKind = GetItemKind(hItem);
    CECUserDoc* pDoc = GetUserDoc();
    if (pDoc == nullptr)
        return;
    CObject* pObject = GetItemObject(hItem);
    if (nKind == KindRoot)
        pObject = &pDoc->GetUser().GetRootGroup();
    pDoc->SetCurrentObject(pObject);
    if (m_pRightPane != nullptr)
        m_pRightPane->SetMode(nKind == KindContact ? EC_MODE_CONTACT : EC_MODE_GROUP, this);
    pDoc->UpdateAllViews(this, 0);
}

LRESULT CECContactsTreeView::OnSelectItem(WPARAM, LPARAM lParam) {
    HTREEITEM hItem = lParam != 0 ? reinterpret_cast<HTREEITEM>(lParam) : m_hRoot;
    if (GetTreeCtrl().GetSelectedItem() != hItem)
        GetTreeCtrl().SelectItem(hItem);
    return 0;
}

void CECContactsTreeView::OnRClick(NMHDR*, LRESULT* pResult) {
    *pResult = 1;
    CPoint point;
    ::GetCursorPos(&point);
    CPoint client = point;
    ScreenToClient(&client);
    UINT nFlags = 0;
    HTREEITEM hItem = GetTreeCtrl().HitTest(client, &nFlags);
    if (hItem != nullptr)
        ShowItemMenu(hItem, point);
}

void CECContactsTreeView::ShowItemMenu(HTREEITEM hItem, CPoint point) {
    // A group hidden behind its password offers nothing.
    const DWORD locked = CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED;
    CObject* pObject = GetItemObject(hItem);
    const CGroup* pGroup = dynamic_cast<const CGroup*>(pObject);
    if (pGroup == nullptr && pObject != nullptr)
        if (auto* pContact = dynamic_cast<CECContact*>(pObject))
            pGroup = pContact->GetParent();
    if (pGroup != nullptr && (pGroup->GetFlags() & locked) == locked)
        return;
    GetTreeCtrl().SelectItem(hItem);
    CMenu menu;
    if (!menu.LoadMenu(2002))
        return;
    const int nKind = GetItemKind(hItem);
    CMenu* pPopup = menu.GetSubMenu(nKind == KindRoot ? 0 : nKind == KindContact ? 2 : 1);
    CWnd* pTop = GetTopLevelParent();
    if (pPopup == nullptr || pTop == nullptr)
        return;
    if (nKind != KindContact) {
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, pTop);
        return;
    }
    CECContact* pCard = CardOf(pObject);
    FillContactValueMenus(*pPopup, *pCard);
    // The values' commands are ours alone; every other choice goes to the window as usual.
    const UINT nID = pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                            point.x, point.y, pTop);
    if (nID == 0)
        return;
    if (!OpenContactValueCommand(*pCard, nID) && nID < kValueRange)
        pTop->SendMessage(WM_COMMAND, nID, 0);
}

// ---- drawing ----

int CECContactsTreeView::CountUnread(const CObject* pObject) {
    if (const auto* pContact = dynamic_cast<const CECContact*>(pObject))
        return pContact->CountSmsByState(_CSms::STATE_UNREAD);
    const auto* pGroup = dynamic_cast<const CGroup*>(pObject);
    if (pGroup == nullptr)
        return 0;
    int n = 0;
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;)
        n += CountUnread(pGroup->GetNextContent(pos));
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;)
        n += CountUnread(pGroup->GetNextSubgroup(pos));
    return n;
}

CString CECContactsTreeView::GetItemExtraText(HTREEITEM hItem, COLORREF& colour,
                                              int& nUnread) const {
    CString text;
    nUnread = 0;
    const int nKind = GetItemKind(hItem);
    CObject* pObject = GetItemObject(hItem);
    if (nKind == KindContact) {
        const auto* pContact = static_cast<const CECContact*>(pObject);
        nUnread = CountUnread(pContact);
        colour = RGB(0, 0, 255);
        if (nUnread > 0) {
            text.Format("%d", nUnread);
        } else {
            text.Format("(%u)", pContact->m_nUid);
            if (pContact->m_nUid == m_nOwnID)
                colour = RGB(255, 0, 0); // the user's own card
        }
    } else if (nKind >= KindFriends && nKind <= KindSubgroup && nKind != KindContact) {
        const auto* pGroup = static_cast<const CGroup*>(pObject);
        colour = 0x2D40D4;
        FormatItemCount(pGroup->GetContentCount(FALSE, TRUE), pGroup->GetContentCount(TRUE, TRUE),
                        text);
        nUnread = CountUnread(pGroup);
    }
    return text;
}

void CECContactsTreeView::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT:
        *pResult = CDRF_NOTIFYPOSTPAINT;
        break;
    case CDDS_ITEMPOSTPAINT:
        DrawItemExtras(CDC::FromHandle(cd->nmcd.hdc), (HTREEITEM)cd->nmcd.dwItemSpec);
        *pResult = CDRF_DODEFAULT;
        break;
    default:
        *pResult = CDRF_DODEFAULT;
        break;
    }
}

void CECContactsTreeView::DrawItemExtras(CDC* pDC, HTREEITEM hItem) {
    if (pDC == nullptr || hItem == nullptr)
        return;
    COLORREF colour = 0;
    int nUnread = 0;
    CString text = GetItemExtraText(hItem, colour, nUnread);
    const int nKind = GetItemKind(hItem);
    int offset = 2;
    if (!text.IsEmpty())
        offset += m_drawHelper.DrawTextAfterItem(pDC, hItem, text, colour, offset);
    if (nUnread > 0 && nKind != KindContact) {
        CString count;
        count.Format(" %d", nUnread);
        offset += m_drawHelper.DrawTextAfterItem(pDC, hItem, count, RGB(0, 0, 255), offset);
    }
    if (nUnread > 0 && m_badge.GetImageCount() > 0) {
        CRect rect;
        if (GetTreeCtrl().GetItemRect(hItem, &rect, TRUE))
            m_badge.Draw(pDC, 0, CPoint(rect.right + offset + 2, rect.top + (rect.Height() - 16) / 2),
                         ILD_TRANSPARENT);
    }
}

// ---- commands ----

void CECContactsTreeView::ForgetPending() {
    m_pending.clear();
    m_pTarget = nullptr;
}

void CECContactsTreeView::AddContacts(BOOL bFriends) {
    CECUser* pUser = GetUser();
    if (pUser == nullptr || pUser->IsBusy())
        return;
    CECDlgAddContacts dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    ForgetPending();
    pUser->BeginRequest(this);
    dlg.FillRequestSet(*pUser);
    // A number the user holds already goes with its contact.
    CECContactMap& set = pUser->GetRequestSet();
    CDWordArray numbers;
    POSITION pos = set.GetStartPosition();
    while (pos != nullptr) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        set.GetNextAssoc(pos, nUid, pContact);
        numbers.Add(nUid);
    }
    for (INT_PTR i = 0; i < numbers.GetSize(); ++i) {
        const UINT nUid = (UINT)numbers[i];
        if (CECContact* pHeld = pUser->GetRootGroup().FindByNumber(nUid)) {
            set.SetAt(nUid, pHeld);
            m_pending.push_back(pHeld);
        }
    }
    if (set.IsEmpty())
        return;
    HTREEITEM hSelected = GetTreeCtrl().GetSelectedItem();
    CECGroup* pTarget = TargetGroup(hSelected);
    const int nWanted = bFriends ? KindFriends : KindStrangers;
    if (pTarget == nullptr || GetItemKind(GetTopGroupItem(FindItemOf(pTarget))) != nWanted)
        pTarget = GroupOfKind(nWanted);
    m_pTarget = pTarget;
    pUser->StartOperation(bFriends ? EC_OP_ADD_FRIENDS : EC_OP_ADD_CONTACTS);
}

void CECContactsTreeView::DeleteSelected() {
    CECUser* pUser = GetUser();
    if (pUser == nullptr || pUser->IsBusy())
        return;
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    const int nKind = GetItemKind(hItem);
    if (nKind != KindContact && nKind != KindSubgroup)
        return;
    if (AfxMessageBox("您真的要删除该项吗？", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    DeleteObjects({GetItemObject(hItem)});
}

void CECContactsTreeView::DeleteObjects(const std::vector<CObject*>& objects) {
    CECUser* pUser = GetUser();
    CECUserDoc* pDoc = GetUserDoc();
    if (pUser == nullptr || pDoc == nullptr || pUser->IsBusy())
        return;
    // Strangers and deregistered users are only this user's records: removed here, nothing is
    // sent. Friends leave through one request; the tree moves them when the answer comes.
    std::vector<CObject*> local, remote;
    int nTopShown = KindNone;
    for (CObject* pObject : objects) {
        HTREEITEM hItem = FindItemOf(pObject);
        const int nKind = GetItemKind(hItem);
        if (nKind != KindContact && nKind != KindSubgroup)
            continue;
        const int nTop = GetItemKind(GetTopGroupItem(hItem));
        if (nTopShown == KindNone)
            nTopShown = nTop;
        auto* pGroup = dynamic_cast<CECGroup*>(pObject);
        if (nTop != KindFriends || (pGroup != nullptr && pGroup->GetContentCount(TRUE, TRUE) == 0))
            local.push_back(pObject);
        else
            remote.push_back(pObject);
    }
    if (!local.empty()) {
        // Nothing may keep pointing at them afterwards.
        ForgetPending();
        pDoc->SetCurrentObject(nullptr);
        GetTreeCtrl().SelectItem(nullptr);
        for (CObject* pObject : local) {
            if (auto* pContact = dynamic_cast<CECContact*>(pObject))
                pContact->GetParent()->RemoveContent(pContact, TRUE);
            else if (auto* pGroup = dynamic_cast<CECGroup*>(pObject))
                pGroup->RemoveFromParent(TRUE);
        }
        pDoc->SetModifiedFlag();
        Rebuild();
        GetTreeCtrl().SelectItem(GetGroupItem(nTopShown));
    }
    if (remote.empty())
        return;
    ForgetPending();
    pUser->BeginRequest(this);
    BOOL bFirst = TRUE;
    for (CObject* pObject : remote) {
        if (auto* pGroup = dynamic_cast<CECGroup*>(pObject))
            pUser->AddToRequest(pGroup, bFirst);
        else
            pUser->AddToRequest(static_cast<CECContact*>(pObject), bFirst);
        bFirst = FALSE;
        m_pending.push_back(pObject);
    }
    m_pTarget = &pUser->GetStrangers();
    pUser->StartOperation(EC_OP_REMOVE_FRIENDS);
}

void CECContactsTreeView::Refresh(BOOL bAll) {
    CECUser* pUser = GetUser();
    if (pUser == nullptr || pUser->IsBusy())
        return;
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    const int nKind = GetItemKind(hItem);
    ForgetPending();
    pUser->BeginRequest(this);
    if (bAll || nKind == KindRoot || nKind == KindNone) {
        pUser->AddToRequest(&pUser->GetRootGroup(), TRUE);
    } else if (auto* pContact = dynamic_cast<CECContact*>(GetItemObject(hItem))) {
        pUser->AddToRequest(pContact, TRUE);
        m_pending.push_back(pContact);
    } else if (auto* pGroup = dynamic_cast<CECGroup*>(GetItemObject(hItem))) {
        pUser->AddToRequest(pGroup, TRUE);
        m_pending.push_back(pGroup);
    }
    pUser->StartOperation(bAll ? EC_OP_SYNC_FRIENDS : EC_OP_DOWNLOAD);
}

void CECContactsTreeView::FindByID() {
    CECUser* pUser = GetUser();
    if (pUser == nullptr)
        return;
    CECDlgFindContactID dlg(this);
    for (;;) {
        if (dlg.DoModal() != IDOK)
            return;
        CECGroup* pScope = nullptr;
        if (dlg.m_nScope == 0)
            pScope = TargetGroup(GetTreeCtrl().GetSelectedItem());
        CECContact* pFound = nullptr;
        if (pScope != nullptr) {
            pFound = pScope->FindByNumber(dlg.m_nID);
        } else {
            pFound = pUser->GetRootGroup().FindByNumber(dlg.m_nID);
        }
        if (pFound != nullptr) {
            if (HTREEITEM h = FindItemOf(pFound))
                GetTreeCtrl().SelectItem(h);
            return;
        }
        if (AfxMessageBox("未找到指定的联系人！需要重新查找吗？", MB_YESNO | MB_ICONSTOP) != IDYES)
            return;
    }
}

void CECContactsTreeView::FindContact() {
    CECUser* pUser = GetUser();
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    const int nKind = GetItemKind(hItem);
    if (pUser == nullptr || nKind == KindNone || nKind == KindContact)
        return;
    CECGroup* pGroup = nKind == KindRoot ? &pUser->GetRootGroup()
                                         : dynamic_cast<CECGroup*>(GetItemObject(hItem));
    if (pGroup == nullptr)
        return;
    CECDlgFindContact dlg(pGroup, this, &m_strFindText);
    dlg.SetItemImages(&m_images, [](CObject* pItem) {
        int nImage = CLeftView::ImgGroup, nSelImage = CLeftView::ImgGroup;
        if (auto* pContact = dynamic_cast<CECContact*>(pItem))
            CLeftView::ContactImages(pContact->GetInfo().m_personal.nSex, nImage, nSelImage);
        return nImage;
    });
    // A contact the service brought may have no name of its own: rows read as the tree does.
    dlg.SetItemLabels([](CObject* pItem) {
        if (auto* pContact = dynamic_cast<CECContact*>(pItem))
            return GetContactLabel(*pContact);
        auto* pGroup = dynamic_cast<CGroup*>(pItem);
        return pGroup != nullptr ? pGroup->GetName() : CString();
    });
    dlg.DoModal();
}

void CECContactsTreeView::OnUpdateFind(CCmdUI* pCmdUI) {
    const int nKind = GetItemKind(GetTreeCtrl().GetSelectedItem());
    pCmdUI->Enable(nKind != KindNone && nKind != KindContact);
}

BOOL CECContactsTreeView::PassesOn(UINT nID) const {
    const int nView = m_pRightPane != nullptr ? m_pRightPane->GetCurrentViewNumber() : 0;
    const CWnd* pFocus = CWnd::GetFocus();
    const BOOL bTreeFocus = pFocus == this || pFocus == &GetTreeCtrl();
    switch (nID) {
    case 311:
        return !bTreeFocus && (nView == EC_VIEW_PERSON_LIST || nView == EC_VIEW_MESSAGES);
    case 1516:
    case 1530:
        return !bTreeFocus && nView == EC_VIEW_PERSON_LIST;
    case 1521:
        return !bTreeFocus && (nView == EC_VIEW_PERSON_LIST || nView == EC_VIEW_ACCESS_LIST);
    default:
        return FALSE;
    }
}

BOOL CECContactsTreeView::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                                   AFX_CMDHANDLERINFO* pHandlerInfo) {
    // While a card is being edited the selection must stay: no command at all.
    if (m_bCardEditing)
        return FALSE;
    // The right pane's list acts on its own selection while it (not the tree) has the focus.
    if (PassesOn(nID))
        return FALSE;
    return CTreeView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

LRESULT CECContactsTreeView::OnCardEdit(WPARAM wParam, LPARAM lParam) {
    CWnd* pParent = GetParent();
    CFrameWnd* pFrame = GetParentFrame();
    if (wParam == 100) {
        m_bCardEditing = TRUE;
        if (pParent != nullptr && pParent != pFrame)
            pParent->EnableWindow(FALSE);
    } else if (wParam == 102) {
        CECUserDoc* pDoc = GetUserDoc();
        CECContact* pContact = pDoc != nullptr ? pDoc->GetCurrentContact() : nullptr;
        if (lParam == 32821 && pContact != nullptr)
            if (HTREEITEM hItem = FindItemOf(pContact))
                if (GetTreeCtrl().GetItemText(hItem) != GetContactLabel(*pContact))
                    GetTreeCtrl().SetItemText(hItem, GetContactLabel(*pContact));
        m_bCardEditing = FALSE;
        if (pParent != nullptr && pParent != pFrame)
            pParent->EnableWindow(TRUE);
    } else if (wParam == CDlgFindPerson::FOUND_ITEM_CODE) {
        auto* pFound = reinterpret_cast<const SFindResult*>(lParam);
        if (HTREEITEM hItem = pFound != nullptr ? FindItemOf(pFound->pItem) : nullptr)
            GetTreeCtrl().SelectItem(hItem);
        return 0;
    } else {
        return 0;
    }
    if (pFrame != nullptr)
        pFrame->SendMessage(WM_USER + 101, wParam, lParam);
    return 0;
}

LRESULT CECContactsTreeView::OnShowCardField(WPARAM wParam, LPARAM lParam) {
    // The modification time has no place on the card.
    if (wParam == 45 || m_pRightPane == nullptr)
        return 0;
    m_pRightPane->SendMessage(WM_COMMAND, ID_EC_VIEW_CARD_FORM, 0);
    if (CWnd* pView = m_pRightPane->GetViewWnd(m_pRightPane->GetCurrentViewNumber()))
        return pView->SendMessage(WM_USER + 401, wParam, lParam);
    return 0;
}

// The friends (a contact, or a group with at least one contact) the selection's access command
// applies to; the root stands for the friends group. Empty outside the friends.
std::vector<CObject*> CECContactsTreeView::SelectedAccessObjects() const {
    std::vector<CObject*> objects;
    CECUser* pUser = GetUser();
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    if (pUser == nullptr || hItem == nullptr)
        return objects;
    CObject* pObject = nullptr;
    if (hItem == m_hRoot)
        pObject = &pUser->GetFriends();
    else if (GetItemKind(GetTopGroupItem(hItem)) == KindFriends)
        pObject = GetItemObject(hItem);
    auto* pGroup = dynamic_cast<CGroup*>(pObject);
    if (pGroup != nullptr && pGroup->GetContentCount(TRUE, TRUE) == 0)
        pObject = nullptr;
    if (pObject != nullptr)
        objects.push_back(pObject);
    return objects;
}

void CECContactsTreeView::OnCmdSetAccess() {
    SetAccess(SelectedAccessObjects());
}

void CECContactsTreeView::OnUpdateSetAccess(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!IsBusy() && !SelectedAccessObjects().empty());
}

BOOL CECContactsTreeView::SetAccess(const std::vector<CObject*>& objects) {
    CECUser* pUser = GetUser();
    if (pUser == nullptr || pUser->IsBusy() || objects.empty())
        return FALSE;
    CECDlgModifyAccess dlg(pUser, objects, GetTopLevelParent());
    if (dlg.DoModal() != IDOK || dlg.m_chosen.empty())
        return FALSE;
    ForgetPending();
    pUser->BeginRequest(this);
    BOOL bFirst = TRUE;
    for (CObject* pObject : dlg.m_chosen) {
        if (auto* pGroup = dynamic_cast<CECGroup*>(pObject))
            pUser->AddToRequest(pGroup, bFirst);
        else
            pUser->AddToRequest(static_cast<CECContact*>(pObject), bFirst);
        bFirst = FALSE;
        m_pending.push_back(pObject);
    }
    pUser->m_pendingAccess = dlg.m_values;
    pUser->m_pendingMasks = dlg.m_changes;
    pUser->StartOperation(EC_OP_SET_ACCESS);
    return TRUE;
}

void CECContactsTreeView::LeaveMessage(const std::vector<CObject*>& objects) {
    CECUser* pUser = GetUser();
    if (pUser == nullptr)
        return;
    CString ids;
    for (CObject* pObject : objects) {
        std::vector<CObject*> stack{pObject};
        auto add = [&ids](const CECContact* pContact) {
            if (!ids.IsEmpty())
                ids += ",";
            ids.AppendFormat("%u", pContact->m_nUid);
        };
        if (auto* pContact = dynamic_cast<CECContact*>(pObject)) {
            add(pContact);
            continue;
        }
        // A group: its contacts, depth first.
        std::function<void(CGroup*)> walk = [&](CGroup* pGroup) {
            for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;)
                if (auto* pContact = dynamic_cast<CECContact*>(pGroup->GetNextContent(pos)))
                    add(pContact);
            for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;)
                walk(pGroup->GetNextSubgroup(pos));
        };
        if (auto* pGroup = dynamic_cast<CGroup*>(pObject))
            walk(pGroup);
    }
    if (ids.IsEmpty())
        return;
    CECDlgLeaveMessage dlg(pUser, ids, this);
    dlg.DoModal();
}

void CECContactsTreeView::OnCmdLeaveMessage() {
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    if (hItem != nullptr && hItem != m_hRoot)
        LeaveMessage({GetItemObject(hItem)});
}

void CECContactsTreeView::OnUpdateLeaveMessage(CCmdUI* pCmdUI) {
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    pCmdUI->Enable(hItem != nullptr && hItem != m_hRoot);
}

void CECContactsTreeView::GoUp() {
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    if (hItem != nullptr && hItem != m_hRoot)
        GetTreeCtrl().SelectItem(GetTreeCtrl().GetParentItem(hItem));
}

// ---- label edits ----

void CECContactsTreeView::OnCmdAllowRename() {
    m_bAllowRename = !m_bAllowRename;
    m_groupHelper.EnableLabelEdit(m_bAllowRename);
}

void CECContactsTreeView::Rename() {
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    const int nKind = GetItemKind(hItem);
    if (nKind == KindContact)
        m_groupHelper.RenameContent(hItem, TRUE);
    else if (nKind == KindSubgroup)
        m_groupHelper.RenameGroup(hItem, TRUE);
}

void CECContactsTreeView::NewSubgroup() {
    CTreeCtrl& tree = GetTreeCtrl();
    m_groupHelper.FinishLabelEdit();
    HTREEITEM hItem = tree.GetSelectedItem();
    const int nKind = GetItemKind(hItem);
    if (nKind == KindRoot || nKind == KindNone)
        return;
    if (nKind == KindContact) {
        hItem = tree.GetParentItem(hItem);
        tree.SelectItem(hItem);
    }
    m_hEditParent = hItem;
    m_groupHelper.NewGroup(TRUE, hItem);
}

void CECContactsTreeView::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* di = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
    const int nKind = GetItemKind(di->item.hItem);
    BOOL bAllow = FALSE;
    if (m_groupHelper.IsEditing())
        bAllow = TRUE; // a rename or a new sub-group asked for by command
    else if (m_bAllowRename && (nKind == KindContact || nKind == KindSubgroup))
        bAllow = m_groupHelper.BeginRename(di->item.hItem);
    *pResult = bAllow ? 0 : 1;
}

void CECContactsTreeView::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* di = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
    *pResult = 0;
    HTREEITEM hItem = di->item.hItem;
    const BOOL bNew = m_groupHelper.GetEditMode() == CGroupHelper::EditNewGroup;
    // An emptied label keeps the old name; a new sub-group keeps the proposed one.
    if (di->item.pszText != nullptr && di->item.pszText[0] != 0)
        GetTreeCtrl().SetItemText(hItem, di->item.pszText);
    HTREEITEM hParent = m_hEditParent;
    m_hEditParent = nullptr;
    HTREEITEM hDone = m_groupHelper.EndLabelEdit(hParent, hItem);
    CObject* pDone = GetItemObject(hDone);
    if (pDone == nullptr && !bNew)
        pDone = GetItemObject(hItem);
    if (CECUserDoc* pDoc = GetUserDoc()) {
        if (hDone != nullptr)
            pDoc->SetModifiedFlag();
        Rebuild();
        if (HTREEITEM h = FindItemOf(pDone))
            GetTreeCtrl().SelectItem(h);
        else if (bNew && hParent != nullptr)
            GetTreeCtrl().SelectItem(FindItemOf(GetItemObject(hParent)));
        pDoc->UpdateAllViews(this, 0);
    }
}

void CECContactsTreeView::OnUpdateRename(CCmdUI* pCmdUI) {
    const int nKind = GetItemKind(GetTreeCtrl().GetSelectedItem());
    pCmdUI->Enable(nKind == KindContact || nKind == KindSubgroup);
}

void CECContactsTreeView::OnUpdateNewSubgroup(CCmdUI* pCmdUI) {
    const int nKind = GetItemKind(GetTreeCtrl().GetSelectedItem());
    pCmdUI->Enable(nKind != KindRoot && nKind != KindNone);
}

// ---- a contact's values ----

void CECContactsTreeView::OnCmdMailAll() {
    if (CECContact* pCard = CardOf(GetItemObject(GetTreeCtrl().GetSelectedItem())))
        MailAllFieldValues(*pCard, kMailFields, 2, FALSE);
}

void CECContactsTreeView::OnCmdOpenAllPages() {
    if (CECContact* pCard = CardOf(GetItemObject(GetTreeCtrl().GetSelectedItem())))
        OpenAllFieldValues(*pCard, kPageFields, 2);
}

void CECContactsTreeView::OnCmdExportContact() {
    CECContact* pCard = CardOf(GetItemObject(GetTreeCtrl().GetSelectedItem()));
    if (pCard == nullptr)
        return;
    std::unique_ptr<_CPerson> plain(PlainCard(*pCard));
    SavePersonAs(plain.get(), nullptr, this);
}

void CECContactsTreeView::OnCmdExportGroup() {
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    const int nKind = GetItemKind(hItem);
    CECUser* pUser = GetUser();
    if (pUser == nullptr || nKind == KindContact || nKind == KindNone)
        return;
    const CGroup* pGroup = nKind == KindRoot ? &pUser->GetRootGroup()
                                             : dynamic_cast<const CGroup*>(GetItemObject(hItem));
    if (pGroup == nullptr)
        return;
    CString filter;
    filter.Format("%s (*.sms)|*.sms||", "通讯录文件");
    CFileDialog dlg(FALSE, "sms", CPersonDoc::MakeFileName(GetTreeCtrl().GetItemText(hItem)),
                    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter, this);
    if (dlg.DoModal() != IDOK)
        return;
    CSmsDoc doc;
    doc.GetRootGroup().AddSubgroup(PlainGroup(*pGroup), FALSE);
    doc.OnSaveDocument(dlg.GetPathName()); // a failure is told by the document
}

void CECContactsTreeView::OnUpdateExportGroup(CCmdUI* pCmdUI) {
    const int nKind = GetItemKind(GetTreeCtrl().GetSelectedItem());
    pCmdUI->Enable(nKind != KindContact && nKind != KindNone);
}

void CECContactsTreeView::OnUpdateContactCommand(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetItemKind(GetTreeCtrl().GetSelectedItem()) == KindContact);
}

// ---- drag and drop ----

BOOL CECContactsTreeView::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->hwnd == GetTreeCtrl().m_hWnd && m_dragHelper.FilterMessage(pMsg))
        return TRUE;
    return CTreeView::PreTranslateMessage(pMsg);
}

BOOL CECContactsTreeView::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT* pResult) {
    if (m_dragHelper.OnMessage(message, wParam, lParam)) {
        if (pResult != nullptr)
            *pResult = 0;
        return TRUE;
    }
    return CTreeView::OnChildNotify(message, wParam, lParam, pResult);
}

void CECContactsTreeView::OnCaptureChanged(CWnd* pWnd) {
    m_dragHelper.OnMessage(WM_CAPTURECHANGED, 0,
                           (LPARAM)(pWnd != nullptr ? pWnd->m_hWnd : nullptr));
    Default();
}

BOOL CECContactsTreeView::CanDrop(HTREEITEM hSource, HTREEITEM hTarget) const {
    if (IsBusy() || hSource == nullptr || hTarget == nullptr)
        return FALSE;
    const int nSource = GetItemKind(hSource);
    if (nSource != KindContact && nSource != KindSubgroup)
        return FALSE;
    const int nTarget = GetItemKind(hTarget);
    if (nTarget != KindFriends && nTarget != KindStrangers && nTarget != KindSubgroup)
        return FALSE;
    const CTreeCtrl& tree = GetTreeCtrl();
    const int nTargetTop = GetItemKind(GetTopGroupItem(hTarget));
    if (nTargetTop == KindDeregistered)
        return FALSE;
    if (tree.GetParentItem(hSource) == hTarget)
        return FALSE;
    for (HTREEITEM h = hTarget; h != nullptr; h = tree.GetParentItem(h))
        if (h == hSource)
            return FALSE;
    if (GetItemKind(GetTopGroupItem(hSource)) == KindDeregistered && nTargetTop == KindStrangers)
        return FALSE;
    const auto* pGroup = dynamic_cast<const CGroup*>(GetItemObject(hTarget));
    const DWORD locked = CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED;
    return pGroup != nullptr && (pGroup->GetFlags() & locked) != locked;
}

BOOL CECContactsTreeView::DropItem(HTREEITEM hSource, HTREEITEM hTarget, BOOL bLast) {
    CECUser* pUser = GetUser();
    BOOL bDone = FALSE;
    if (pUser != nullptr && CanDrop(hSource, hTarget)) {
        CObject* pObject = GetItemObject(hSource);
        auto* pTarget = static_cast<CECGroup*>(GetItemObject(hTarget));
        auto* pGroup = dynamic_cast<CECGroup*>(pObject);
        auto* pContact = dynamic_cast<CECContact*>(pObject);
        const BOOL bSameTop = GetTopGroupItem(hSource) == GetTopGroupItem(hTarget);
        if (bSameTop || (pGroup != nullptr && pGroup->GetContentCount(TRUE, TRUE) == 0)) {
            // Within one top group, or a sub-group with nobody in it: nothing to ask the service.
            if (pGroup != nullptr)
                pGroup->MoveTo(pTarget, FALSE);
            else
                MoveContactTo(pContact, pTarget);
            GetUserDoc()->SetModifiedFlag();
            Rebuild();
            GetTreeCtrl().SelectItem(FindItemOf(pObject));
        } else {
            if (!m_bDropRequest) {
                ForgetPending();
                pUser->BeginRequest(this);
                pUser->AddToRequest(static_cast<CECContact*>(nullptr), TRUE);
                m_bDropRequest = TRUE;
            }
            if (pGroup != nullptr)
                pUser->AddToRequest(pGroup, FALSE);
            else
                pUser->AddToRequest(pContact, FALSE);
            m_pending.push_back(pObject);
            m_pTarget = pTarget;
        }
        bDone = TRUE;
    }
    if (bLast && m_bDropRequest && pUser != nullptr) {
        m_bDropRequest = FALSE;
        if (!pUser->GetRequestSet().IsEmpty() && m_pTarget != nullptr)
            pUser->StartOperation(m_pTarget->GetTopRole() == CECGroup::ROLE_FRIENDS
                                      ? EC_OP_ADD_FRIENDS
                                      : EC_OP_REMOVE_FRIENDS);
    }
    return bDone;
}

void CECContactsTreeView::OnUpdateDelete(CCmdUI* pCmdUI) {
    const int nKind = GetItemKind(GetTreeCtrl().GetSelectedItem());
    pCmdUI->Enable(!IsBusy() && (nKind == KindContact || nKind == KindSubgroup));
}

void CECContactsTreeView::OnUpdateGoUp(CCmdUI* pCmdUI) {
    HTREEITEM hItem = GetTreeCtrl().GetSelectedItem();
    pCmdUI->Enable(hItem != nullptr && hItem != m_hRoot);
}

void CECContactsTreeView::OnUpdateAllowRename(CCmdUI* pCmdUI) {
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck(m_bAllowRename);
}

void CECContactsTreeView::OnUpdateRequest(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!IsBusy());
}

// ---- answers ----

void CECContactsTreeView::OnECSessionBegin(CECUser*) {}

void CECContactsTreeView::OnECSessionEnd(CECUser*) {}

void CECContactsTreeView::PlaceByState(CECContact* pContact) {
    CECUser* pUser = GetUser();
    CECGroup* pProper = IsDeregistered(*pContact)
                            ? &pUser->GetDeregistered()
                            : (pContact->m_dwStatus & CECContact::STATUS_FRIEND) != 0
                                  ? &pUser->GetFriends()
                                  : &pUser->GetStrangers();
    auto* pParent = dynamic_cast<CECGroup*>(pContact->GetParent());
    const int nTop = pParent != nullptr ? pParent->GetTopRole() : -1;
    if (pParent == nullptr || nTop != pProper->GetRole())
        MoveContactTo(pContact, pProper);
}

BOOL CECContactsTreeView::PlaceGroup(CECGroup* pGroup, CECGroup* pTarget) {
    if (pGroup->GetParent() == nullptr || pGroup->GetTopRole() == pTarget->GetTopRole() ||
        pGroup == pTarget || pTarget->IsSelfOrDescendantOf(pGroup))
        return FALSE;
    CECContactMap contacts;
    pGroup->CollectContacts(contacts);
    POSITION pos = contacts.GetStartPosition();
    while (pos != nullptr) {
        UINT nUid = 0;
        CECContact* pContact = nullptr;
        contacts.GetNextAssoc(pos, nUid, pContact);
        if (pContact == nullptr || pContact->m_nResult != 0 || IsDeregistered(*pContact))
            return FALSE; // placed one by one below
    }
    return pGroup->MoveTo(pTarget, FALSE);
}

void CECContactsTreeView::OnECSessionResult(CECUser* pUser, int nResult) {
    if (nResult != 0) {
        AfxMessageBox(pUser->GetErrorText(nResult), MB_OK | MB_ICONSTOP);
        return;
    }
    const int nOperation = pUser->GetOperation();
    CECContactMap& set = pUser->GetRequestSet();
    switch (nOperation) {
    case EC_OP_ADD_FRIENDS:
    case EC_OP_ADD_CONTACTS:
    case EC_OP_REMOVE_FRIENDS: {
        CECGroup* pTarget = m_pTarget;
        if (pTarget == nullptr)
            pTarget = nOperation == EC_OP_ADD_FRIENDS ? &pUser->GetFriends() : &pUser->GetStrangers();
        std::vector<CECGroup*> moved;
        for (CObject* pObject : m_pending) {
            auto* pGroup = dynamic_cast<CECGroup*>(pObject);
            if (pGroup != nullptr && pGroup->GetRole() == CECGroup::ROLE_NONE &&
                PlaceGroup(pGroup, pTarget))
                moved.push_back(pGroup);
        }
        auto inMoved = [&moved](const CECContact* pContact) {
            for (const CGroup* p = pContact->GetParent(); p != nullptr; p = p->GetParent())
                for (CECGroup* pGroup : moved)
                    if (p == pGroup)
                        return true;
            return false;
        };
        POSITION pos = set.GetStartPosition();
        while (pos != nullptr) {
            UINT nUid = 0;
            CECContact* pContact = nullptr;
            set.GetNextAssoc(pos, nUid, pContact);
            if (pContact == nullptr)
                continue;
            if (IsDeregistered(*pContact)) {
                MoveContactTo(pContact, &pUser->GetDeregistered());
                continue;
            }
            if (pContact->m_nResult != 0 && pContact->GetParent() == nullptr)
                continue; // refused: it stays out, and the user frees it
            if (nOperation == EC_OP_ADD_CONTACTS && pContact->GetParent() != nullptr)
                continue; // a contact held already keeps its place
            if (pContact->m_nResult != 0 || inMoved(pContact))
                continue;
            MoveContactTo(pContact, pTarget);
        }
        break;
    }
    case EC_OP_SET_ACCESS: {
        // Only the chosen friends the service took change, and only in the changed fields.
        POSITION pos = set.GetStartPosition();
        while (pos != nullptr) {
            UINT nUid = 0;
            CECContact* pContact = nullptr;
            set.GetNextAssoc(pos, nUid, pContact);
            if (pContact == nullptr || pContact->m_nResult != 0 ||
                (pContact->m_dwStatus & CECContact::STATUS_ACCESS_PENDING) == 0)
                continue;
            SECAccess::Merge(pUser->m_pendingAccess, pContact->m_access, &pUser->m_pendingMasks);
            pContact->UpdateStatus(0, CECContact::STATUS_ACCESS_PENDING);
        }
        break;
    }
    case EC_OP_DOWNLOAD:
    case EC_OP_SYNC_FRIENDS: {
        POSITION pos = pUser->GetCurrentSet().GetStartPosition();
        while (pos != nullptr) {
            UINT nUid = 0;
            CECContact* pContact = nullptr;
            pUser->GetCurrentSet().GetNextAssoc(pos, nUid, pContact);
            if (pContact != nullptr && pContact->GetParent() != nullptr)
                PlaceByState(pContact);
        }
        if (nOperation == EC_OP_SYNC_FRIENDS) {
            // Contacts the answer brought that the user did not hold go under their group.
            CECResultMap& result = pUser->GetResultSet();
            POSITION r = result.GetStartPosition();
            while (r != nullptr) {
                UINT nUid = 0;
                SECResultEntry entry;
                result.GetNextAssoc(r, nUid, entry);
                if (entry.pNew != nullptr && entry.pNew->GetParent() == nullptr)
                    PlaceByState(entry.pNew);
            }
        }
        break;
    }
    default:
        break;
    }
    ForgetPending();
    if (CECUserDoc* pDoc = GetUserDoc()) {
        pDoc->SetModifiedFlag();
        Rebuild();
        pDoc->UpdateAllViews(this, 0);
    }
}
