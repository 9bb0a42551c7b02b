#include "platform/gui/ImageList.h"

#include "platform/gui/Icon.h"
#include "platform/gui/Wnd.h"

#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <map>
#include <vector>

IMPLEMENT_DYNCREATE(CImageList, CObject)

struct ImageListData {
    int cx = 16;
    int cy = 16;
    UINT flags = 0;
    int grow = 4;
    std::vector<QImage> images;
    int overlays[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    COLORREF bk = CLR_NONE;
    CImageList* wrapper = nullptr; // the object that owns this list
};

namespace {

// Wrappers made by FromHandle for lists no object owns; they live as long as the process.
std::map<HIMAGELIST, CImageList*>& TempWrappers() {
    static std::map<HIMAGELIST, CImageList*> m;
    return m;
}

QColor ToQ(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The drag in progress: one per process, as on the classic platform.
struct DragState {
    CImageList list;
    bool active = false;
    bool shown = false;
    CPoint hotSpot;
    CPoint pos; // screen position of the cursor
    QPointer<QWidget> window;
    HWND lockWnd = nullptr;
};
DragState& Drag() {
    static DragState* d = new DragState;
    return *d;
}

// The pixels of a drag image that show: those drawn at least half opaque.
QRegion DragImageShape(const QImage& img) {
    QRegion shape;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width();) {
            if (qAlpha(line[x]) < 128) {
                ++x;
                continue;
            }
            int from = x;
            while (x < img.width() && qAlpha(line[x]) >= 128)
                ++x;
            shape += QRect(from, y, x - from, 1);
        }
    }
    return shape;
}

void PlaceDragWindow() {
    DragState& d = Drag();
    if (!d.shown || d.list.GetImageCount() == 0) {
        if (d.window)
            d.window->hide();
        return;
    }
    QImage img = d.list.GetImage(0).convertToFormat(QImage::Format_ARGB32);
    const QRegion shape = DragImageShape(img);
    if (shape.isEmpty()) {
        if (d.window)
            d.window->hide();
        return;
    }
    if (!d.window) {
        auto* w = new QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint |
                                           Qt::WindowTransparentForInput);
        w->setAttribute(Qt::WA_ShowWithoutActivating);
        d.window = w;
    }
    QWidget* w = d.window;
    // The window is shaped to the image's drawn pixels, which it paints opaque: a translucent
    // window shows black wherever the desktop composites nothing, hiding the drop target.
    const COLORREF ground = GetSysColor(COLOR_WINDOW);
    QImage opaque(img.size(), QImage::Format_RGB32);
    opaque.fill(QColor(GetRValue(ground), GetGValue(ground), GetBValue(ground)));
    {
        QPainter p(&opaque);
        p.drawImage(0, 0, img);
    }
    w->setFixedSize(img.size());
    w->setMask(shape);
    QPalette pal;
    pal.setBrush(QPalette::Window, QBrush(QPixmap::fromImage(opaque)));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    w->move(d.pos.x - d.hotSpot.x, d.pos.y - d.hotSpot.y);
    w->show();
}

} // namespace

CImageList::~CImageList() {
    DeleteImageList();
}

CImageList* CImageList::FromHandle(HIMAGELIST h) {
    if (!h)
        return nullptr;
    if (h->wrapper)
        return h->wrapper;
    CImageList*& w = TempWrappers()[h];
    if (!w) {
        w = new CImageList;
        w->m_hImageList = h;
    }
    return w;
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    if (m_hImageList || cx <= 0 || cy <= 0)
        return FALSE;
    m_hImageList = new ImageListData;
    m_hImageList->cx = cx;
    m_hImageList->cy = cy;
    m_hImageList->flags = nFlags;
    m_hImageList->grow = nGrow > 0 ? nGrow : 1;
    m_hImageList->images.reserve((size_t)std::max(nInitial, 0));
    m_hImageList->wrapper = this;
    return TRUE;
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
    CBitmap bmp;
    if (!bmp.LoadBitmap(nBitmapID))
        return FALSE;
    CSize sz = bmp.GetBitmapDimension();
    if (!Create(cx, sz.cy, ILC_COLOR32 | ILC_MASK, sz.cx / std::max(cx, 1), nGrow))
        return FALSE;
    return Add(&bmp, crMask) >= 0;
}

