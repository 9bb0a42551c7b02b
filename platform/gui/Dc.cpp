#include "platform/gui/Dc.h"

#include "platform/gui/Icon.h"
#include "platform/gui/Image.h"
#include "platform/gui/Wnd.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)
IMPLEMENT_DYNCREATE(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CClientDC)

// ---- Drawing objects ------------------------------------------------------------------------

namespace {

enum class GdiKind { Pen, Brush, Font, Bitmap, Region };

} // namespace

// What a drawing-object handle points at.
struct HGDIOBJ__ {
    GdiKind kind;
    bool stock = false;
    LOGPEN pen{};
    LOGBRUSH brush{};
    QImage pattern;
    LOGFONT font{};
    QImage image;
    bool mono = false;
    QRegion region;
    CGdiObject* owner = nullptr;   // the object that deletes the handle
    CGdiObject* wrapper = nullptr; // handed out by FromHandle when there is no owner
    // A DC still drawing with the object keeps it alive; a deletion waits for the last one.
    int uses = 0;
    bool deletePending = false;

    explicit HGDIOBJ__(GdiKind k) : kind(k) {}
    ~HGDIOBJ__() {
        if (wrapper) {
            wrapper->m_hObject = nullptr;
            delete wrapper;
        }
    }
};

QColor AfxQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

static COLORREF ToColorRef(QRgb p) {
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

static HGDIOBJ NewObject(GdiKind k) {
    return new HGDIOBJ__(k);
}

// Deletes a handle now, or once no DC uses it any more.
static void Release(HGDIOBJ h) {
    if (h->uses > 0)
        h->deletePending = true;
    else
        delete h;
}

namespace {
// A DC's hold on a drawing object.
class GdiRef {
public:
    GdiRef() = default;
    GdiRef(HGDIOBJ h) : m_h(h) { Acquire(); }
    GdiRef(const GdiRef& o) : m_h(o.m_h) { Acquire(); }
    GdiRef& operator=(const GdiRef& o) {
        if (this != &o) {
            HGDIOBJ old = m_h;
            m_h = o.m_h;
            Acquire();
            Drop(old);
        }
        return *this;
    }
    ~GdiRef() { Drop(m_h); }
    HGDIOBJ get() const { return m_h; }
    HGDIOBJ operator->() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    void Acquire() {
        if (m_h)
            ++m_h->uses;
    }
    static void Drop(HGDIOBJ h) {
        if (h && --h->uses == 0 && h->deletePending)
            delete h;
    }
    HGDIOBJ m_h = nullptr;
};
} // namespace

CGdiObject::~CGdiObject() {
    DeleteObject();
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ h) {
    if (!h)
        return nullptr;
    if (h->owner)
        return h->owner;
    if (!h->wrapper) {
        switch (h->kind) {
        case GdiKind::Pen:
            h->wrapper = new CPen;
            break;
        case GdiKind::Brush:
            h->wrapper = new CBrush;
            break;
        case GdiKind::Font:
            h->wrapper = new CFont;
            break;
        case GdiKind::Bitmap:
            h->wrapper = new CBitmap;
            break;
        case GdiKind::Region:
            h->wrapper = new CRgn;
            break;
        }
        h->wrapper->m_hObject = h;
    }
    return h->wrapper;
}

BOOL CGdiObject::Attach(HGDIOBJ h) {
    if (!h || m_hObject)
        return FALSE;
    m_hObject = h;
    if (!h->stock && !h->owner) {
        if (h->wrapper) {
            h->wrapper->m_hObject = nullptr;
            delete h->wrapper;
            h->wrapper = nullptr;
        }
        h->owner = this;
    }
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    if (h && h->owner == this)
        h->owner = nullptr;
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    HGDIOBJ h = m_hObject;
    if (!h)
        return FALSE;
    m_hObject = nullptr;
    if (h->stock || h->wrapper == this)
        return TRUE;
    if (h->owner == this)
        h->owner = nullptr;
    Release(h);
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ h) {
    if (!h || h->stock)
        return FALSE;
    if (h->owner) {
        h->owner->m_hObject = nullptr;
        h->owner = nullptr;
    }
    Release(h);
    return TRUE;
}

HGDIOBJ GetStockObject(int nIndex) {
    static HGDIOBJ stock[20] = {};
    if (nIndex < 0 || nIndex >= 20)
        return nullptr;
    if (stock[nIndex])
        return stock[nIndex];
    HGDIOBJ h = nullptr;
    auto brush = [&](UINT style, COLORREF c) {
        h = NewObject(GdiKind::Brush);
        h->brush = {style, c, 0};
    };
    auto pen = [&](UINT style, COLORREF c) {
        h = NewObject(GdiKind::Pen);
        h->pen = {style, {1, 0}, c};
    };
    switch (nIndex) {
    case WHITE_BRUSH:
        brush(BS_SOLID, RGB(255, 255, 255));
        break;
    case LTGRAY_BRUSH:
        brush(BS_SOLID, RGB(192, 192, 192));
        break;
    case GRAY_BRUSH:
        brush(BS_SOLID, RGB(128, 128, 128));
        break;
    case DKGRAY_BRUSH:
        brush(BS_SOLID, RGB(64, 64, 64));
        break;
    case BLACK_BRUSH:
        brush(BS_SOLID, RGB(0, 0, 0));
        break;
    case NULL_BRUSH:
        brush(BS_NULL, 0);
        break;
    case WHITE_PEN:
        pen(PS_SOLID, RGB(255, 255, 255));
        break;
    case BLACK_PEN:
        pen(PS_SOLID, RGB(0, 0, 0));
        break;
    case NULL_PEN:
        pen(PS_NULL, 0);
        break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
        h = NewObject(GdiKind::Font);
        h->font.lfHeight = -12;
        h->font.lfWeight = FW_NORMAL;
        h->font.lfCharSet = GB2312_CHARSET;
        if (nIndex == OEM_FIXED_FONT || nIndex == ANSI_FIXED_FONT)
            std::strcpy(h->font.lfFaceName, "Courier New");
        break;
    default:
        return nullptr;
    }
    h->stock = true;
    stock[nIndex] = h;
    return h;
}

BOOL CGdiObject::CreateStockObject(int nIndex) {
    return Attach(GetStockObject(nIndex));
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
    HGDIOBJ h = m_hObject;
    if (!h || !lpObject)
        return 0;
    auto copy = [&](const void* src, int size) {
        int n = std::min(nCount, size);
        std::memcpy(lpObject, src, (size_t)n);
        return n;
    };
    switch (h->kind) {
    case GdiKind::Pen:
        return copy(&h->pen, sizeof(LOGPEN));
    case GdiKind::Brush:
        return copy(&h->brush, sizeof(LOGBRUSH));
    case GdiKind::Font:
        return copy(&h->font, sizeof(LOGFONT));
    case GdiKind::Bitmap: {
        BITMAP bm{0,
                  h->image.width(),
                  h->image.height(),
                  (LONG)h->image.bytesPerLine(),
                  1,
                  (WORD)(h->mono ? 1 : 32),
                  nullptr};
        return copy(&bm, sizeof(BITMAP));
    }
    default:
        return 0;
    }
}

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor) {
    CreatePen(nPenStyle, nWidth, crColor);
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    LOGPEN lp{(UINT)nPenStyle, {nWidth, 0}, crColor};
    return CreatePenIndirect(&lp);
}

