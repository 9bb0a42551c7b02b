#include "contacts/ui/FormNamebook.h"

#include "contacts/Person.h"
#include "contacts/SmsDoc.h"
#include "contacts/ui/LeftView.h"
#include "core/QuillmarBaseDoc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WinApp.h"
#include "ui/GroupTreeView.h"
#include "ui/KovMenu.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CFormNamebook, CView)

BEGIN_MESSAGE_MAP(CFormNamebook, CView)
ON_WM_SIZE()
ON_COMMAND(CFormNamebook::ID_CONFIRM_EDIT, &CFormNamebook::OnConfirm)
ON_COMMAND(CFormNamebook::ID_DISCARD_EDIT, &CFormNamebook::OnDiscard)
ON_COMMAND(CFormNamebook::ID_RELOAD, &CFormNamebook::OnReload)
ON_UPDATE_COMMAND_UI(CFormNamebook::ID_CONFIRM_EDIT, &CFormNamebook::OnUpdateModified)
ON_UPDATE_COMMAND_UI(CFormNamebook::ID_DISCARD_EDIT, &CFormNamebook::OnUpdateModified)
ON_COMMAND(CFormNamebook::ID_GO_UP, &CFormNamebook::OnGoUp)
ON_UPDATE_COMMAND_UI(CFormNamebook::ID_GO_UP, &CFormNamebook::OnUpdateGoUp)
ON_MESSAGE(CFormNamebook::WM_SHOW_FIELD, &CFormNamebook::OnShowField)
ON_MESSAGE(WM_PAGEEXT_CHANGED, &CFormNamebook::OnSheetChanged)
ON_MESSAGE(CLeftView::WM_QUERY_KEEP_VIEW, &CFormNamebook::OnQueryKeep)
ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CFormNamebook::CFormNamebook() = default;

void CFormNamebook::SetNotifyWnd(CWnd* pWnd) {
    if (pWnd != nullptr)
        SetOwner(pWnd);
}

void CFormNamebook::OnInitialUpdate() {
    CreateSheet();
    LoadPerson();
}

void CFormNamebook::CreateSheet() {
    if (m_sheet.GetSafeHwnd() != nullptr)
        return;
    if (!m_sheet.Create(this, WS_CHILD | WS_VISIBLE, 0))
        return;
    m_sheet.SetDlgCtrlID((int)IDC_SHEET);
    CRect rc;
    GetClientRect(&rc);
    FitSheet(rc.Width(), rc.Height());
    // Every page window is made once, so that loading a contact reaches all six pages.
    const int nPages = m_sheet.GetPageCount();
    for (int i = 1; i < nPages; ++i)
        m_sheet.PressButton(PSBTN_NEXT);
    for (int i = 1; i < nPages; ++i)
        m_sheet.PressButton(PSBTN_BACK);
    ClearModified();
}

void CFormNamebook::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    FitSheet(cx, cy);
}

void CFormNamebook::FitSheet(int cx, int cy) {
    if (m_sheet.GetSafeHwnd() == nullptr || cx <= 0 || cy <= 0)
        return;
    cx = std::max<int>(cx, kMinSheetWidth);
    cy = std::max<int>(cy, kMinSheetHeight);
    m_sheet.SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    // The tabs keep their margin and take the rest; the current page is then fitted to them in
    // place. It is not left and shown again, which would run its leave handling and close an
    // open list editor with the text in it.
    CTabCtrl* pTab = m_sheet.GetTabControl();
    if (pTab == nullptr || pTab->GetSafeHwnd() == nullptr)
        return;
    CRect tab;
    pTab->GetWindowRect(&tab);
    m_sheet.ScreenToClient(&tab);
    const int margin = std::max<int>(tab.left, 0);
    tab.right = std::max<int>(tab.left + 1, cx - margin);
    tab.bottom = std::max<int>(tab.top + 1, cy - std::max<int>(tab.top, 0));
    pTab->MoveWindow(&tab);
    if (m_sheet.GetActiveIndex() >= 0)
        m_sheet.SetActivePage(m_sheet.GetActiveIndex());
}

void CFormNamebook::OnDraw(CDC*) {}

CWnd* CFormNamebook::Tree() {
    CWnd* pOwner = GetOwner();
    return pOwner != nullptr ? pOwner : GetParent();
}

BOOL CFormNamebook::IsEditModified() {
    return m_sheet.GetSafeHwnd() != nullptr && (m_sheet.IsChanged() || m_sheet.IsAnyPageChanged());
}

void CFormNamebook::ClearModified() {
    m_sheet.SetAllPagesChanged(FALSE);
    m_sheet.SetChanged(FALSE);
}

