#include "ui/ColumnTreeCtrl.h"

#include "platform/gui/CommCtrl.h"
#include "platform/gui/Dc.h"
#include "platform/gui/ItemCtrlCommon.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CCustomTreeChildCtrl, CTreeCtrl)
IMPLEMENT_DYNCREATE(CColumnTreeCtrl, CStatic)

namespace {
constexpr UINT kHeaderId = 1;
constexpr UINT kTreeId = 2;
constexpr UINT kScrollId = 3;
constexpr UINT kCornerId = 4;
constexpr int kLineStep = 15;
constexpr int kLabelSlack = 6;
} // namespace

CString ColumnTreeTextPart(const CString& text, int n) {
    int start = 0;
    for (int i = 0; i < n; ++i) {
        int tab = text.Find('\t', start);
        if (tab < 0)
            return CString();
        start = tab + 1;
    }
    int end = text.Find('\t', start);
    return text.Mid(start, (end < 0 ? text.GetLength() : end) - start);
}

// ---- CCustomTreeChildCtrl -------------------------------------------------------------------

LRESULT CCustomTreeChildCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CAPTURECHANGED && m_pDragHelper != nullptr)
        m_pDragHelper->OnMessage(message, wParam, lParam);
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST &&
        OfferToHooker(this, message, wParam, lParam))
        return 0;
    return CTreeCtrl::WindowProc(message, wParam, lParam);
}

HTREEITEM CCustomTreeChildCtrl::ItemAt(CPoint pt) const {
    UINT flags = 0;
    HTREEITEM item = HitTest(pt, &flags);
    if (!item)
        return nullptr;
    if (flags & (TVHT_ONITEMBUTTON | TVHT_ONITEMICON | TVHT_ONITEMRIGHT | TVHT_ONITEMSTATEICON))
        return item;
    if (GetStyle() & TVS_FULLROWSELECT)
        return item;
    if (flags & TVHT_ONITEMLABEL) {
        // The label is column 0's text only; the rest of the row belongs to the other columns.
        CRect label;
        GetItemRect(item, &label, TRUE);
        CClientDC dc(const_cast<CCustomTreeChildCtrl*>(this));
        CFont* old = dc.SelectObject(AfxControlFont(this));
        int width = dc.GetTextExtent(ColumnTreeTextPart(GetItemText(item), 0)).cx;
        dc.SelectObject(old);
        if (pt.x <= label.left + width + kLabelSlack)
            return item;
    }
    return nullptr;
}

void CCustomTreeChildCtrl::ClickItem(HTREEITEM item, bool ctrl, bool shift) {
    HTREEITEM caret = GetSelectedItem();
    if (ctrl) {
        if (IsSelected(item)) {
            if (item == caret)
                CTreeCtrl::SelectItem(nullptr);
            CKovTreeCtrlEnhancer::SelectItem(item, FALSE);
        } else {
            // The new item takes the caret; the old caret stays selected.
            if (CTreeCtrl::SelectItem(item) && caret && caret != item)
                SetItemState(caret, TVIS_SELECTED, TVIS_SELECTED);
            CKovTreeCtrlEnhancer::SelectItem(item, TRUE);
        }
    } else if (shift) {
        HTREEITEM from = caret ? caret : GetLastSelected();
        if (!from)
            from = GetRootItem();
        SelectAll(FALSE);
        SelectRange(from, item, TRUE);
    } else if (!IsSelected(item)) {
        if (CTreeCtrl::SelectItem(item)) {
            SelectAll(FALSE, item);
            CKovTreeCtrlEnhancer::SelectItem(item, TRUE);
        }
    } else {
        // A press on a selected item keeps the selection (it may be the start of a drag).
        if (CTreeCtrl::SelectItem(item) && caret && caret != item)
            SetItemState(caret, TVIS_SELECTED, TVIS_SELECTED);
    }
    m_multiSelect = TRUE;
}

