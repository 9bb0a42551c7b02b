#include "sms/ui/DlgMessageBank.h"

#include "core/FileUtil.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "ui/KovMenu.h"

#include <vector>

namespace {

CString Text(UINT nID) {
    CString s;
    s.LoadString(nID);
    return s;
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgMessageBank, CDialog)
ON_NOTIFY(TVN_SELCHANGED, CDlgMessageBank::IDC_TREE, &CDlgMessageBank::OnTreeSelChanged)
ON_NOTIFY(TVN_ENDLABELEDIT, CDlgMessageBank::IDC_TREE, &CDlgMessageBank::OnTreeEndLabelEdit)
ON_NOTIFY(LVN_ITEMCHANGED, CDlgMessageBank::IDC_PHRASES, &CDlgMessageBank::OnListItemChanged)
ON_NOTIFY(NM_DBLCLK, CDlgMessageBank::IDC_PHRASES, &CDlgMessageBank::OnListDblClick)
ON_BN_CLICKED(CDlgMessageBank::IDC_INSERT, &CDlgMessageBank::OnInsert)
ON_BN_CLICKED(CDlgMessageBank::IDC_OK, &CDlgMessageBank::OnOkButton)
ON_BN_CLICKED(CDlgMessageBank::IDC_CANCEL, &CDlgMessageBank::OnCancelButton)
ON_COMMAND_RANGE(CDlgMessageBank::ID_GROUP_NEW, CDlgMessageBank::ID_RENAME,
                 &CDlgMessageBank::OnCommandRange)
ON_UPDATE_COMMAND_UI_RANGE(CDlgMessageBank::ID_GROUP_NEW, CDlgMessageBank::ID_RENAME,
                           &CDlgMessageBank::OnUpdateCommandRange)
ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CDlgMessageBank::CDlgMessageBank(CWnd* pOwner, LPCTSTR lpszFolder)
    : CDialog(IDD, pOwner), m_pOwner(pOwner) {
    if (lpszFolder != nullptr)
        m_strFolder = lpszFolder;
}

CDlgMessageBank::~CDlgMessageBank() = default;

void CDlgMessageBank::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PHRASES, m_list);
    DDX_Control(pDX, IDC_TREE, m_tree);
}

BOOL CDlgMessageBank::OnInitDialog() {
    CDialog::OnInitDialog();
    m_helper.Attach(&m_tree);
    m_helper.SetRuntimeClasses(RUNTIME_CLASS(CSentenceSetGroup), RUNTIME_CLASS(CSentenceSet));
    m_helper.SetImageIndexes(0, 1, 4, 5);
    if (m_images.Create(110, 16, 0, RGB(255, 0, 255)))
        m_tree.SetImageList(&m_images, TVSIL_NORMAL);
    const CString folder = m_strFolder.IsEmpty() ? GetSentenceBankFolder() : m_strFolder;
    if (!m_root.LoadFolder(folder, FALSE)) {
        AfxMessageBox(Text(161), MB_OK | MB_ICONEXCLAMATION);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_helper.InsertChildren(TVI_ROOT, &m_root, TVI_LAST,
                            CGroupHelper::InsertGroups | CGroupHelper::InsertContents);
    m_background.SetWindow(&m_list, 2);
    m_background.SetBkImage(GetAppFilePath("Images\\background5.bmp"), TRUE, 0, 0);
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINEHOT);
    // A phrase row is 40 pixels high: a list's rows are as tall as its small pictures.
    if (m_rowHeight.Create(1, kRowHeight - 1, ILC_COLOR32, 1, 0) && m_rowHeight.SetImageCount(1))
        m_list.SetImageList(&m_rowHeight, LVSIL_SMALL);
    CRect rc;
    m_list.GetClientRect(&rc);
    m_list.InsertColumn(0, "", LVCFMT_LEFT, rc.Width());
    LOGFONT lf{};
    if (CFont* pFont = GetDlgItem(IDC_TEXT)->GetFont())
        pFont->GetLogFont(&lf);
    strcpy(lf.lfFaceName, "Fixedsys");
    m_textFont.CreateFontIndirect(&lf);
    GetDlgItem(IDC_TEXT)->SetFont(&m_textFont);
    return TRUE;
}