BOOL CImageList::Create(CImageList* pImageList) {
    if (!pImageList || !pImageList->m_hImageList || m_hImageList)
        return FALSE;
    m_hImageList = new ImageListData(*pImageList->m_hImageList);
    m_hImageList->wrapper = this;
    return TRUE;
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList)
        return FALSE;
    if (m_hImageList->wrapper == this) {
        TempWrappers().erase(m_hImageList);
        delete m_hImageList;
    }
    m_hImageList = nullptr;
    return TRUE;
}

BOOL CImageList::Attach(HIMAGELIST hImageList) {
    if (m_hImageList || !hImageList)
        return FALSE;
    m_hImageList = hImageList;
    hImageList->wrapper = this;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST h = m_hImageList;
    if (h && h->wrapper == this)
        h->wrapper = nullptr;
    m_hImageList = nullptr;
    return h;
}

int CImageList::GetImageCount() const {
    return m_hImageList ? (int)m_hImageList->images.size() : 0;
}

BOOL CImageList::GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const {
    if (!pImageInfo || nImage < 0 || nImage >= GetImageCount())
        return FALSE;
    *pImageInfo = IMAGEINFO{};
    pImageInfo->rcImage =
        CRect(nImage * m_hImageList->cx, 0, (nImage + 1) * m_hImageList->cx, m_hImageList->cy);
    return TRUE;
}

BOOL CImageList::SetImageCount(UINT uNewCount) {
    if (!m_hImageList)
        return FALSE;
    QImage blank(m_hImageList->cx, m_hImageList->cy, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    m_hImageList->images.resize(uNewCount, blank);
    return TRUE;
}

QImage CImageList::GetImage(int nImage) const {
    if (nImage < 0 || nImage >= GetImageCount())
        return QImage();
    return m_hImageList->images[(size_t)nImage];
}

namespace {

// Cuts a strip into images; isTransparent decides per pixel of the strip.
template <class Pred> int AddStrip(ImageListData* d, const QImage& strip, Pred isTransparent) {
    if (!d || strip.isNull() || strip.width() < d->cx)
        return -1;
    QImage src = strip.convertToFormat(QImage::Format_ARGB32);
    int first = (int)d->images.size();
    for (int x0 = 0; x0 + d->cx <= src.width(); x0 += d->cx) {
        QImage img(d->cx, d->cy, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        for (int y = 0; y < std::min(d->cy, src.height()); ++y)
            for (int x = 0; x < d->cx; ++x) {
                QRgb p = src.pixel(x0 + x, y);
                if (!isTransparent(x0 + x, y, p))
                    img.setPixel(x, y, p | 0xFF000000u);
            }
        d->images.push_back(img);
    }
    return first;
}

} // namespace

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask) {
    if (!pbmImage || !pbmImage->GetImage())
        return -1;
    QImage mask;
    if (pbmMask && pbmMask->GetImage())
        mask = pbmMask->GetImage()->convertToFormat(QImage::Format_RGB32);
    bool useMask = !mask.isNull() && (m_hImageList && (m_hImageList->flags & ILC_MASK));
    return AddStrip(m_hImageList, *pbmImage->GetImage(), [&](int x, int y, QRgb) {
        return useMask && x < mask.width() && y < mask.height() && qGray(mask.pixel(x, y)) > 127;
    });
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask) {
    if (!pbmImage || !pbmImage->GetImage())
        return -1;
    QRgb key = ToQ(crMask).rgb() & 0xFFFFFFu;
    return AddStrip(m_hImageList, *pbmImage->GetImage(),
                    [&](int, int, QRgb p) { return (p & 0xFFFFFFu) == key || qAlpha(p) == 0; });
}

int CImageList::Add(HICON hIcon) {
    if (!m_hImageList || !hIcon)
        return -1;
    QImage img = AfxIconImage(hIcon, m_hImageList->cx, m_hImageList->cy);
    if (img.isNull())
        return -1;
    if (img.width() != m_hImageList->cx || img.height() != m_hImageList->cy)
        img = img.scaled(m_hImageList->cx, m_hImageList->cy, Qt::IgnoreAspectRatio,
                         Qt::SmoothTransformation);
    m_hImageList->images.push_back(img.convertToFormat(QImage::Format_ARGB32));
    return (int)m_hImageList->images.size() - 1;
}

BOOL CImageList::Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask) {
    if (nImage < 0 || nImage >= GetImageCount())
        return FALSE;
    int at = Add(pbmImage, pbmMask);
    if (at < 0)
        return FALSE;
    auto& v = m_hImageList->images;
    v[(size_t)nImage] = v[(size_t)at];
    v.resize((size_t)at);
    return TRUE;
}

