// The address-book tree's context menus with the values of the clicked contact or group, the
// mail and web commands on those values, and the book commands of the main menu that the shared
// group tree names otherwise.
#include "contacts/ui/LeftView.h"

#include "contacts/FieldActions.h"
#include "contacts/Person.h"
#include "contacts/ui/DlgGroupProperty.h"
#include "contacts/ui/FieldValueActions.h"
#include "platform/gui/Frame.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/WinApp.h"
#include "ui/DlgViewInfo.h"
#include "ui/KovMenu.h"

#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// The value entries' id bases: a contact's fields, then a group's properties.
struct ValueBase {
    UINT nBase;
    int nField;
};
constexpr ValueBase kContactBases[] = {
    {0x10000, PF_EMAIL},          {0x210000, PF_WORK_EMAIL}, {0x20000, PF_HOMEPAGE},
    {0x220000, PF_WORK_HOMEPAGE}, {0x30000, PF_PHONE},       {0x130000, PF_HOME_PHONE},
    {0x230000, PF_OFFICE_PHONE},  {0x240000, PF_DORM_PHONE}, {0x40000, PF_MOBILE},
};
constexpr ValueBase kGroupBases[] = {{0x2A0000, 9}, {0x2B0000, 10}, {0x2C0000, 7}};

// The sub-menus of the contact and group menus and the fields each one lists.
struct ValueMenu {
    const char* name;
    const ValueBase* bases;
    int nBases;
    UINT nAllId; // the entry acting on every value (0: none)
};

constexpr ValueMenu kContactMenus[] = {
    {"发送邮件(&M)", kContactBases, 2, CLeftView::ID_MAIL_ALL},
    {"打开主页(&W)", kContactBases + 2, 2, CLeftView::ID_OPEN_ALL_PAGES},
    {"拔打电话(&P)", kContactBases + 4, 5, 0},
};
constexpr ValueMenu kGroupMenus[] = {
    {"发送邮件(&M)", kGroupBases, 1, CLeftView::ID_MAIL_ALL},
    {"打开主页(&W)", kGroupBases + 1, 1, CLeftView::ID_OPEN_ALL_PAGES},
    {"拔打电话(&O)", kGroupBases + 2, 1, 0},
};

// The default mail address of every contact in the group and the unlocked groups below it,
// each once.
void CollectMemberAddresses(CGroup* pGroup, std::vector<CString>& out,
                            std::set<std::string>& seen) {
    for (POSITION pos = pGroup->GetFirstContentPosition(); pos != nullptr;) {
        auto* pPerson = dynamic_cast<_CPerson*>(pGroup->GetNextContent(pos));
        if (pPerson != nullptr && pPerson->IsVirtual())
            pPerson = dynamic_cast<_CPerson*>(pPerson->GetVirtualSource());
        if (pPerson == nullptr)
            continue;
        CXStringList* pList = GetFieldValueList(*pPerson, PF_EMAIL);
        if (pList == nullptr || pList->GetCount() == 0)
            continue;
        CString address = pList->GetCurrentValue();
        address.Trim();
        CString key = address;
        key.MakeLower();
        if (!address.IsEmpty() && seen.insert(std::string((LPCTSTR)key)).second)
            out.push_back(address);
    }
    for (POSITION pos = pGroup->GetFirstSubgroupPosition(); pos != nullptr;) {
        CGroup* pSub = pGroup->GetNextSubgroup(pos);
        if (!pSub->IsLocked())
            CollectMemberAddresses(pSub, out, seen);
    }
}

} // namespace

// ---- Context menus --------------------------------------------------------------------------

BOOL CLeftView::DecodeValueCommand(UINT nID, BOOL bGroup, int& nField, int& nIndex) {
    if (nID < ID_VALUE_FIRST || nID > ID_VALUE_LAST)
        return FALSE;
    const UINT base = nID & 0xFF0000;
    auto find = [&](const ValueBase* bases, int n) {
        for (int i = 0; i < n; ++i)
            if (bases[i].nBase == base) {
                nField = bases[i].nField;
                nIndex = (int)(nID & 0xFFFF);
                return TRUE;
            }
        return FALSE;
    };
    return bGroup ? find(kGroupBases, (int)std::size(kGroupBases))
                  : find(kContactBases, (int)std::size(kContactBases));
}

_CPerson* CLeftView::ValueContact(HTREEITEM hItem) {
    if (GetItemType(hItem) != KindContent)
        return nullptr;
    auto* pPerson = dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem));
    if (pPerson != nullptr && pPerson->IsVirtual())
        pPerson = dynamic_cast<_CPerson*>(pPerson->GetVirtualSource());
    return pPerson;
}