void CFormNamebook::LoadPerson() {
    auto* pDoc = dynamic_cast<CQuillmarBaseDoc*>(GetDocument());
    m_pPerson = pDoc != nullptr ? dynamic_cast<_CPerson*>(pDoc->GetCurrentObject()) : nullptr;
    if (m_pPerson == nullptr || m_sheet.GetSafeHwnd() == nullptr)
        return;
    m_sheet.ExchangeContact(m_pPerson->GetInfo(), TRUE);
    ClearModified();
}

void CFormNamebook::OnUpdate(CView* pSender, LPARAM, CObject*) {
    if (pSender == this)
        return;
    CreateSheet();
    LoadPerson();
}

void CFormNamebook::OnReload() {
    LoadPerson();
}

void CFormNamebook::OnConfirm() {
    if (m_pPerson == nullptr || !IsEditModified())
        return;
    const CString oldName = m_pPerson->GetName();
    m_sheet.ExchangeContact(m_pPerson->GetInfo(), FALSE);
    m_pPerson->SetModifiedTime(CTime::GetCurrentTime());
    // The calendar shows the birthday as the contact now has it, saved or not.
    if (auto* pBook = dynamic_cast<CSmsDoc*>(GetDocument()))
        pBook->RebuildBirthdayMaps();
    // Cleared before the tree hears of it: the tree re-sorts the contact's item and selects it
    // again, which asks this form whether it may be left.
    ClearModified();
    CWnd* pTree = Tree();
    if (pTree != nullptr) {
        pTree->SendMessage(WM_GROUPVIEW_MODIFIED);
        if (m_pPerson->GetName() != oldName)
            pTree->SendMessage(WM_GROUPVIEW_SETTEXT, 0, (LPARAM)m_pPerson->GetName().GetString());
        pTree->SendMessage(WM_VIEW_BUSY, 102, ID_CONFIRM_EDIT);
    } else if (CDocument* pDoc = GetDocument()) {
        pDoc->SetModifiedFlag(TRUE);
    }
}

void CFormNamebook::OnDiscard() {
    if (!IsEditModified())
        return;
    CString question;
    question.LoadString(916);
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    LoadPerson();
    ClearModified();
    if (CWnd* pTree = Tree())
        pTree->SendMessage(WM_VIEW_BUSY, 102, ID_DISCARD_EDIT);
}

void CFormNamebook::OnUpdateModified(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_pPerson != nullptr && IsEditModified());
}

void CFormNamebook::OnGoUp() {
    CGroup* pGroup = m_pPerson != nullptr ? m_pPerson->GetParent() : nullptr;
    CWnd* pTree = Tree();
    if (pGroup == nullptr || pTree == nullptr || IsEditModified())
        return;
    pTree->SendMessage(WM_GROUPVIEW_SELECTITEM, 0, (LPARAM)pGroup->GetTreeItem());
    if (CFrameWnd* pFrame = GetParentFrame())
        if (CView* pView = pFrame->GetActiveView())
            pView->SetFocus();
}

void CFormNamebook::OnUpdateGoUp(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_pPerson != nullptr && !IsEditModified());
}

LRESULT CFormNamebook::OnShowField(WPARAM wParam, LPARAM) {
    return m_sheet.GetSafeHwnd() != nullptr && m_sheet.ShowField((int)wParam);
}

LRESULT CFormNamebook::OnSheetChanged(WPARAM wParam, LPARAM lParam) {
    if (wParam == 100)
        if (CWnd* pTree = Tree())
            pTree->SendMessage(WM_VIEW_BUSY, 100, lParam);
    return 0;
}

LRESULT CFormNamebook::OnQueryKeep(WPARAM, LPARAM) {
    if (m_sheet.GetSafeHwnd() == nullptr)
        return 0;
    if (!m_sheet.m_pagePerson.IsChanged() && !m_sheet.m_pageHome.IsChanged() &&
        !m_sheet.m_pageUnit.IsChanged())
        return 0;
    CString warning;
    warning.LoadString(247);
    AfxMessageBox(warning, MB_OK | MB_ICONEXCLAMATION);
    return 1;
}

BOOL CFormNamebook::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (m_sheet.GetSafeHwnd() != nullptr)
        if (CPropertyPage* pPage = m_sheet.GetActivePage())
            if (pPage->GetSafeHwnd() != nullptr &&
                pPage->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
                return TRUE;
    return CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CFormNamebook::OnContextMenu(CWnd*, CPoint point) {
    ShowNamedPopupMenu(IDR_CONTEXT_MENUS, "编辑个人", point, TPM_LEFTALIGN | TPM_RIGHTBUTTON,
                       AfxGetMainWnd());
}
