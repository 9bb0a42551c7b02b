#include "platform/gui/TabCtrl.h"

#include "platform/gui/Dc.h"
#include "platform/gui/WndPrivate.h"

#include <QFontMetrics>
#include <algorithm>
#include <cstring>
#include <vector>

IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)

// Dialog templates name the control by its window class.
static const bool s_registered = (AfxRegisterControlClass<CTabCtrl>("SysTabControl32"), true);

namespace {
constexpr int kBorder = 2;      // the frame round the display area
constexpr int kLift = 2;        // how far the selected tab stands out
constexpr int kArrowWidth = 16; // each of the two scroll arrows when the tabs do not fit
} // namespace

struct TabCtrlState {
    struct Item {
        CString text;
        int image = -1;
        LPARAM data = 0;
        DWORD state = 0;
    };
    CTabCtrl* self;
    std::vector<Item> items;
    CImageList* images = nullptr;
    int cur = -1;
    int focus = -1;
    int hot = -1;
    int first = 0; // the first tab shown when they do not all fit
    CSize fixedSize{0, 0};
    CSize padding{6, 3};

    explicit TabCtrlState(CTabCtrl* s) : self(s) {}

    DWORD Style() const { return self->m_hWnd ? self->GetStyle() : 0; }
    bool Valid(int i) const { return i >= 0 && i < (int)items.size(); }
    bool Bottom() const { return (Style() & TCS_BOTTOM) != 0; }
    CRect Client() const {
        CRect r;
        if (self->m_hWnd)
            self->GetClientRect(&r);
        return r;
    }
    CSize ImageSize() const {
        IMAGEINFO ii{};
        if (images && images->GetSafeHandle() && images->GetImageCount() > 0 &&
            images->GetImageInfo(0, &ii))
            return CSize(ii.rcImage.right - ii.rcImage.left, ii.rcImage.bottom - ii.rcImage.top);
        return CSize(0, 0);
    }
    int TabHeight() const {
        if (fixedSize.cy > 0)
            return fixedSize.cy;
        int h = QFontMetrics(AfxQFont((HFONT)*AfxControlFont(self))).height();
        return std::max(h, (int)ImageSize().cy) + 2 * padding.cy + 2;
    }
    int TabWidth(int i) const {
        if ((Style() & TCS_FIXEDWIDTH) && fixedSize.cx > 0)
            return fixedSize.cx;
        const Item& it = items[(size_t)i];
        int w = 2 * padding.cx + QFontMetrics(AfxQFont((HFONT)*AfxControlFont(self)))
                                     .horizontalAdvance(AfxToQt(it.text));
        if (it.image >= 0 && ImageSize().cx > 0)
            w += ImageSize().cx + padding.cx / 2;
        return std::max(w, 2 * padding.cx);
    }
    bool MultiLine() const { return (Style() & TCS_MULTILINE) != 0; }
    // The first tab shown: every tab is, on several rows.
    int FirstShown() const { return MultiLine() ? 0 : first; }
    // The rows of a multi-line control, each the tabs in order that fit across the width.
    std::vector<std::vector<int>> TabRows() const {
        std::vector<std::vector<int>> rows;
        int avail = std::max(1, (int)Client().Width() - 2 * kBorder), used = 0;
        for (int i = 0; i < (int)items.size(); ++i) {
            int w = TabWidth(i);
            if (rows.empty() || (used + w > avail && !rows.back().empty())) {
                rows.emplace_back();
                used = 0;
            }
            rows.back().push_back(i);
            used += w;
        }
        return rows;
    }
    int RowCount() const {
        if (items.empty())
            return 0;
        return MultiLine() ? (int)TabRows().size() : 1;
    }
    // Multi-line: every tab's rectangle. The row of the selected tab stands next to the display
    // area and the others follow it in turn, as on the classic control; with several rows each
    // is stretched across the width unless TCS_RAGGEDRIGHT.
    std::vector<CRect> MultiLineRects() const {
        std::vector<CRect> out(items.size());
        auto rows = TabRows();
        int n = (int)rows.size(), h = TabHeight();
        int selRow = 0;
        for (int r = 0; r < n; ++r)
            if (std::find(rows[(size_t)r].begin(), rows[(size_t)r].end(), cur) !=
                rows[(size_t)r].end())
                selRow = r;
        CRect c = Client();
        int avail = std::max(1, (int)c.Width() - 2 * kBorder);
        bool stretch = n > 1 && !(Style() & TCS_RAGGEDRIGHT);
        for (int r = 0; r < n; ++r) {
            const auto& row = rows[(size_t)r];
            int away = (r - selRow + n) % n; // rows between this one and the display area
            int top = Bottom() ? c.bottom - kLift - (n - away) * h : kLift + (n - 1 - away) * h;
            int used = 0;
            for (int i : row)
                used += TabWidth(i);
            int extra = stretch ? std::max(0, avail - used) : 0;
            int x = kBorder;
            for (size_t k = 0; k < row.size(); ++k) {
                int w = TabWidth(row[k]) + extra / (int)row.size() +
                        (k + 1 == row.size() ? extra % (int)row.size() : 0);
                out[(size_t)row[k]] = CRect(x, top, x + w, top + h);
                x += w;
            }
        }
        return out;
    }
    bool Overflows() const {
        if (MultiLine())
            return false;
        int total = kBorder;
        for (int i = 0; i < (int)items.size(); ++i)
            total += TabWidth(i);
        return total > Client().Width();
    }
    // A tab's rectangle in client coordinates; empty for tabs scrolled out of sight.
    CRect TabRect(int i) const {
        if (Valid(i) && MultiLine())
            return MultiLineRects()[(size_t)i];
        if (!Valid(i) || i < first)
            return CRect();
        CRect c = Client();
        int h = TabHeight();
        int x = kBorder;
        for (int j = first; j < i; ++j)
            x += TabWidth(j);
        int top = Bottom() ? c.bottom - h - kLift : kLift;
        return CRect(x, top, x + TabWidth(i), top + h);
    }
    // The height the tabs take from the window: their rows and the lift of the selected tab.
    int Band() const { return std::max(1, RowCount()) * TabHeight() + kLift; }
    CRect Display() const {
        CRect r = Client();
        int band = Band();
        if (Bottom())
            r.bottom -= band;
        else
            r.top += band;
        return r;
    }
    CRect Arrows() const {
        CRect c = Client();
        CRect tab = TabRect(first);
        if (tab.IsRectEmpty())
            tab = CRect(0, Bottom() ? c.bottom - TabHeight() : 0, 0, TabHeight());
        return CRect(c.right - 2 * kArrowWidth, tab.top, c.right, tab.bottom);
    }
    void EnsureShown(int i) {
        if (!Valid(i) || MultiLine())
            return;
        if (i < first)
            first = i;
        int limit = Client().Width() - (Overflows() ? 2 * kArrowWidth : 0);
        while (first < i && TabRect(i).right > limit)
            ++first;
    }