void CLeftView::FillValueMenus(CMenu& popup, HTREEITEM hItem) {
    const BOOL bGroup = GetItemType(hItem) != KindContent;
    _CPerson* pPerson = bGroup ? nullptr : ValueContact(hItem);
    auto* pGroup = bGroup ? dynamic_cast<_CGroup*>(GetGroupOfItem(hItem)) : nullptr;
    for (const ValueMenu& vm : bGroup ? kGroupMenus : kContactMenus) {
        const int pos = FindNamedSubMenuPosition(popup, vm.name);
        if (pos < 0)
            continue;
        CMenu* pSub = popup.GetSubMenu(pos);
        while (pSub->GetMenuItemCount() > 0)
            pSub->DeleteMenu(0, MF_BYPOSITION);
        int count = 0;
        for (int i = 0; i < vm.nBases; ++i) {
            const ValueBase& b = vm.bases[i];
            if (pPerson != nullptr)
                count += FillFieldMenu(*pSub, *pPerson, b.nField, b.nBase, TRUE);
            else if (pGroup != nullptr)
                count += FillFieldMenu(*pSub, *pGroup, b.nField, b.nBase, FALSE);
        }
        if (count >= 2 && vm.nAllId != 0) {
            pSub->AppendMenu(MF_SEPARATOR);
            pSub->AppendMenu(MF_STRING, vm.nAllId,
                             vm.nAllId == ID_MAIL_ALL ? "发送所有Email" : "打开所有网址");
        }
        if (count == 0)
            popup.EnableMenuItem((UINT)pos, MF_BYPOSITION | MF_GRAYED);
    }
}

void CLeftView::ShowItemMenu(HTREEITEM hItem, CPoint point) {
    const int kind = GetItemType(hItem);
    const char* name = kind == KindTop                             ? "根结点"
                       : kind == KindContent                       ? "个人结点"
                       : kind == KindGroup || kind == KindFileRoot ? "组结点"
                                                                   : nullptr;
    if (name == nullptr)
        return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_TREE_MENU))
        return;
    CMenu* pPopup = FindNamedSubMenu(menu, name);
    if (pPopup == nullptr)
        return;
    CPoint screen = point;
    Tree().ClientToScreen(&screen);
    if (kind == KindTop) {
        // The book commands of the top item go the way of the main menu's.
        SetMenuOwnerDraw(pPopup);
        CWnd* pOwner = AfxGetMainWnd() != nullptr ? AfxGetMainWnd() : this;
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, pOwner);
        return;
    }
    FillValueMenus(*pPopup, hItem);
    SetMenuOwnerDraw(pPopup);
    const UINT nID = (UINT)pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                  screen.x, screen.y, this);
    if (nID == 0 || m_hWnd == nullptr)
        return;
    // The item may have gone while the menu was open.
    if (nID >= ID_VALUE_FIRST && nID <= ID_VALUE_LAST) {
        if (Tree().IsValidItem(hItem))
            RunValueCommand(hItem, nID, GetKeyState(VK_CONTROL) < 0);
    } else {
        SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
    }
}

LRESULT CLeftView::OnInitTreeMenuPopup(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(lParam))
        return 0;
    if (CMenu* pMenu = CMenu::FromHandle((HMENU)wParam)) {
        AfxUpdateMenuCmdUI(pMenu, this, TRUE);
        SetMenuOwnerDraw(pMenu);
    }
    return 0;
}

void CLeftView::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS) {
    if (!MeasureOwnerDrawnMenuItem(this, lpMIS))
        CTreeView::OnMeasureItem(nIDCtl, lpMIS);
}

void CLeftView::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS) {
    if (!DrawOwnerDrawnMenuItem(this, lpDIS))
        CTreeView::OnDrawItem(nIDCtl, lpDIS);
}

// ---- Field actions ----------------------------------------------------------------------------

BOOL CLeftView::RunValueCommand(HTREEITEM hItem, UINT nID, BOOL bQuoted) {
    const int kind = GetItemType(hItem);
    int nField = 0, nIndex = 0;
    if (kind == KindContent) {
        _CPerson* pPerson = ValueContact(hItem);
        return pPerson != nullptr && DecodeValueCommand(nID, FALSE, nField, nIndex) &&
               OpenFieldValue(*pPerson, nField, nIndex, bQuoted);
    }
    auto* pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(hItem));
    return pGroup != nullptr && DecodeValueCommand(nID, TRUE, nField, nIndex) &&
           OpenPropertyValue(*pGroup, nField, nIndex, bQuoted);
}