BOOL CDlgMessageBank::PreTranslateMessage(MSG* pMsg) {
    // Escape or Enter in a label being edited ends the edit, never the dialog.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN) &&
        m_tree.GetEditControl() != nullptr) {
        m_tree.EndEditLabelNow(pMsg->wParam == VK_ESCAPE);
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CDlgMessageBank::OfferToSave() {
    if (m_pCurrentSet == nullptr || !m_pCurrentSet->IsModified())
        return;
    if (MessageBox(Text(166), Text(167), MB_YESNO | MB_ICONQUESTION) == IDYES)
        m_pCurrentSet->Save();
}

void CDlgMessageBank::ShowSet(CSentenceSet* pSet) {
    if (pSet == m_pCurrentSet)
        return;
    if (m_pCurrentSet != nullptr) {
        OfferToSave();
        m_pCurrentSet->Unload(FALSE);
    }
    m_pCurrentSet = pSet;
    m_list.SetRedraw(FALSE);
    m_list.DeleteAllItems();
    if (pSet != nullptr) {
        if (!pSet->IsLoaded())
            pSet->Load();
        int i = 0;
        for (POSITION pos = pSet->m_phrases.GetHeadPosition(); pos != nullptr;)
            m_list.InsertItem(i++, pSet->m_phrases.GetNext(pos));
    }
    LVCOLUMN col{};
    col.mask = LVCF_TEXT;
    CString title = pSet != nullptr ? pSet->GetName() : CString();
    col.pszText = const_cast<LPTSTR>((LPCTSTR)title);
    m_list.SetColumn(0, &col);
    CRect rc;
    m_list.GetClientRect(&rc);
    m_list.SetColumnWidth(0, rc.Width());
    m_list.SetRedraw(TRUE);
}

void CDlgMessageBank::OnTreeSelChanged(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    if (m_nEditMode != EditNone)
        return;
    HTREEITEM hItem = m_tree.GetSelectedItem();
    CObject* pObject = m_helper.GetItemObject(hItem);
    if (auto* pSet = dynamic_cast<CSentenceSet*>(pObject)) {
        m_pSelectedGroup = nullptr;
        ShowSet(pSet);
    } else {
        m_pSelectedGroup = dynamic_cast<CSentenceSetGroup*>(pObject);
    }
}

void CDlgMessageBank::OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* pNM = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if ((pNM->uChanged & LVIF_STATE) && (pNM->uNewState & (LVIS_FOCUSED | LVIS_SELECTED)) &&
        pNM->iItem >= 0)
        SetDlgItemText(IDC_TEXT, m_list.GetItemText(pNM->iItem, 0));
}

void CDlgMessageBank::OnListDblClick(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    OnOkButton();
}

void CDlgMessageBank::OnInsert() {
    CString text;
    GetDlgItemText(IDC_TEXT, text);
    if (m_pOwner != nullptr && m_pOwner->GetSafeHwnd() != nullptr)
        m_pOwner->SendMessage(WM_INSERT_TEXT, 0, (LPARAM)(LPCTSTR)text);
}

void CDlgMessageBank::OnOkButton() {
    OfferToSave();
    GetDlgItemText(IDC_TEXT, m_strSelected);
    EndDialog(IDOK);
}

void CDlgMessageBank::OnCancelButton() {
    OfferToSave();
    EndDialog(IDCANCEL);
}

void CDlgMessageBank::OnOK() {
    // Enter ends a label edit (PreTranslateMessage) and otherwise picks the text.
    OnOkButton();
}

void CDlgMessageBank::OnCancel() {
    OnCancelButton();
}

// ---- Menus ------------------------------------------------------------------------------------

void CDlgMessageBank::OnContextMenu(CWnd* pWnd, CPoint point) {
    CMenu menu;
    if (!menu.LoadMenu(IDR_MENU))
        return;
    CMenu* pPopup = menu.GetSubMenu(pWnd == &m_tree ? 0 : 1);
    if (pPopup == nullptr)
        return;
    for (UINT id = ID_GROUP_NEW; id <= ID_RENAME; ++id)
        pPopup->EnableMenuItem(id, IsCommandEnabled(id) ? MF_ENABLED : MF_GRAYED);
    if (point.x == -1 && point.y == -1) {
        // From the keyboard: at the tree's selected group, or the list's focused row.
        if (pWnd == &m_tree) {
            CRect rc(0, 0, 0, 0);
            if (HTREEITEM hItem = m_tree.GetSelectedItem())
                m_tree.GetItemRect(hItem, &rc, TRUE);
            point = CPoint(rc.left, rc.bottom);
            m_tree.ClientToScreen(&point);
        } else {
            point = ListContextMenuPoint(m_list, point);
        }
    }
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}