BOOL CPen::CreatePenIndirect(const LOGPEN* lpLogPen) {
    HGDIOBJ h = NewObject(GdiKind::Pen);
    h->pen = *lpLogPen;
    return Attach(h) || (delete h, FALSE);
}

CBrush::CBrush(COLORREF crColor) {
    CreateSolidBrush(crColor);
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
    LOGBRUSH lb{BS_SOLID, crColor, 0};
    return CreateBrushIndirect(&lb);
}

BOOL CBrush::CreateSysColorBrush(int nIndex) {
    return CreateSolidBrush(GetSysColor(nIndex));
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* lpLogBrush) {
    HGDIOBJ h = NewObject(GdiKind::Brush);
    h->brush = *lpLogBrush;
    return Attach(h) || (delete h, FALSE);
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap) {
    if (!pBitmap || !pBitmap->GetImage())
        return FALSE;
    HGDIOBJ h = NewObject(GdiKind::Brush);
    h->brush = {BS_PATTERN, 0, 0};
    h->pattern = *pBitmap->GetImage();
    return Attach(h) || (delete h, FALSE);
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont) {
    HGDIOBJ h = NewObject(GdiKind::Font);
    h->font = *lpLogFont;
    h->font.lfFaceName[LF_FACESIZE - 1] = 0;
    return Attach(h) || (delete h, FALSE);
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                       BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                       BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                       LPCTSTR lpszFacename) {
    LOGFONT lf{nHeight,         nWidth,     nEscapement, nOrientation,  nWeight,        bItalic,
               bUnderline,      cStrikeOut, nCharSet,    nOutPrecision, nClipPrecision, nQuality,
               nPitchAndFamily, {}};
    if (lpszFacename)
        std::strncpy(lf.lfFaceName, lpszFacename, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, CDC*) {
    LOGFONT lf{};
    // Tenths of a point at 96 dots per inch.
    lf.lfHeight = -(LONG)std::lround(nPointSize * 96.0 / 720.0);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (lpszFaceName)
        std::strncpy(lf.lfFaceName, lpszFaceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONT* pLogFont) const {
    return GetObject(sizeof(LOGFONT), pLogFont);
}

QFont AfxQFont(HFONT hFont) {
    AfxEnsureGuiApp();
    QFont f = QApplication::font();
    if (!hFont || hFont->kind != GdiKind::Font)
        return f;
    const LOGFONT& lf = hFont->font;
    QString face = AfxToQt(lf.lfFaceName);
    // The Windows Chinese and dialog faces are all drawn with the installed Chinese face; Qt's
    // font matching falls back to it for any face that is missing.
    static const char* const kChineseFaces[] = {
        "宋体",         "新宋体",         "黑体",          "微软雅黑", "楷体_GB2312",
        "MS Shell Dlg", "MS Shell Dlg 2", "MS Sans Serif", "System",   "Tahoma"};
    bool mapped = face.isEmpty();
    for (const char* cf : kChineseFaces)
        mapped = mapped || face == AfxToQt(cf);
    if (!mapped)
        f.setFamilies({face, QApplication::font().family()});
    if (lf.lfHeight < 0)
        f.setPixelSize(-lf.lfHeight);
    else if (lf.lfHeight > 0)
        // A positive height is the cell height, which includes the internal leading.
        f.setPixelSize(std::max(1, (int)std::lround(lf.lfHeight * 0.86)));
    if (lf.lfWeight > 0)
        f.setWeight(QFont::Weight(std::clamp((int)lf.lfWeight, 1, 1000)));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    if (lf.lfQuality == 3)
        f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC*, int nWidth, int nHeight) {
    HGDIOBJ h = NewObject(GdiKind::Bitmap);
    h->image = QImage(std::max(1, nWidth), std::max(1, nHeight), QImage::Format_RGB32);
    h->image.fill(Qt::black);
    return Attach(h) || (delete h, FALSE);
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT, UINT nBitcount, const void* lpBits) {
    HGDIOBJ h = NewObject(GdiKind::Bitmap);
    h->image = QImage(std::max(1, nWidth), std::max(1, nHeight), QImage::Format_RGB32);
    h->image.fill(Qt::black);
    h->mono = nBitcount == 1;
    if (lpBits && h->mono) {
        // Rows of bits, most significant first, each row padded to 16 bits.
        const BYTE* bits = static_cast<const BYTE*>(lpBits);
        int stride = ((nWidth + 15) / 16) * 2;
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x)
                if (bits[y * stride + x / 8] & (0x80 >> (x % 8)))
                    h->image.setPixel(x, y, qRgb(255, 255, 255));
    } else if (lpBits && nBitcount == 32) {
        std::memcpy(h->image.bits(), lpBits, (size_t)nWidth * (size_t)nHeight * 4);
    }
    return Attach(h) || (delete h, FALSE);
}

BOOL CBitmap::LoadFromFile(LPCTSTR lpszPath) {
    return AttachImageData(AfxReadImageFile(lpszPath));
}

BOOL CBitmap::AttachImageData(const QImage& image) {
    if (image.isNull())
        return FALSE;
    HGDIOBJ h = NewObject(GdiKind::Bitmap);
    h->image = image.convertToFormat(QImage::Format_RGB32);
    return Attach(h) || (delete h, FALSE);
}

QImage* CBitmap::GetImage() const {
    return m_hObject ? &m_hObject->image : nullptr;
}
BOOL CBitmap::IsMonochrome() const {
    return m_hObject && m_hObject->mono;
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const {
    return GetObject(sizeof(BITMAP), pBitMap);
}

CSize CBitmap::GetBitmapDimension() const {
    return m_hObject ? CSize(m_hObject->image.width(), m_hObject->image.height()) : CSize();
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2) {
    HGDIOBJ h = NewObject(GdiKind::Region);
    h->region = QRegion(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized());
    return Attach(h) || (delete h, FALSE);
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT r) {
    return CreateRectRgn(r->left, r->top, r->right, r->bottom);
}

BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2) {
    HGDIOBJ h = NewObject(GdiKind::Region);
    h->region = QRegion(QRect(x1, y1, x2 - x1, y2 - y1), QRegion::Ellipse);
    return Attach(h) || (delete h, FALSE);
}

BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
    // Made of the rectangle without its corners plus four corner ellipses.
    QRect r(x1, y1, x2 - x1, y2 - y1);
    int ew = std::min(x3, r.width()), eh = std::min(y3, r.height());
    QRegion region(r.adjusted(ew / 2, 0, -ew / 2, 0));
    region += QRegion(r.adjusted(0, eh / 2, 0, -eh / 2));
    region += QRegion(QRect(r.left(), r.top(), ew, eh), QRegion::Ellipse);
    region += QRegion(QRect(r.right() - ew + 1, r.top(), ew, eh), QRegion::Ellipse);
    region += QRegion(QRect(r.left(), r.bottom() - eh + 1, ew, eh), QRegion::Ellipse);
    region += QRegion(QRect(r.right() - ew + 1, r.bottom() - eh + 1, ew, eh), QRegion::Ellipse);
    HGDIOBJ h = NewObject(GdiKind::Region);
    h->region = region;
    return Attach(h) || (delete h, FALSE);
}

