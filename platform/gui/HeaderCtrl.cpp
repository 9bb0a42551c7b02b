#include "platform/gui/HeaderCtrl.h"

#include "platform/gui/Dc.h"
#include "platform/gui/ItemCtrlCommon.h"
#include "platform/gui/WndPrivate.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <vector>

IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)

// Dialog templates name the control by its window class.
static const bool s_registered = (AfxRegisterControlClass<CHeaderCtrl>("SysHeader32"), true);

namespace {
constexpr int kDividerGrip = 4; // pixels either side of a divider that grab it
constexpr int kTextMargin = 6;
} // namespace

struct HeaderCtrlState {
    struct Item {
        CString text;
        int width = 0;
        int fmt = HDF_LEFT | HDF_STRING;
        LPARAM data = 0;
        int image = -1;
        HBITMAP bitmap = nullptr;
    };
    CHeaderCtrl* self;
    std::vector<Item> items;
    std::vector<int> order; // display position -> item index
    CImageList* images = nullptr;
    int hot = -1;
    int pressed = -1;
    // Resizing with the mouse.
    int tracking = -1;
    int trackStartX = 0;
    int trackStartWidth = 0;
    int trackWidth = 0;
    // Reordering with the mouse.
    CPoint pressPt;
    bool dragging = false;
    int dragX = 0;

    explicit HeaderCtrlState(CHeaderCtrl* s) : self(s) {}

    DWORD Style() const { return self->m_hWnd ? self->GetStyle() : 0; }
    bool ValidIndex(int i) const { return i >= 0 && i < (int)items.size(); }
    int PositionOf(int index) const {
        auto p = std::find(order.begin(), order.end(), index);
        return p == order.end() ? -1 : (int)(p - order.begin());
    }
    int Height() const {
        CRect r;
        if (self->m_hWnd)
            self->GetClientRect(&r);
        return r.Height();
    }
    CRect ItemRect(int index) const {
        int x = 0;
        for (int i : order) {
            if (i == index)
                return CRect(x, 0, x + items[(size_t)i].width, Height());
            x += items[(size_t)i].width;
        }
        return CRect();
    }

    NMHEADER Note(int index, HDITEM* item) const {
        NMHEADER nm{};
        nm.iItem = index;
        nm.iButton = 0;
        nm.pitem = item;
        return nm;
    }
    LRESULT Notify(UINT code, int index, HDITEM* item = nullptr) {
        NMHEADER nm = Note(index, item);
        return AfxSendNotify(self, &nm.hdr, code);
    }

    void Fill(HDITEM& hd, int index) const {
        const Item& it = items[(size_t)index];
        hd.mask =
            HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM | HDI_IMAGE | HDI_BITMAP | HDI_ORDER;
        hd.cxy = it.width;
        hd.pszText = const_cast<LPSTR>(it.text.GetString());
        hd.cchTextMax = it.text.GetLength() + 1;
        hd.fmt = it.fmt;
        hd.lParam = it.data;
        hd.iImage = it.image;
        hd.hbm = it.bitmap;
        hd.iOrder = PositionOf(index);
    }
    // Applies the fields of a HDITEM that its mask names.
    void Apply(int index, const HDITEM& hd) {
        Item& it = items[(size_t)index];
        if (hd.mask & HDI_WIDTH)
            it.width = std::max(0, hd.cxy);
        if (hd.mask & HDI_TEXT)
            it.text = hd.pszText ? hd.pszText : "";
        if (hd.mask & HDI_FORMAT)
            it.fmt = hd.fmt;
        if (hd.mask & HDI_LPARAM)
            it.data = hd.lParam;
        if (hd.mask & HDI_IMAGE)
            it.image = hd.iImage;
        if (hd.mask & HDI_BITMAP)
            it.bitmap = hd.hbm;
        if ((hd.mask & HDI_ORDER) && hd.iOrder >= 0 && hd.iOrder < (int)order.size())
            MoveToPosition(index, hd.iOrder);
    }
    void MoveToPosition(int index, int pos) {
        order.erase(order.begin() + PositionOf(index));
        order.insert(order.begin() + std::clamp(pos, 0, (int)order.size()), index);
    }