LRESULT CCustomTreeChildCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN: {
        CPoint pt(lParam);
        UINT flags = 0;
        HitTest(pt, &flags);
        // The expand button keeps its own behaviour.
        if (flags & TVHT_ONITEMBUTTON)
            return CTreeCtrl::DefWindowProc(message, wParam, lParam);
        HWND self = m_hWnd;
        if (GetFocus() != this)
            SetFocus();
        if (!IsWindow(self))
            return 0;
        m_hPressed = ItemAt(pt);
        m_ptPressed = pt;
        m_bDragSent = false;
        if (m_hPressed != nullptr)
            ClickItem(m_hPressed, (wParam & MK_CONTROL) != 0, (wParam & MK_SHIFT) != 0);
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        HWND self = m_hWnd;
        if (GetFocus() != this)
            SetFocus();
        if (!IsWindow(self))
            return 0;
        if (HTREEITEM item = ItemAt(CPoint(lParam)))
            CTreeCtrl::SelectItem(item);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (m_hPressed != nullptr && !IsValidItem(m_hPressed))
            m_hPressed = nullptr; // deleted since the press
        if ((wParam & MK_LBUTTON) && m_hPressed != nullptr && !m_bDragSent &&
            !(GetStyle() & TVS_DISABLEDRAGDROP) && AfxBeyondDragThreshold(m_ptPressed, CPoint(lParam))) {
            m_bDragSent = true;
            NMTREEVIEW nm{};
            nm.itemNew.mask = TVIF_HANDLE | TVIF_PARAM;
            nm.itemNew.hItem = m_hPressed;
            nm.itemNew.lParam = (LPARAM)GetItemData(m_hPressed);
            nm.ptDrag = m_ptPressed;
            AfxSendNotify(this, &nm.hdr, TVN_BEGINDRAG);
            return 0;
        }
        if (!(wParam & MK_LBUTTON))
            m_hPressed = nullptr;
        if (!ItemAt(CPoint(lParam)))
            return 0;
        return CTreeCtrl::DefWindowProc(message, wParam, lParam);
    case WM_LBUTTONUP:
        m_hPressed = nullptr;
        return 0;
    case WM_TIMER:
        return 0;
    case WM_KEYDOWN:
        if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0) {
            SelectAll(TRUE);
            return 0;
        }
        return CTreeCtrl::DefWindowProc(message, wParam, lParam);
    default:
        return CTreeCtrl::DefWindowProc(message, wParam, lParam);
    }
}

// ---- CColumnTreeCtrl ------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CColumnTreeCtrl, CStatic)
ON_WM_SIZE()
ON_WM_HSCROLL()
ON_WM_ENABLE()
ON_MESSAGE(WM_SETTINGCHANGE, &CColumnTreeCtrl::OnSettingChange)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CColumnTreeCtrl::CColumnTreeCtrl() = default;

CColumnTreeCtrl::~CColumnTreeCtrl() {
    if (m_hWnd)
        DestroyWindow();
}

BOOL CColumnTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    m_creating = TRUE;
    BOOL ok = CWnd::Create(AfxRegisterWndClass(0), "", dwStyle, rect, pParentWnd, nID);
    m_creating = FALSE;
    if (ok)
        CreateChildren();
    return ok;
}

void CColumnTreeCtrl::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    if (!m_creating)
        CreateChildren();
}

int CColumnTreeCtrl::ReadHeaderHeight() {
    RECT rc{0, 0, 100, 100};
    WINDOWPOS wp{};
    HDLAYOUT layout{&rc, &wp};
    m_header.Layout(&layout);
    return wp.cy;
}

void CColumnTreeCtrl::CreateChildren() {
    if (m_tree.m_hWnd)
        return;
    CRect none(0, 0, 0, 0);
    m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_NOHSCROLL | TVS_NOTOOLTIPS, none, this, kTreeId);
    m_tree.m_pDragHelper = &m_dragHelper;
    m_dragHelper.SetTreeCtrl(&m_tree);
    m_header.Create(WS_CHILD | WS_VISIBLE | HDS_BUTTONS | HDS_FULLDRAG, none, this, kHeaderId);
    m_cornerHeader.Create(WS_CHILD, none, this, kCornerId);
    m_hScroll.Create(WS_CHILD | SBS_HORZ | SBS_BOTTOMALIGN, none, this, kScrollId);
    CFont* font = AfxControlFont(&m_tree);
    m_header.SetFont(font);
    m_cornerHeader.SetFont(font);
    // The look of the current common controls.
    m_textOffset = 9;
    m_headerHeight = ReadHeaderHeight();
    m_scrollOffset = 0;
    UpdateColumns();
}