static int RegionKind(const QRegion& r) {
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int CRgn::CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode) {
    if (!m_hObject || !pRgn1 || !pRgn1->m_hObject)
        return RGN_ERROR;
    const QRegion& a = pRgn1->m_hObject->region;
    if (nCombineMode == RGN_COPY) {
        m_hObject->region = a;
    } else {
        if (!pRgn2 || !pRgn2->m_hObject)
            return RGN_ERROR;
        const QRegion& b = pRgn2->m_hObject->region;
        switch (nCombineMode) {
        case RGN_AND:
            m_hObject->region = a & b;
            break;
        case RGN_OR:
            m_hObject->region = a | b;
            break;
        case RGN_XOR:
            m_hObject->region = a ^ b;
            break;
        case RGN_DIFF:
            m_hObject->region = a - b;
            break;
        default:
            return RGN_ERROR;
        }
    }
    return RegionKind(m_hObject->region);
}

BOOL CRgn::PtInRegion(int x, int y) const {
    return m_hObject && m_hObject->region.contains(QPoint(x, y));
}

int CRgn::OffsetRgn(int x, int y) {
    if (!m_hObject)
        return RGN_ERROR;
    m_hObject->region.translate(x, y);
    return RegionKind(m_hObject->region);
}

int CRgn::GetRgnBox(LPRECT lpRect) const {
    if (!m_hObject)
        return RGN_ERROR;
    QRect b = m_hObject->region.boundingRect();
    *lpRect =
        b.isEmpty() ? RECT{0, 0, 0, 0} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return RegionKind(m_hObject->region);
}

BOOL CRgn::SetRectRgn(int x1, int y1, int x2, int y2) {
    if (!m_hObject)
        return FALSE;
    m_hObject->region = QRegion(QRect(x1, y1, x2 - x1, y2 - y1));
    return TRUE;
}

// ---- Device contexts ------------------------------------------------------------------------

// What a DC draws on and with. The HDC handle points at this state.
struct DcState {
    CDC* owner = nullptr;
    QPainter* painter = nullptr;
    bool ownsPainter = false;
    QImage* surface = nullptr;
    QImage scratch;
    GdiRef pen, brush, font, bitmap;
    HGDIOBJ defaultBitmap = nullptr;
    COLORREF text = RGB(0, 0, 0), bk = RGB(255, 255, 255);
    int bkMode = OPAQUE, rop2 = R2_COPYPEN, stretch = BLACKONWHITE;
    QPoint org, brushOrg;
    QPoint cur;
    std::optional<QRegion> clip; // device coordinates
    // What the window lets a paint change (the invalid region), whatever the program selects.
    std::optional<QRegion> baseClip;

    struct Saved {
        GdiRef pen, brush, font;
        COLORREF text, bk;
        int bkMode, rop2;
        QPoint org, cur;
        std::optional<QRegion> clip;
    };
    std::vector<Saved> saved;

    DcState() {
        pen = GetStockObject(BLACK_PEN);
        brush = GetStockObject(WHITE_BRUSH);
        font = GetStockObject(SYSTEM_FONT);
    }

    QPen QtPen() const {
        const LOGPEN& lp = pen->pen;
        if (lp.lopnStyle == PS_NULL)
            return QPen(Qt::NoPen);
        QPen p(AfxQColor(lp.lopnColor));
        p.setWidth(std::max(1, (int)lp.lopnWidth.x));
        p.setCapStyle(Qt::FlatCap);
        p.setJoinStyle(Qt::MiterJoin);
        switch (lp.lopnStyle) {
        case PS_DASH:
            p.setStyle(Qt::DashLine);
            break;
        case PS_DOT:
            p.setStyle(Qt::DotLine);
            break;
        case PS_DASHDOT:
            p.setStyle(Qt::DashDotLine);
            break;
        case PS_DASHDOTDOT:
            p.setStyle(Qt::DashDotDotLine);
            break;
        default:
            break;
        }
        return p;
    }

    QBrush QtBrush() const {
        const LOGBRUSH& lb = brush->brush;
        if (lb.lbStyle == BS_NULL)
            return QBrush(Qt::NoBrush);
        if (lb.lbStyle == BS_PATTERN)
            return QBrush(brush->pattern);
        return QBrush(AfxQColor(lb.lbColor));
    }

    bool HasBrush() const { return brush->brush.lbStyle != BS_NULL; }

    // Sets the painter up for one drawing call.
    QPainter* Prepare() {
        if (!painter)
            return nullptr;
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setTransform(QTransform::fromTranslate(org.x(), org.y()));
        std::optional<QRegion> effective = clip;
        if (baseClip)
            effective = effective ? (*effective & *baseClip) : *baseClip;
        if (effective)
            painter->setClipRegion(effective->translated(-org));
        else
            painter->setClipping(false);
        painter->setBrushOrigin(brushOrg - org);
        switch (rop2) {
        case R2_XORPEN:
            painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            break;
        case R2_NOT:
            painter->setCompositionMode(QPainter::RasterOp_NotDestination);
            break;
        default:
            painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
            break;
        }
        painter->setPen(QtPen());
        painter->setBrush(QtBrush());
        painter->setFont(AfxQFont(font.get()));
        return painter;
    }
};

CDC::CDC() : m_d(std::make_unique<DcState>()) {
    m_d->owner = this;
    m_hDC = reinterpret_cast<HDC>(m_d.get());
    m_hAttribDC = m_hDC;
}

CDC::~CDC() {
    EndPainting();
    if (m_d && m_d->defaultBitmap) {
        m_d->bitmap = GdiRef();
        ::DeleteObject(m_d->defaultBitmap);
    }
}

CDC* CDC::FromHandle(HDC hDC) {
    return hDC ? reinterpret_cast<DcState*>(hDC)->owner : nullptr;
}

void CDC::BeginOn(QPainter* painter, QImage* surface, bool ownsPainter) {
    EndPainting();
    m_d->painter = painter;
    m_d->surface = surface;
    m_d->ownsPainter = ownsPainter;
}

void CDC::EndPainting() {
    if (!m_d)
        return;
    if (m_d->ownsPainter && m_d->painter) {
        m_d->painter->end();
        delete m_d->painter;
    }
    m_d->painter = nullptr;
    m_d->ownsPainter = false;
    m_d->surface = nullptr;
}

BOOL CDC::AttachImage(QImage* pImage) {
    if (!pImage || pImage->isNull())
        return FALSE;
    BeginOn(new QPainter(pImage), pImage, true);
    return TRUE;
}

BOOL CDC::AttachPainter(QPainter* pPainter) {
    if (!pPainter)
        return FALSE;
    BeginOn(pPainter, dynamic_cast<QImage*>(pPainter->device()), false);
    return TRUE;
}

BOOL CDC::CreateCompatibleDC(CDC*) {
    // A new memory DC holds a one-pixel monochrome bitmap until the program selects its own.
    CBitmap one;
    one.CreateBitmap(1, 1, 1, 1, nullptr);
    m_d->defaultBitmap = one.Detach();
    m_d->bitmap = GdiRef(m_d->defaultBitmap);
    BeginOn(new QPainter(&m_d->bitmap->image), &m_d->bitmap->image, true);
    return TRUE;
}

BOOL CDC::DeleteDC() {
    EndPainting();
    return TRUE;
}

QPainter* CDC::GetPainter() {
    return m_d->Prepare();
}
QImage* CDC::GetSurface() const {
    return m_d->surface;
}

