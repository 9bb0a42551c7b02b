#include "platform/gui/Splitter.h"

#include "platform/gui/Frame.h"
#include "platform/gui/WndPrivate.h"

#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

IMPLEMENT_DYNCREATE(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

namespace {

// Sizes along one axis: every row or column but the last gets its ideal size while there is
// room (nothing when that is below its minimum), the last one the rest.
template <class Info> void LayoutAxis(Info* info, int n, int size, int gap) {
    for (int i = 0; i < n; ++i) {
        if (size <= 0) {
            info[i].nCurSize = 0;
            continue;
        }
        if (i == n - 1) {
            info[i].nCurSize = size;
            break;
        }
        int want = info[i].nIdealSize;
        if (want < info[i].nMinSize || want <= 0)
            want = 0;
        if (want > size)
            want = size;
        info[i].nCurSize = want;
        size -= want + gap;
    }
}

// Where row or column index starts along its axis.
template <class Info> int AxisStart(const Info* info, int index, int origin, int gap) {
    for (int i = 0; i < index; ++i)
        origin += info[i].nCurSize + gap;
    return origin;
}

// The ideal size a dragged bar at pos gives to the row or column before it.
template <class Info> void TrackSize(Info& info, int pos, int start) {
    int size = pos - start;
    info.nIdealSize = size < info.nMinSize ? 0 : size;
}

} // namespace

CSplitterWnd::CSplitterWnd() = default;

CSplitterWnd::~CSplitterWnd() {
    delete[] m_pRowInfo;
    delete[] m_pColInfo;
}

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID) {
    if (nRows < 1 || nCols < 1 || nRows > 16 || nCols > 16 || m_hWnd)
        return FALSE;
    m_nRows = m_nMaxRows = nRows;
    m_nCols = m_nMaxCols = nCols;
    delete[] m_pRowInfo;
    delete[] m_pColInfo;
    m_pRowInfo = new CRowColInfo[16]();
    m_pColInfo = new CRowColInfo[16]();
    m_bHasHScroll = (dwStyle & WS_HSCROLL) != 0;
    m_bHasVScroll = (dwStyle & WS_VSCROLL) != 0;
    dwStyle &= ~(WS_HSCROLL | WS_VSCROLL);
    CRect rc(0, 0, 0, 0);
    if (pParentWnd)
        pParentWnd->GetClientRect(&rc);
    return CreateEx(0, nullptr, nullptr, dwStyle | WS_CHILD | WS_CLIPCHILDREN, rc, pParentWnd, nID);
}

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit,
                              CCreateContext* pContext) {
    if (row < 0 || col < 0 || row >= m_nRows || col >= m_nCols || GetPane(row, col))
        return FALSE;
    m_pColInfo[col].nIdealSize = sizeInit.cx;
    m_pRowInfo[row].nIdealSize = sizeInit.cy;
    CCreateContext ctx;
    if (pContext)
        ctx = *pContext;
    ctx.m_pNewViewClass = pViewClass;
    CWnd* pane =
        CView::CreateFromContext(&ctx, this, (UINT)IdFromRowCol(row, col), WS_CHILD | WS_VISIBLE,
                                 CRect(0, 0, sizeInit.cx, sizeInit.cy));
    return pane != nullptr;
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const {
    cyCur = m_pRowInfo[row].nCurSize;
    cyMin = m_pRowInfo[row].nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin) {
    m_pRowInfo[row].nIdealSize = cyIdeal;
    m_pRowInfo[row].nMinSize = cyMin;
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const {
    cxCur = m_pColInfo[col].nCurSize;
    cxMin = m_pColInfo[col].nMinSize;
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin) {
    m_pColInfo[col].nIdealSize = cxIdeal;
    m_pColInfo[col].nMinSize = cxMin;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
    return GetDlgItem(IdFromRowCol(row, col));
}

BOOL CSplitterWnd::IsChildPane(CWnd* pWnd, int* pRow, int* pCol) {
    if (!pWnd || pWnd->GetParent() != this)
        return FALSE;
    int id = pWnd->GetDlgCtrlID() - AFX_IDW_PANE_FIRST;
    if (id < 0 || id / 16 >= m_nRows || id % 16 >= m_nCols)
        return FALSE;
    if (pRow)
        *pRow = id / 16;
    if (pCol)
        *pCol = id % 16;
    return TRUE;
}

CWnd* CSplitterWnd::GetActivePane(int* pRow, int* pCol) {
    CWnd* pane = nullptr;
    if (CFrameWnd* frame = AfxGetParentFrame(this))
        pane = frame->GetActiveView();
    if (!IsChildPane(pane, pRow, pCol)) {
        pane = nullptr;
        // The window with the focus, up to the splitter's own child.
        for (CWnd* w = CWnd::GetFocus(); w; w = w->GetParent())
            if (w->GetParent() == this) {
                pane = w;
                break;
            }
        if (!IsChildPane(pane, pRow, pCol))
            pane = nullptr;
    }
    if (!pane) {
        if (pRow)
            *pRow = -1;
        if (pCol)
            *pCol = -1;
    }
    return pane;
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* pWnd) {
    CWnd* pane = pWnd ? pWnd : GetPane(row, col);
    if (!pane)
        return;
    CFrameWnd* frame = AfxGetParentFrame(this);
    if (auto* view = dynamic_cast<CView*>(pane); view && frame)
        frame->SetActiveView(view);
    else
        pane->SetFocus();
}

namespace {

// The window of a pane that takes the keyboard: a frame's active view, else the first shown
// control in the pane that Tab could reach, else the pane itself.
CWnd* PaneFocusTarget(CWnd* pane) {
    if (auto* frame = dynamic_cast<CFrameWnd*>(pane))
        if (CView* view = frame->GetActiveView(); view && view->IsWindowVisible())
            return view;
    QWidget* w = pane->GetWidget();
    if (!w)
        return pane;
    if (!(w->focusPolicy() & Qt::TabFocus))
        for (QWidget* c : w->findChildren<QWidget*>())
            if (c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus))
                if (CWnd* wnd = CWnd::FromWidget(c))
                    return wnd;
    return pane;
}

} // namespace

std::vector<CWnd*> CSplitterWnd::ShownPanes() const {
    std::vector<CWnd*> panes;
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c)
            if (CWnd* pane = GetPane(r, c); pane && pane->IsWindowVisible())
                panes.push_back(pane);
    return panes;
}