    LRESULT Notify(UINT code) {
        NMHDR nm{};
        return AfxSendNotify(self, &nm, code);
    }
    // A person's change of tab: the parent may refuse.
    void Choose(int i) {
        if (!Valid(i) || i == cur)
            return;
        HWND hwnd = self->m_hWnd;
        if (Notify(TCN_SELCHANGING) || !IsWindow(hwnd) || !Valid(i))
            return;
        cur = focus = i;
        EnsureShown(i);
        self->Invalidate(FALSE);
        Notify(TCN_SELCHANGE);
    }

    void Paint(CDC* dc);
    void PaintTab(CDC* dc, int i, CRect r);
};

void TabCtrlState::PaintTab(CDC* dc, int i, CRect r) {
    const Item& it = items[(size_t)i];
    bool selected = i == cur;
    if (selected)
        r.InflateRect(kLift, Bottom() ? 0 : kLift, kLift, Bottom() ? kLift : 0);
    if (Style() & TCS_OWNERDRAWFIXED) {
        AfxSendDrawItem(self, ODT_TAB, (UINT)i, selected ? ODS_SELECTED : 0, dc, r,
                        (ULONG_PTR)it.data);
        return;
    }
    dc->FillSolidRect(&r, GetSysColor(COLOR_BTNFACE));
    // Three sides of a raised frame; the side towards the display area stays open.
    CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    CPen dark(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CPen* old = dc->SelectObject(&light);
    int outer = Bottom() ? r.bottom - 1 : r.top;
    int inner = Bottom() ? r.top : r.bottom;
    dc->MoveTo(r.left, inner);
    dc->LineTo(r.left, outer);
    dc->LineTo(r.right - 1, outer);
    dc->SelectObject(&dark);
    dc->LineTo(r.right - 1, inner);
    dc->SelectObject(old);
    CRect inside = r;
    inside.DeflateRect(padding.cx, padding.cy);
    if (it.image >= 0 && images && images->GetSafeHandle()) {
        CSize sz = ImageSize();
        images->Draw(dc, it.image, CPoint(inside.left, inside.top + (inside.Height() - sz.cy) / 2),
                     ILD_TRANSPARENT);
        inside.left += sz.cx + padding.cx / 2;
    }
    dc->SetBkMode(TRANSPARENT);
    bool hotText = (Style() & TCS_HOTTRACK) && i == hot && !selected;
    dc->SetTextColor(GetSysColor(!self->IsWindowEnabled() ? COLOR_GRAYTEXT
                                 : hotText                ? COLOR_HOTLIGHT
                                                          : COLOR_BTNTEXT));
    dc->DrawText(it.text, &inside, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    if (selected && focus == i && CWnd::GetFocus() == self) {
        CRect f = inside;
        f.InflateRect(2, 1);
        dc->DrawFocusRect(&f);
    }
}

void TabCtrlState::Paint(CDC* dc) {
    CRect c = Client();
    dc->FillSolidRect(&c, GetSysColor(COLOR_BTNFACE));
    CRect d = Display();
    dc->Draw3dRect(&d, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    CFont* oldFont = dc->SelectObject(AfxControlFont(self));
    int limit = c.right - (Overflows() ? 2 * kArrowWidth : 0);
    int saved = dc->SaveDC();
    dc->IntersectClipRect(c.left, c.top, limit, c.bottom);
    for (int i = FirstShown(); i < (int)items.size(); ++i) {
        CRect r = TabRect(i);
        if (r.left >= limit)
            break;
        if (i != cur)
            PaintTab(dc, i, r);
    }
    // The selected tab last, over its neighbours and joined to the display area.
    if (Valid(cur) && cur >= FirstShown() && TabRect(cur).left < limit)
        PaintTab(dc, cur, TabRect(cur));
    dc->RestoreDC(saved);
    if (Overflows()) {
        CRect a = Arrows();
        CRect left(a.left, a.top, a.left + kArrowWidth, a.bottom);
        CRect right(left.right, a.top, a.right, a.bottom);
        dc->DrawFrameControl(&left, DFC_SCROLL, DFCS_SCROLLLEFT);
        dc->DrawFrameControl(&right, DFC_SCROLL, DFCS_SCROLLRIGHT);
    }
    dc->SelectObject(oldFont);
}

// ---- CTabCtrl -------------------------------------------------------------------------------

CTabCtrl::CTabCtrl() : m_tab(std::make_unique<TabCtrlState>(this)) {}

CTabCtrl::~CTabCtrl() {
    if (m_hWnd)
        DestroyWindow();
}

BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("SysTabControl32", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CTabCtrl::OnWidgetCreated() {
    if (QWidget* w = GetWidget()) {
        w->setFocusPolicy((GetStyle() & TCS_FOCUSNEVER) ? Qt::NoFocus : Qt::StrongFocus);
        w->setMouseTracking(true);
    }
}

int CTabCtrl::GetItemCount() const {
    return (int)m_tab->items.size();
}

LONG CTabCtrl::InsertItem(int nItem, TCITEM* p) {
    TabCtrlState& t = *m_tab;
    if (!p || nItem < 0)
        return -1;
    int at = std::min(nItem, (int)t.items.size());
    TabCtrlState::Item it;
    if ((p->mask & TCIF_TEXT) && p->pszText)
        it.text = p->pszText;
    if (p->mask & TCIF_IMAGE)
        it.image = p->iImage;
    if (p->mask & TCIF_PARAM)
        it.data = p->lParam;
    if (p->mask & TCIF_STATE)
        it.state = p->dwState & p->dwStateMask;
    t.items.insert(t.items.begin() + at, it);
    // The first tab becomes the selected one; a tab inserted before it moves it up one.
    if (t.cur < 0)
        t.cur = t.focus = 0;
    else if (at <= t.cur)
        ++t.cur, t.focus = t.cur;
    Invalidate(FALSE);
    return at;
}

LONG CTabCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage) {
    TCITEM tc{};
    tc.mask = TCIF_TEXT | TCIF_IMAGE;
    tc.pszText = const_cast<LPSTR>(lpszItem);
    tc.iImage = nImage;
    return InsertItem(nItem, &tc);
}

BOOL CTabCtrl::DeleteItem(int nItem) {
    TabCtrlState& t = *m_tab;
    if (!t.Valid(nItem))
        return FALSE;
    t.items.erase(t.items.begin() + nItem);
    // Deleting the selected tab leaves none selected, as the program then chooses.
    if (t.cur == nItem)
        t.cur = -1;
    else if (t.cur > nItem)
        --t.cur;
    t.focus = t.cur;
    t.hot = -1;
    t.first = std::clamp(t.first, 0, std::max(0, (int)t.items.size() - 1));
    Invalidate(FALSE);
    return TRUE;
}

BOOL CTabCtrl::DeleteAllItems() {
    m_tab->items.clear();
    m_tab->cur = m_tab->focus = m_tab->hot = -1;
    m_tab->first = 0;
    Invalidate(FALSE);
    return TRUE;
}

BOOL CTabCtrl::GetItem(int nItem, TCITEM* p) const {
    TabCtrlState& t = *m_tab;
    if (!p || !t.Valid(nItem))
        return FALSE;
    const auto& it = t.items[(size_t)nItem];
    if ((p->mask & TCIF_TEXT) && p->pszText && p->cchTextMax > 0) {
        AfxCopyTextOut(it.text, p->pszText, (size_t)p->cchTextMax);
    }
    if (p->mask & TCIF_IMAGE)
        p->iImage = it.image;
    if (p->mask & TCIF_PARAM)
        p->lParam = it.data;
    if (p->mask & TCIF_STATE)
        p->dwState = it.state & p->dwStateMask;
    return TRUE;
}

BOOL CTabCtrl::SetItem(int nItem, TCITEM* p) {
    TabCtrlState& t = *m_tab;
    if (!p || !t.Valid(nItem))
        return FALSE;
    auto& it = t.items[(size_t)nItem];
    if (p->mask & TCIF_TEXT)
        it.text = p->pszText ? p->pszText : "";
    if (p->mask & TCIF_IMAGE)
        it.image = p->iImage;
    if (p->mask & TCIF_PARAM)
        it.data = p->lParam;
    if (p->mask & TCIF_STATE)
        it.state = (it.state & ~p->dwStateMask) | (p->dwState & p->dwStateMask);
    Invalidate(FALSE);
    return TRUE;
}

BOOL CTabCtrl::GetItemRect(int nItem, LPRECT lpRect) const {
    if (!lpRect || !m_tab->Valid(nItem))
        return FALSE;
    *lpRect = m_tab->TabRect(nItem);
    return TRUE;
}

int CTabCtrl::GetCurSel() const {
    return m_tab->cur;
}

int CTabCtrl::SetCurSel(int nItem) {
    TabCtrlState& t = *m_tab;
    if (!t.Valid(nItem))
        return -1;
    int old = t.cur;
    t.cur = t.focus = nItem;
    t.EnsureShown(nItem);
    Invalidate(FALSE);
    return old;
}

int CTabCtrl::GetCurFocus() const {
    return m_tab->focus;
}

void CTabCtrl::SetCurFocus(int nItem) {
    // Without buttons the focus and the selection are one: moving it is a person's choice.
    m_tab->Choose(nItem);
}

int CTabCtrl::HitTest(TCHITTESTINFO* p) const {
    TabCtrlState& t = *m_tab;
    if (!p)
        return -1;
    p->flags = TCHT_NOWHERE;
    if (t.Overflows() && t.Arrows().PtInRect(p->pt))
        return -1;
    for (int i = t.FirstShown(); i < (int)t.items.size(); ++i) {
        CRect r = t.TabRect(i);
        if (i == t.cur)
            r.InflateRect(kLift, 0);
        if (!r.PtInRect(p->pt))
            continue;
        CSize img = t.ImageSize();
        bool onIcon = t.items[(size_t)i].image >= 0 && img.cx > 0 &&
                      p->pt.x < r.left + t.padding.cx + img.cx && p->pt.x >= r.left + t.padding.cx;
        p->flags = onIcon ? TCHT_ONITEMICON : TCHT_ONITEMLABEL;
        return i;
    }
    return -1;
}

void CTabCtrl::AdjustRect(BOOL bLarger, LPRECT lpRect) {
    if (!lpRect)
        return;
    TabCtrlState& t = *m_tab;
    int band = t.Band();
    int sign = bLarger ? -1 : 1;
    lpRect->left += sign * kBorder;
    lpRect->right -= sign * kBorder;
    if (t.Bottom()) {
        lpRect->top += sign * kBorder;
        lpRect->bottom -= sign * (band + kBorder);
    } else {
        lpRect->top += sign * (band + kBorder);
        lpRect->bottom -= sign * kBorder;
    }
}

CSize CTabCtrl::SetItemSize(CSize size) {
    CSize old(m_tab->items.empty() ? 0 : m_tab->TabWidth(0), m_tab->TabHeight());
    m_tab->fixedSize = size;
    Invalidate(FALSE);
    return old;
}

void CTabCtrl::SetPadding(CSize size) {
    m_tab->padding = size;
    Invalidate(FALSE);
}

int CTabCtrl::GetRowCount() const {
    return m_tab->RowCount();
}

CImageList* CTabCtrl::GetImageList() const {
    return m_tab->images;
}

CImageList* CTabCtrl::SetImageList(CImageList* pImageList) {
    std::swap(m_tab->images, pImageList);
    Invalidate(FALSE);
    return pImageList;
}

LRESULT CTabCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    TabCtrlState& t = *m_tab;
    switch (message) {
    case TCM_GETIMAGELIST:
        return (LRESULT)(t.images ? t.images->GetSafeHandle() : nullptr);
    case TCM_SETIMAGELIST: {
        CImageList* old = SetImageList(CImageList::FromHandle((HIMAGELIST)lParam));
        return (LRESULT)(old ? old->GetSafeHandle() : nullptr);
    }
    case TCM_GETITEMCOUNT:
        return GetItemCount();
    case TCM_GETITEM:
        return GetItem((int)wParam, reinterpret_cast<TCITEM*>(lParam));
    case TCM_SETITEM:
        return SetItem((int)wParam, reinterpret_cast<TCITEM*>(lParam));
    case TCM_INSERTITEM:
        return InsertItem((int)wParam, reinterpret_cast<TCITEM*>(lParam));
    case TCM_DELETEITEM:
        return DeleteItem((int)wParam);
    case TCM_DELETEALLITEMS:
        return DeleteAllItems();
    case TCM_GETITEMRECT:
        return GetItemRect((int)wParam, reinterpret_cast<RECT*>(lParam));
    case TCM_GETCURSEL:
        return GetCurSel();
    case TCM_SETCURSEL:
        return SetCurSel((int)wParam);
    case TCM_HITTEST:
        return HitTest(reinterpret_cast<TCHITTESTINFO*>(lParam));
    case TCM_ADJUSTRECT:
        AdjustRect((BOOL)wParam, reinterpret_cast<RECT*>(lParam));
        return 0;
    case TCM_SETITEMSIZE: {
        CSize old = SetItemSize(CSize(LOWORD(lParam), HIWORD(lParam)));
        return MAKELPARAM(old.cx, old.cy);
    }
    case TCM_SETPADDING:
        SetPadding(CSize(LOWORD(lParam), HIWORD(lParam)));
        return 0;
    case TCM_GETROWCOUNT:
        return GetRowCount();
    case TCM_GETCURFOCUS:
        return GetCurFocus();
    case TCM_SETCURFOCUS:
        SetCurFocus((int)wParam);
        return 0;

    case WM_PAINT:
        return AfxPaintControl(this, wParam, [&](CDC* dc) { t.Paint(dc); });
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN: {
        CPoint pt(lParam);
        if (t.Overflows() && t.Arrows().PtInRect(pt)) {
            bool left = pt.x < t.Arrows().left + kArrowWidth;
            t.first =
                std::clamp(t.first + (left ? -1 : 1), 0, std::max(0, (int)t.items.size() - 1));
            Invalidate(FALSE);
            return 0;
        }
        TCHITTESTINFO hi{pt, 0};
        int i = HitTest(&hi);
        HWND self = m_hWnd;
        if (i >= 0 && !(GetStyle() & TCS_FOCUSNEVER) && GetFocus() != this)
            SetFocus();
        if (IsWindow(self) && i >= 0)
            t.Choose(i);
        return 0;
    }
    case WM_LBUTTONUP: {
        t.Notify(NM_CLICK);
        return 0;
    }
    case WM_RBUTTONUP:
        t.Notify(NM_RCLICK);
        return 0;
    case WM_MOUSEMOVE:
        if (GetStyle() & TCS_HOTTRACK) {
            TCHITTESTINFO hi{CPoint(lParam), 0};
            int i = HitTest(&hi);
            if (i != t.hot) {
                t.hot = i;
                Invalidate(FALSE);
            }
        }
        return 0;
    case WM_KEYDOWN: {
        HWND self = m_hWnd;
        NMTCKEYDOWN kd{};
        kd.wVKey = (WORD)wParam;
        kd.flags = (UINT)lParam;
        AfxSendNotify(this, &kd.hdr, TCN_KEYDOWN);
        if (!IsWindow(self) || t.items.empty())
            return 0;
        int n = (int)t.items.size();
        if (wParam == VK_LEFT || wParam == VK_RIGHT)
            t.Choose(std::clamp(t.cur + (wParam == VK_LEFT ? -1 : 1), 0, n - 1));
        else if (wParam == VK_HOME || wParam == VK_END)
            t.Choose(wParam == VK_HOME ? 0 : n - 1);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SIZE:
        Invalidate(FALSE);
        return CWnd::DefWindowProc(message, wParam, lParam);
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}