    // A width change the parent is asked about first; it may change the width it accepts.
    bool ChangeWidth(int index, int width) {
        HDITEM hd{};
        hd.mask = HDI_WIDTH;
        hd.cxy = width;
        return Change(index, hd);
    }
    bool Change(int index, HDITEM hd) {
        HWND hwnd = self->m_hWnd;
        if (Notify(HDN_ITEMCHANGING, index, &hd))
            return false;
        if (!IsWindow(hwnd) || !ValidIndex(index))
            return false;
        Apply(index, hd);
        self->Invalidate(FALSE);
        Notify(HDN_ITEMCHANGED, index, &hd);
        return true;
    }

    // The item under x and whether x is on a divider; dividers of zero-width items belong to
    // the last of them so that a hidden column can be pulled open again.
    int HitTest(CPoint pt, UINT* flags) const {
        CRect c;
        self->GetClientRect(&c);
        *flags = 0;
        if (pt.y < c.top)
            *flags |= HHT_ABOVE;
        if (pt.y >= c.bottom)
            *flags |= HHT_BELOW;
        if (pt.x < c.left)
            *flags |= HHT_TOLEFT;
        if (*flags)
            return -1;
        int x = 0;
        int hit = -1;
        for (size_t p = 0; p < order.size(); ++p) {
            int i = order[p];
            int right = x + items[(size_t)i].width;
            if (std::abs(pt.x - right) <= kDividerGrip) {
                // The next zero-width item opens from this divider.
                size_t q = p + 1;
                while (q < order.size() && items[(size_t)order[q]].width == 0)
                    ++q;
                if (q > p + 1 && pt.x >= right) {
                    *flags = HHT_ONDIVOPENED;
                    return order[q - 1];
                }
                *flags = HHT_ONDIVIDER;
                return i;
            }
            if (pt.x >= x && pt.x < right && hit < 0)
                hit = i;
            x = right;
        }
        if (hit >= 0) {
            *flags = HHT_ONHEADER;
            return hit;
        }
        *flags = pt.x >= x ? HHT_TORIGHT : HHT_NOWHERE;
        return -1;
    }

    // The display position a dragged column goes to when released at x.
    int DropPosition(int x) const {
        int left = 0;
        for (size_t p = 0; p < order.size(); ++p) {
            int w = items[(size_t)order[p]].width;
            if (x < left + w / 2)
                return (int)p;
            left += w;
        }
        return (int)order.size() - 1;
    }

    void Paint(CDC* dc);
    void PaintItem(CDC* dc, int index, const CRect& r, bool down);
};