BOOL CSplitterWnd::CanActivateNext(BOOL) {
    return ShownPanes().size() > 1;
}

void CSplitterWnd::ActivateNext(BOOL bPrev) {
    std::vector<CWnd*> panes = ShownPanes();
    if (panes.empty())
        return;
    int n = (int)panes.size(), at = -1;
    CWnd* focus = CWnd::GetFocus();
    for (int i = 0; i < n; ++i)
        if (focus && (panes[(size_t)i] == focus || panes[(size_t)i]->IsChild(focus)))
            at = i;
    int next = at < 0 ? 0 : (at + (bPrev ? n - 1 : 1)) % n;
    CWnd* pane = panes[(size_t)next];
    CWnd* target = PaneFocusTarget(pane);
    CFrameWnd* frame = AfxGetParentFrame(this);
    if (auto* view = dynamic_cast<CView*>(target); view && frame && view->GetParent() == this)
        frame->SetActiveView(view);
    // The view may have been the active one already, with the focus elsewhere.
    AfxShowKeyboardCues(target);
    target->SetFocus();
}

// Whether the window uses Tab itself: a control that asks for it, an edit, a text view.
static bool TakesTab(CWnd* w) {
    UINT code = (UINT)w->SendMessage(WM_GETDLGCODE, VK_TAB, 0);
    if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_HASSETSEL))
        return true;
    QWidget* qw = w->GetWidget();
    if (auto* text = qobject_cast<QTextEdit*>(qw))
        return !text->tabChangesFocus() && !text->isReadOnly();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(qw))
        return !plain->tabChangesFocus() && !plain->isReadOnly();
    return false;
}

BOOL CSplitterWnd::PreTranslateMessage(MSG* pMsg) {
    // Walked up from the focused window: the nearest splitter above it answers first. A form
    // view's dialog keys (below the splitter) have had the key before.
    // (With Alt held the key comes as WM_SYSKEYDOWN.)
    if (pMsg->message != WM_KEYDOWN || pMsg->wParam != VK_TAB || GetKeyState(VK_CONTROL) < 0)
        return FALSE;
    CWnd* focus = CWnd::FromHandle(pMsg->hwnd);
    if (!focus || !IsChild(focus) || TakesTab(focus))
        return FALSE;
    const BOOL bPrev = GetKeyState(VK_SHIFT) < 0;
    if (!CanActivateNext(bPrev))
        return FALSE;
    ActivateNext(bPrev);
    return TRUE;
}

