#include "platform/gui/ControlBar.h"

#include "platform/gui/Resource.h"
#include "platform/gui/WndPrivate.h"

#include <QFontMetrics>
#include <QWidget>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)
IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)
IMPLEMENT_DYNAMIC(CReBar, CControlBar)

namespace {

// A status-bar pane being brought up to date.
class CStatusCmdUI : public CCmdUI {
public:
    CStatusBar* bar = nullptr;
    void Enable(BOOL bOn) override {
        m_bEnableChanged = TRUE;
        UINT style = bar->GetPaneStyle((int)m_nIndex) & ~SBPS_DISABLED;
        bar->SetPaneStyle((int)m_nIndex, bOn ? style : style | SBPS_DISABLED);
    }
    void SetCheck(int nCheck) override {
        UINT style = bar->GetPaneStyle((int)m_nIndex) & ~SBPS_POPOUT;
        bar->SetPaneStyle((int)m_nIndex, nCheck ? style | SBPS_POPOUT : style);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn); }
    void SetText(LPCTSTR lpszText) override { bar->SetPaneText((int)m_nIndex, lpszText); }
};

int TextWidth(CWnd* wnd, const CString& text) {
    QWidget* w = wnd->GetWidget();
    QFontMetrics fm(w ? w->font() : QFont());
    return fm.horizontalAdvance(AfxToQt(text));
}

// Shown as far as the bar itself goes (its WS_VISIBLE), even while its frame is still hidden.
bool Shown(const CWnd* wnd) {
    QWidget* w = wnd->GetWidget();
    return w && !w->isHidden();
}

int LineHeight(CWnd* wnd) {
    QWidget* w = wnd->GetWidget();
    return QFontMetrics(w ? w->font() : QFont()).height();
}

} // namespace

// ---- CControlBar ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_MESSAGE(WM_SIZEPARENT, &CControlBar::OnSizeParent)
ON_MESSAGE(WM_IDLEUPDATECMDUI, &CControlBar::OnIdleUpdateCmdUIMessage)
END_MESSAGE_MAP()

CControlBar::CControlBar() = default;
CControlBar::~CControlBar() = default;

void CControlBar::OnWidgetCreated() {
    // Commands on a bar (and whether they are enabled) often depend on which view has the
    // focus; clicking the bar must leave it there.
    if (QWidget* w = GetWidget())
        w->setFocusPolicy(Qt::NoFocus);
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
    CRect rc;
    GetWindowRect(&rc);
    CSize size(rc.Width(), rc.Height());
    if (bStretch) {
        if (bHorz)
            size.cx = 32767;
        else
            size.cy = 32767;
    }
    return size;
}

void CControlBar::OnUpdateCmdUI(CFrameWnd*, BOOL) {}

CWnd* CControlBar::CommandTarget() const {
    if (CWnd* owner = GetOwner())
        return owner;
    if (CFrameWnd* f = AfxGetParentFrame(this))
        return f;
    return GetParent();
}

BOOL CControlBar::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    CWnd* target = CommandTarget();
    if (!target || target == this)
        return FALSE;
    target->SendMessage(WM_COMMAND, wParam, lParam);
    return TRUE;
}

BOOL CControlBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (CWnd::OnNotify(wParam, lParam, pResult))
        return TRUE;
    CWnd* target = CommandTarget();
    if (!target || target == this)
        return FALSE;
    *pResult = target->SendMessage(WM_NOTIFY, wParam, lParam);
    return TRUE;
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam) {
    auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    if (!Shown(this) || !(m_dwStyle & CBRS_ALIGN_ANY))
        return 0;
    CRect& r = *reinterpret_cast<CRect*>(&layout->rect);
    BOOL horz = IsHorz();
    CSize size = CalcFixedLayout(layout->bStretch, horz);
    CRect place = r;
    if (horz) {
        size.cy = std::min<LONG>(size.cy, r.Height());
        if (m_dwStyle & CBRS_ALIGN_TOP) {
            place.bottom = place.top + size.cy;
            r.top += size.cy;
        } else {
            place.top = place.bottom - size.cy;
            r.bottom -= size.cy;
        }
        if (!layout->bStretch)
            place.right = place.left + std::min<LONG>(size.cx, place.Width());
    } else {
        size.cx = std::min<LONG>(size.cx, r.Width());
        if (m_dwStyle & CBRS_ALIGN_LEFT) {
            place.right = place.left + size.cx;
            r.left += size.cx;
        } else {
            place.left = place.right - size.cx;
            r.right -= size.cx;
        }
    }
    if (layout->hDWP)
        MoveWindow(&place);
    return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUIMessage(WPARAM wParam, LPARAM) {
    if (!Shown(this))
        return 0;
    CFrameWnd* target = dynamic_cast<CFrameWnd*>(CommandTarget());
    if (!target)
        target = AfxGetParentFrame(this);
    if (target)
        OnUpdateCmdUI(target, (BOOL)wParam);
    return 0;
}

void CControlBar::OnPaint() {
    CPaintDC dc(this);
    DoPaint(&dc);
}

// The ground is laid by the erase that starts each paint, so that a bar of a colour of its own
// only has to answer the erase.
BOOL CControlBar::OnEraseBkgnd(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, GetSysColor(COLOR_BTNFACE));
    return TRUE;
}