void CLeftView::ValuesOfItem(HTREEITEM hItem, int nField, int nWorkField, int nProperty,
                             CStringArray& values, CString& strName) {
    auto add = [&values](CXStringList* pList) {
        for (int j = 0; pList != nullptr && j < (int)pList->GetCount(); ++j)
            values.Add(pList->GetValue(j, 0));
    };
    if (GetItemType(hItem) == KindContent) {
        if (_CPerson* pPerson = ValueContact(hItem)) {
            strName = pPerson->GetName();
            add(GetFieldValueList(*pPerson, nField));
            add(GetFieldValueList(*pPerson, nWorkField));
        }
    } else if (auto* pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(hItem))) {
        strName = pGroup->GetName();
        add(GetPropertyValueList(*pGroup, nProperty));
    }
}

BOOL CLeftView::MailAllAddresses(HTREEITEM hItem, BOOL bQuoted) {
    CString name;
    CStringArray values;
    ValuesOfItem(hItem, PF_EMAIL, PF_WORK_EMAIL, 9, values, name);
    const CString recipients = JoinMailRecipients(values, name, bQuoted);
    if (recipients.IsEmpty())
        return FALSE;
    return OpenMailtoAddress("mailto:" + recipients);
}

int CLeftView::OpenAllPages(HTREEITEM hItem) {
    CString name;
    CStringArray values;
    ValuesOfItem(hItem, PF_HOMEPAGE, PF_WORK_HOMEPAGE, 10, values, name);
    int opened = 0;
    for (int i = 0; i < values.GetSize(); ++i)
        if (OpenFieldActionValue(FIELD_ACTION_WEB, values[i], name, FALSE))
            ++opened;
    return opened;
}

BOOL CLeftView::MailGroupRecommendation(HTREEITEM hItem) {
    if (GetItemType(hItem) != KindGroup)
        return FALSE;
    CGroup* pGroup = GetGroupOfItem(hItem);
    if (pGroup == nullptr)
        return FALSE;
    std::vector<CString> addresses;
    std::set<std::string> seen;
    CollectMemberAddresses(pGroup, addresses, seen);
    CStringArray values;
    for (const CString& a : addresses)
        values.Add(a);
    const CString recipients = JoinMailRecipients(values, nullptr, FALSE);
    static const char kSubject[] = "向您推荐一个好用的通讯录软件：墨川";
    static const char kBody[] =
        "您好！\r\n\r\n我一直在用墨川管理通讯录、短信和日常记事，觉得很方便，"
        "特地推荐给您，希望您也喜欢。";
    CString address = "mailto:" + recipients + "?subject=" + PercentEncodeUtf8(kSubject) +
                      "&body=" + PercentEncodeUtf8(kBody);
    if (!OpenMailtoAddress(address))
        return FALSE;
    AfxMessageBox(LoadText(110), MB_OK | MB_ICONINFORMATION);
    return TRUE;
}

void CLeftView::OnSendMail() {
    const BOOL bQuoted = GetKeyState(VK_CONTROL) < 0;
    const int kind = GetItemType(m_hCurrent);
    if (kind == KindContent) {
        if (_CPerson* pPerson = ValueContact(m_hCurrent))
            OpenFieldValue(*pPerson, PF_EMAIL, -1, bQuoted);
    } else if (kind == KindGroup || kind == KindFileRoot) {
        if (auto* pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(m_hCurrent)))
            OpenPropertyValue(*pGroup, 9, -1, bQuoted);
    }
}

void CLeftView::OnUpdateSendMail(CCmdUI* pCmdUI) {
    const int kind = GetItemType(m_hCurrent);
    if (kind == KindContent) {
        pCmdUI->Enable(TRUE);
    } else if ((kind == KindGroup || kind == KindFileRoot) && !TreeHasFocus()) {
        // The list beside the tree decides for its own selection.
        pCmdUI->ContinueRouting();
    } else {
        pCmdUI->Enable(kind == KindGroup || kind == KindFileRoot);
    }
}

void CLeftView::OnGroupMail() {
    MailGroupRecommendation(m_hCurrent);
}

void CLeftView::OnMailAll() {
    MailAllAddresses(m_hCurrent, GetKeyState(VK_CONTROL) < 0);
}

void CLeftView::OnOpenAllPages() {
    OpenAllPages(m_hCurrent);
}

void CLeftView::OnUpdateGroupOnly(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetItemType(m_hCurrent) == KindGroup);
}

