#include "platform/gui/PropertySheet.h"

#include "platform/gui/Resource.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/WndPrivate.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CDialog)

namespace {

// Button slots of CPropertySheet::m_buttons, right to left as they stand in an ordinary sheet.
enum { kHelp, kApply, kCancel, kOK, kFinish, kNext, kBack, kButtonCount };

const UINT kButtonIds[kButtonCount] = {IDHELP,       ID_APPLY_NOW, IDCANCEL,  IDOK,
                                       ID_WIZFINISH, ID_WIZNEXT,   ID_WIZBACK};
const char* const kButtonTexts[kButtonCount] = {"帮助", "应用(&A)",     "取消",        "确定",
                                                "完成", "下一步(&N) >", "< 上一步(&B)"};

bool IsKeyFor(const MSG* m, UINT vk) {
    return m->message == WM_KEYDOWN && m->wParam == vk;
}

// Tab or Shift+Tab without Ctrl (Ctrl+Tab turns pages).
bool IsTabMove(const MSG* m) {
    return IsKeyFor(m, VK_TAB) && GetKeyState(VK_CONTROL) >= 0;
}

bool IsTabStop(CWnd* w) {
    DWORD s = w && w->m_hWnd ? w->GetStyle() : 0;
    return (s & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE);
}

// Ctrl with Tab or Page Up/Down: the keys that turn the pages of a sheet; +1, -1 or 0.
int PageTurnKey(const MSG* m) {
    if (m->message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0)
        return 0;
    if (m->wParam == VK_TAB)
        return GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    if (m->wParam == VK_NEXT)
        return 1;
    if (m->wParam == VK_PRIOR)
        return -1;
    return 0;
}

} // namespace

// ---- The page -------------------------------------------------------------------------------

CPropertyPage::CPropertyPage() {
    Construct(0, 0);
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) {
    Construct(nIDTemplate, nIDCaption);
}

CPropertyPage::~CPropertyPage() {
    // Pages are often members of a derived sheet and die before the sheet's own destructor.
    if (m_pOwnerSheet)
        m_pOwnerSheet->ForgetPage(this);
}

void CPropertyPage::Construct(UINT nIDTemplate, UINT nIDCaption) {
    m_nIDTemplate = nIDTemplate;
    m_psp = PROPSHEETPAGE{sizeof(PROPSHEETPAGE), PSP_HASHELP, nIDTemplate, nullptr, 0};
    m_strCaption.Empty();
    if (nIDCaption != 0 && m_strCaption.LoadString(nIDCaption)) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = m_strCaption;
    }
}

CString CPropertyPage::GetCaption() const {
    if ((m_psp.dwFlags & PSP_USETITLE) && m_psp.pszTitle)
        return m_psp.pszTitle;
    if (const ResDialog* t = AfxFindDialog(m_nIDTemplate); t && t->caption)
        return t->caption;
    return CString();
}

CPropertySheet* CPropertyPage::GetSheet() const {
    return dynamic_cast<CPropertySheet*>(GetParent());
}

void CPropertyPage::SetModified(BOOL bChanged) {
    if (!m_hWnd)
        return;
    if (CWnd* parent = GetParent())
        parent->SendMessage(bChanged ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)m_hWnd);
}

void CPropertyPage::CancelToClose() {
    if (m_hWnd)
        if (CWnd* parent = GetParent())
            parent->SendMessage(PSM_CANCELTOCLOSE);
}

LRESULT CPropertyPage::QuerySiblings(WPARAM wParam, LPARAM lParam) {
    CWnd* parent = m_hWnd ? GetParent() : nullptr;
    return parent ? parent->SendMessage(PSM_QUERYSIBLINGS, wParam, lParam) : 0;
}