CPen* CDC::SelectObject(CPen* pPen) {
    return pPen ? static_cast<CPen*>(CGdiObject::FromHandle(SelectObject(pPen->m_hObject)))
                : nullptr;
}
CBrush* CDC::SelectObject(CBrush* pBrush) {
    return pBrush ? static_cast<CBrush*>(CGdiObject::FromHandle(SelectObject(pBrush->m_hObject)))
                  : nullptr;
}
CFont* CDC::SelectObject(CFont* pFont) {
    return pFont ? static_cast<CFont*>(CGdiObject::FromHandle(SelectObject(pFont->m_hObject)))
                 : nullptr;
}
CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    return pBitmap ? static_cast<CBitmap*>(CGdiObject::FromHandle(SelectObject(pBitmap->m_hObject)))
                   : nullptr;
}
int CDC::SelectObject(CRgn* pRgn) {
    return SelectClipRgn(pRgn);
}

HGDIOBJ CDC::SelectObject(HGDIOBJ h) {
    if (!h)
        return nullptr;
    HGDIOBJ old = nullptr;
    switch (h->kind) {
    case GdiKind::Pen:
        old = m_d->pen.get();
        m_d->pen = h;
        break;
    case GdiKind::Brush:
        old = m_d->brush.get();
        m_d->brush = h;
        break;
    case GdiKind::Font:
        old = m_d->font.get();
        m_d->font = h;
        break;
    case GdiKind::Bitmap:
        EndPainting(); // the painter leaves the old bitmap before the DC lets go of it
        old = m_d->bitmap.get();
        m_d->bitmap = h;
        BeginOn(new QPainter(&h->image), &h->image, true);
        break;
    case GdiKind::Region: {
        CRgn* r = static_cast<CRgn*>(CGdiObject::FromHandle(h));
        SelectClipRgn(r);
        return (HGDIOBJ)(INT_PTR)RegionKind(h->region);
    }
    }
    return old;
}

CGdiObject* CDC::SelectStockObject(int nIndex) {
    return CGdiObject::FromHandle(SelectObject(GetStockObject(nIndex)));
}

CPen* CDC::GetCurrentPen() const {
    return static_cast<CPen*>(CGdiObject::FromHandle(m_d->pen.get()));
}
CBrush* CDC::GetCurrentBrush() const {
    return static_cast<CBrush*>(CGdiObject::FromHandle(m_d->brush.get()));
}
CFont* CDC::GetCurrentFont() const {
    return static_cast<CFont*>(CGdiObject::FromHandle(m_d->font.get()));
}
CBitmap* CDC::GetCurrentBitmap() const {
    return static_cast<CBitmap*>(CGdiObject::FromHandle(m_d->bitmap.get()));
}

int CDC::SaveDC() {
    DcState& d = *m_d;
    d.saved.push_back(
        {d.pen, d.brush, d.font, d.text, d.bk, d.bkMode, d.rop2, d.org, d.cur, d.clip});
    return (int)d.saved.size();
}

BOOL CDC::RestoreDC(int nSavedDC) {
    DcState& d = *m_d;
    int n = (int)d.saved.size();
    int index = nSavedDC < 0 ? n + nSavedDC : nSavedDC - 1;
    if (index < 0 || index >= n)
        return FALSE;
    const DcState::Saved& s = d.saved[(size_t)index];
    d.pen = s.pen, d.brush = s.brush, d.font = s.font, d.text = s.text, d.bk = s.bk;
    d.bkMode = s.bkMode, d.rop2 = s.rop2, d.org = s.org, d.cur = s.cur, d.clip = s.clip;
    d.saved.resize((size_t)index);
    return TRUE;
}

COLORREF CDC::SetTextColor(COLORREF c) {
    return std::exchange(m_d->text, c);
}
COLORREF CDC::GetTextColor() const {
    return m_d->text;
}
COLORREF CDC::SetBkColor(COLORREF c) {
    return std::exchange(m_d->bk, c);
}
COLORREF CDC::GetBkColor() const {
    return m_d->bk;
}
int CDC::SetBkMode(int nBkMode) {
    return std::exchange(m_d->bkMode, nBkMode);
}
int CDC::GetBkMode() const {
    return m_d->bkMode;
}
int CDC::SetROP2(int nDrawMode) {
    return std::exchange(m_d->rop2, nDrawMode);
}
int CDC::SetStretchBltMode(int nStretchMode) {
    return std::exchange(m_d->stretch, nStretchMode);
}

CPoint CDC::SetViewportOrg(int x, int y) {
    QPoint old = std::exchange(m_d->org, QPoint(x, y));
    return CPoint(old.x(), old.y());
}
CPoint CDC::OffsetViewportOrg(int w, int h) {
    return SetViewportOrg(m_d->org.x() + w, m_d->org.y() + h);
}
CPoint CDC::GetViewportOrg() const {
    return CPoint(m_d->org.x(), m_d->org.y());
}
CPoint CDC::SetWindowOrg(int x, int y) {
    CPoint old = SetViewportOrg(-x, -y);
    return CPoint(-old.x, -old.y);
}
CPoint CDC::SetBrushOrg(int x, int y) {
    QPoint old = std::exchange(m_d->brushOrg, QPoint(x, y));
    return CPoint(old.x(), old.y());
}

int CDC::SelectClipRgn(CRgn* pRgn) {
    if (!pRgn || !pRgn->m_hObject) {
        m_d->clip.reset();
        return SIMPLEREGION;
    }
    m_d->clip = pRgn->m_hObject->region;
    return RegionKind(*m_d->clip);
}

static QRect LogicalRect(int x1, int y1, int x2, int y2) {
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

int CDC::IntersectClipRect(int x1, int y1, int x2, int y2) {
    QRegion r(LogicalRect(x1, y1, x2, y2).translated(m_d->org));
    m_d->clip = m_d->clip ? (*m_d->clip & r) : r;
    return RegionKind(*m_d->clip);
}
int CDC::IntersectClipRect(LPCRECT r) {
    return IntersectClipRect(r->left, r->top, r->right, r->bottom);
}

int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2) {
    QRegion r(LogicalRect(x1, y1, x2, y2).translated(m_d->org));
    QRegion all = m_d->clip ? *m_d->clip : QRegion(QRect(-32768, -32768, 65535, 65535));
    m_d->clip = all - r;
    return RegionKind(*m_d->clip);
}
int CDC::ExcludeClipRect(LPCRECT r) {
    return ExcludeClipRect(r->left, r->top, r->right, r->bottom);
}

int CDC::GetClipBox(LPRECT lpRect) const {
    QRect b;
    std::optional<QRegion> clip = m_d->clip;
    if (m_d->baseClip)
        clip = clip ? (*clip & *m_d->baseClip) : *m_d->baseClip;
    if (clip)
        b = clip->boundingRect();
    else if (m_d->surface)
        b = m_d->surface->rect();
    else if (m_d->painter && m_d->painter->device())
        b = QRect(0, 0, m_d->painter->device()->width(), m_d->painter->device()->height());
    b.translate(-m_d->org);
    *lpRect =
        b.isEmpty() ? RECT{0, 0, 0, 0} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return b.isEmpty() ? NULLREGION : SIMPLEREGION;
}

CPoint CDC::MoveTo(int x, int y) {
    QPoint old = std::exchange(m_d->cur, QPoint(x, y));
    return CPoint(old.x(), old.y());
}
CPoint CDC::GetCurrentPosition() const {
    return CPoint(m_d->cur.x(), m_d->cur.y());
}

