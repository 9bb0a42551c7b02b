#include "platform/gui/ToolBar.h"

#include "platform/gui/Resource.h"
#include "platform/gui/ToolTipCtrl.h"
#include "platform/gui/WndPrivate.h"

#include <QEvent>
#include <QFontMetrics>

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

namespace {

const int kDropArrowWidth = 12;
// Space between a button's image and its text, and after the text.
const int kTextGap = 2, kTextMargin = 6;

// A button being brought up to date.
class CToolCmdUI : public CCmdUI {
public:
    CToolBar* bar = nullptr;
    void Enable(BOOL bOn) override {
        m_bEnableChanged = TRUE;
        UINT style = bar->GetButtonStyle((int)m_nIndex) & ~TBBS_DISABLED;
        if (!bOn)
            style = (style | TBBS_DISABLED) & ~TBBS_PRESSED;
        bar->SetButtonStyle((int)m_nIndex, style);
    }
    void SetCheck(int nCheck) override {
        UINT style = bar->GetButtonStyle((int)m_nIndex) & ~(TBBS_CHECKED | TBBS_INDETERMINATE);
        if (nCheck == 1)
            style |= TBBS_CHECKED;
        else if (nCheck == 2)
            style |= TBBS_INDETERMINATE;
        bar->SetButtonStyle((int)m_nIndex, style | TBBS_CHECKBOX);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCTSTR) override {}
};

} // namespace

// ---- CToolBarCtrl -----------------------------------------------------------------------------

CImageList* CToolBarCtrl::SetImageList(CImageList* pImageList) {
    CImageList* old = m_bar->m_pImageList;
    m_bar->m_pImageList = pImageList;
    m_bar->Invalidate();
    return old;
}
CImageList* CToolBarCtrl::GetImageList() const {
    return m_bar->m_pImageList;
}
CImageList* CToolBarCtrl::SetDisabledImageList(CImageList* pImageList) {
    CImageList* old = m_bar->m_pDisabledImageList;
    m_bar->m_pDisabledImageList = pImageList;
    return old;
}
DWORD CToolBarCtrl::SetExtendedStyle(DWORD dwExStyle) {
    DWORD old = m_bar->m_dwExStyle;
    m_bar->m_dwExStyle = dwExStyle;
    m_bar->Invalidate();
    return old;
}
DWORD CToolBarCtrl::GetExtendedStyle() const {
    return m_bar->m_dwExStyle;
}
int CToolBarCtrl::GetButtonCount() const {
    return m_bar->GetCount();
}
BOOL CToolBarCtrl::GetItemRect(int nIndex, LPRECT lpRect) const {
    if (nIndex < 0 || nIndex >= m_bar->GetCount())
        return FALSE;
    m_bar->GetItemRect(nIndex, lpRect);
    return TRUE;
}
int CToolBarCtrl::CommandToIndex(UINT nID) const {
    return m_bar->CommandToIndex(nID);
}
BOOL CToolBarCtrl::IsButtonEnabled(int nID) const {
    int i = m_bar->CommandToIndex((UINT)nID);
    return i >= 0 && !(m_bar->GetButtonStyle(i) & TBBS_DISABLED);
}
BOOL CToolBarCtrl::IsButtonChecked(int nID) const {
    int i = m_bar->CommandToIndex((UINT)nID);
    return i >= 0 && (m_bar->GetButtonStyle(i) & TBBS_CHECKED);
}
BOOL CToolBarCtrl::EnableButton(int nID, BOOL bEnable) {
    int i = m_bar->CommandToIndex((UINT)nID);
    if (i < 0)
        return FALSE;
    UINT s = m_bar->GetButtonStyle(i);
    m_bar->SetButtonStyle(i, bEnable ? s & ~TBBS_DISABLED : s | TBBS_DISABLED);
    return TRUE;
}
BOOL CToolBarCtrl::CheckButton(int nID, BOOL bCheck) {
    int i = m_bar->CommandToIndex((UINT)nID);
    if (i < 0)
        return FALSE;
    UINT s = m_bar->GetButtonStyle(i);
    m_bar->SetButtonStyle(i, bCheck ? s | TBBS_CHECKED : s & ~TBBS_CHECKED);
    return TRUE;
}

// ---- CToolBar ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

// The window layer reports no leaving of a window; the bar needs it to end fly-by prompts and tips.
class ToolBarLeaveFilter : public QObject {
public:
    ToolBarLeaveFilter(CToolBar* bar, QObject* parent) : QObject(parent), m_hBar(bar->m_hWnd) {}
    bool eventFilter(QObject*, QEvent* e) override {
        // A bar on its way out (its widget already let go) is left by the pointer as it is
        // hidden; its tip then would ask a frame whose views are gone already.
        if (e->type() == QEvent::Leave)
            if (auto* bar = dynamic_cast<CToolBar*>(CWnd::FromHandle(m_hBar));
                bar && bar->GetWidget() != nullptr)
                bar->OnPointerLeft();
        return false;
    }

private:
    HWND m_hBar;
};