void HeaderCtrlState::PaintItem(CDC* dc, int index, const CRect& r, bool down) {
    const Item& it = items[(size_t)index];
    if (it.fmt & HDF_OWNERDRAW) {
        AfxSendDrawItem(self, ODT_HEADER, (UINT)index, down ? ODS_SELECTED : 0, dc, r,
                        (ULONG_PTR)it.data);
        return;
    }
    dc->FillSolidRect(&r, GetSysColor(COLOR_BTNFACE));
    if (down)
        dc->Draw3dRect(&r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    else
        dc->Draw3dRect(&r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    CRect inner = r;
    inner.DeflateRect(kTextMargin, 1);
    if (down)
        inner.OffsetRect(1, 1);
    // Image first (left, or right with HDF_BITMAP_ON_RIGHT), then the bitmap, then the text.
    if ((it.fmt & HDF_IMAGE) && images && images->GetSafeHandle() && it.image >= 0) {
        IMAGEINFO ii{};
        images->GetImageInfo(it.image, &ii);
        int iw = ii.rcImage.right - ii.rcImage.left, ih = ii.rcImage.bottom - ii.rcImage.top;
        int x = (it.fmt & HDF_BITMAP_ON_RIGHT) ? inner.right - iw : inner.left;
        images->Draw(dc, it.image, CPoint(x, inner.top + (inner.Height() - ih) / 2),
                     ILD_TRANSPARENT);
        if (it.fmt & HDF_BITMAP_ON_RIGHT)
            inner.right -= iw + 2;
        else
            inner.left += iw + 2;
    }
    if ((it.fmt & HDF_BITMAP) && it.bitmap) {
        if (QImage* img = CBitmap::FromHandle(it.bitmap)->GetImage()) {
            int x = (it.fmt & HDF_BITMAP_ON_RIGHT) ? inner.right - img->width() : inner.left;
            dc->GetPainter()->drawImage(x, inner.top + (inner.Height() - img->height()) / 2, *img);
            if (it.fmt & HDF_BITMAP_ON_RIGHT)
                inner.right -= img->width() + 2;
            else
                inner.left += img->width() + 2;
        }
    }
    if (it.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
        // A small triangle at the right edge, pointing up or down.
        int cx = inner.right - 4, cy = inner.top + inner.Height() / 2;
        POINT tri[3];
        if (it.fmt & HDF_SORTUP)
            tri[0] = {cx - 4, cy + 2}, tri[1] = {cx + 4, cy + 2}, tri[2] = {cx, cy - 2};
        else
            tri[0] = {cx - 4, cy - 2}, tri[1] = {cx + 4, cy - 2}, tri[2] = {cx, cy + 2};
        CBrush b(GetSysColor(COLOR_BTNSHADOW));
        CPen pen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        CBrush* ob = dc->SelectObject(&b);
        CPen* op = dc->SelectObject(&pen);
        dc->Polygon(tri, 3);
        dc->SelectObject(ob);
        dc->SelectObject(op);
        inner.right -= 12;
    }
    UINT align = (it.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT    ? DT_RIGHT
                 : (it.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? DT_CENTER
                                                            : DT_LEFT;
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(GetSysColor(self->IsWindowEnabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    dc->DrawText(it.text, &inner,
                 align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void HeaderCtrlState::Paint(CDC* dc) {
    CRect client;
    self->GetClientRect(&client);
    dc->FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
    HWND hwnd = self->m_hWnd;
    AfxPaintItemCtrl<NMCUSTOMDRAW>(self, dc, client, [&](LRESULT pre) {
        int x = 0;
        for (int i : std::vector<int>(order)) {
            if (!ValidIndex(i))
                break;
            CRect r(x, client.top, x + items[(size_t)i].width, client.bottom);
            x = r.right;
            if (r.Width() <= 0)
                continue;
            bool down = i == pressed && !dragging && (Style() & HDS_BUTTONS);
            NMCUSTOMDRAW ic{};
            ic.hdc = dc->GetSafeHdc();
            ic.rc = r;
            ic.dwItemSpec = (DWORD_PTR)i;
            ic.uItemState = (down ? CDIS_SELECTED : 0) | (i == hot ? CDIS_HOT : 0);
            ic.lItemlParam = items[(size_t)i].data;
            LRESULT itemRes = 0;
            int saved = 0;
            if (pre & CDRF_NOTIFYITEMDRAW) {
                ic.dwDrawStage = CDDS_ITEMPREPAINT;
                saved = dc->SaveDC();
                itemRes = AfxSendNotify(self, &ic.hdr, NM_CUSTOMDRAW);
                if (!IsWindow(hwnd))
                    return false;
            }
            if (!(itemRes & CDRF_SKIPDEFAULT))
                PaintItem(dc, i, r, down);
            if (pre & CDRF_NOTIFYITEMDRAW) {
                dc->RestoreDC(saved);
                if (itemRes & CDRF_NOTIFYPOSTPAINT) {
                    ic.dwDrawStage = CDDS_ITEMPOSTPAINT;
                    AfxSendNotify(self, &ic.hdr, NM_CUSTOMDRAW);
                    if (!IsWindow(hwnd))
                        return false;
                }
            }
        }
        if (dragging) {
            // Where the dragged column will land: a bar at the drop position's left edge.
            int pos = DropPosition(dragX), left = 0;
            for (int p = 0; p < pos; ++p)
                left += items[(size_t)order[(size_t)p]].width;
            if (pos > PositionOf(pressed))
                left += items[(size_t)order[(size_t)pos]].width;
            dc->FillSolidRect(left - 1, client.top, 2, client.Height(),
                              GetSysColor(COLOR_HIGHLIGHT));
        }
        return true;
    });
}

// ---- CHeaderCtrl ----------------------------------------------------------------------------

CHeaderCtrl::CHeaderCtrl() : m_h(std::make_unique<HeaderCtrlState>(this)) {}

CHeaderCtrl::~CHeaderCtrl() {
    if (m_hWnd)
        DestroyWindow();
}

BOOL CHeaderCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("SysHeader32", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CHeaderCtrl::OnWidgetCreated() {
    if (QWidget* w = GetWidget())
        w->setMouseTracking(true);
}

int CHeaderCtrl::GetItemCount() const {
    return (int)m_h->items.size();
}

int CHeaderCtrl::InsertItem(int nPos, HDITEM* phdi) {
    if (!phdi || nPos < 0)
        return -1;
    HeaderCtrlState& h = *m_h;
    int index = std::min(nPos, (int)h.items.size());
    h.items.insert(h.items.begin() + index, HeaderCtrlState::Item{});
    // Later items move up one index; their display positions stay.
    for (int& o : h.order)
        if (o >= index)
            ++o;
    int pos = (phdi->mask & HDI_ORDER) ? std::clamp(phdi->iOrder, 0, (int)h.order.size())
                                       : std::min(index, (int)h.order.size());
    h.order.insert(h.order.begin() + pos, index);
    HDITEM hd = *phdi;
    hd.mask &= ~(UINT)HDI_ORDER;
    h.Apply(index, hd);
    Invalidate(FALSE);
    return index;
}

BOOL CHeaderCtrl::DeleteItem(int nPos) {
    HeaderCtrlState& h = *m_h;
    if (!h.ValidIndex(nPos))
        return FALSE;
    h.items.erase(h.items.begin() + nPos);
    h.order.erase(h.order.begin() + h.PositionOf(nPos));
    for (int& o : h.order)
        if (o > nPos)
            --o;
    h.hot = h.pressed = h.tracking = -1;
    h.dragging = false;
    Invalidate(FALSE);
    return TRUE;
}

BOOL CHeaderCtrl::GetItem(int nPos, HDITEM* p) const {
    if (!p || !m_h->ValidIndex(nPos))
        return FALSE;
    HDITEM all{};
    m_h->Fill(all, nPos);
    if (p->mask & HDI_WIDTH)
        p->cxy = all.cxy;
    if ((p->mask & HDI_TEXT) && p->pszText && p->cchTextMax > 0) {
        AfxCopyTextOut(m_h->items[(size_t)nPos].text, p->pszText, (size_t)p->cchTextMax);
    }
    if (p->mask & HDI_FORMAT)
        p->fmt = all.fmt;
    if (p->mask & HDI_LPARAM)
        p->lParam = all.lParam;
    if (p->mask & HDI_IMAGE)
        p->iImage = all.iImage;
    if (p->mask & HDI_BITMAP)
        p->hbm = all.hbm;
    if (p->mask & HDI_ORDER)
        p->iOrder = all.iOrder;
    return TRUE;
}

BOOL CHeaderCtrl::SetItem(int nPos, HDITEM* p) {
    if (!p || !m_h->ValidIndex(nPos))
        return FALSE;
    return m_h->Change(nPos, *p);
}

BOOL CHeaderCtrl::GetItemRect(int nIndex, LPRECT lpRect) const {
    if (!lpRect || !m_h->ValidIndex(nIndex))
        return FALSE;
    *lpRect = m_h->ItemRect(nIndex);
    return TRUE;
}

int CHeaderCtrl::GetPreferredHeight() const {
    return QFontMetrics(AfxQFont((HFONT)*AfxControlFont(this))).height() + 8;
}

BOOL CHeaderCtrl::Layout(HDLAYOUT* p) {
    if (!p || !p->prc || !p->pwpos)
        return FALSE;
    int h = (GetStyle() & HDS_HIDDEN) ? 0 : GetPreferredHeight();
    RECT& rc = *p->prc;
    *p->pwpos =
        WINDOWPOS{m_hWnd, nullptr, (int)rc.left, (int)rc.top, (int)(rc.right - rc.left), h, 0};
    rc.top += h;
    return TRUE;
}

int CHeaderCtrl::HitTest(HDHITTESTINFO* pInfo) const {
    if (!pInfo)
        return -1;
    pInfo->iItem = m_h->HitTest(pInfo->pt, &pInfo->flags);
    return pInfo->iItem;
}

CImageList* CHeaderCtrl::SetImageList(CImageList* pImageList) {
    std::swap(m_h->images, pImageList);
    Invalidate(FALSE);
    return pImageList;
}

CImageList* CHeaderCtrl::GetImageList() const {
    return m_h->images;
}

BOOL CHeaderCtrl::GetOrderArray(LPINT piArray, int iCount) const {
    int n = (int)m_h->order.size();
    if (iCount < 0)
        iCount = n;
    if (!piArray || iCount != n)
        return FALSE;
    std::copy(m_h->order.begin(), m_h->order.end(), piArray);
    return TRUE;
}

BOOL CHeaderCtrl::SetOrderArray(int iCount, LPINT piArray) {
    int n = (int)m_h->order.size();
    if (!piArray || iCount != n)
        return FALSE;
    // Only a permutation of the indexes is an order.
    std::vector<int> next(piArray, piArray + n), sorted = next;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < n; ++i)
        if (sorted[(size_t)i] != i)
            return FALSE;
    m_h->order = next;
    Invalidate(FALSE);
    return TRUE;
}

int CHeaderCtrl::OrderToIndex(int nOrder) const {
    return nOrder >= 0 && nOrder < (int)m_h->order.size() ? m_h->order[(size_t)nOrder] : nOrder;
}

CImageList* CHeaderCtrl::CreateDragImage(int nIndex) {
    CRect r;
    if (!m_h->ValidIndex(nIndex) || !GetItemRect(nIndex, &r) || r.Width() <= 0)
        return nullptr;
    return AfxRenderDragImage(this, r, [&](CDC* dc) { m_h->PaintItem(dc, nIndex, r, false); });
}

LRESULT CHeaderCtrl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HeaderCtrlState& h = *m_h;
    switch (message) {
    case HDM_GETITEMCOUNT:
        return GetItemCount();
    case HDM_INSERTITEM:
        return InsertItem((int)wParam, reinterpret_cast<HDITEM*>(lParam));
    case HDM_DELETEITEM:
        return DeleteItem((int)wParam);
    case HDM_GETITEM:
        return GetItem((int)wParam, reinterpret_cast<HDITEM*>(lParam));
    case HDM_SETITEM:
        return SetItem((int)wParam, reinterpret_cast<HDITEM*>(lParam));
    case HDM_LAYOUT:
        return Layout(reinterpret_cast<HDLAYOUT*>(lParam));
    case HDM_HITTEST:
        return HitTest(reinterpret_cast<HDHITTESTINFO*>(lParam));
    case HDM_GETITEMRECT:
        return GetItemRect((int)wParam, reinterpret_cast<RECT*>(lParam));
    case HDM_SETIMAGELIST: {
        CImageList* old = SetImageList(CImageList::FromHandle((HIMAGELIST)lParam));
        return (LRESULT)(old ? old->GetSafeHandle() : nullptr);
    }
    case HDM_GETIMAGELIST:
        return (LRESULT)(h.images ? h.images->GetSafeHandle() : nullptr);
    case HDM_ORDERTOINDEX:
        return OrderToIndex((int)wParam);
    case HDM_GETORDERARRAY:
        return GetOrderArray(reinterpret_cast<LPINT>(lParam), (int)wParam);
    case HDM_CREATEDRAGIMAGE:
        return AfxDragImageResult(CreateDragImage((int)wParam));
    case HDM_SETORDERARRAY:
        return SetOrderArray((int)wParam, reinterpret_cast<LPINT>(lParam));

    case WM_PAINT:
        return AfxPaintControl(this, wParam, [&](CDC* dc) { h.Paint(dc); });
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN: {
        HWND self = m_hWnd;
        CPoint pt(lParam);
        UINT flags = 0;
        int i = h.HitTest(pt, &flags);
        if (i < 0)
            return 0;
        if (flags & (HHT_ONDIVIDER | HHT_ONDIVOPENED)) {
            HDITEM hd{};
            hd.mask = HDI_WIDTH;
            hd.cxy = h.items[(size_t)i].width;
            if (h.Notify(HDN_BEGINTRACK, i, &hd) || !IsWindow(self))
                return 0;
            h.tracking = i;
            h.trackStartX = pt.x;
            h.trackStartWidth = h.trackWidth = h.items[(size_t)i].width;
            SetCapture();
            return 0;
        }
        h.pressed = i;
        h.pressPt = pt;
        h.dragging = false;
        SetCapture();
        Invalidate(FALSE);
        return 0;
    }
    case WM_MOUSEMOVE: {
        CPoint pt(lParam);
        HWND self = m_hWnd;
        if (h.tracking >= 0) {
            int width = std::max(0, h.trackStartWidth + pt.x - h.trackStartX);
            if (width == h.trackWidth)
                return 0;
            h.trackWidth = width;
            if (GetStyle() & HDS_FULLDRAG) {
                h.ChangeWidth(h.tracking, width);
            } else {
                HDITEM hd{};
                hd.mask = HDI_WIDTH;
                hd.cxy = width;
                if (h.Notify(HDN_TRACK, h.tracking, &hd) && IsWindow(self)) {
                    h.tracking = -1;
                    ReleaseCapture();
                }
            }
            return 0;
        }
        if (h.pressed >= 0 && (wParam & MK_LBUTTON)) {
            if (!h.dragging && (GetStyle() & HDS_DRAGDROP) &&
                std::abs(pt.x - h.pressPt.x) > kItemDragThreshold) {
                // A parent that answers non-zero does the dragging itself.
                if (h.Notify(HDN_BEGINDRAG, h.pressed) || !IsWindow(self)) {
                    h.pressed = -1;
                    ReleaseCapture();
                    Invalidate(FALSE);
                    return 0;
                }
                h.dragging = true;
            }
            if (h.dragging) {
                h.dragX = pt.x;
                Invalidate(FALSE);
            }
            return 0;
        }
        if (GetStyle() & HDS_HOTTRACK) {
            UINT flags = 0;
            int i = h.HitTest(pt, &flags);
            if (!(flags & HHT_ONHEADER))
                i = -1;
            if (i != h.hot) {
                h.hot = i;
                Invalidate(FALSE);
            }
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        CPoint pt(lParam);
        HWND self = m_hWnd;
        // Letting go of the capture clears the press: take what it was first.
        int track = h.tracking, i = h.pressed;
        bool dragging = h.dragging;
        h.tracking = h.pressed = -1;
        h.dragging = false;
        if (GetCapture() == this)
            ReleaseCapture();
        if (track >= 0) {
            i = track;
            // Without full drag the width changes only now; with it, a parent may have refused the
            // last step of the move, and the column still has to end where the mouse let go.
            if (h.trackWidth != h.items[(size_t)i].width)
                h.ChangeWidth(i, h.trackWidth);
            if (!IsWindow(self) || !h.ValidIndex(i))
                return 0;
            HDITEM hd{};
            hd.mask = HDI_WIDTH;
            hd.cxy = h.items[(size_t)i].width;
            h.Notify(HDN_ENDTRACK, i, &hd);
            return 0;
        }
        Invalidate(FALSE);
        if (i < 0)
            return 0;
        if (dragging) {
            HDITEM hd{};
            hd.mask = HDI_ORDER;
            hd.iOrder = h.DropPosition(pt.x);
            if (!h.Notify(HDN_ENDDRAG, i, &hd) && IsWindow(self) && h.ValidIndex(i)) {
                h.MoveToPosition(i, hd.iOrder);
                Invalidate(FALSE);
            }
            return 0;
        }
        UINT flags = 0;
        if (h.HitTest(pt, &flags) == i && (flags & HHT_ONHEADER) && (GetStyle() & HDS_BUTTONS))
            h.Notify(HDN_ITEMCLICK, i);
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        UINT flags = 0;
        int i = h.HitTest(CPoint(lParam), &flags);
        if (i >= 0)
            h.Notify((flags & (HHT_ONDIVIDER | HHT_ONDIVOPENED)) ? HDN_DIVIDERDBLCLICK
                                                                 : HDN_ITEMDBLCLICK,
                     i);
        return 0;
    }
    case WM_RBUTTONUP: {
        NMHDR nm{};
        AfxSendNotify(this, &nm, NM_RCLICK);
        return 0;
    }
    case WM_SETFONT: {
        LRESULT r = CWnd::DefWindowProc(message, wParam, lParam);
        Invalidate(FALSE);
        return r;
    }
    case WM_CAPTURECHANGED:
        h.tracking = -1;
        h.pressed = -1;
        h.dragging = false;
        return 0;
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}