BOOL CDC::LineTo(int x, int y) {
    QPoint from = m_d->cur, to(x, y);
    m_d->cur = to;
    QPainter* p = m_d->Prepare();
    if (!p || from == to)
        return TRUE;
    // With flat caps the end point itself is not drawn, as the system draws lines.
    p->drawLine(from, to);
    return TRUE;
}

void CDC::FillSolidRect(LPCRECT r, COLORREF clr) {
    FillSolidRect(r->left, r->top, r->right - r->left, r->bottom - r->top, clr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) {
    // Fills with the background colour, which it leaves set, as the framework does.
    SetBkColor(clr);
    QPainter* p = m_d->Prepare();
    if (!p)
        return;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(QRect(x, y, cx, cy).normalized(), AfxQColor(clr));
}

void CDC::FillRect(LPCRECT r, CBrush* pBrush) {
    QPainter* p = m_d->Prepare();
    if (!p || !pBrush || !pBrush->m_hObject)
        return;
    GdiRef saved = m_d->brush;
    m_d->brush = pBrush->m_hObject;
    p->fillRect(LogicalRect(r->left, r->top, r->right, r->bottom), m_d->QtBrush());
    m_d->brush = saved;
}

void CDC::FrameRect(LPCRECT r, CBrush* pBrush) {
    if (!pBrush)
        return;
    CRect rc(r);
    CRect sides[4] = {{rc.left, rc.top, rc.right, rc.top + 1},
                      {rc.left, rc.bottom - 1, rc.right, rc.bottom},
                      {rc.left, rc.top, rc.left + 1, rc.bottom},
                      {rc.right - 1, rc.top, rc.right, rc.bottom}};
    for (const CRect& s : sides)
        FillRect(&s, pBrush);
}

void CDC::InvertRect(LPCRECT r) {
    QPainter* p = m_d->Prepare();
    if (!p)
        return;
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->fillRect(LogicalRect(r->left, r->top, r->right, r->bottom), Qt::white);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CDC::Draw3dRect(LPCRECT r, COLORREF tl, COLORREF br) {
    Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, tl, br);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF tl, COLORREF br) {
    COLORREF bk = m_d->bk;
    FillSolidRect(x, y, cx - 1, 1, tl);
    FillSolidRect(x, y, 1, cy - 1, tl);
    FillSolidRect(x + cx - 1, y, 1, cy, br);
    FillSolidRect(x, y + cy - 1, cx, 1, br);
    m_d->bk = bk;
}

BOOL CDC::DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags) {
    CRect rc(lpRect);
    auto side = [&](COLORREF tl, COLORREF br) {
        COLORREF bk = m_d->bk;
        if (nFlags & BF_TOP)
            FillSolidRect(rc.left, rc.top, rc.Width(), 1, tl);
        if (nFlags & BF_LEFT)
            FillSolidRect(rc.left, rc.top, 1, rc.Height(), tl);
        if (nFlags & BF_BOTTOM)
            FillSolidRect(rc.left, rc.bottom - 1, rc.Width(), 1, br);
        if (nFlags & BF_RIGHT)
            FillSolidRect(rc.right - 1, rc.top, 1, rc.Height(), br);
        m_d->bk = bk;
        rc.DeflateRect((nFlags & BF_LEFT) ? 1 : 0, (nFlags & BF_TOP) ? 1 : 0,
                       (nFlags & BF_RIGHT) ? 1 : 0, (nFlags & BF_BOTTOM) ? 1 : 0);
    };
    if (nFlags & BF_FLAT) {
        if (nEdge & 0x0F)
            side(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
    } else {
        if (nEdge & BDR_RAISEDOUTER)
            side(GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
        else if (nEdge & BDR_SUNKENOUTER)
            side(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        if (nEdge & BDR_RAISEDINNER)
            side(GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        else if (nEdge & BDR_SUNKENINNER)
            side(GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    }
    if (nFlags & BF_MIDDLE) {
        COLORREF bk = m_d->bk;
        FillSolidRect(&rc, GetSysColor(COLOR_BTNFACE));
        m_d->bk = bk;
    }
    if (nFlags & BF_ADJUST)
        *lpRect = rc;
    return TRUE;
}

BOOL CDC::DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState) {
    CRect rc(lpRect);
    COLORREF bk = m_d->bk;
    FillSolidRect(&rc, GetSysColor(COLOR_BTNFACE));
    m_d->bk = bk;
    if (nState & DFCS_PUSHED)
        DrawEdge(rc, EDGE_SUNKEN, BF_RECT | BF_FLAT);
    else if (!(nState & DFCS_FLAT))
        DrawEdge(rc, EDGE_RAISED, BF_RECT);
    QPainter* p = m_d->Prepare();
    if (!p)
        return FALSE;
    if (nType == DFC_SCROLL) {
        // A solid arrow in the middle of the button, pointing the way of the request.
        int kind = nState & 0x0F;
        QPointF c = QRectF(rc.left, rc.top, rc.Width(), rc.Height()).center();
        if (nState & DFCS_PUSHED)
            c += QPointF(1, 1);
        double s = std::max(2.0, std::min(rc.Width(), rc.Height()) / 4.0);
        QPolygonF tri;
        switch (kind) {
        case DFCS_SCROLLUP:
            tri << c + QPointF(-s, s / 2) << c + QPointF(s, s / 2) << c + QPointF(0, -s / 2);
            break;
        case DFCS_SCROLLDOWN:
            tri << c + QPointF(-s, -s / 2) << c + QPointF(s, -s / 2) << c + QPointF(0, s / 2);
            break;
        case DFCS_SCROLLLEFT:
            tri << c + QPointF(s / 2, -s) << c + QPointF(s / 2, s) << c + QPointF(-s / 2, 0);
            break;
        default:
            tri << c + QPointF(-s / 2, -s) << c + QPointF(-s / 2, s) << c + QPointF(s / 2, 0);
            break;
        }
        COLORREF ink = GetSysColor((nState & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
        p->setPen(Qt::NoPen);
        p->setBrush(AfxQColor(ink));
        p->drawPolygon(tri);
    } else if (nType == DFC_BUTTON && !(nState & DFCS_BUTTONPUSH) && (nState & DFCS_CHECKED)) {
        p->setPen(QPen(AfxQColor(GetSysColor(COLOR_BTNTEXT)), 2));
        p->drawLine(QPoint(rc.left + 3, rc.top + rc.Height() / 2),
                    QPoint(rc.left + rc.Width() / 2 - 1, rc.bottom - 4));
        p->drawLine(QPoint(rc.left + rc.Width() / 2 - 1, rc.bottom - 4),
                    QPoint(rc.right - 3, rc.top + 3));
    }
    return TRUE;
}

void CDC::DrawFocusRect(LPCRECT r) {
    QPainter* p = m_d->Prepare();
    if (!p)
        return;
    // Dotted and drawn by inversion, so drawing it twice removes it.
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (int x = r->left; x < r->right; x += 2) {
        p->fillRect(x, r->top, 1, 1, Qt::white);
        p->fillRect(x, r->bottom - 1, 1, 1, Qt::white);
    }
    for (int y = r->top + 2; y < r->bottom - 1; y += 2) {
        p->fillRect(r->left, y, 1, 1, Qt::white);
        p->fillRect(r->right - 1, y, 1, 1, Qt::white);
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) {
    QPainter* p = m_d->Prepare();
    if (!p)
        return FALSE;
    QRect r = LogicalRect(x1, y1, x2, y2).normalized();
    if (m_d->HasBrush())
        p->fillRect(r, m_d->QtBrush());
    if (m_d->pen->pen.lopnStyle != PS_NULL) {
        p->setBrush(Qt::NoBrush);
        p->drawRect(r.adjusted(0, 0, -1, -1));
    }
    return TRUE;
}
BOOL CDC::Rectangle(LPCRECT r) {
    return Rectangle(r->left, r->top, r->right, r->bottom);
}

BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    QPainter* p = m_d->Prepare();
    if (!p)
        return FALSE;
    p->drawRoundedRect(LogicalRect(x1, y1, x2, y2).adjusted(0, 0, -1, -1), x3 / 2.0, y3 / 2.0);
    return TRUE;
}
BOOL CDC::RoundRect(LPCRECT r, POINT pt) {
    return RoundRect(r->left, r->top, r->right, r->bottom, pt.x, pt.y);
}

BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) {
    QPainter* p = m_d->Prepare();
    if (!p)
        return FALSE;
    p->drawEllipse(LogicalRect(x1, y1, x2, y2).adjusted(0, 0, -1, -1));
    return TRUE;
}
BOOL CDC::Ellipse(LPCRECT r) {
    return Ellipse(r->left, r->top, r->right, r->bottom);
}

BOOL CDC::Polygon(const POINT* pts, int n) {
    QPainter* p = m_d->Prepare();
    if (!p || n < 2)
        return FALSE;
    QPolygon poly;
    for (int i = 0; i < n; ++i)
        poly << QPoint(pts[i].x, pts[i].y);
    p->drawPolygon(poly);
    return TRUE;
}

BOOL CDC::Polyline(const POINT* pts, int n) {
    if (n < 2)
        return FALSE;
    QPoint saved = m_d->cur;
    MoveTo(pts[0].x, pts[0].y);
    for (int i = 1; i < n; ++i)
        LineTo(pts[i].x, pts[i].y);
    m_d->cur = saved;
    return TRUE;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF c) {
    QPainter* p = m_d->Prepare();
    if (!p)
        return CLR_INVALID;
    p->fillRect(x, y, 1, 1, AfxQColor(c));
    return c;
}

COLORREF CDC::GetPixel(int x, int y) const {
    QImage* s = m_d->surface;
    QPoint d = QPoint(x, y) + m_d->org;
    if (!s || !s->rect().contains(d))
        return CLR_INVALID;
    if (m_d->painter && m_d->ownsPainter)
        m_d->painter->end(), m_d->painter->begin(s);
    return ToColorRef(s->pixel(d));
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    return ::DrawIcon(m_hDC, x, y, hIcon);
}

// ---- Text -----------------------------------------------------------------------------------

namespace {

bool IsWide(QChar c) {
    return c.unicode() >= 0x2E80;
}

// Removes the mnemonic marks: "&&" is a literal ampersand.
QString StripPrefix(const QString& s) {
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == u'&' && i + 1 < s.size()) {
            ++i;
        }
        out += s[i];
    }
    return out;
}

QString Ellipsize(const QString& line, const QFontMetrics& fm, int width) {
    if (fm.horizontalAdvance(line) <= width)
        return line;
    // The longest start that fits before the dots (none when not even the dots fit), found by
    // halving: a cell holding a thousand recipients is measured a few times, not once for each
    // character it loses.
    const QString dots = QStringLiteral("...");
    qsizetype fits = 0, tooLong = line.size();
    while (tooLong - fits > 1) {
        const qsizetype mid = fits + (tooLong - fits) / 2;
        if (fm.horizontalAdvance(line.left(mid) + dots) <= width)
            fits = mid;
        else
            tooLong = mid;
    }
    if (fits > 0 && line[fits - 1].isHighSurrogate())
        --fits;
    return line.left(fits) + dots;
}

// Breaks one paragraph into lines no wider than width: after spaces, or between Chinese
// characters, which break anywhere.
void WrapParagraph(const QString& para, const QFontMetrics& fm, int width,
                   std::vector<QString>& out) {
    QString rest = para;
    while (!rest.isEmpty()) {
        if (fm.horizontalAdvance(rest) <= width) {
            out.push_back(rest);
            return;
        }
        int n = 1;
        while (n < rest.size() && fm.horizontalAdvance(rest.left(n + 1)) <= width)
            ++n;
        int cut = n;
        if (!(IsWide(rest[n]) || IsWide(rest[n - 1]) || rest[n] == u' ')) {
            int space = rest.lastIndexOf(u' ', n - 1);
            if (space > 0)
                cut = space + 1;
            else {
                // A word longer than the line is not broken: it runs to its end.
                int end = rest.indexOf(u' ', n);
                cut = end < 0 ? rest.size() : end + 1;
            }
        }
        out.push_back(rest.left(cut).trimmed().isEmpty() ? rest.left(cut) : rest.left(cut));
        rest = rest.mid(cut);
        while (rest.startsWith(u' '))
            rest.remove(0, 1);
    }
}

} // namespace

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
    return DrawText(str.GetString(), str.GetLength(), lpRect, nFormat);
}

int CDC::DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
    if (!lpszString || !lpRect)
        return 0;
    CString gbk = nCount < 0 ? CString(lpszString) : CString(lpszString, nCount);
    QString text = AfxToQt(gbk);
    if (!(nFormat & DT_NOPREFIX))
        text = StripPrefix(text);
    QFont font = AfxQFont(m_d->font.get());
    QFontMetrics fm(font);
    CRect rc(lpRect);
    int width = rc.Width();

    std::vector<QString> lines;
    if (nFormat & DT_SINGLELINE) {
        text.remove(u'\r');
        text.remove(u'\n');
        lines.push_back(text);
    } else {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        for (const QString& para : text.split(u'\n')) {
            if ((nFormat & DT_WORDBREAK) && width > 0)
                WrapParagraph(para, fm, width, lines);
            else
                lines.push_back(para);
        }
    }
    if (nFormat & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
        for (QString& l : lines)
            l = Ellipsize(l, fm, width);
    int lineHeight = fm.height();
    int total = lineHeight * (int)lines.size();

    if (nFormat & DT_CALCRECT) {
        int widest = 0;
        for (const QString& l : lines)
            widest = std::max(widest, fm.horizontalAdvance(l));
        lpRect->right = lpRect->left + widest;
        lpRect->bottom = lpRect->top + total;
        return total;
    }

    QPainter* p = m_d->Prepare();
    if (!p)
        return total;
    if (!(nFormat & DT_NOCLIP)) {
        QRect clip(rc.left, rc.top, rc.Width(), rc.Height());
        if (p->hasClipping())
            p->setClipRect(clip, Qt::IntersectClip);
        else
            p->setClipRect(clip);
    }
    int y = rc.top;
    if (nFormat & DT_SINGLELINE) {
        if (nFormat & DT_VCENTER)
            y = rc.top + (rc.Height() - lineHeight) / 2;
        else if (nFormat & DT_BOTTOM)
            y = rc.bottom - lineHeight;
    }
    p->setPen(AfxQColor(m_d->text));
    for (const QString& l : lines) {
        int w = fm.horizontalAdvance(l);
        int x = rc.left;
        if (nFormat & DT_CENTER)
            x = rc.left + (rc.Width() - w) / 2;
        else if (nFormat & DT_RIGHT)
            x = rc.right - w;
        if (m_d->bkMode == OPAQUE)
            p->fillRect(QRect(x, y, w, lineHeight), AfxQColor(m_d->bk));
        p->drawText(QPoint(x, y + fm.ascent()), l);
        y += lineHeight;
    }
    return total;
}

BOOL CDC::TextOut(int x, int y, const CString& str) {
    return TextOut(x, y, str, str.GetLength());
}

BOOL CDC::TextOut(int x, int y, LPCTSTR lpszString, int nCount) {
    QPainter* p = m_d->Prepare();
    if (!p || !lpszString)
        return FALSE;
    QString text = AfxToQt(CString(lpszString, std::max(0, nCount)));
    QFont font = AfxQFont(m_d->font.get());
    QFontMetrics fm(font);
    p->save();
    // The font's escapement turns the text about its start, in tenths of a degree.
    if (m_d->font && m_d->font->font.lfEscapement) {
        p->translate(x, y);
        p->rotate(-m_d->font->font.lfEscapement / 10.0);
        p->translate(-x, -y);
    }
    if (m_d->bkMode == OPAQUE)
        p->fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), AfxQColor(m_d->bk));
    p->setPen(AfxQColor(m_d->text));
    p->drawText(QPoint(x, y + fm.ascent()), text);
    p->restore();
    return TRUE;
}