CToolBar::CToolBar() = default;
CToolBar::~CToolBar() = default;

void CToolBar::OnWidgetCreated() {
    CControlBar::OnWidgetCreated();
    if (QWidget* w = GetWidget())
        w->installEventFilter(new ToolBarLeaveFilter(this, w));
}

void CToolBar::RelayToTips(UINT message, CPoint pt) {
    if (!(m_dwStyle & CBRS_TOOLTIPS))
        return;
    if (!m_pTips) {
        m_pTips = std::make_unique<CToolTipCtrl>();
        if (!m_pTips->Create(this)) {
            m_pTips.reset();
            return;
        }
    }
    // One tool per visible button, each asking the frame for its text when it shows.
    std::vector<std::pair<UINT, CRect>> tools;
    for (int i = 0; i < GetCount(); ++i) {
        if (m_buttons[i].style & (TBBS_SEPARATOR | TBBS_HIDDEN))
            continue;
        CRect r;
        GetItemRect(i, &r);
        tools.emplace_back(m_buttons[i].id, r);
    }
    if (tools != m_tipTools) {
        for (const auto& t : m_tipTools)
            m_pTips->DelTool(this, t.first);
        for (const auto& t : tools)
            m_pTips->AddTool(this, LPSTR_TEXTCALLBACK, &t.second, t.first);
        m_tipTools = std::move(tools);
    }
    MSG msg{m_hWnd, message, 0, MAKELPARAM(pt.x, pt.y), 0, {pt.x, pt.y}};
    m_pTips->RelayEvent(&msg);
}

void CToolBar::HoverButton(int nIndex) {
    if (nIndex == m_nHover)
        return;
    m_nHover = nIndex;
    if (!(m_dwStyle & CBRS_FLYBY))
        return;
    CFrameWnd* frame = GetTopLevelFrame();
    if (!frame)
        return;
    if (nIndex >= 0)
        frame->SendMessage(WM_SETMESSAGESTRING, m_buttons[nIndex].id);
    else
        frame->SendMessage(WM_POPMESSAGESTRING);
}

void CToolBar::OnMouseMove(UINT, CPoint pt) {
    HoverButton(HitButton(pt));
    RelayToTips(WM_MOUSEMOVE, pt);
}

void CToolBar::OnPointerLeft() {
    HoverButton(-1);
    if (m_pTips)
        RelayToTips(WM_MOUSELEAVE, CPoint(0, 0));
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    return CreateEx(pParentWnd, 0, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect, UINT nID) {
    m_dwCtrlStyle = dwCtrlStyle;
    m_dwStyle = dwStyle & (CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_TOOLTIPS | CBRS_FLYBY |
                           CBRS_GRIPPER | CBRS_SIZE_DYNAMIC | CBRS_SIZE_FIXED);
    CRect rc(0, 0, 0, 0);
    return CWnd::CreateEx(0, nullptr, nullptr, (dwStyle & ~0xFFFFL) | WS_CHILD, rc, pParentWnd,
                          nID);
}

BOOL CToolBar::LoadBitmap(UINT nIDResource) {
    m_ownImages.DeleteImageList();
    if (!m_ownImages.Create(nIDResource, m_sizeImage.cx, 0, RGB(192, 192, 192)))
        return FALSE;
    m_pImageList = &m_ownImages;
    Invalidate();
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    const ResToolBar* res = AfxFindToolBar(nIDResource);
    if (!res)
        return FALSE;
    m_sizeImage = CSize(res->cx, res->cy);
    m_sizeButton = CSize(res->cx + 7, res->cy + 7);
    if (!SetButtons(res->buttons, res->count))
        return FALSE;
    // A tool bar without its own bitmap keeps whatever image list it is given later.
    if (AfxFindImage(RT_BITMAP, nIDResource))
        return LoadBitmap(nIDResource);
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount) {
    m_buttons.clear();
    int image = 0;
    for (int i = 0; i < nIDCount; ++i) {
        UINT id = lpIDArray ? lpIDArray[i] : ID_SEPARATOR;
        if (id == ID_SEPARATOR)
            m_buttons.push_back(Button{0, TBBS_SEPARATOR, 6, CString()});
        else
            m_buttons.push_back(Button{id, TBBS_BUTTON, image++, CString()});
    }
    if (GetParent())
        if (CFrameWnd* f = AfxGetParentFrame(this))
            f->RecalcLayout();
    Invalidate();
    return TRUE;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage) {
    m_sizeButton = sizeButton;
    m_sizeImage = sizeImage;
    Invalidate();
}

void CToolBar::SetHeight(int cyHeight) {
    m_sizeButton.cy = std::max<LONG>(cyHeight - m_cyTopBorder - m_cyBottomBorder, 0);
}

int CToolBar::CommandToIndex(UINT nIDFind) const {
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i].id == nIDFind && !(m_buttons[i].style & TBBS_SEPARATOR))
            return (int)i;
    return -1;
}