BOOL CImageList::Remove(int nImage) {
    if (!m_hImageList)
        return FALSE;
    auto& v = m_hImageList->images;
    if (nImage == -1) {
        v.clear();
        return TRUE;
    }
    if (nImage < 0 || nImage >= (int)v.size())
        return FALSE;
    v.erase(v.begin() + nImage);
    // Overlays point at images by index: those behind the removed one move down.
    for (int& o : m_hImageList->overlays) {
        if (o == nImage)
            o = -1;
        else if (o > nImage)
            --o;
    }
    return TRUE;
}

COLORREF CImageList::SetBkColor(COLORREF cr) {
    if (!m_hImageList)
        return CLR_NONE;
    COLORREF old = m_hImageList->bk;
    m_hImageList->bk = cr;
    return old;
}

COLORREF CImageList::GetBkColor() const {
    return m_hImageList ? m_hImageList->bk : CLR_NONE;
}

BOOL CImageList::SetOverlayImage(int nImage, int nOverlay) {
    if (nImage < 0 || nImage >= GetImageCount() || nOverlay < 1 || nOverlay > 15)
        return FALSE;
    m_hImageList->overlays[nOverlay] = nImage;
    return TRUE;
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
    if (!m_hImageList)
        return FALSE;
    return DrawIndirect(pDC, nImage, pt, CSize(m_hImageList->cx, m_hImageList->cy), CPoint(0, 0),
                        nStyle);
}

BOOL CImageList::DrawIndirect(CDC* pDC, int nImage, POINT pt, SIZE sz, POINT ptOrigin, UINT fStyle,
                              DWORD, COLORREF rgbBack, COLORREF rgbFore) {
    if (!pDC || nImage < 0 || nImage >= GetImageCount())
        return FALSE;
    QPainter* p = pDC->GetPainter();
    if (!p)
        return FALSE;
    QImage img = m_hImageList->images[(size_t)nImage].copy(ptOrigin.x, ptOrigin.y, sz.cx, sz.cy);
    int overlay = (int)((fStyle & ILD_OVERLAYMASK) >> 8);
    if (overlay > 0 && m_hImageList->overlays[overlay] >= 0) {
        QPainter op(&img);
        op.drawImage(-ptOrigin.x, -ptOrigin.y,
                     m_hImageList->images[(size_t)m_hImageList->overlays[overlay]]);
    }
    QRect target(pt.x, pt.y, img.width(), img.height());
    if (fStyle & ILD_MASK) {
        // The mask: black where the image is opaque, white where it is transparent.
        QImage m(img.size(), QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                m.setPixel(x, y, qAlpha(img.pixel(x, y)) ? 0xFF000000u : 0xFFFFFFFFu);
        p->drawImage(target.topLeft(), m);
        return TRUE;
    }
    COLORREF bk = rgbBack == CLR_DEFAULT ? m_hImageList->bk : rgbBack;
    if (!(fStyle & ILD_TRANSPARENT) && bk != CLR_NONE)
        p->fillRect(target, ToQ(bk));
    if (fStyle & (ILD_BLEND25 | ILD_BLEND50)) {
        // Blending dithers the image with the highlight colour (or the colour given).
        QColor fore = rgbFore == CLR_DEFAULT || rgbFore == CLR_NONE
                          ? ToQ(GetSysColor(COLOR_HIGHLIGHT))
                          : ToQ(rgbFore);
        int pct = (fStyle & ILD_BLEND50) ? 50 : 25;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                QRgb c = img.pixel(x, y);
                if (!qAlpha(c))
                    continue;
                auto mix = [&](int a, int b) { return (a * (100 - pct) + b * pct) / 100; };
                img.setPixel(x, y,
                             qRgba(mix(qRed(c), fore.red()), mix(qGreen(c), fore.green()),
                                   mix(qBlue(c), fore.blue()), qAlpha(c)));
            }
    }
    p->drawImage(target.topLeft(), img);
    return TRUE;
}