int CColumnTreeCtrl::InsertColumn(int nIndex, const char* lpszText, int nFormat, int nWidth) {
    int count = m_header.GetItemCount();
    // The width and format tables hold 16 columns: a 17th is refused rather than written past
    // their end.
    if (count >= COLUMNTREE_MAX_COLUMNS || nIndex < 0)
        return -1;
    HDITEM hd{};
    hd.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    hd.pszText = const_cast<LPSTR>(lpszText ? lpszText : "");
    hd.cxy = nWidth < 0 ? 100 : nWidth;
    hd.fmt = HDF_STRING | nFormat;
    int at = m_header.InsertItem(nIndex, &hd);
    if (at < 0)
        return at;
    std::copy_backward(m_columnFormats + at, m_columnFormats + count, m_columnFormats + count + 1);
    m_columnFormats[at] = (UINT)nFormat;
    if (m_header.GetItemCount() > 0) {
        HDITEM corner{};
        corner.mask = HDI_WIDTH;
        corner.cxy = GetSystemMetrics(SM_CXVSCROLL) + 5;
        m_cornerHeader.InsertItem(0, &corner);
    }
    UpdateColumns();
    return at;
}

int CColumnTreeCtrl::GetColumnCount() const {
    return m_header.m_hWnd ? m_header.GetItemCount() : 0;
}

int CColumnTreeCtrl::GetColumnWidth(int nColumn) const {
    return nColumn >= 0 && nColumn < GetColumnCount() ? m_columnWidths[nColumn] : 0;
}

void CColumnTreeCtrl::UpdateColumns() {
    m_totalWidth = 0;
    int n = std::min(GetColumnCount(), COLUMNTREE_MAX_COLUMNS);
    for (int i = 0; i < n; ++i) {
        HDITEM hd{};
        hd.mask = HDI_WIDTH;
        m_header.GetItem(i, &hd);
        m_columnWidths[i] = hd.cxy;
        m_totalWidth += hd.cxy;
    }
    m_tree.m_firstColumnWidth = n > 0 ? m_columnWidths[0] : 0;
    m_ignoreNextChange = TRUE;
    UpdateLayout();
}

bool CColumnTreeCtrl::TreeHasVScroll() const {
    return m_tree.m_hWnd && (m_tree.GetStyle() & WS_VSCROLL);
}

