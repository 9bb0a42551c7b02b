#include "ecard/ui/ECPersonList.h"

#include "contacts/PersonFields.h"
#include "contacts/ui/LeftView.h"
#include "contacts/ui/PersonListColumns.h"
#include "ecard/ECContact.h"
#include "ecard/ECFields.h"
#include "ecard/ECGroup.h"
#include "ecard/ECUserDoc.h"
#include "ecard/ui/ECContactsTreeView.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "ui/KovMenu.h"

#include <iterator>

namespace {

// The card fields a column may show: the service's texts first, then the card's own fields.
const SECColumn kColumns[] = {
    {ECF_USERNAME, 80}, {ECF_UID, 70}, {ECF_LOCATION, 100}, {ECF_ACTION, 100}, {ECF_NOTE, 100},
    {0, -1},  {1, -1},  {2, -1},  {3, -1},  {4, -1},  {5, -1},  {6, -1},  {7, -1},
    {8, -1},  {9, -1},  {10, -1}, {11, -1}, {12, -1}, {13, -1}, {14, -1}, {15, -1},
    {16, -1}, {17, -1}, {18, -1}, {19, -1}, {20, -1}, {21, -1}, {22, -1}, {23, -1},
    {24, -1}, {25, -1}, {26, -1}, {27, -1}, {28, -1}, {29, -1}, {30, -1}, {31, -1},
    {32, -1}, {33, -1}, {34, -1}, {35, -1}, {36, -1}, {37, -1}, {38, -1}, {39, -1},
    {40, -1}, {41, -1}, {42, -1}, {43, -1}, {44, -1}, {45, -1},
};
// The columns shown, in order.
const int kDefaultColumns[] = {ECF_USERNAME, ECF_UID, PF_MOBILE, PF_PAGER, PF_EMAIL, PF_QQ,
                               PF_HOME_PHONE, PF_OFFICE_PHONE, PF_DORM_PHONE, PF_BIRTHDAY};

int ColumnIndex(int nField) {
    for (size_t i = 0; i < std::size(kColumns); ++i)
        if (kColumns[i].nField == nField)
            return (int)i;
    return -1;
}

BOOL IsHomeField(int nField) {
    return nField >= PF_HOME_COUNTRY && nField <= PF_HOME_ADDRESS;
}
BOOL IsWorkField(int nField) {
    return nField >= PF_WORK_COUNTRY && nField <= PF_WORK_ADDRESS;
}

const char kNoStrangerAccess[] =
    "不能对陌生人或已注销者设置访问权限！\n当前显示的是陌生人对您的默认访问权限。（请到“我的帐户”面板中设置）";

} // namespace

IMPLEMENT_DYNCREATE(CViewECPersonList, CViewPersonList)

BEGIN_MESSAGE_MAP(CViewECPersonList, CViewPersonList)
ON_WM_DESTROY()
ON_WM_CONTEXTMENU()
ON_COMMAND(CViewECPersonList::ID_DELETE_CONTACTS, &CViewECPersonList::OnCmdDelete)
ON_COMMAND(CGroupListView::ID_DELETE, &CViewECPersonList::OnCmdDelete)
ON_COMMAND(CViewECPersonList::ID_SET_ACCESS, &CViewECPersonList::OnCmdSetAccess)
ON_UPDATE_COMMAND_UI(CViewECPersonList::ID_SET_ACCESS, &CViewECPersonList::OnUpdateSelectionCommand)
ON_COMMAND(CViewECPersonList::ID_LEAVE_MESSAGE, &CViewECPersonList::OnCmdLeaveMessage)
ON_UPDATE_COMMAND_UI(CViewECPersonList::ID_LEAVE_MESSAGE,
                     &CViewECPersonList::OnUpdateSelectionCommand)
ON_COMMAND(CViewPersonList::ID_OPEN, &CViewECPersonList::OnCmdOpen)
ON_COMMAND(CViewPersonList::ID_GO_UP, &CViewECPersonList::OnCmdGoUp)
ON_UPDATE_COMMAND_UI(CViewECPersonList::ID_DELETE_CONTACTS,
                     &CViewECPersonList::OnUpdateSelectionCommand)