BOOL CPropertyPage::OnSetActive() {
    if (m_bFirstSetActive)
        m_bFirstSetActive = FALSE;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() {
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset() {
    OnCancel();
}

void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

BOOL CPropertyPage::OnQueryCancel() {
    return TRUE;
}

LRESULT CPropertyPage::OnWizardBack() {
    return 0;
}

LRESULT CPropertyPage::OnWizardNext() {
    return 0;
}

BOOL CPropertyPage::OnWizardFinish() {
    return TRUE;
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    CWnd* parent = GetParent();
    if (!parent || nm->hwndFrom != parent->m_hWnd)
        return CDialog::OnNotify(wParam, lParam, pResult);
    switch (nm->code) {
    case PSN_SETACTIVE:
        *pResult = OnSetActive() ? 0 : -1;
        return TRUE;
    case PSN_KILLACTIVE:
        *pResult = !OnKillActive();
        return TRUE;
    case PSN_APPLY:
        *pResult = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return TRUE;
    case PSN_RESET:
        OnReset();
        return TRUE;
    case PSN_QUERYCANCEL:
        *pResult = !OnQueryCancel();
        return TRUE;
    case PSN_WIZBACK:
        *pResult = OnWizardBack();
        return TRUE;
    case PSN_WIZNEXT:
        *pResult = OnWizardNext();
        return TRUE;
    case PSN_WIZFINISH:
        *pResult = !OnWizardFinish();
        return TRUE;
    default:
        return CDialog::OnNotify(wParam, lParam, pResult);
    }
}

BOOL CPropertyPage::PreTranslateMessage(MSG* pMsg) {
    // Inside a sheet, Enter and Escape belong to the sheet's buttons, Tab moves through the
    // tabs, the page and the buttons, and the page-turning keys belong to the tabs; they pass on
    // to the sheet, which sees the message next.
    if (GetSheet() && (IsKeyFor(pMsg, VK_RETURN) || IsKeyFor(pMsg, VK_ESCAPE) || IsTabMove(pMsg) ||
                       PageTurnKey(pMsg) != 0))
        return FALSE;
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CPropertyPage::PreCreateWindow(CREATESTRUCT& cs) {
    if (m_bCreatingInSheet) {
        // Whatever the template says, in a sheet the page is a captionless child.
        cs.style &= ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME |
                      WS_VISIBLE | WS_DISABLED);
        cs.style |= WS_CHILD | DS_CONTROL;
        cs.dwExStyle |= WS_EX_CONTROLPARENT;
    }
    return CDialog::PreCreateWindow(cs);
}

void CPropertyPage::OnWidgetCreated() {
    // Pages show the face colour of dialogs even as child windows.
    if (QWidget* w = GetWidget()) {
        QPalette pal = w->palette();
        COLORREF c = GetSysColor(COLOR_BTNFACE);
        pal.setColor(QPalette::Window, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
        w->setPalette(pal);
    }
    CDialog::OnWidgetCreated();
}

BOOL CPropertyPage::CreateInSheet(CPropertySheet* pSheet) {
    m_bCreatingInSheet = true;
    m_bFirstSetActive = TRUE;
    m_bModified = false;
    BOOL ok = CDialog::Create(m_nIDTemplate, pSheet);
    m_bCreatingInSheet = false;
    if (ok)
        ShowWindow(SW_HIDE);
    return ok;
}

// ---- The sheet ------------------------------------------------------------------------------

CPropertySheet::CPropertySheet() {
    CommonConstruct(nullptr, 0);
}

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) {
    Construct(nIDCaption, pParentWnd, iSelectPage);
}

CPropertySheet::CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) {
    Construct(pszCaption, pParentWnd, iSelectPage);
}

CPropertySheet::~CPropertySheet() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
    for (CPropertyPage* p : m_pages)
        p->m_pOwnerSheet = nullptr;
}

void CPropertySheet::ForgetPage(CPropertyPage* pPage) {
    int i = GetPageIndex(pPage);
    if (i < 0)
        return;
    m_pages.erase(m_pages.begin() + i);
    m_psh.nPages = (UINT)m_pages.size();
    if (m_wndTab.m_hWnd)
        m_wndTab.DeleteItem(i);
    if (m_nActive == i)
        m_nActive = -1;
    else if (m_nActive > i)
        --m_nActive;
    if (m_psh.nStartPage > (UINT)i)
        --m_psh.nStartPage;
    pPage->m_pOwnerSheet = nullptr;
}

void CPropertySheet::CommonConstruct(CWnd* pParentWnd, UINT iSelectPage) {
    m_pParentWnd = pParentWnd;
    m_psh = PROPSHEETHEADER{
        sizeof(PROPSHEETHEADER), PSH_PROPSHEETPAGE | PSH_HASHELP, nullptr, nullptr, 0, iSelectPage};
}

void CPropertySheet::Construct(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) {
    CommonConstruct(pParentWnd, iSelectPage);
    m_strCaption.Empty();
    if (nIDCaption)
        m_strCaption.LoadString(nIDCaption);
    m_psh.pszCaption = m_strCaption;
}

void CPropertySheet::Construct(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) {
    CommonConstruct(pParentWnd, iSelectPage);
    m_strCaption = pszCaption ? pszCaption : "";
    m_psh.pszCaption = m_strCaption;
}

void CPropertySheet::SetWizardMode() {
    m_psh.dwFlags |= PSH_WIZARD;
}

// ---- Pages ----

void CPropertySheet::AddPage(CPropertyPage* pPage) {
    if (!pPage || GetPageIndex(pPage) >= 0)
        return;
    m_pages.push_back(pPage);
    pPage->m_pOwnerSheet = this;
    m_psh.nPages = (UINT)m_pages.size();
    if (m_wndTab.m_hWnd)
        m_wndTab.InsertItem(GetPageCount() - 1, pPage->GetCaption());
}