void CColumnTreeCtrl::UpdateLayout() {
    if (!m_tree.m_hWnd)
        return;
    CRect c;
    GetClientRect(&c);
    int W = c.Width(), H = c.Height(), h = m_headerHeight;
    int sx = GetSystemMetrics(SM_CXVSCROLL), sy = GetSystemMetrics(SM_CYHSCROLL);
    int v = TreeHasVScroll() ? sx : 0;
    int content = m_totalWidth + v;
    m_scrollOffset = std::clamp(m_scrollOffset, 0, std::max(0, content - W));
    bool showBar = W < content && H >= h + sy;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = content;
    si.nPage = (UINT)std::max(0, W);
    si.nPos = m_scrollOffset;
    m_hScroll.SetScrollInfo(&si, FALSE);
    int w = content > W ? W + m_scrollOffset : W;
    m_header.MoveWindow(-m_scrollOffset, 0, std::max(0, w - v), h, FALSE);
    m_cornerHeader.MoveWindow(W - sx, 0, sx, h, FALSE);
    m_cornerHeader.ShowWindow(v ? SW_SHOWNA : SW_HIDE);
    m_tree.MoveWindow(-m_scrollOffset, h, w, std::max(0, H - h - (showBar ? sy : 0)), FALSE);
    m_hScroll.MoveWindow(0, H - sy, std::max(0, W - v), sy, FALSE);
    m_hScroll.ShowWindow(showBar ? SW_SHOWNA : SW_HIDE);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void CColumnTreeCtrl::SetItemText(HTREEITEM item, int nColumn, const char* lpszText) {
    CString old = m_tree.GetItemText(item);
    CString text;
    for (int i = 0; i < GetColumnCount(); ++i) {
        text += i == nColumn ? CString(lpszText ? lpszText : "") : ColumnTreeTextPart(old, i);
        text += '\t';
    }
    m_tree.SetItemText(item, text);
}

CString CColumnTreeCtrl::GetItemText(HTREEITEM item, int nColumn) const {
    return ColumnTreeTextPart(m_tree.GetItemText(item), nColumn);
}

void CColumnTreeCtrl::OnSize(UINT, int, int) {
    UpdateLayout();
}

void CColumnTreeCtrl::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    CRect c;
    GetClientRect(&c);
    int W = c.Width();
    int content = m_totalWidth + (TreeHasVScroll() ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    int pos = m_scrollOffset;
    switch (nSBCode) {
    case SB_LINELEFT:
        pos -= kLineStep;
        break;
    case SB_LINERIGHT:
        pos += kLineStep;
        break;
    case SB_PAGELEFT:
        pos -= W;
        break;
    case SB_PAGERIGHT:
        pos += W;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = (int)nPos;
        break;
    case SB_LEFT:
        pos = 0;
        break;
    case SB_RIGHT:
        pos = content - W;
        break;
    default:
        break;
    }
    pos = std::clamp(pos, 0, std::max(0, content - W));
    if (pos == m_scrollOffset)
        return;
    m_scrollOffset = pos;
    m_tree.m_offset = pos;
    m_hScroll.SetScrollPos(pos);
    UpdateLayout();
}

LRESULT CColumnTreeCtrl::OnSettingChange(WPARAM, LPARAM) {
    for (CWnd* w : {(CWnd*)&m_tree, (CWnd*)&m_hScroll, (CWnd*)&m_header, (CWnd*)&m_cornerHeader})
        if (w->m_hWnd)
            w->SendMessage(WM_WININICHANGE);
    CFont* gui = CFont::FromHandle((HFONT)GetStockObject(DEFAULT_GUI_FONT));
    m_header.SetFont(gui);
    m_cornerHeader.SetFont(gui);
    m_headerHeight = ReadHeaderHeight();
    UpdateLayout();
    return 0;
}

void CColumnTreeCtrl::OnEnable(BOOL bEnable) {
    for (CWnd* w : {(CWnd*)&m_header, (CWnd*)&m_cornerHeader, (CWnd*)&m_tree, (CWnd*)&m_hScroll})
        if (w->m_hWnd)
            w->EnableWindow(bEnable);
}

void CColumnTreeCtrl::OnPaint() {
    CPaintDC dc(this);
    if (!TreeHasVScroll())
        return;
    // The square where the two scroll bars would meet.
    CRect c;
    GetClientRect(&c);
    int sx = GetSystemMetrics(SM_CXVSCROLL), sy = GetSystemMetrics(SM_CYHSCROLL);
    dc.FillSolidRect(c.right - sx, c.bottom - sy, sx, sy, GetSysColor(COLOR_BTNFACE));
}

BOOL CColumnTreeCtrl::OnEraseBkgnd(CDC*) {
    return TRUE;
}

BOOL CColumnTreeCtrl::PreTranslateMessage(MSG* pMsg) {
    if (m_dragHelper.FilterMessage(pMsg))
        return TRUE;
    return CStatic::PreTranslateMessage(pMsg);
}

BOOL CColumnTreeCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT* pResult) {
    if (m_dragHelper.OnMessage(message, wParam, lParam)) {
        if (pResult != nullptr)
            *pResult = 0;
        return TRUE;
    }
    return CStatic::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CColumnTreeCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    if (!nm)
        return FALSE;
    if (nm->idFrom == kTreeId && nm->code == NM_CUSTOMDRAW) {
        OnCustomDraw(nm, pResult);
        return TRUE;
    }
    if (nm->idFrom == kTreeId && m_dragHelper.OnMessage(WM_NOTIFY, wParam, lParam)) {
        *pResult = 0;
        return TRUE;
    }
    if (nm->idFrom == kHeaderId && nm->code == HDN_ITEMCHANGING) {
        auto* hn = reinterpret_cast<NMHEADER*>(nm);
        *pResult = FALSE;
        if (m_ignoreNextChange) {
            m_ignoreNextChange = FALSE;
            *pResult = TRUE;
        } else if (hn->iItem == 0 && hn->pitem && (hn->pitem->mask & HDI_WIDTH) &&
                   hn->pitem->cxy < m_firstColumnMin) {
            hn->pitem->cxy = m_firstColumnMin + 1;
            *pResult = TRUE;
        }
        return TRUE;
    }
    if (nm->idFrom == kHeaderId && nm->code == HDN_ITEMCHANGED) {
        UpdateColumns();
        m_tree.Invalidate();
        *pResult = 0;
        return TRUE;
    }
    if (nm->idFrom == kTreeId && nm->code == TVN_ITEMEXPANDED)
        UpdateLayout();
    if (nm->idFrom == kTreeId && nm->code == TVN_DELETEITEM)
        m_tree.ForgetItem(reinterpret_cast<NMTREEVIEW*>(nm)->itemOld.hItem);
    LRESULT r = 0;
    CStatic::OnNotify(wParam, lParam, &r);
    // The parent hears the tree's and the header's notifications as ours.
    nm->hwndFrom = m_hWnd;
    nm->idFrom = (UINT_PTR)GetDlgCtrlID();
    if (CWnd* parent = GetParent())
        r = parent->SendMessage(WM_NOTIFY, nm->idFrom, lParam);
    *pResult = r;
    return TRUE;
}