UINT CToolBar::GetItemID(int nIndex) const {
    return nIndex >= 0 && nIndex < GetCount() ? m_buttons[nIndex].id : 0;
}

BOOL CToolBar::HasDropArrow(const Button& b) const {
    return (b.style & TBBS_DROPDOWN) && (m_dwExStyle & TBSTYLE_EX_DRAWDDARROWS);
}

namespace {

// The width a button's text adds beside its image (a list-style bar); 0 for no text.
int TextBesideWidth(const CWnd* bar, DWORD ctrlStyle, const CString& text) {
    if (!(ctrlStyle & TBSTYLE_LIST) || text.IsEmpty())
        return 0;
    QWidget* w = const_cast<CWnd*>(bar)->GetWidget();
    return kTextGap + QFontMetrics(w ? w->font() : QFont()).horizontalAdvance(AfxToQt(text)) +
           kTextMargin;
}

} // namespace

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const {
    int x = m_cxLeftBorder;
    for (int i = 0; i < GetCount(); ++i) {
        const Button& b = m_buttons[i];
        int w = 0;
        if (!(b.style & TBBS_HIDDEN)) {
            w = (b.style & TBBS_SEPARATOR) ? b.image
                                           : m_sizeButton.cx +
                                                 TextBesideWidth(this, m_dwCtrlStyle, b.text);
            if (HasDropArrow(b))
                w += kDropArrowWidth;
        }
        if (i == nIndex) {
            *lpRect = CRect(x, m_cyTopBorder, x + w, m_cyTopBorder + m_sizeButton.cy);
            return;
        }
        x += w;
    }
    *lpRect = CRect(0, 0, 0, 0);
}