void CPropertySheet::RemovePage(CPropertyPage* pPage) {
    RemovePage(GetPageIndex(pPage));
}

void CPropertySheet::RemovePage(int nPage) {
    if (nPage < 0 || nPage >= GetPageCount())
        return;
    if (!m_hWnd) {
        ForgetPage(m_pages[(size_t)nPage]);
        return;
    }
    // The active page hands over to its neighbour before it goes.
    if (nPage == m_nActive && GetPageCount() > 1) {
        int next = nPage + 1 < GetPageCount() ? nPage + 1 : nPage - 1;
        if (!ActivatePage(next, false, next > nPage ? 1 : -1))
            ActivatePage(next > nPage ? nPage - 1 : nPage + 1, false, 0);
    }
    CPropertyPage* page = m_pages[(size_t)nPage];
    if (page->m_hWnd)
        page->DestroyWindow();
    ForgetPage(page);
    if (m_nActive >= 0)
        m_wndTab.SetCurSel(m_nActive);
    ApplyButtonState();
}

int CPropertySheet::GetPageCount() const {
    return (int)m_pages.size();
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const {
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[(size_t)nPage] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const {
    auto it = std::find(m_pages.begin(), m_pages.end(), pPage);
    return it == m_pages.end() ? -1 : (int)(it - m_pages.begin());
}

CPropertyPage* CPropertySheet::GetActivePage() const {
    return GetPage(GetActiveIndex());
}

int CPropertySheet::GetActiveIndex() const {
    return m_hWnd ? m_nActive : (int)m_psh.nStartPage;
}

BOOL CPropertySheet::SetActivePage(int nPage) {
    if (!m_hWnd) {
        if (nPage < 0 || nPage >= GetPageCount())
            return FALSE;
        m_psh.nStartPage = (UINT)nPage;
        return TRUE;
    }
    return (BOOL)SendMessage(PSM_SETCURSEL, (WPARAM)nPage, 0);
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage) {
    int i = GetPageIndex(pPage);
    return i >= 0 && SetActivePage(i);
}

CTabCtrl* CPropertySheet::GetTabControl() const {
    if (!m_hWnd)
        return nullptr;
    auto h = (HWND) const_cast<CPropertySheet*>(this)->SendMessage(PSM_GETTABCONTROL);
    return static_cast<CTabCtrl*>(FromHandle(h));
}

void CPropertySheet::SetTitle(LPCTSTR lpszText, UINT nStyle) {
    if (m_hWnd) {
        SendMessage(PSM_SETTITLE, nStyle, (LPARAM)lpszText);
        return;
    }
    m_strCaption = lpszText ? lpszText : "";
    m_psh.pszCaption = m_strCaption;
    m_bPropTitle = (nStyle & PSH_PROPTITLE) != 0;
}

void CPropertySheet::SetWizardButtons(DWORD dwFlags) {
    if (m_hWnd)
        SendMessage(PSM_SETWIZBUTTONS, 0, (LPARAM)dwFlags);
    else
        m_dwWizButtons = dwFlags;
}

void CPropertySheet::SetFinishText(LPCTSTR lpszText) {
    if (m_hWnd)
        SendMessage(PSM_SETFINISHTEXT, 0, (LPARAM)lpszText);
    else
        m_strFinishText = lpszText ? lpszText : "";
}

void CPropertySheet::PressButton(int nButton) {
    if (m_hWnd)
        SendMessage(PSM_PRESSBUTTON, (WPARAM)nButton);
}

// ---- Making the window ----

CRect CPropertySheet::PageRect() const {
    // A wizard's pages stand where the tabs would; an ordinary sheet's fill the tabs' display
    // area as the tab control now stands (a host may have resized it).
    if (IsWizard()) {
        DialogUnits du = AfxDialogUnits(m_font);
        CPoint at(du.ToPixelsX(7), du.ToPixelsY(7));
        return CRect(at, m_pageSize);
    }
    CRect display;
    m_wndTab.GetWindowRect(&display);
    ScreenToClient(&display);
    const_cast<CTabCtrl&>(m_wndTab).AdjustRect(FALSE, &display);
    return display;
}

INT_PTR CPropertySheet::DoModal() {
    m_bModal = true;
    m_nModalResult = -1;
    if (!BuildSheet(m_pParentWnd, (DWORD)-1, 0)) {
        m_bModal = false;
        return -1;
    }
    return RunModalLoop();
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle) {
    m_bModal = false;
    m_nModalResult = -1;
    if (dwStyle == (DWORD)-1)
        dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    m_pParentWnd = pParentWnd;
    return BuildSheet(pParentWnd, dwStyle, dwExStyle);
}

BOOL CPropertySheet::BuildSheet(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle) {
    if (m_hWnd || m_pages.empty())
        return FALSE;
    if (dwStyle == (DWORD)-1)
        dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    m_bChild = (dwStyle & WS_CHILD) != 0;
    if (m_bChild)
        dwExStyle |= WS_EX_CONTROLPARENT;

    // The first page's font sets the dialog units of the whole sheet; the page area is as large
    // as the largest page.
    const ResDialog* first = AfxFindDialog(m_pages[0]->m_nIDTemplate);
    if (!first)
        return FALSE;
    AfxCreateTemplateFont(*first, m_font);
    m_pageSize = CSize(0, 0);
    for (CPropertyPage* p : m_pages)
        if (const ResDialog* t = AfxFindDialog(p->m_nIDTemplate)) {
            CFont f;
            AfxCreateTemplateFont(*t, f);
            CSize size = AfxTemplateSize(*t, f);
            m_pageSize.cx = std::max(m_pageSize.cx, size.cx);
            m_pageSize.cy = std::max(m_pageSize.cy, size.cy);
        }

    CWnd* parent = pParentWnd ? pParentWnd : (m_bChild ? nullptr : AfxGetMainWnd());
    if (m_bChild && !parent)
        return FALSE;
    bool visible = (dwStyle & WS_VISIBLE) != 0;
    if (m_psh.nStartPage >= (UINT)GetPageCount())
        m_psh.nStartPage = 0;
    m_nActive = -1;
    if (!CreateEx(dwExStyle, "#32770", nullptr, dwStyle & ~WS_VISIBLE, 0, 0, 100, 100,
                  parent ? parent->m_hWnd : nullptr, nullptr))
        return FALSE;
    SetFont(&m_font, FALSE);
    UpdateCaption();

    CRect none(0, 0, 10, 10);
    m_wndTab.Create(WS_CHILD | WS_TABSTOP | (IsWizard() ? 0 : WS_VISIBLE), none, this,
                    AFX_IDC_TAB_CONTROL);
    m_wndTab.SetFont(&m_font, FALSE);
    for (int i = 0; i < GetPageCount(); ++i)
        m_wndTab.InsertItem(i, m_pages[(size_t)i]->GetCaption());
    if (!m_bChild) {
        for (int b = 0; b < kButtonCount; ++b) {
            m_buttons[b].Create(kButtonTexts[b], WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, none, this,
                                kButtonIds[b]);
            m_buttons[b].SetFont(&m_font, FALSE);
        }
        m_wndLine.Create("", WS_CHILD | SS_ETCHEDHORZ, none, this, AFX_IDC_WIZ_LINE);
        if (!m_strFinishText.IsEmpty())
            m_buttons[kFinish].SetWindowText(m_strFinishText);
    }
    PlaceControls();
    ShowWizardButtons();
    ApplyButtonState();
    if (!m_bChild)
        CenterWindow();

    HWND self = m_hWnd;
    BOOL focusDefault = (BOOL)SendMessage(WM_INITDIALOG, 0, 0);
    if (!IsWindow(self))
        return FALSE;
    // A derived sheet that skipped the base initialisation still shows its first page.
    if (m_nActive < 0)
        ActivatePage((int)m_psh.nStartPage, false, 1);
    if (visible)
        ShowWindow(SW_SHOW);
    if (focusDefault)
        if (CPropertyPage* page = GetActivePage())
            if (CWnd* first = page->GetNextDlgTabItem(nullptr))
                page->GotoDlgCtrl(first);
    return TRUE;
}

BOOL CPropertySheet::OnInitDialog() {
    // The start page is made and activated here, so a derived sheet finds it (and the tabs)
    // once it has called this.
    if (m_nActive < 0 && !ActivatePage((int)m_psh.nStartPage, false, 1))
        for (int i = 0; i < GetPageCount() && m_nActive < 0; ++i)
            ActivatePage(i, false, 1);
    return TRUE;
}

void CPropertySheet::PlaceControls() {
    DialogUnits du = AfxDialogUnits(m_font);
    int mx = du.ToPixelsX(7), my = du.ToPixelsY(7);
    int bw = du.ToPixelsX(50), bh = du.ToPixelsY(14), gap = du.ToPixelsX(4);
    bool help = (m_psh.dwFlags & PSH_HASHELP) != 0;
    if (!m_bChild) {
        // The page area is at least as wide as the row of buttons under it.
        int count = (help ? 1 : 0) + (IsWizard() ? ((m_psh.dwFlags & PSH_WIZARDHASFINISH) ? 4 : 3)
                                                 : ((m_psh.dwFlags & PSH_NOAPPLYNOW) ? 2 : 3));
        m_pageSize.cx = std::max<LONG>(m_pageSize.cx, count * bw + (count - 1) * gap);
    }
    CRect body(mx, my, mx + m_pageSize.cx, my + m_pageSize.cy);
    if (!IsWizard()) {
        // The tab control is placed so that its display area holds the largest page.
        CRect tab(0, 0, m_pageSize.cx, m_pageSize.cy);
        m_wndTab.MoveWindow(&tab, FALSE);
        m_wndTab.AdjustRect(TRUE, &tab);
        tab.OffsetRect(mx - tab.left, my - tab.top);
        m_wndTab.MoveWindow(&tab, FALSE);
        body = tab;
    }
    int width = body.right + mx;
    int height = body.bottom + my;
    if (!m_bChild) {
        int y = body.bottom + my;
        if (IsWizard()) {
            m_wndLine.MoveWindow(mx, y, width - 2 * mx, 2, FALSE);
            y += my;
        }
        // Right to left: Help, then Apply, Cancel and OK, or Cancel, Finish/Next and Back.
        int x = width - mx;
        auto put = [&](int slot, bool shown, int spacing) {
            if (!shown)
                return;
            x -= bw;
            m_buttons[slot].MoveWindow(x, y, bw, bh, FALSE);
            x -= spacing;
        };
        put(kHelp, help, gap);
        if (IsWizard()) {
            put(kCancel, true, gap);
            bool finishApart = (m_psh.dwFlags & PSH_WIZARDHASFINISH) != 0;
            if (finishApart)
                put(kFinish, true, gap);
            int nextX = x;
            put(kNext, true, 0);
            if (!finishApart)
                m_buttons[kFinish].MoveWindow(nextX - bw, y, bw, bh, FALSE);
            put(kBack, true, gap);
            for (int slot : {kOK, kApply})
                m_buttons[slot].MoveWindow(0, y, bw, bh, FALSE);
        } else {
            put(kApply, !(m_psh.dwFlags & PSH_NOAPPLYNOW), gap);
            put(kCancel, true, gap);
            put(kOK, true, gap);
            for (int slot : {kBack, kNext, kFinish})
                m_buttons[slot].MoveWindow(0, y, bw, bh, FALSE);
        }
        height = y + bh + my;
    }
    CRect client, window;
    GetClientRect(&client);
    GetWindowRect(&window);
    // The window's size is its frame's: title bar and borders come on top of the client.
    if (client.Width() != width || client.Height() != height)
        SetWindowPos(nullptr, 0, 0, width + window.Width() - client.Width(),
                     height + window.Height() - client.Height(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPropertySheet::ShowWizardButtons() {
    if (m_bChild || !m_buttons[kOK].m_hWnd)
        return;
    bool wizard = IsWizard();
    bool help = (m_psh.dwFlags & PSH_HASHELP) != 0;
    m_buttons[kHelp].ShowWindow(help ? SW_SHOW : SW_HIDE);
    m_buttons[kOK].ShowWindow(wizard ? SW_HIDE : SW_SHOW);
    m_buttons[kApply].ShowWindow(wizard || (m_psh.dwFlags & PSH_NOAPPLYNOW) ? SW_HIDE : SW_SHOW);
    m_buttons[kCancel].ShowWindow(SW_SHOW);
    m_wndLine.ShowWindow(wizard ? SW_SHOW : SW_HIDE);
    if (!wizard) {
        for (int slot : {kBack, kNext, kFinish})
            m_buttons[slot].ShowWindow(SW_HIDE);
        SetDefID(IDOK);
        return;
    }
    DWORD f = m_dwWizButtons;
    bool finishApart = (m_psh.dwFlags & PSH_WIZARDHASFINISH) != 0;
    // A finish text replaces Back and Next with a lone Finish.
    bool finishOnly = !m_strFinishText.IsEmpty();
    bool finishShown = finishApart || finishOnly || (f & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH));
    m_buttons[kBack].ShowWindow(finishOnly ? SW_HIDE : SW_SHOW);
    m_buttons[kBack].EnableWindow((f & PSWIZB_BACK) != 0);
    m_buttons[kNext].ShowWindow(finishOnly || (finishShown && !finishApart) ? SW_HIDE : SW_SHOW);
    m_buttons[kNext].EnableWindow((f & PSWIZB_NEXT) != 0);
    m_buttons[kFinish].ShowWindow(finishShown ? SW_SHOW : SW_HIDE);
    m_buttons[kFinish].EnableWindow(finishOnly || (f & PSWIZB_FINISH) != 0);
    // Enter presses Next while it can be pressed, else Finish.
    bool nextUsable = m_buttons[kNext].IsWindowVisible() && m_buttons[kNext].IsWindowEnabled();
    SetDefID(nextUsable ? ID_WIZNEXT : ID_WIZFINISH);
}

void CPropertySheet::UpdateCaption() {
    CString text = m_strCaption;
    if (m_bPropTitle)
        text.Format("%s 属性", (LPCTSTR)m_strCaption);
    if (m_hWnd)
        SetWindowText(text);
}

void CPropertySheet::ApplyButtonState() {
    if (m_bChild || !m_buttons[kApply].m_hWnd)
        return;
    bool any = std::any_of(m_pages.begin(), m_pages.end(),
                           [](CPropertyPage* p) { return p->m_bModified; });
    m_buttons[kApply].EnableWindow(any);
    CPropertyPage* page = GetPage(m_nActive);
    m_buttons[kHelp].EnableWindow(page && (page->m_psp.dwFlags & PSP_HASHELP));
}

BOOL CPropertySheet::DestroyWindow() {
    // The pages go first, so each is told while its sheet still stands.
    for (CPropertyPage* p : m_pages)
        if (p->m_hWnd)
            p->DestroyWindow();
    m_nActive = -1;
    return CDialog::DestroyWindow();
}

// ---- Switching pages ----

LRESULT CPropertySheet::NotifyPage(int nPage, UINT code, LPARAM lParam) {
    CPropertyPage* page = GetPage(nPage);
    if (!page || !page->m_hWnd)
        return 0;
    PSHNOTIFY n{};
    n.hdr.hwndFrom = m_hWnd;
    n.hdr.idFrom = 0;
    n.hdr.code = code;
    n.lParam = lParam;
    return page->SendMessage(WM_NOTIFY, 0, (LPARAM)&n);
}

BOOL CPropertySheet::ActivatePage(int nPage, bool bAskOld, int nDirection) {
    int count = GetPageCount();
    if (nPage < 0 || nPage >= count || !m_hWnd)
        return FALSE;
    int old = m_nActive;
    CRect display = PageRect();
    if (nPage == old) {
        // Activating the active page again fits it to the tabs as they now stand.
        m_pages[(size_t)nPage]->MoveWindow(&display);
        return TRUE;
    }
    if (bAskOld && old >= 0 && NotifyPage(old, PSN_KILLACTIVE) != 0) {
        m_wndTab.SetCurSel(old);
        return FALSE;
    }
    int step = nDirection < 0 ? -1 : 1;
    // Each page is asked once per switch, so pages that name one another cannot go round.
    std::vector<bool> asked((size_t)count, false);
    for (int target = nPage; target >= 0 && target < count;) {
        if (asked[(size_t)target]) {
            target += step;
            continue;
        }
        asked[(size_t)target] = true;
        CPropertyPage* page = m_pages[(size_t)target];
        if (!page->m_hWnd && !page->CreateInSheet(this)) {
            target += step; // a page that cannot be made is passed over like one that refuses
            continue;
        }
        page->MoveWindow(&display);
        LRESULT r = NotifyPage(target, PSN_SETACTIVE);
        if (r == 0) {
            if (old >= 0 && old != target)
                if (CPropertyPage* prev = GetPage(old); prev && prev->m_hWnd)
                    prev->ShowWindow(SW_HIDE);
            m_nActive = target;
            m_wndTab.SetCurSel(target);
            page->ShowWindow(SW_SHOW);
            ApplyButtonState();
            return TRUE;
        }
        if (r > 0) {
            // The page names another page by its template.
            int named = -1;
            for (int i = 0; i < count; ++i)
                if (m_pages[(size_t)i]->m_nIDTemplate == (UINT)r)
                    named = i;
            if (named >= 0 && named != target) {
                target = named;
                continue;
            }
        }
        target += step;
    }
    // No page would come: the old one is shown again.
    if (old >= 0 && old < count) {
        NotifyPage(old, PSN_SETACTIVE);
        m_wndTab.SetCurSel(old);
    }
    return FALSE;
}

BOOL CPropertySheet::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    if (m_wndTab.m_hWnd && nm->hwndFrom == m_wndTab.m_hWnd) {
        if (nm->code == TCN_SELCHANGING) {
            // The page being left may refuse, which keeps its tab selected.
            *pResult = NotifyPage(m_nActive, PSN_KILLACTIVE) != 0;
            return TRUE;
        }
        if (nm->code == TCN_SELCHANGE) {
            int sel = m_wndTab.GetCurSel();
            ActivatePage(sel, false, sel < m_nActive ? -1 : 1);
            *pResult = 0;
            return TRUE;
        }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg) {
    if (int turn = PageTurnKey(pMsg); turn != 0 && !IsWizard()) {
        int count = GetPageCount();
        if (count > 1 && m_nActive >= 0)
            ActivatePage((m_nActive + turn + count) % count, true, turn);
        return TRUE;
    }
    if (IsTabMove(pMsg)) {
        CWnd* target = FromHandle(pMsg->hwnd);
        UINT code = target && target != this ? (UINT)target->SendMessage(WM_GETDLGCODE) : 0;
        if (!(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)))
            return MoveFocus(target, GetKeyState(VK_SHIFT) < 0);
    }
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CPropertySheet::MoveFocus(CWnd* pFrom, bool bBack) {
    // The order is the tabs, the active page's fields, then the buttons from left to right.
    std::vector<CWnd*> stops;
    if (IsTabStop(&m_wndTab))
        stops.push_back(&m_wndTab);
    if (CPropertyPage* page = GetActivePage(); page && page->m_hWnd)
        for (CWnd* c = page->GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT))
            if (IsTabStop(c))
                stops.push_back(c);
    std::vector<CWnd*> buttons;
    for (CButton& b : m_buttons)
        if (IsTabStop(&b))
            buttons.push_back(&b);
    std::sort(buttons.begin(), buttons.end(), [](CWnd* a, CWnd* b) {
        CRect ra, rb;
        a->GetWindowRect(&ra);
        b->GetWindowRect(&rb);
        return ra.left < rb.left;
    });
    stops.insert(stops.end(), buttons.begin(), buttons.end());
    if (stops.empty())
        return FALSE;
    int n = (int)stops.size(), at = -1;
    for (int i = 0; i < n; ++i)
        if (stops[(size_t)i] == pFrom || stops[(size_t)i]->IsChild(pFrom))
            at = i;
    // A sheet inside another window hands the key on at its ends, so Tab leaves it for the
    // host's next control instead of going round inside.
    if (m_bChild && at >= 0 && (bBack ? at == 0 : at == n - 1))
        return FALSE;
    int next = at < 0 ? (bBack ? n - 1 : 0) : (at + (bBack ? n - 1 : 1)) % n;
    GotoDlgCtrl(stops[(size_t)next]);
    return TRUE;
}

// ---- Buttons ----

BOOL CPropertySheet::Apply(BOOL bClosing) {
    if (m_nActive >= 0 && NotifyPage(m_nActive, PSN_KILLACTIVE) != 0)
        return FALSE;
    for (int i = 0; i < GetPageCount(); ++i) {
        if (!m_pages[(size_t)i]->m_hWnd)
            continue; // never shown: nothing of it to apply
        LRESULT r = NotifyPage(i, PSN_APPLY, bClosing);
        if (r == PSNRET_INVALID) {
            ActivatePage(i, false, 1);
            return FALSE;
        }
        if (r == PSNRET_INVALID_NOCHANGEPAGE)
            return FALSE;
    }
    for (CPropertyPage* p : m_pages)
        p->m_bModified = false;
    ApplyButtonState();
    return TRUE;
}

void CPropertySheet::Cancel() {
    if (m_nActive >= 0 && NotifyPage(m_nActive, PSN_QUERYCANCEL) != 0)
        return;
    for (int i = 0; i < GetPageCount(); ++i)
        NotifyPage(i, PSN_RESET);
    EndDialog(IDCANCEL);
}

void CPropertySheet::WizardStep(bool bNext) {
    if (m_nActive < 0)
        return;
    LRESULT r = IsWizard() ? NotifyPage(m_nActive, bNext ? PSN_WIZNEXT : PSN_WIZBACK) : 0;
    if (r == -1)
        return;
    int target = m_nActive + (bNext ? 1 : -1);
    if (r != 0)
        for (int i = 0; i < GetPageCount(); ++i)
            if (m_pages[(size_t)i]->m_nIDTemplate == (UINT)r)
                target = i;
    if (target < 0 || target >= GetPageCount())
        return;
    ActivatePage(target, true, target < m_nActive ? -1 : 1);
}

void CPropertySheet::Finish() {
    if (m_nActive >= 0 && NotifyPage(m_nActive, PSN_WIZFINISH) != 0)
        return;
    EndDialog(ID_WIZFINISH);
}

void CPropertySheet::OnOK() {
    ButtonCommand(IDOK);
}

void CPropertySheet::OnCancel() {
    ButtonCommand(IDCANCEL);
}

bool CPropertySheet::CanPress(UINT nID) const {
    CWnd* button = GetDlgItem((int)nID);
    return button && (button->GetStyle() & WS_VISIBLE) && button->IsWindowEnabled();
}

void CPropertySheet::ButtonCommand(UINT nID) {
    // Only a button the user could press acts: a sheet without buttons, or with this one hidden
    // or disabled, ignores Enter, Escape and the button's command.
    if (!CanPress(nID))
        return;
    static const std::pair<UINT, int> kPress[] = {{IDOK, PSBTN_OK},
                                                  {IDCANCEL, PSBTN_CANCEL},
                                                  {ID_APPLY_NOW, PSBTN_APPLYNOW},
                                                  {IDHELP, PSBTN_HELP},
                                                  {ID_WIZBACK, PSBTN_BACK},
                                                  {ID_WIZNEXT, PSBTN_NEXT},
                                                  {ID_WIZFINISH, PSBTN_FINISH}};
    for (auto [id, press] : kPress)
        if (id == nID)
            DefWindowProc(PSM_PRESSBUTTON, (WPARAM)press, 0);
}

LRESULT CPropertySheet::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS: {
        // The focus given to the sheet (a host's Tab, say) goes on to the active page's first
        // field, else to the tabs.
        LRESULT r = CDialog::DefWindowProc(message, wParam, lParam);
        CPropertyPage* page = GetActivePage();
        CWnd* first = page && page->m_hWnd ? page->GetNextDlgTabItem(nullptr) : nullptr;
        if (first)
            page->GotoDlgCtrl(first);
        else if (IsTabStop(&m_wndTab))
            m_wndTab.SetFocus();
        return r;
    }
    case WM_COMMAND:
        if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
            UINT id = LOWORD(wParam);
            if (id == IDOK || id == IDCANCEL || id == ID_APPLY_NOW || id == IDHELP ||
                id == ID_WIZBACK || id == ID_WIZNEXT || id == ID_WIZFINISH) {
                ButtonCommand(id);
                return 0;
            }
        }
        break;
    case PSM_SETCURSEL: {
        int index = (int)wParam;
        // A page named by lParam wins over the index; an unknown one matches nothing.
        if (lParam)
            index = GetPageIndex(reinterpret_cast<CPropertyPage*>(lParam));
        return ActivatePage(index, true, index < m_nActive ? -1 : 1);
    }
    case PSM_REMOVEPAGE: {
        int index = (int)wParam;
        if (lParam)
            index = GetPageIndex(reinterpret_cast<CPropertyPage*>(lParam));
        RemovePage(index);
        return 0;
    }
    case PSM_CHANGED:
    case PSM_UNCHANGED:
        for (CPropertyPage* p : m_pages)
            if (p->m_hWnd && p->m_hWnd == (HWND)wParam)
                p->m_bModified = message == PSM_CHANGED;
        ApplyButtonState();
        return 0;
    case PSM_CANCELTOCLOSE:
        if (!m_bChild) {
            m_buttons[kCancel].EnableWindow(FALSE);
            m_buttons[kOK].SetWindowText("关闭");
        }
        return 0;
    case PSM_QUERYSIBLINGS:
        for (CPropertyPage* p : m_pages)
            if (p->m_hWnd)
                if (LRESULT r = p->SendMessage(PSM_QUERYSIBLINGS, wParam, lParam))
                    return r;
        return 0;
    case PSM_APPLY:
        return Apply(FALSE);
    case PSM_SETTITLE:
        m_strCaption = lParam ? reinterpret_cast<LPCTSTR>(lParam) : "";
        m_psh.pszCaption = m_strCaption;
        m_bPropTitle = (wParam & PSH_PROPTITLE) != 0;
        UpdateCaption();
        return 0;
    case PSM_SETWIZBUTTONS:
        m_dwWizButtons = (DWORD)lParam;
        ShowWizardButtons();
        return 0;
    case PSM_SETFINISHTEXT:
        m_strFinishText = lParam ? reinterpret_cast<LPCTSTR>(lParam) : "";
        if (!m_bChild) {
            m_buttons[kFinish].SetWindowText(m_strFinishText.IsEmpty() ? kButtonTexts[kFinish]
                                                                       : (LPCTSTR)m_strFinishText);
            ShowWizardButtons();
        }
        return 0;
    case PSM_GETTABCONTROL:
        return (LRESULT)m_wndTab.m_hWnd;
    case PSM_GETCURRENTPAGEHWND: {
        CPropertyPage* page = GetPage(m_nActive);
        return (LRESULT)(page ? page->m_hWnd : nullptr);
    }
    case PSM_PRESSBUTTON:
        switch ((int)wParam) {
        case PSBTN_BACK:
        case PSBTN_NEXT:
            // A wizard's step buttons work only while they can be pressed; an ordinary sheet
            // steps through its pages.
            if (!IsWizard() || CanPress(wParam == PSBTN_NEXT ? ID_WIZNEXT : ID_WIZBACK))
                WizardStep(wParam == PSBTN_NEXT);
            return 0;
        case PSBTN_FINISH:
            if (CanPress(ID_WIZFINISH))
                Finish();
            return 0;
        case PSBTN_OK:
            if (Apply(TRUE))
                EndDialog(IDOK);
            return 0;
        case PSBTN_APPLYNOW:
            Apply(FALSE);
            return 0;
        case PSBTN_CANCEL:
            Cancel();
            return 0;
        case PSBTN_HELP:
            NotifyPage(m_nActive, PSN_HELP);
            return 0;
        default:
            return 0;
        }
    default:
        break;
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}
