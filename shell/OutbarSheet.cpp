#include "shell/OutbarSheet.h"

#include "platform/gui/Frame.h"
#include "platform/gui/Icon.h"
#include "platform/gui/WinApp.h"
#include "shell/OutbarWnd.h"
#include "ui/KovPropertyPage.h"

BEGIN_MESSAGE_MAP(COutbarSheet, CDialog)
ON_WM_DESTROY()
ON_LBN_SELCHANGE(COutbarSheet::IDC_PAGE_LIST, &COutbarSheet::OnSelChangePageList)
ON_MESSAGE(WM_KOVPAGE_CHANGED, &COutbarSheet::OnPageChanged)
ON_MESSAGE(WM_KICKIDLE, &COutbarSheet::OnKickIdle)
ON_UPDATE_COMMAND_UI(IDOK, &COutbarSheet::OnUpdateOK)
END_MESSAGE_MAP()

COutbarSheet::COutbarSheet(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {
    CWnd* focus = CWnd::GetFocus();
    m_hFocus = focus ? focus->GetSafeHwnd() : nullptr;
}

COutbarSheet::~COutbarSheet() {
    // The pages go with their windows; the bar is the sheet's own.
    if (m_pBar && m_pBar->GetSafeHwnd())
        m_pBar->DestroyWindow();
    delete m_pBar;
}

BOOL COutbarSheet::OnInitDialog() {
    CDialog::OnInitDialog();

    m_images.DeleteImageList();
    m_images.Create(32, 32, ILC_COLOR32 | ILC_MASK, 2, 2);
    for (const OutbarSheetImage* row = m_pImages; row && row->nID; ++row) {
        if (row->bBitmap) {
            CBitmap bitmap;
            if (bitmap.LoadBitmap(row->nID))
                m_images.Add(&bitmap, row->crMask);
        } else {
            m_images.Add(::LoadIcon(nullptr, MAKEINTRESOURCE(row->nID)));
        }
    }

    if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd()))
        if (CView* view = frame->GetActiveView())
            m_hActiveView = view->GetSafeHwnd();

    m_pageList.SubclassDlgItem(IDC_PAGE_LIST, this);
    m_pageList.SetImageList(&m_images, TRUE);
    // The box was measured as it was made from the template, before it was ours.
    m_pageList.SetItemHeight(0, (UINT)m_pageList.m_itemHeight);

    if (!m_pBar) {
        m_pBar = new COutbarWnd(COutbarWnd::StyleSingle);
        if (!m_pBar->Create(this, WS_CHILD | WS_VISIBLE, IDC_BAR)) {
            delete m_pBar;
            m_pBar = nullptr;
        }
        for (int i = 0; m_pBar && m_pPageClasses && m_pPageClasses[i]; ++i) {
            CWnd* wnd = m_pBar->AddFolderPage(m_pPageClasses[i], nullptr, "", IDC_PAGE, this, i);
            auto* page = dynamic_cast<CKovPropertyPage*>(wnd);
            if (!page)
                continue;
            page->SetPageId(m_pBar->GetFolderCount() - 1);
            page->SetOwner(this);
            CString caption;
            page->GetWindowText(caption);
            m_pBar->SetFolderCaption(page->GetPageId(), caption);
            if (OnPageCreated(page))
                page->SendMessage(WM_INITDIALOG, 0, 0);
            m_pageList.AddItem(caption, page->GetPageId());
        }
    }
    if (m_pBar) {
        m_pBar->SelectFolder(0, FALSE);
        m_pageList.SetCurSel(0);
        // The pages' controls are the dialog's own to the keyboard, in the place of the
        // placeholder the bar covers: Tab goes from the page list through the page to OK.
        m_pBar->ModifyStyleEx(0, WS_EX_CONTROLPARENT);
        if (CWnd* area = GetDlgItem(IDC_PAGE_AREA)) {
            CRect rect;
            area->GetWindowRect(&rect);
            ScreenToClient(&rect);
            area->ShowWindow(SW_HIDE);
            m_pBar->SetWindowPos(area, rect.left, rect.top, rect.Width(), rect.Height(),
                                 SWP_NOACTIVATE);
        }
        m_pBar->LayoutFolderWnds();
    }
    ShowCaptionLine();
    UpdateOKButton();
    return TRUE;
}