ON_UPDATE_COMMAND_UI(CGroupListView::ID_DELETE, &CViewECPersonList::OnUpdateSelectionCommand)
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_OPEN, &CViewECPersonList::OnUpdateOpen)
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_GO_UP, &CViewECPersonList::OnUpdateGoUp)
// The contacts program's column options, mail and batch edit are not this list's.
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_OPTIONS, &CViewECPersonList::OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_SEND_MAIL, &CViewECPersonList::OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(CViewPersonList::ID_BATCH_MODIFY, &CViewECPersonList::OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(CGroupListView::ID_COPY, &CViewECPersonList::OnUpdateDisabled)
ON_UPDATE_COMMAND_UI(CGroupListView::ID_CUT, &CViewECPersonList::OnUpdateDisabled)
END_MESSAGE_MAP()

CViewECPersonList::CViewECPersonList() {
    m_widths.assign(std::size(kColumns), -1);
    m_strDefaultBkImage = "Images\\background19.gif";
}

const SECColumn* CViewECPersonList::GetColumnTable(int& nCount) {
    nCount = (int)std::size(kColumns);
    return kColumns;
}

int CViewECPersonList::GetColumnWidth(int nField) const {
    const int i = ColumnIndex(nField);
    if (i < 0)
        return 0;
    if (m_widths[(size_t)i] > 0)
        return m_widths[(size_t)i];
    return kColumns[i].nWidth > 0 ? kColumns[i].nWidth : DefaultPersonColumnWidth(nField);
}

CString CViewECPersonList::GetCellText(CECContact* pContact, int nField) {
    if (pContact == nullptr)
        return CString();
    if (nField <= PF_PICTURE)
        return CViewPersonList::GetFieldText(pContact, nField, FALSE);
    CString text;
    pContact->GetFieldText(text, nField, FALSE, nullptr, "\n");
    return text;
}

CString CViewECPersonList::GetRowDetailText(CECContact* pContact) {
    CString out;
    if (pContact == nullptr)
        return out;
    BOOL bHomeDone = FALSE, bWorkDone = FALSE;
    for (const SECColumn& column : kColumns) {
        int nField = column.nField;
        if (IsHomeField(nField)) {
            if (bHomeDone)
                continue;
            bHomeDone = TRUE;
            nField = PF_HOME_LOCATION;
        } else if (IsWorkField(nField)) {
            if (bWorkDone)
                continue;
            bWorkDone = TRUE;
            nField = PF_WORK_LOCATION;
        }
        CString value;
        pContact->GetFieldText(value, nField, FALSE, nullptr, "\n");
        if (value.IsEmpty())
            continue;
        if (!out.IsEmpty())
            out += "\n";
        out += value;
    }
    return out;
}

CECUserDoc* CViewECPersonList::GetUserDoc() const {
    return dynamic_cast<CECUserDoc*>(GetDocument());
}

CECContactsTreeView* CViewECPersonList::GetTree() const {
    return dynamic_cast<CECContactsTreeView*>(GetOwner());
}

CGroup* CViewECPersonList::GetGroup() {
    CECUserDoc* pDoc = GetUserDoc();
    return pDoc != nullptr ? dynamic_cast<CECGroup*>(pDoc->GetCurrentObject()) : nullptr;
}

void CViewECPersonList::OnViewReady() {
    // Its own columns: the contacts program's stored list is never read or written from here.
    m_fields.RemoveAll();
    for (int nField : kDefaultColumns)
        m_fields.Add(nField);
    BuildECColumns();
    SetMode(ModeDetails);
    m_tip.SetOwner(&List());
    m_nContextMenuId = IDR_MENU;
}

void CViewECPersonList::BuildECColumns() {
    CListCtrl& list = List();
    while (list.DeleteColumn(0)) {
    }
    for (int i = 0; i < m_fields.GetSize(); ++i) {
        CString name;
        if (m_fields[i] >= ECF_UID)
            GetECExtraFieldLabel(m_fields[i], name);
        else
            GetPersonFieldName(m_fields[i], name);
        list.InsertColumn(i, name, LVCFMT_LEFT, GetColumnWidth(m_fields[i]));
    }
}

void CViewECPersonList::StoreECWidths() {
    CListCtrl& list = List();
    if (list.GetSafeHwnd() == nullptr)
        return;
    for (int i = 0; i < m_fields.GetSize(); ++i) {
        const int n = ColumnIndex(m_fields[i]);
        if (n >= 0)
            m_widths[(size_t)n] = list.GetColumnWidth(i);
    }
}

void CViewECPersonList::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (pSender == this || (lHint != 0 && (lHint & 0x1000) == 0))
        return;
    StoreECWidths();
    CViewPersonList::OnUpdate(pSender, lHint, pHint);
}

CString CViewECPersonList::GetFirstColumnText(const CECContact& contact) {
    // The column is the user name's; a contact the service gave none still shows what the tree
    // calls it rather than an empty row.
    return contact.m_strUserName.IsEmpty() ? GetContactLabel(contact) : contact.m_strUserName;
}