CSize CDC::GetTextExtent(const CString& str) const {
    return GetTextExtent(str, str.GetLength());
}

CSize CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const {
    QFontMetrics fm(AfxQFont(m_d->font.get()));
    QString text = AfxToQt(CString(lpszString ? lpszString : "", std::max(0, nCount)));
    return CSize(fm.horizontalAdvance(text), fm.height());
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* tm) const {
    QFont f = AfxQFont(m_d->font.get());
    QFontMetrics fm(f);
    tm->tmHeight = fm.height();
    tm->tmAscent = fm.ascent();
    tm->tmDescent = fm.descent();
    tm->tmInternalLeading =
        std::max(0, fm.height() - (f.pixelSize() > 0 ? f.pixelSize() : fm.height()));
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    tm->tmMaxCharWidth = fm.maxWidth();
    tm->tmWeight = f.weight();
    return TRUE;
}

// ---- Blits ----------------------------------------------------------------------------------

namespace {

bool NeedsSource(DWORD rop) {
    // The source takes part when the operation's truth table differs with the source bit.
    BYTE code = (BYTE)(rop >> 16);
    return ((code >> 2) & 0x33) != (code & 0x33);
}

std::optional<QPainter::CompositionMode> SourceMode(DWORD rop) {
    switch (rop) {
    case SRCCOPY:
        return QPainter::CompositionMode_Source;
    case SRCPAINT:
        return QPainter::RasterOp_SourceOrDestination;
    case SRCAND:
        return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT:
        return QPainter::RasterOp_SourceXorDestination;
    case SRCERASE:
        return QPainter::RasterOp_SourceAndNotDestination;
    case NOTSRCCOPY:
        return QPainter::RasterOp_NotSource;
    case NOTSRCERASE:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case MERGEPAINT:
        return QPainter::RasterOp_NotSourceOrDestination;
    case MERGECOPY:
        return QPainter::CompositionMode_Source;
    default:
        return std::nullopt;
    }
}

// Raster operations leave the unused alpha byte of a 32-bit surface at random; the surface is
// opaque, so it is set back.
void Opaque(QImage* img, const QRect& r) {
    if (!img)
        return;
    QRect c = r & img->rect();
    for (int y = c.top(); y <= c.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img->scanLine(y));
        for (int x = c.left(); x <= c.right(); ++x)
            line[x] |= 0xFF000000u;
    }
}

} // namespace