void CSplitterWnd::GetInsideRect(CRect& rect) const {
    GetClientRect(&rect);
    rect.DeflateRect(m_cxBorder, m_cyBorder);
}

void CSplitterWnd::RecalcLayout() {
    if (!m_hWnd || !m_pColInfo)
        return;
    CRect inside;
    GetInsideRect(inside);
    LayoutAxis(m_pColInfo, m_nCols, inside.Width(), m_cxSplitterGap);
    LayoutAxis(m_pRowInfo, m_nRows, inside.Height(), m_cySplitterGap);
    int y = inside.top;
    for (int r = 0; r < m_nRows; ++r) {
        int x = inside.left;
        int cy = m_pRowInfo[r].nCurSize;
        for (int c = 0; c < m_nCols; ++c) {
            int cx = m_pColInfo[c].nCurSize;
            if (CWnd* pane = GetPane(r, c)) {
                if (cx > 0 && cy > 0) {
                    pane->MoveWindow(x, y, cx, cy);
                    if (!pane->IsWindowVisible())
                        pane->ShowWindow(SW_SHOWNOACTIVATE);
                } else {
                    pane->ShowWindow(SW_HIDE);
                }
            }
            x += cx + m_cxSplitterGap;
        }
        y += cy + m_cySplitterGap;
    }
    Invalidate();
}

void CSplitterWnd::GetHitRect(int ht, CRect& rect) {
    CRect inside;
    GetInsideRect(inside);
    rect = inside;
    if (ht >= vSplitterBar1 && ht <= vSplitterBar15) {
        int col = ht - vSplitterBar1;
        rect.left =
            AxisStart(m_pColInfo, col, inside.left, m_cxSplitterGap) + m_pColInfo[col].nCurSize;
        rect.right = rect.left + m_cxSplitterGap;
    } else if (ht >= hSplitterBar1 && ht <= hSplitterBar15) {
        int row = ht - hSplitterBar1;
        rect.top =
            AxisStart(m_pRowInfo, row, inside.top, m_cySplitterGap) + m_pRowInfo[row].nCurSize;
        rect.bottom = rect.top + m_cySplitterGap;
    } else {
        rect.SetRectEmpty();
    }
}

int CSplitterWnd::HitTest(CPoint pt) const {
    auto* self = const_cast<CSplitterWnd*>(this);
    for (int c = 0; c < m_nCols - 1; ++c) {
        CRect r;
        self->GetHitRect(vSplitterBar1 + c, r);
        if (r.PtInRect(pt))
            return vSplitterBar1 + c;
    }
    for (int row = 0; row < m_nRows - 1; ++row) {
        CRect r;
        self->GetHitRect(hSplitterBar1 + row, r);
        if (r.PtInRect(pt))
            return hSplitterBar1 + row;
    }
    return noHit;
}

void CSplitterWnd::OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect) {
    if (!pDC) {
        InvalidateRect(&rect);
        return;
    }
    switch (nType) {
    case splitBorder:
        pDC->Draw3dRect(&rect, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        break;
    case splitBox:
        pDC->Draw3dRect(&rect, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOWFRAME));
        pDC->FillSolidRect(rect.left + 1, rect.top + 1, rect.Width() - 2, rect.Height() - 2,
                           GetSysColor(COLOR_BTNFACE));
        break;
    default:
        pDC->FillSolidRect(&rect, GetSysColor(COLOR_BTNFACE));
        break;
    }
}

void CSplitterWnd::DrawAllSplitBars(CDC* pDC, int cxInside, int cyInside) {
    CRect client;
    GetClientRect(&client);
    for (int c = 0; c < m_nCols - 1; ++c) {
        CRect r;
        GetHitRect(vSplitterBar1 + c, r);
        if (r.left > m_cxBorder + cxInside)
            break;
        r.top = client.top;
        r.bottom = client.bottom;
        OnDrawSplitter(pDC, splitBar, r);
    }
    for (int row = 0; row < m_nRows - 1; ++row) {
        CRect r;
        GetHitRect(hSplitterBar1 + row, r);
        if (r.top > m_cyBorder + cyInside)
            break;
        r.left = client.left;
        r.right = client.right;
        OnDrawSplitter(pDC, splitBar, r);
    }
    for (int row = 0; row < m_nRows; ++row)
        for (int c = 0; c < m_nCols; ++c) {
            CWnd* pane = GetPane(row, c);
            if (!pane || !pane->IsWindowVisible())
                continue;
            CRect r;
            pane->GetWindowRect(&r);
            ScreenToClient(&r);
            r.InflateRect(m_cxBorder, m_cyBorder);
            OnDrawSplitter(pDC, splitBorder, r);
        }
}