void CViewECPersonList::InsertContentItem(CContent* pContent) {
    auto* pContact = dynamic_cast<CECContact*>(pContent);
    if (pContact == nullptr) {
        CGroupListView::InsertContentItem(pContent);
        return;
    }
    CListCtrl& list = List();
    int image = m_nContentImage, selImage = m_nContentImage;
    CLeftView::ContactImages(pContact->GetInfo().m_personal.nSex, image, selImage);
    const int row = list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, list.GetItemCount(),
                                    GetFirstColumnText(*pContact), 0, 0, image,
                                    (LPARAM) static_cast<CObject*>(pContact));
    if (row < 0)
        return;
    for (int i = 1; i < m_fields.GetSize(); ++i)
        list.SetItemText(row, i, GetCellText(pContact, m_fields[i]));
}

void CViewECPersonList::GetSelectedContacts(std::vector<CECContact*>& contacts) {
    contacts.clear();
    CListCtrl& list = List();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = list.GetNextItem(row, LVNI_SELECTED))
        if (auto* p = dynamic_cast<CECContact*>(reinterpret_cast<CObject*>(list.GetItemData(row))))
            contacts.push_back(p);
}

void CViewECPersonList::DeleteSelected() {
    CECContactsTreeView* pTree = GetTree();
    std::vector<CECContact*> contacts;
    GetSelectedContacts(contacts);
    if (pTree == nullptr || contacts.empty() || pTree->IsBusy())
        return;
    CString question;
    question.LoadString(275);
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    pTree->DeleteObjects(std::vector<CObject*>(contacts.begin(), contacts.end()));
    Refill();
}

void CViewECPersonList::SetAccessOfSelected() {
    CECContactsTreeView* pTree = GetTree();
    std::vector<CECContact*> contacts;
    GetSelectedContacts(contacts);
    if (pTree == nullptr || contacts.empty())
        return;
    auto* pGroup = dynamic_cast<CECGroup*>(GetGroup());
    // A sub-group of the friends is the friends' too: its role is its nearest set one.
    if (pGroup == nullptr || pGroup->GetTopRole() != CECGroup::ROLE_FRIENDS) {
        AfxMessageBox(kNoStrangerAccess, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    pTree->SetAccess(std::vector<CObject*>(contacts.begin(), contacts.end()));
}

void CViewECPersonList::OnCmdLeaveMessage() {
    CECContactsTreeView* pTree = GetTree();
    std::vector<CECContact*> contacts;
    GetSelectedContacts(contacts);
    if (pTree != nullptr && !contacts.empty())
        pTree->LeaveMessage(std::vector<CObject*>(contacts.begin(), contacts.end()));
}

void CViewECPersonList::OnCmdOpen() {
    CECContactsTreeView* pTree = GetTree();
    std::vector<CECContact*> contacts;
    GetSelectedContacts(contacts);
    if (pTree != nullptr && contacts.size() == 1)
        pTree->SendMessage(WM_USER + 400, 0, (LPARAM)pTree->FindItemOf(contacts.front()));
}

void CViewECPersonList::OnCmdGoUp() {
    if (CECContactsTreeView* pTree = GetTree())
        pTree->GoUp();
}

BOOL CViewECPersonList::OnCmdMsg(UINT nID, int nCode, void* pExtra,
                                 AFX_CMDHANDLERINFO* pHandlerInfo) {
    // Without the focus and a selected row the list's commands are the tree's.
    const BOOL bRowCommand = nID == ID_DELETE_CONTACTS || nID == CGroupListView::ID_DELETE ||
                             nID == ID_SET_ACCESS || nID == ID_LEAVE_MESSAGE;
    if (bRowCommand && !(ListHasFocus() && List().GetSelectedCount() > 0))
        return FALSE;
    return CViewPersonList::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CViewECPersonList::OnUpdateSelectionCommand(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetTree() != nullptr && ListHasFocus() && List().GetSelectedCount() > 0);
}

void CViewECPersonList::OnUpdateOpen(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetTree() != nullptr && List().GetSelectedCount() == 1);
}

void CViewECPersonList::OnUpdateGoUp(CCmdUI* pCmdUI) {
    CGroup* pGroup = GetGroup();
    pCmdUI->Enable(GetTree() != nullptr && pGroup != nullptr && pGroup->GetParent() != nullptr);
}

void CViewECPersonList::OnUpdateDisabled(CCmdUI* pCmdUI) {
    pCmdUI->Enable(FALSE);
}

void CViewECPersonList::OnDestroy() {
    // The contacts program's column settings stay as they are (the base view stores its own).
    HideHoverTip();
    CGroupListView::OnDestroy();
}

void CViewECPersonList::OnContextMenu(CWnd*, CPoint point) {
    m_dragHelper.CancelDrag();
    HideHoverTip();
    CListCtrl& list = List();
    point = ListContextMenuPoint(list, point);
    CMenu menu;
    if (!menu.LoadMenu(IDR_MENU))
        return;
    if (CMenu* pPopup = menu.GetSubMenu(0))
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y,
                               GetTopLevelFrame());
}