void CLeftView::OnUpdateContactOnly(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetItemType(m_hCurrent) == KindContent);
}

void CLeftView::OnUpdateGroupOrRoot(CCmdUI* pCmdUI) {
    const int kind = GetItemType(m_hCurrent);
    pCmdUI->Enable(kind == KindGroup || kind == KindFileRoot);
}

// ---- Tree commands ----------------------------------------------------------------------------

void CLeftView::OnCollapseBooks() {
    if (GetItemType(m_hCurrent) != KindTop) {
        OnCollapseAll();
        return;
    }
    Tree().SetRedraw(FALSE);
    for (int i = 0; i < GetFileCount(); ++i) {
        HTREEITEM hRoot = GetFileAt(i)->hItem;
        m_groupHelper.CollapseAll(hRoot);
        Tree().SetItemImage(hRoot, m_nFileImage, m_nFileImage);
    }
    Tree().SetRedraw(TRUE);
}

void CLeftView::OnUpdateCollapseBooks(CCmdUI* pCmdUI) {
    const int kind = GetItemType(m_hCurrent);
    pCmdUI->Enable(kind == KindGroup || kind == KindFileRoot || kind == KindTop);
}

void CLeftView::OnUpdateShowGroupCounts(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bShowCounts ? 1 : 0);
}

BOOL& CLeftView::SharedAllowRename() {
    static BOOL bAllow = FALSE;
    return bAllow;
}

CLeftView::~CLeftView() {
    SharedAllowRename() = m_bAllowRename;
    if (m_pGroupDialog != nullptr && m_pGroupDialog->m_hWnd != nullptr)
        m_pGroupDialog->DestroyWindow();
    delete m_pGroupDialog;
}

void CLeftView::OnAllowRename() {
    m_bAllowRename = !m_bAllowRename;
}

void CLeftView::OnUpdateAllowRename(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bAllowRename ? 1 : 0);
}

void CLeftView::OnBeginLabelEditGate(NMHDR* pNMHDR, LRESULT* pResult) {
    // A click on a label renames only while renaming is allowed; the new, insert and rename
    // commands start their edits themselves.
    if (!m_bAllowRename && !m_groupHelper.IsEditing() && !m_bNewFilePending) {
        *pResult = 1;
        return;
    }
    OnBeginLabelEdit(pNMHDR, pResult);
}

CString CLeftView::QuickViewText(HTREEITEM hItem) {
    auto* pPerson = GetItemType(hItem) == KindContent
                        ? dynamic_cast<_CPerson*>(m_groupHelper.GetItemObject(hItem))
                        : nullptr;
    if (pPerson == nullptr)
        return CString();
    _CPerson* pSource = ValueContact(hItem);
    CString text;
    if (pSource != nullptr)
        pSource->GetAllFieldsText(text);
    if (pPerson->IsVirtual()) {
        CString path, line;
        pPerson->GetVirtualPath(path);
        line.Format("%s:%s", (LPCTSTR)LoadText(914), (LPCTSTR)path);
        text += "\r\n\r\n";
        if (pSource == nullptr)
            text += LoadText(915);
        text += line;
    }
    return text;
}

void CLeftView::OnQuickView() {
    if (GetItemType(m_hCurrent) != KindContent)
        return;
    CDlgViewInfo dlg(this);
    dlg.m_strTitle = Tree().GetItemText(m_hCurrent);
    dlg.m_strText = QuickViewText(m_hCurrent);
    dlg.DoModal();
}

// ---- Group property dialog --------------------------------------------------------------------

BOOL CLeftView::IsGroupDialogOpen() const {
    return m_pGroupDialog != nullptr && m_pGroupDialog->m_hWnd != nullptr;
}

void CLeftView::OnUpdateGroupProperties(CCmdUI* pCmdUI) {
    const int kind = GetItemType(m_hCurrent);
    pCmdUI->Enable((kind == KindGroup || kind == KindFileRoot) && !IsGroupDialogOpen());
}

void CLeftView::OnGroupProperties() {
    auto* pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(m_hCurrent));
    if (pGroup == nullptr || IsGroupDialogOpen())
        return;
    // A dialog closed before is gone as a window: a new one takes its place.
    delete m_pGroupDialog;
    m_pGroupDialog = new CDlgGroupProperty;
    if (!m_pGroupDialog->Create(this)) {
        delete m_pGroupDialog;
        m_pGroupDialog = nullptr;
        return;
    }
    m_pGroupDialog->Exchange(pGroup, TRUE);
    m_pGroupDialog->ShowWindow(SW_SHOW);
}