void CControlBar::DoPaint(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    COLORREF line = GetSysColor(COLOR_BTNSHADOW);
    if (m_dwStyle & CBRS_BORDER_TOP)
        pDC->FillSolidRect(rc.left, rc.top, rc.Width(), 1, line);
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
        pDC->FillSolidRect(rc.left, rc.bottom - 1, rc.Width(), 1, line);
}

void CControlBar::PostNcDestroy() {
    if (m_bAutoDelete)
        delete this;
}

// ---- CStatusBar -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    return CreateEx(pParentWnd, 0, dwStyle, nID);
}

BOOL CStatusBar::CreateEx(CWnd* pParentWnd, DWORD, DWORD dwStyle, UINT nID) {
    m_dwStyle = dwStyle & (CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_TOOLTIPS | CBRS_FLYBY);
    CRect rc(0, 0, 0, 0);
    return CWnd::CreateEx(0, nullptr, nullptr, (dwStyle & ~CBRS_ALIGN_ANY & ~0xFFFFL) | WS_CHILD,
                          rc, pParentWnd, nID);
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
    m_panes.clear();
    BOOL ok = TRUE;
    for (int i = 0; i < nIDCount; ++i) {
        Pane p{lpIDArray ? lpIDArray[i] : ID_SEPARATOR, SBPS_NORMAL, 0, CString()};
        if (p.id != ID_SEPARATOR) {
            const char* s = AfxFindString(p.id);
            if (!s)
                ok = FALSE;
            p.text = s ? s : "";
            p.cx = TextWidth(this, p.text);
        }
        m_panes.push_back(p);
    }
    if (!m_panes.empty() && m_panes[0].id == ID_SEPARATOR)
        m_panes[0].style |= SBPS_STRETCH | SBPS_NOBORDERS;
    Invalidate();
    return ok;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const {
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].id == nIDFind)
            return (int)i;
    return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const {
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[nIndex].id : 0;
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const {
    CRect client;
    GetClientRect(&client);
    const int gap = 2, pad = 4;
    int fixed = 0;
    for (const Pane& p : m_panes)
        if (!(p.style & SBPS_STRETCH))
            fixed += p.cx + 2 * pad + gap;
    int x = client.left + m_cxLeftBorder / 3;
    for (int i = 0; i < GetCount(); ++i) {
        const Pane& p = m_panes[i];
        int w = (p.style & SBPS_STRETCH) ? std::max(0, (int)client.Width() - fixed - x - gap)
                                         : p.cx + 2 * pad;
        if (i == nIndex) {
            *lpRect = CRect(x, client.top + m_cyTopBorder, x + w, client.bottom - m_cyBottomBorder);
            return;
        }
        x += w + gap;
    }
    *lpRect = CRect(0, 0, 0, 0);
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate) {
    if (nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    CString text = lpszNewText ? lpszNewText : "";
    if (m_panes[nIndex].text == text)
        return TRUE;
    m_panes[nIndex].text = text;
    if (bUpdate) {
        CRect r;
        GetItemRect(nIndex, &r);
        InvalidateRect(&r);
    }
    return TRUE;
}

CString CStatusBar::GetPaneText(int nIndex) const {
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[nIndex].text : CString();
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    nID = m_panes[nIndex].id;
    nStyle = m_panes[nIndex].style;
    cxWidth = m_panes[nIndex].cx;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    m_panes[nIndex].id = nID;
    m_panes[nIndex].style = nStyle;
    m_panes[nIndex].cx = cxWidth;
    Invalidate();
}

UINT CStatusBar::GetPaneStyle(int nIndex) const {
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[nIndex].style : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle) {
    if (nIndex < 0 || nIndex >= GetCount() || m_panes[nIndex].style == nStyle)
        return;
    m_panes[nIndex].style = nStyle;
    Invalidate();
}

CSize CStatusBar::CalcFixedLayout(BOOL, BOOL) {
    return CSize(32767, LineHeight(this) + 6 + m_cyTopBorder + m_cyBottomBorder);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
    CStatusCmdUI state;
    state.bar = this;
    state.m_pOther = this;
    state.m_nIndexMax = (UINT)GetCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = m_panes[state.m_nIndex].id;
        if (state.m_nID == ID_SEPARATOR)
            continue;
        // The key indicators follow the keyboard when the program does not handle them.
        if (!state.DoUpdate(pTarget, FALSE)) {
            int key = state.m_nID == ID_INDICATOR_CAPS   ? VK_CAPITAL
                      : state.m_nID == ID_INDICATOR_NUM  ? VK_NUMLOCK
                      : state.m_nID == ID_INDICATOR_SCRL ? VK_SCROLL
                                                         : 0;
            if (key)
                state.Enable((GetKeyState(key) & 1) != 0);
            else if (bDisableIfNoHndler)
                state.DoUpdate(pTarget, TRUE);
        }
    }
}

void CStatusBar::DoPaint(CDC* pDC) {
    CControlBar::DoPaint(pDC);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(GetSysColor(COLOR_BTNTEXT));
    for (int i = 0; i < GetCount(); ++i) {
        const Pane& p = m_panes[i];
        CRect r;
        GetItemRect(i, &r);
        if (!(p.style & SBPS_NOBORDERS)) {
            if (p.style & SBPS_POPOUT)
                pDC->Draw3dRect(&r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
            else
                pDC->Draw3dRect(&r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        }
        if (p.style & SBPS_DISABLED)
            continue;
        CRect text = r;
        text.DeflateRect(4, 0);
        pDC->DrawText(p.text, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
}

void CStatusBar::OnSize(UINT, int, int) {
    Invalidate();
}

// ---- CReBar -----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CReBar, CControlBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CReBar::Create(CWnd* pParentWnd, DWORD, DWORD dwStyle, UINT nID) {
    m_dwStyle = dwStyle & (CBRS_ALIGN_ANY | CBRS_BORDER_ANY);
    CRect rc(0, 0, 0, 0);
    return CWnd::CreateEx(0, nullptr, nullptr, (dwStyle & ~0xFFFFL) | WS_CHILD, rc, pParentWnd,
                          nID);
}

BOOL CReBar::AddBar(CWnd* pBar, LPCTSTR pszText, CBitmap*, DWORD dwStyle) {
    if (!pBar || !pBar->m_hWnd)
        return FALSE;
    pBar->SetParent(this);
    // A bar inside a band still reports to the frame.
    if (CFrameWnd* f = AfxGetParentFrame(this))
        pBar->SetOwner(f);
    if (auto* cb = dynamic_cast<CControlBar*>(pBar))
        cb->SetBarStyle(cb->GetBarStyle() & ~CBRS_ALIGN_ANY);
    m_bands.push_back(Band{pBar, pszText ? CString(pszText) : CString(), dwStyle});
    LayoutBands();
    return TRUE;
}

CSize CReBar::CalcFixedLayout(BOOL, BOOL) {
    int height = 0;
    for (const Band& b : m_bands) {
        if (b.style & RBBS_HIDDEN)
            continue;
        int h;
        if (auto* cb = dynamic_cast<CControlBar*>(b.wnd)) {
            h = cb->CalcFixedLayout(FALSE, TRUE).cy;
        } else {
            CRect rc;
            b.wnd->GetWindowRect(&rc);
            h = rc.Height();
        }
        height = std::max(height, h);
    }
    return CSize(32767, height + 4);
}

void CReBar::LayoutBands() {
    CRect client;
    GetClientRect(&client);
    int x = 0;
    const int gripper = 8;
    for (size_t i = 0; i < m_bands.size(); ++i) {
        Band& b = m_bands[i];
        if (b.style & RBBS_HIDDEN) {
            b.wnd->ShowWindow(SW_HIDE);
            continue;
        }
        if (!(b.style & RBBS_NOGRIPPER))
            x += gripper;
        if (!b.text.IsEmpty())
            x += TextWidth(this, b.text) + 4;
        int w;
        if (auto* cb = dynamic_cast<CControlBar*>(b.wnd)) {
            w = cb->CalcFixedLayout(FALSE, TRUE).cx;
        } else {
            CRect rc;
            b.wnd->GetWindowRect(&rc);
            w = rc.Width();
        }
        if (i + 1 == m_bands.size())
            w = std::max(w, (int)client.Width() - x);
        b.wnd->MoveWindow(x, 2, w, std::max(0, (int)client.Height() - 4));
        b.wnd->ShowWindow(SW_SHOWNOACTIVATE);
        x += w + 2;
    }
}

void CReBar::OnSize(UINT, int, int) {
    LayoutBands();
}

void CReBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
    for (const Band& b : m_bands)
        if (auto* cb = dynamic_cast<CControlBar*>(b.wnd))
            cb->OnUpdateCmdUI(pTarget, bDisableIfNoHndler);
}

void CReBar::DoPaint(CDC* pDC) {
    CControlBar::DoPaint(pDC);
    for (const Band& b : m_bands) {
        if (b.style & RBBS_HIDDEN)
            continue;
        CRect rc;
        b.wnd->GetWindowRect(&rc);
        ScreenToClient(&rc);
        if (!(b.style & RBBS_NOGRIPPER))
            pDC->Draw3dRect(rc.left - 6, rc.top, 3, rc.Height(), GetSysColor(COLOR_BTNHIGHLIGHT),
                            GetSysColor(COLOR_BTNSHADOW));
        if (!b.text.IsEmpty())
            pDC->TextOut(rc.left - TextWidth(this, b.text) - 4, rc.top + 2, b.text);
    }
}