void CDlgMessageBank::OnUpdateCommandRange(CCmdUI* pCmdUI) {
    pCmdUI->Enable(IsCommandEnabled(pCmdUI->m_nID));
}

void CDlgMessageBank::OnCommandRange(UINT nID) {
    RunCommand(nID);
}

BOOL CDlgMessageBank::IsCommandEnabled(UINT nID) {
    CString text;
    GetDlgItemText(IDC_TEXT, text);
    const int nSelected = m_list.GetNextItem(-1, LVNI_SELECTED);
    switch (nID) {
    case ID_PHRASE_MODIFY:
    case ID_PHRASE_INSERT:
        return m_pCurrentSet != nullptr && nSelected >= 0 && !text.IsEmpty();
    case ID_PHRASE_APPEND:
        return m_pCurrentSet != nullptr && !text.IsEmpty();
    case ID_PHRASE_DELETE:
        return m_pCurrentSet != nullptr && nSelected >= 0;
    case ID_GROUP_DELETE: {
        auto* pGroup = dynamic_cast<CSentenceSetGroup*>(
            m_helper.GetItemObject(m_tree.GetSelectedItem()));
        return pGroup != nullptr && pGroup->CanDelete();
    }
    case ID_RENAME:
        return m_tree.GetSelectedItem() != nullptr;
    default:
        return TRUE;
    }
}