BOOL CDC::PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) {
    QPainter* p = m_d->Prepare();
    if (!p)
        return FALSE;
    QRect r = QRect(x, y, nWidth, nHeight).normalized();
    switch (dwRop) {
    case PATCOPY:
        p->fillRect(r, m_d->QtBrush());
        break;
    case PATINVERT:
        p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p->fillRect(r, m_d->QtBrush());
        break;
    case DSTINVERT:
        p->setCompositionMode(QPainter::RasterOp_NotDestination);
        p->fillRect(r, Qt::white);
        break;
    case BLACKNESS:
        p->fillRect(r, Qt::black);
        break;
    case WHITENESS:
        p->fillRect(r, Qt::white);
        break;
    default:
        return FALSE;
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (m_d->surface && m_d->ownsPainter) {
        p->end();
        Opaque(m_d->surface, r.translated(m_d->org));
        p->begin(m_d->surface);
    }
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                 DWORD dwRop) {
    return StretchBlt(x, y, nWidth, nHeight, pSrcDC, xSrc, ySrc, nWidth, nHeight, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, DWORD dwRop) {
    if (!NeedsSource(dwRop))
        return PatBlt(x, y, nWidth, nHeight, dwRop);
    auto mode = SourceMode(dwRop);
    if (!mode || !pSrcDC || !pSrcDC->m_d->surface)
        return FALSE;
    DcState& s = *pSrcDC->m_d;
    bool srcMono = s.bitmap && s.bitmap->mono && s.surface == &s.bitmap->image;
    bool dstMono = m_d->bitmap && m_d->bitmap->mono && m_d->surface == &m_d->bitmap->image;
    const QRect srcRect =
        QRect(QPoint(xSrc, ySrc) + s.org, QSize(nSrcWidth, nSrcHeight)).normalized();
    const QSize dstSize = QRect(x, y, nWidth, nHeight).normalized().size();
    QImage part;
    if (!srcMono && !dstMono && dwRop != MERGECOPY && nWidth >= 0 && nHeight >= 0 &&
        nSrcWidth >= 0 && nSrcHeight >= 0 && srcRect.size() != dstSize &&
        s.surface->depth() == 32 && s.surface->rect().contains(srcRect)) {
        // Stretching (a part of) a large picture, a photo fitted into a window: scaled straight
        // from the source's pixels, which are never copied whole.
        const QImage view(s.surface->constScanLine(srcRect.top()) + (size_t)srcRect.left() * 4,
                          srcRect.width(), srcRect.height(), s.surface->bytesPerLine(),
                          s.surface->format());
        part = view.scaled(dstSize, Qt::IgnoreAspectRatio,
                           m_d->stretch == HALFTONE ? Qt::SmoothTransformation
                                                    : Qt::FastTransformation);
    } else {
        if (s.painter && s.ownsPainter)
            s.painter->end();
        part = s.surface->copy(srcRect);
        if (s.painter && s.ownsPainter)
            s.painter->begin(s.surface);
    }
    part = part.convertToFormat(QImage::Format_RGB32);
    if (dstMono && !srcMono) {
        // Colour to mask: the source's background colour becomes white, the rest black.
        QRgb key = AfxQColor(s.bk).rgb() | 0xFF000000u;
        for (int py = 0; py < part.height(); ++py) {
            auto* line = reinterpret_cast<QRgb*>(part.scanLine(py));
            for (int px = 0; px < part.width(); ++px)
                line[px] = (line[px] | 0xFF000000u) == key ? 0xFFFFFFFFu : 0xFF000000u;
        }
    } else if (srcMono && !dstMono) {
        // Mask to colour: white takes the background colour, black the text colour.
        QRgb white = AfxQColor(m_d->bk).rgb(), black = AfxQColor(m_d->text).rgb();
        for (int py = 0; py < part.height(); ++py) {
            auto* line = reinterpret_cast<QRgb*>(part.scanLine(py));
            for (int px = 0; px < part.width(); ++px)
                line[px] = (line[px] & 0xFFFFFF) ? white : black;
        }
    }
    if (dwRop == MERGECOPY) {
        QColor pat = m_d->HasBrush() ? m_d->QtBrush().color() : QColor(Qt::black);
        for (int py = 0; py < part.height(); ++py) {
            auto* line = reinterpret_cast<QRgb*>(part.scanLine(py));
            for (int px = 0; px < part.width(); ++px)
                line[px] &= pat.rgb();
        }
    }
    if (nWidth < 0 || nHeight < 0 || nSrcWidth < 0 || nSrcHeight < 0)
        part = part.mirrored((nWidth < 0) != (nSrcWidth < 0), (nHeight < 0) != (nSrcHeight < 0));
    QRect dst = QRect(x, y, nWidth, nHeight).normalized();
    if (part.size() != dst.size())
        part = part.scaled(dst.size(), Qt::IgnoreAspectRatio,
                           m_d->stretch == HALFTONE ? Qt::SmoothTransformation
                                                    : Qt::FastTransformation);
    QPainter* p = m_d->Prepare();
    if (!p)
        return FALSE;
    p->setCompositionMode(*mode);
    p->drawImage(dst.topLeft(), part);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (m_d->surface && m_d->ownsPainter && *mode != QPainter::CompositionMode_Source) {
        p->end();
        Opaque(m_d->surface, dst.translated(m_d->org));
        p->begin(m_d->surface);
    }
    return TRUE;
}

BOOL CDC::TransparentBlt(int xDest, int yDest, int nDestWidth, int nDestHeight, CDC* pSrcDC,
                         int xSrc, int ySrc, int nSrcWidth, int nSrcHeight, UINT crTransparent) {
    if (!pSrcDC || !pSrcDC->m_d->surface)
        return FALSE;
    DcState& s = *pSrcDC->m_d;
    if (s.painter && s.ownsPainter)
        s.painter->end();
    QImage part = s.surface->copy(QRect(QPoint(xSrc, ySrc) + s.org, QSize(nSrcWidth, nSrcHeight)))
                      .convertToFormat(QImage::Format_ARGB32);
    if (s.painter && s.ownsPainter)
        s.painter->begin(s.surface);
    QRgb key = AfxQColor(crTransparent).rgb() & 0xFFFFFF;
    for (int py = 0; py < part.height(); ++py) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(py));
        for (int px = 0; px < part.width(); ++px)
            if ((line[px] & 0xFFFFFF) == key)
                line[px] = 0;
    }
    if (part.width() != nDestWidth || part.height() != nDestHeight)
        part = part.scaled(nDestWidth, nDestHeight);
    QPainter* p = m_d->Prepare();
    if (!p)
        return FALSE;
    p->drawImage(QPoint(xDest, yDest), part);
    return TRUE;
}