void CColumnTreeCtrl::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    case CDDS_ITEMPREPAINT:
        if (cd->nmcd.uItemState & CDIS_SELECTED)
            cd->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
        *pResult = CDRF_NOTIFYPOSTPAINT;
        return;
    case CDDS_ITEMPOSTPAINT:
        break;
    default:
        return;
    }
    CRect row(cd->nmcd.rc);
    if (row.IsRectEmpty())
        return;
    auto item = (HTREEITEM)cd->nmcd.dwItemSpec;
    CDC* dc = CDC::FromHandle(cd->nmcd.hdc);
    CRect label;
    m_tree.GetItemRect(item, &label, TRUE);
    bool enabled = IsWindowEnabled() != FALSE;
    bool selected = (cd->nmcd.uItemState & CDIS_SELECTED) != 0;
    COLORREF window = GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
    COLORREF labelBack = selected ? GetSysColor(COLOR_HIGHLIGHT) : window;
    COLORREF textColor = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : cd->clrText;
    dc->FillSolidRect(&label, window);

    int n = GetColumnCount();
    int columnsEnd = 0;
    for (int i = 0; i < n; ++i)
        columnsEnd += m_columnWidths[i];
    CString text = m_tree.GetItemText(item);
    CString first = ColumnTreeTextPart(text, 0);
    int firstWidth = n > 0 ? m_columnWidths[0] : row.Width();
    label.right = std::min((int)(label.left + dc->GetTextExtent(first).cx + 4), firstWidth - 4);
    DWORD treeStyle = m_tree.GetStyle();
    const bool fullRow = (treeStyle & TVS_FULLROWSELECT) != 0;
    if (labelBack != window) {
        // A full-row tree highlights the row from its label to the last column's end.
        CRect fill = label;
        if (fullRow)
            fill.right = std::max(firstWidth, columnsEnd);
        dc->FillSolidRect(&fill, labelBack);
    }

    // Grid: each column's right end, then the row's bottom.
    int x = 0;
    for (int i = 0; i < n; ++i) {
        x += m_columnWidths[i];
        CRect edge(x - 2, row.top, x, row.bottom);
        dc->DrawEdge(&edge, BDR_SUNKENINNER, BF_RIGHT);
    }
    CRect bottom(0, row.bottom - 2, x, row.bottom);
    dc->DrawEdge(&bottom, BDR_SUNKENINNER, BF_BOTTOM);
    if (labelBack != window && (cd->nmcd.uItemState & CDIS_FOCUS)) {
        CRect focus(0, label.top, label.right, label.bottom);
        dc->DrawFocusRect(&focus);
    }
    CFont underline;
    CFont* before = nullptr;
    if ((treeStyle & TVS_TRACKSELECT) && cd->nmcd.uItemState) {
        LOGFONT lf{};
        AfxControlFont(&m_tree)->GetLogFont(&lf);
        lf.lfUnderline = 1;
        underline.CreateFontIndirect(&lf);
        before = dc->SelectObject(&underline);
    }
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(textColor);
    CRect tr = label;
    tr.DeflateRect(2, 1);
    dc->DrawText(first, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (before)
        dc->SelectObject(before);
    if (enabled && !fullRow)
        dc->SetTextColor(GetSysColor(COLOR_MENUTEXT));
    else if (selected && !fullRow)
        // Only the label is highlighted: the other cells stand on the window's ground and would
        // vanish in the highlight's text colour.
        dc->SetTextColor(GetSysColor(COLOR_GRAYTEXT));
    CRect client;
    m_tree.GetClientRect(&client);
    x = n > 0 ? m_columnWidths[0] : 0;
    for (int i = 1; i < n; ++i) {
        CRect cell(x + m_textOffset + 1, row.top + 1, x + m_columnWidths[i] - 3, row.bottom - 1);
        x += m_columnWidths[i];
        if (cell.right <= client.left || cell.left >= client.right)
            continue;
        DrawCellText(dc, item, i, ColumnTreeTextPart(text, i), cell);
    }
    *pResult = CDRF_DODEFAULT;
}

void CColumnTreeCtrl::DrawCellText(CDC* pDC, HTREEITEM, int nColumn, const CString& text,
                                   const RECT& rc) {
    UINT fmt = nColumn >= 0 && nColumn < COLUMNTREE_MAX_COLUMNS ? m_columnFormats[nColumn] : 0;
    UINT align = (fmt & 0x1) ? DT_RIGHT : (fmt & 0x2) ? DT_CENTER : DT_LEFT;
    CRect r(rc);
    pDC->DrawText(text, &r, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}