BOOL COutbarSheet::OnPageCreated(CKovPropertyPage*) {
    return FALSE;
}

int COutbarSheet::GetPageCount() const {
    return m_pBar ? m_pBar->GetFolderCount() : 0;
}

CKovPropertyPage* COutbarSheet::GetPage(int i) const {
    return m_pBar ? dynamic_cast<CKovPropertyPage*>(m_pBar->GetFolderWnd(i)) : nullptr;
}

int COutbarSheet::GetActivePage() const {
    return m_pBar ? m_pBar->GetSelFolder() : -1;
}

void COutbarSheet::SelectPage(int i) {
    m_pageList.SetCurSel(i);
    OnSelChangePageList();
}

void COutbarSheet::OnSelChangePageList() {
    if (!m_pBar)
        return;
    int sel = m_pageList.GetCurSel();
    if (sel < 0 || sel >= m_pBar->GetFolderCount())
        sel = 0;
    m_pBar->SelectFolder(sel, FALSE);
    m_pBar->LayoutFolderWnds();
    ShowCaptionLine();
    m_pageList.SetFocus();
}

CString COutbarSheet::FormatCaptionLine(const CString& caption, BOOL bModified) {
    CString line;
    line.Format("请在此设置“%s”的有关信息", caption.GetString());
    if (bModified)
        line += "（该项已修改）";
    return line;
}

void COutbarSheet::ShowCaptionLine() {
    CKovPropertyPage* page = GetPage(GetActivePage());
    if (!page)
        return;
    SetDlgItemText(IDC_PAGE_CAPTION, FormatCaptionLine(m_pBar->GetFolderCaption(GetActivePage()),
                                                       page->IsPageModified()));
}

LRESULT COutbarSheet::OnPageChanged(WPARAM, LPARAM lParam) {
    // A page back to its stored values leaves OK on while another page holds changes.
    m_nModified = (int)lParam;
    for (int i = 0; i < GetPageCount() && m_nModified == 0; ++i)
        if (CKovPropertyPage* page = GetPage(i); page != nullptr && page->IsPageModified())
            m_nModified = 1;
    ShowCaptionLine();
    UpdateOKButton();
    return 0;
}

LRESULT COutbarSheet::OnKickIdle(WPARAM wParam, LPARAM lParam) {
    UpdateDialogControls(this, FALSE);
    if (CKovPropertyPage* page = GetPage(GetActivePage()))
        page->SendMessage(WM_KICKIDLE, wParam, lParam);
    return 0;
}

void COutbarSheet::OnUpdateOK(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_nModified != 0);
}

void COutbarSheet::UpdateOKButton() {
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->EnableWindow(m_nModified != 0);
}

void COutbarSheet::OnOK() {
    // Each page applies itself; a page that was not changed applies nothing.
    for (int i = 0; i < GetPageCount(); ++i) {
        CKovPropertyPage* page = GetPage(i);
        if (!page)
            continue;
        const BOOL modified = page->IsPageModified();
        page->SendMessage(WM_COMMAND, IDOK, 0);
        if (modified)
            m_nAppliedFlags |= 1 << i;
    }
    EndDialog(IDOK);
}

void COutbarSheet::OnDestroy() {
    // The view and the window are given back only when they are still there: files opened or
    // closed while the dialog was up may have taken them away.
    if (m_hActiveView && ::IsWindow(m_hActiveView))
        if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd()))
            if (auto* view = dynamic_cast<CView*>(CWnd::FromHandlePermanent(m_hActiveView)))
                frame->SetActiveView(view);
    if (m_hFocus && ::IsWindow(m_hFocus))
        CWnd::FromHandlePermanent(m_hFocus)->SetFocus();
    m_hActiveView = nullptr;
    m_hFocus = nullptr;
    CDialog::OnDestroy();
}