// ---- The kinds of DC ------------------------------------------------------------------------

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    m_ps.hdc = m_hDC;
    WndPrivate* wp = pWnd && pWnd->m_p ? pWnd->m_p.get() : nullptr;
    QWidget* w = pWnd ? pWnd->GetWidget() : nullptr;
    if (w)
        m_ps.rcPaint = RECT{0, 0, w->width(), w->height()};
    QtDispatch* d = AfxCurrentQtDispatch();
    if (d && d->event && d->event->type() == QEvent::Paint && d->hwnd == m_hWnd) {
        QRect r = wp && wp->backed ? wp->paintRegion.boundingRect()
                                   : static_cast<QPaintEvent*>(d->event)->rect();
        m_ps.rcPaint = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    }
    if (wp && w && wp->inPaint && !wp->paintPainter) {
        if (wp->backed) {
            AfxEnsureBacking(*wp, w);
            BeginOn(new QPainter(&wp->backing), &wp->backing, true);
            m_d->baseClip = wp->paintRegion;
        } else {
            BeginOn(new QPainter(w), nullptr, true);
        }
        wp->paintPainter = m_d->painter;
    } else {
        m_d->scratch = QImage(std::max(1, w ? w->width() : 1), std::max(1, w ? w->height() : 1),
                              QImage::Format_RGB32);
        BeginOn(new QPainter(&m_d->scratch), &m_d->scratch, true);
    }
    if (w) {
        m_d->font = pWnd->m_p->font ? pWnd->m_p->font : m_d->font;
        m_ps.fErase = pWnd->SendMessage(WM_ERASEBKGND, (WPARAM)m_hDC, 0) == 0;
    }
}

CPaintDC::~CPaintDC() {
    CWnd* w = CWnd::FromHandle(m_hWnd);
    if (w && w->m_p && w->m_p->paintPainter == m_d->painter)
        w->m_p->paintPainter = nullptr;
    EndPainting();
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    QWidget* w = pWnd ? pWnd->GetWidget() : nullptr;
    if (pWnd && pWnd->m_p && pWnd->m_p->paintPainter) {
        // Inside the window's own paint the one painter of the widget is shared.
        pWnd->m_p->paintPainter->save();
        BeginOn(pWnd->m_p->paintPainter, nullptr, false);
        m_sharedPainter = true;
    } else if (pWnd && pWnd->m_p && pWnd->m_p->backed && w) {
        // Outside the paint a plain window is drawn on in its picture, which is then shown;
        // the client DCs alive at the same time share one painter.
        WndPrivate& wp = *pWnd->m_p;
        AfxEnsureBacking(wp, w);
        if (wp.directPainter) {
            BeginOn(wp.directPainter, &wp.backing, false);
        } else {
            BeginOn(new QPainter(&wp.backing), &wp.backing, true);
            wp.directPainter = m_d->painter;
        }
        m_direct = true;
    } else {
        m_d->scratch = QImage(std::max(1, w ? w->width() : 1), std::max(1, w ? w->height() : 1),
                              QImage::Format_RGB32);
        m_d->scratch.fill(Qt::white);
        BeginOn(new QPainter(&m_d->scratch), &m_d->scratch, true);
    }
    if (pWnd && pWnd->m_p && pWnd->m_p->font)
        m_d->font = pWnd->m_p->font;
}

CClientDC::~CClientDC() {
    if (m_sharedPainter && m_d->painter)
        m_d->painter->restore();
    if (m_direct && m_d->ownsPainter)
        if (CWnd* w = CWnd::FromHandle(m_hWnd);
            w && w->m_p && w->m_p->directPainter == m_d->painter)
            w->m_p->directPainter = nullptr;
    EndPainting();
    if (m_direct)
        AfxShowDirectDrawing(m_hWnd);
}

int DrawText(HDC hDC, LPCTSTR lpString, int nCount, LPRECT lpRect, UINT uFormat) {
    CDC* dc = CDC::FromHandle(hDC);
    return dc ? dc->DrawText(lpString, nCount, lpRect, uFormat) : 0;
}

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    CDC* dc = CDC::FromHandle(hDC);
    if (!dc || !hbr)
        return 0;
    dc->FillRect(lprc, CBrush::FromHandle(hbr));
    return 1;
}