void CDlgMessageBank::RunCommand(UINT nID) {
    if (!IsCommandEnabled(nID))
        return;
    CString text;
    GetDlgItemText(IDC_TEXT, text);
    const int nSelected = m_list.GetNextItem(-1, LVNI_SELECTED);
    switch (nID) {
    case ID_PHRASE_MODIFY:
        m_list.SetItemText(nSelected, 0, text);
        m_pCurrentSet->SetPhrase(nSelected, text);
        m_pCurrentSet->SetModified(TRUE);
        break;
    case ID_PHRASE_INSERT: {
        m_pCurrentSet->m_phrases.InsertAt(nSelected, text);
        m_list.SetItemState(nSelected, 0, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.InsertItem(nSelected, text);
        m_list.SetItemState(nSelected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(nSelected, FALSE);
        m_pCurrentSet->SetModified(TRUE);
        break;
    }
    case ID_PHRASE_APPEND: {
        m_pCurrentSet->m_phrases.AddTail(text);
        const int nRow = m_list.InsertItem(m_list.GetItemCount(), text);
        m_list.SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
        m_list.EnsureVisible(nRow, FALSE);
        m_pCurrentSet->SetModified(TRUE);
        break;
    }
    case ID_PHRASE_DELETE: {
        CArray<int, int> rows;
        for (int i = m_list.GetItemCount() - 1; i >= 0; --i)
            if (m_list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) {
                rows.Add(i);
                m_list.DeleteItem(i);
            }
        m_pCurrentSet->m_phrases.RemoveList(rows);
        m_pCurrentSet->SetModified(TRUE);
        break;
    }
    case ID_GROUP_NEW:
        NewGroup();
        break;
    case ID_GROUP_DELETE: {
        HTREEITEM hItem = m_tree.GetSelectedItem();
        auto* pGroup = dynamic_cast<CSentenceSetGroup*>(m_helper.GetItemObject(hItem));
        if (pGroup != nullptr && pGroup->DeleteFolder()) {
            m_pSelectedGroup = nullptr;
            m_helper.DeleteGroupItem(hItem);
        }
        break;
    }
    case ID_RENAME: {
        HTREEITEM hItem = m_tree.GetSelectedItem();
        CObject* pObject = m_helper.GetItemObject(hItem);
        m_nEditMode = dynamic_cast<CSentenceSet*>(pObject) != nullptr ? EditRenameSet
                                                                     : EditRenameGroup;
        m_tree.EditLabel(hItem);
        break;
    }
    default:
        break;
    }
}

// ---- Groups -----------------------------------------------------------------------------------

CSentenceSetGroup* CDlgMessageBank::GroupForNew() {
    CObject* pObject = m_helper.GetItemObject(m_tree.GetSelectedItem());
    if (auto* pGroup = dynamic_cast<CSentenceSetGroup*>(pObject))
        return pGroup;
    if (auto* pSet = dynamic_cast<CSentenceSet*>(pObject))
        if (auto* pGroup = dynamic_cast<CSentenceSetGroup*>(pSet->GetParent()))
            return pGroup;
    return &m_root;
}

void CDlgMessageBank::NewGroup() {
    m_pNewParent = GroupForNew();
    const CString base = Text(159);
    CString name = base;
    for (int i = 1; SubdirectoryExists(m_pNewParent->GetPath(), name); ++i)
        name.Format("%s%d", (LPCTSTR)base, i);
    HTREEITEM hParent = m_pNewParent == &m_root ? TVI_ROOT : (HTREEITEM)m_pNewParent->GetTreeItem();
    HTREEITEM hItem = m_tree.InsertItem(name, 0, 1, hParent, TVI_FIRST);
    if (hParent != TVI_ROOT)
        m_tree.Expand(hParent, TVE_EXPAND);
    m_nEditMode = EditNewGroup;
    m_tree.EditLabel(hItem);
}

void CDlgMessageBank::OnTreeEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* pInfo = reinterpret_cast<NMTVDISPINFO*>(pNMHDR);
    *pResult = 0;
    const int nMode = m_nEditMode;
    m_nEditMode = EditNone;
    HTREEITEM hItem = pInfo->item.hItem;
    const CString typed = pInfo->item.pszText != nullptr ? pInfo->item.pszText : "";
    if (nMode == EditNewGroup)
        FinishNewGroup(hItem, typed.IsEmpty() ? m_tree.GetItemText(hItem) : typed);
    else if (nMode == EditRenameGroup || nMode == EditRenameSet)
        FinishRename(hItem, typed);
}

void CDlgMessageBank::FinishNewGroup(HTREEITEM hItem, const CString& name) {
    m_tree.DeleteItem(hItem);
    CSentenceSetGroup* pParent = m_pNewParent != nullptr ? m_pNewParent : &m_root;
    m_pNewParent = nullptr;
    // A name that is no file name could reach outside the bank ("..\x") or fail on the disk.
    if (name.IsEmpty() || !IsValidFileName(name) || name == "." || name == "..") {
        AfxMessageBox(Text(213), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (SubdirectoryExists(pParent->GetPath(), name)) {
        AfxMessageBox(Text(160), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString path;
    path.Format("%s\\%s", (LPCTSTR)pParent->GetPath(), (LPCTSTR)name);
    auto* pGroup = new CSentenceSetGroup(path);
    pGroup->SetName(name);
    if (!pGroup->SaveAll()) {
        delete pGroup;
        return;
    }
    pParent->AddSubgroup(pGroup, FALSE);
    HTREEITEM hParent = pParent == &m_root ? TVI_ROOT : (HTREEITEM)pParent->GetTreeItem();
    m_helper.InsertGroupItem(hParent, pGroup, TVI_FIRST,
                             CGroupHelper::InsertGroups | CGroupHelper::InsertContents);
}

void CDlgMessageBank::FinishRename(HTREEITEM hItem, const CString& typed) {
    CObject* pObject = m_helper.GetItemObject(hItem);
    auto* pGroup = dynamic_cast<CSentenceSetGroup*>(pObject);
    auto* pSet = dynamic_cast<CSentenceSet*>(pObject);
    if (typed.IsEmpty() || (pGroup == nullptr && pSet == nullptr))
        return;
    const CString oldName = pGroup != nullptr ? pGroup->GetName() : pSet->GetName();
    if (typed == oldName)
        return;
    if (!IsValidFileName(typed) || typed == "." || typed == "..") {
        AfxMessageBox(Text(213), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString message;
    if (pGroup != nullptr) {
        const CString oldPath = pGroup->GetPath();
        if (!pGroup->Rename(typed)) {
            message.Format(Text(162), (LPCTSTR)oldPath, (LPCTSTR)typed);
            MessageBox(message, Text(163), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    } else {
        const CString oldPath = pSet->GetPath();
        const CString fileName = typed + ".txt";
        if (!pSet->Rename(fileName)) {
            message.Format(Text(164), (LPCTSTR)oldPath, (LPCTSTR)fileName);
            MessageBox(message, Text(165), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        pSet->SetName(typed);
    }
    m_tree.SetItemText(hItem, typed);
    m_tree.SelectItem(hItem);
}