void CSplitterWnd::OnPaint() {
    CPaintDC dc(this);
    CRect inside;
    GetInsideRect(inside);
    DrawAllSplitBars(&dc, inside.Width(), inside.Height());
    if (!m_rectTrackerShown.IsRectEmpty())
        dc.PatBlt(m_rectTrackerShown.left, m_rectTrackerShown.top, m_rectTrackerShown.Width(),
                  m_rectTrackerShown.Height(), DSTINVERT);
}

void CSplitterWnd::OnSize(UINT, int, int) {
    RecalcLayout();
}

void CSplitterWnd::OnInvertTracker(const CRect& rect) {
    // The tracker is shown by the next paint; showing it again at the same place hides it.
    CRect old = m_rectTrackerShown;
    m_rectTrackerShown = (old == rect) ? CRect(0, 0, 0, 0) : rect;
    InvalidateRect(&old);
    InvalidateRect(&rect);
}

void CSplitterWnd::StartTracking(int ht) {
    if (ht == noHit)
        return;
    m_htTrack = ht;
    GetHitRect(ht, m_rectTracker);
    GetInsideRect(m_rectLimit);
    m_bTracking = TRUE;
    SetCapture();
    OnInvertTracker(m_rectTracker);
}

void CSplitterWnd::StopTracking(BOOL bAccept) {
    if (!m_bTracking)
        return;
    ReleaseCapture();
    OnInvertTracker(m_rectTracker);
    m_bTracking = FALSE;
    if (!bAccept)
        return;
    if (m_htTrack >= vSplitterBar1 && m_htTrack <= vSplitterBar15)
        TrackColumnSize(m_rectTracker.left, m_htTrack - vSplitterBar1);
    else if (m_htTrack >= hSplitterBar1 && m_htTrack <= hSplitterBar15)
        TrackRowSize(m_rectTracker.top, m_htTrack - hSplitterBar1);
    RecalcLayout();
}

void CSplitterWnd::TrackColumnSize(int x, int col) {
    CRect inside;
    GetInsideRect(inside);
    TrackSize(m_pColInfo[col], x, AxisStart(m_pColInfo, col, inside.left, m_cxSplitterGap));
}

void CSplitterWnd::TrackRowSize(int y, int row) {
    CRect inside;
    GetInsideRect(inside);
    TrackSize(m_pRowInfo[row], y, AxisStart(m_pRowInfo, row, inside.top, m_cySplitterGap));
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint pt) {
    int ht = HitTest(pt);
    if (ht == noHit)
        return;
    CRect bar;
    GetHitRect(ht, bar);
    m_ptTrackOffset = CPoint(pt.x - bar.left, pt.y - bar.top);
    StartTracking(ht);
}

void CSplitterWnd::OnMouseMove(UINT, CPoint pt) {
    int ht = m_bTracking ? m_htTrack : HitTest(pt);
    if (QWidget* w = GetWidget()) {
        if (ht >= vSplitterBar1 && ht <= vSplitterBar15)
            w->setCursor(Qt::SplitHCursor);
        else if (ht >= hSplitterBar1 && ht <= hSplitterBar15)
            w->setCursor(Qt::SplitVCursor);
        else
            w->unsetCursor();
    }
    if (!m_bTracking)
        return;
    CRect r = m_rectTracker;
    if (m_htTrack >= vSplitterBar1 && m_htTrack <= vSplitterBar15) {
        int x = std::clamp((int)(pt.x - m_ptTrackOffset.x), (int)m_rectLimit.left,
                           (int)m_rectLimit.right - r.Width());
        r.OffsetRect(x - r.left, 0);
    } else {
        int y = std::clamp((int)(pt.y - m_ptTrackOffset.y), (int)m_rectLimit.top,
                           (int)m_rectLimit.bottom - r.Height());
        r.OffsetRect(0, y - r.top);
    }
    if (r != m_rectTracker) {
        OnInvertTracker(m_rectTracker);
        m_rectTracker = r;
        OnInvertTracker(m_rectTracker);
    }
}

void CSplitterWnd::OnLButtonUp(UINT, CPoint) {
    StopTracking(TRUE);
}

BOOL CSplitterWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return FALSE;
}