void CLeftView::ApplyGroupDialog() {
    _CGroup* pGroup = m_pGroupDialog != nullptr ? m_pGroupDialog->GetGroup() : nullptr;
    if (pGroup == nullptr || !m_pGroupDialog->IsModified())
        return;
    BOOL bNameChanged = FALSE;
    if (!m_pGroupDialog->Exchange(pGroup, FALSE, &bNameChanged))
        return;
    HTREEITEM hItem = (HTREEITEM)pGroup->GetTreeItem();
    if (hItem == nullptr || !Tree().IsValidItem(hItem))
        return;
    MarkDocumentModified(GetItemDocument(hItem));
    if (bNameChanged) {
        // With Ctrl the label changes in place; otherwise the group moves to its sorted place.
        if (GetKeyState(VK_CONTROL) < 0 || GetItemType(hItem) == KindFileRoot) {
            m_groupHelper.UpdateItemText(hItem);
        } else if (HTREEITEM hNew = m_groupHelper.ResortItem(hItem)) {
            if (hNew != m_hCurrent)
                Tree().SelectItem(hNew);
        }
    }
    OnCurrentItemChanged(m_hCurrent, TRUE);
}

LRESULT CLeftView::OnGroupPropertyNews(WPARAM wParam, LPARAM) {
    if (m_pGroupDialog == nullptr)
        return 0;
    // OK and closing end with the dialog's window gone; the object waits for the next opening.
    if (wParam == CDlgGroupProperty::NOTIFY_OK || wParam == CDlgGroupProperty::NOTIFY_APPLY)
        ApplyGroupDialog();
    return 0;
}

void CLeftView::OnSelChangedFollow(NMHDR* pNMHDR, LRESULT* pResult) {
    OnSelChanged(pNMHDR, pResult);
    if (!IsGroupDialogOpen())
        return;
    auto* pGroup = dynamic_cast<_CGroup*>(GetGroupOfItem(m_hCurrent));
    const int kind = GetItemType(m_hCurrent);
    if (kind != KindGroup && kind != KindFileRoot)
        pGroup = nullptr;
    _CGroup* pShown = m_pGroupDialog->GetGroup();
    if (pGroup == pShown && pGroup != nullptr)
        return;
    if (pShown != nullptr && m_pGroupDialog->IsModified() &&
        AfxMessageBox(LoadText(255), MB_YESNO | MB_ICONQUESTION) == IDYES)
        ApplyGroupDialog();
    if (pGroup != nullptr) {
        m_pGroupDialog->Exchange(pGroup, TRUE);
        m_pGroupDialog->ShowWindow(SW_SHOW);
    } else {
        if (pShown != nullptr)
            m_pGroupDialog->ForgetGroup(pShown);
        m_pGroupDialog->ShowWindow(SW_HIDE);
    }
}

BOOL CLeftView::CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) {
    if (pInfo != nullptr && m_pGroupDialog != nullptr && m_pGroupDialog->GetGroup() != nullptr) {
        CGroup* pRoot = m_pGroupDialog->GetGroup();
        while (pRoot->GetParent() != nullptr)
            pRoot = pRoot->GetParent();
        if (pRoot == GetRootGroup(pInfo->pDoc)) {
            // Changes typed into the dialog go into the book before its save prompt, when the
            // user wants them; forgetting the group would drop them unasked. The label changes
            // in place: the selection stays put while the book closes.
            if (bAskSave && !bQuiet && IsGroupDialogOpen() && m_pGroupDialog->IsModified() &&
                AfxMessageBox(LoadText(255), MB_YESNO | MB_ICONQUESTION) == IDYES) {
                _CGroup* pGroup = m_pGroupDialog->GetGroup();
                BOOL bNameChanged = FALSE;
                if (m_pGroupDialog->Exchange(pGroup, FALSE, &bNameChanged)) {
                    MarkDocumentModified(pInfo->pDoc);
                    auto hItem = (HTREEITEM)pGroup->GetTreeItem();
                    if (bNameChanged && hItem != nullptr && Tree().IsValidItem(hItem))
                        m_groupHelper.UpdateItemText(hItem);
                }
            }
            m_pGroupDialog->ForgetGroup(m_pGroupDialog->GetGroup());
            if (m_pGroupDialog->m_hWnd != nullptr)
                m_pGroupDialog->ShowWindow(SW_HIDE);
        }
    }
    return CGroupTreeView::CloseFile(pInfo, bQuiet, bAskSave);
}