UINT CToolBar::GetButtonStyle(int nIndex) const {
    return nIndex >= 0 && nIndex < GetCount() ? m_buttons[nIndex].style : 0;
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle) {
    if (nIndex < 0 || nIndex >= GetCount() || m_buttons[nIndex].style == nStyle)
        return;
    m_buttons[nIndex].style = nStyle;
    CRect r;
    GetItemRect(nIndex, &r);
    InvalidateRect(&r);
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const {
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    nID = m_buttons[nIndex].id;
    nStyle = m_buttons[nIndex].style;
    iImage = m_buttons[nIndex].image;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage) {
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    m_buttons[nIndex].id = nID;
    m_buttons[nIndex].style = nStyle;
    m_buttons[nIndex].image = iImage;
    Invalidate();
}

BOOL CToolBar::SetButtonText(int nIndex, LPCTSTR lpszText) {
    if (nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    m_buttons[nIndex].text = lpszText ? lpszText : "";
    Invalidate();
    return TRUE;
}

CString CToolBar::GetButtonText(int nIndex) const {
    return nIndex >= 0 && nIndex < GetCount() ? m_buttons[nIndex].text : CString();
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
    CRect last(0, 0, 0, 0);
    if (GetCount())
        GetItemRect(GetCount() - 1, &last);
    int length = last.right + m_cxRightBorder + m_cxLeftBorder;
    int thick = m_sizeButton.cy + m_cyTopBorder + m_cyBottomBorder;
    if (bHorz)
        return CSize(bStretch ? 32767 : length, thick);
    return CSize(thick, bStretch ? 32767 : length);
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
    UpdateButtonsFrom(pTarget, bDisableIfNoHndler);
}

void CToolBar::UpdateButtonsFrom(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    CToolCmdUI state;
    state.bar = this;
    state.m_pOther = this;
    state.m_nIndexMax = (UINT)GetCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        if (m_buttons[state.m_nIndex].style & TBBS_SEPARATOR)
            continue;
        state.m_nID = m_buttons[state.m_nIndex].id;
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}

int CToolBar::HitButton(CPoint pt) const {
    for (int i = 0; i < GetCount(); ++i) {
        CRect r;
        GetItemRect(i, &r);
        if (r.PtInRect(pt) && !(m_buttons[i].style & (TBBS_SEPARATOR | TBBS_HIDDEN)))
            return i;
    }
    return -1;
}

void CToolBar::OnLButtonDown(UINT, CPoint pt) {
    if (m_pTips)
        RelayToTips(WM_LBUTTONDOWN, pt);
    int i = HitButton(pt);
    if (i < 0 || (m_buttons[i].style & TBBS_DISABLED))
        return;
    Button& b = m_buttons[i];
    CRect r;
    GetItemRect(i, &r);
    bool onArrow = HasDropArrow(b) && pt.x >= r.right - kDropArrowWidth;
    if ((b.style & TBBS_DROPDOWN) && (onArrow || (m_dwCtrlStyle & BTNS_WHOLEDROPDOWN))) {
        // The owner shows its own pop-up under the button.
        NMTOOLBAR nm{};
        nm.hdr.hwndFrom = m_hWnd;
        nm.hdr.idFrom = (UINT_PTR)GetDlgCtrlID();
        nm.hdr.code = TBN_DROPDOWN;
        nm.iItem = (int)b.id;
        nm.rcButton = r;
        if (CWnd* target = CommandTarget())
            target->SendMessage(WM_NOTIFY, (WPARAM)GetDlgCtrlID(), (LPARAM)&nm);
        return;
    }
    m_nPressed = i;
    SetButtonStyle(i, b.style | TBBS_PRESSED);
    SetCapture();
}

// Qt makes every second quick click a double click; a button pressed twice quickly acts twice.
void CToolBar::OnLButtonDblClk(UINT nFlags, CPoint pt) {
    OnLButtonDown(nFlags, pt);
}

void CToolBar::OnLButtonUp(UINT, CPoint pt) {
    int pressed = m_nPressed;
    m_nPressed = -1;
    if (pressed < 0)
        return;
    ReleaseCapture();
    SetButtonStyle(pressed, m_buttons[pressed].style & ~TBBS_PRESSED);
    if (HitButton(pt) != pressed || (m_buttons[pressed].style & TBBS_DISABLED))
        return;
    if (CWnd* target = CommandTarget())
        target->SendMessage(WM_COMMAND, MAKEWPARAM(m_buttons[pressed].id, BN_CLICKED),
                            (LPARAM)m_hWnd);
}

void CToolBar::DoPaint(CDC* pDC) {
    CControlBar::DoPaint(pDC);
    for (int i = 0; i < GetCount(); ++i) {
        const Button& b = m_buttons[i];
        if (b.style & TBBS_HIDDEN)
            continue;
        CRect r;
        GetItemRect(i, &r);
        if (b.style & TBBS_SEPARATOR) {
            int x = r.left + r.Width() / 2;
            pDC->FillSolidRect(x - 1, r.top + 2, 1, r.Height() - 4, GetSysColor(COLOR_BTNSHADOW));
            pDC->FillSolidRect(x, r.top + 2, 1, r.Height() - 4, GetSysColor(COLOR_BTNHIGHLIGHT));
            continue;
        }
        if (b.style & (TBBS_PRESSED | TBBS_CHECKED)) {
            if (b.style & TBBS_CHECKED)
                pDC->FillSolidRect(&r, RGB(225, 225, 225));
            pDC->Draw3dRect(&r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        } else if (!(m_dwCtrlStyle & TBSTYLE_FLAT)) {
            pDC->Draw3dRect(&r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        }
        int buttonWidth = m_sizeButton.cx;
        CPoint at(r.left + (buttonWidth - m_sizeImage.cx) / 2,
                  r.top + (r.Height() - m_sizeImage.cy) / 2);
        if (b.style & TBBS_PRESSED)
            at.Offset(1, 1);
        CImageList* images =
            (b.style & TBBS_DISABLED) && m_pDisabledImageList ? m_pDisabledImageList : m_pImageList;
        if (images && b.image >= 0 && b.image < images->GetImageCount())
            images->Draw(pDC, b.image, at,
                         (b.style & TBBS_DISABLED) && !m_pDisabledImageList ? ILD_BLEND50
                                                                            : ILD_TRANSPARENT);
        if (TextBesideWidth(this, m_dwCtrlStyle, b.text) > 0) {
            // A list-style bar shows the text right of the image.
            CRect text(r.left + buttonWidth - 1 + kTextGap, r.top,
                       r.right - (HasDropArrow(b) ? kDropArrowWidth : 0), r.bottom);
            if (b.style & TBBS_PRESSED)
                text.OffsetRect(1, 1);
            pDC->SetBkMode(TRANSPARENT);
            pDC->SetTextColor(GetSysColor((b.style & TBBS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
            pDC->DrawText(b.text, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        if (HasDropArrow(b)) {
            // A small down-pointing triangle right of the image.
            int ax = r.right - kDropArrowWidth + 3, ay = r.top + r.Height() / 2 - 1;
            COLORREF c = GetSysColor((b.style & TBBS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
            for (int row = 0; row < 3; ++row)
                pDC->FillSolidRect(ax + row, ay + row, 5 - 2 * row, 1, c);
        }
    }
}