// ---- Drag image ---------------------------------------------------------------------------

BOOL CImageList::BeginDrag(int nImage, CPoint ptHotSpot) {
    DragState& d = Drag();
    if (d.active || nImage < 0 || nImage >= GetImageCount())
        return FALSE;
    d.list.DeleteImageList();
    d.list.Create(m_hImageList->cx, m_hImageList->cy, ILC_COLOR32 | ILC_MASK, 1, 1);
    d.list.m_hImageList->images.push_back(m_hImageList->images[(size_t)nImage]);
    d.hotSpot = ptHotSpot;
    d.active = true;
    d.shown = false;
    return TRUE;
}

void CImageList::EndDrag() {
    DragState& d = Drag();
    d.active = false;
    d.shown = false;
    d.lockWnd = nullptr;
    PlaceDragWindow();
    d.list.DeleteImageList();
}

// Drag points are relative to the top-left corner of the locked window (of the screen when
// there is none).
BOOL CImageList::DragEnter(CWnd* pWndLock, CPoint point) {
    DragState& d = Drag();
    if (!d.active)
        return FALSE;
    d.lockWnd = pWndLock ? pWndLock->m_hWnd : nullptr;
    d.shown = true;
    return DragMove(point);
}

BOOL CImageList::DragLeave(CWnd*) {
    return DragShowNolock(FALSE);
}

BOOL CImageList::DragMove(CPoint pt) {
    DragState& d = Drag();
    if (!d.active)
        return FALSE;
    if (CWnd* w = CWnd::FromHandle(d.lockWnd)) {
        CRect r;
        w->GetWindowRect(&r);
        pt.Offset(r.left, r.top);
    }
    d.pos = pt;
    PlaceDragWindow();
    return TRUE;
}

BOOL CImageList::DragShowNolock(BOOL bShow) {
    DragState& d = Drag();
    if (!d.active)
        return FALSE;
    d.shown = bShow != FALSE;
    PlaceDragWindow();
    return TRUE;
}

BOOL CImageList::SetDragCursorImage(int nDrag, CPoint ptHotSpot) {
    DragState& d = Drag();
    if (!d.active || nDrag < 0 || nDrag >= GetImageCount())
        return FALSE;
    // The cursor image is merged into the drag image at the hot-spot offset.
    QImage base = d.list.GetImage(0);
    QImage cur = m_hImageList->images[(size_t)nDrag];
    int w = std::max(base.width(), ptHotSpot.x + cur.width());
    int h = std::max(base.height(), ptHotSpot.y + cur.height());
    QImage merged(w, h, QImage::Format_ARGB32);
    merged.fill(Qt::transparent);
    QPainter p(&merged);
    p.drawImage(0, 0, base);
    p.drawImage(ptHotSpot.x, ptHotSpot.y, cur);
    p.end();
    d.list.m_hImageList->cx = w;
    d.list.m_hImageList->cy = h;
    d.list.m_hImageList->images[0] = merged;
    PlaceDragWindow();
    return TRUE;
}

CImageList* CImageList::GetDragImage(LPPOINT lpPoint, LPPOINT lpPointHotSpot) {
    DragState& d = Drag();
    if (!d.active)
        return nullptr;
    if (lpPoint)
        *lpPoint = d.pos;
    if (lpPointHotSpot)
        *lpPointHotSpot = d.hotSpot;
    return &d.list;
}

BOOL AfxGetDragImageState(POINT* pTopLeft) {
    DragState& d = Drag();
    if (pTopLeft)
        *pTopLeft = CPoint(d.pos.x - d.hotSpot.x, d.pos.y - d.hotSpot.y);
    return d.active && d.shown;
}
