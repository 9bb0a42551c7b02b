#include "platform/gui/GdiPlus.h"

#include "platform/gui/Image.h"
#include "platform/gui/WndPrivate.h"

#include <QBrush>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace Gdiplus {

static QColor ToQColor(const Color& c) {
    return QColor(c.GetR(), c.GetG(), c.GetB(), c.GetA());
}

QBrush SolidBrush::ToQBrush() const {
    return QBrush(ToQColor(m_color));
}

LinearGradientBrush::LinearGradientBrush(const Rect& r, const Color& c1, const Color& c2,
                                         LinearGradientMode mode)
    : LinearGradientBrush(RectF((REAL)r.X, (REAL)r.Y, (REAL)r.Width, (REAL)r.Height), c1, c2,
                          mode) {}

LinearGradientBrush::LinearGradientBrush(const RectF& r, const Color& c1, const Color& c2,
                                         LinearGradientMode mode)
    : m_rect(r), m_c1(c1), m_c2(c2), m_mode(mode) {}

QBrush LinearGradientBrush::ToQBrush() const {
    QPointF start(m_rect.X, m_rect.Y);
    QPointF end = m_mode == LinearGradientModeVertical ? QPointF(m_rect.X, m_rect.Y + m_rect.Height)
                                                       : QPointF(m_rect.X + m_rect.Width, m_rect.Y);
    QLinearGradient g(start, end);
    g.setColorAt(0, ToQColor(m_c1));
    g.setColorAt(1, ToQColor(m_c2));
    // Beyond its rectangle the gradient repeats, as the system's brush tiles.
    g.setSpread(QGradient::RepeatSpread);
    return QBrush(g);
}

Image::Image(const WCHAR* filename) {
    std::wstring w(filename ? filename : L"");
    m_image = std::make_unique<QImage>(QString::fromStdWString(w));
    m_status = m_image->isNull() ? FileNotFound : Ok;
}

Image* Image::FromFile(LPCTSTR path) {
    auto* img = new Image;
    img->m_image = std::make_unique<QImage>(AfxReadImageFile(path));
    img->m_status = img->m_image->isNull() ? FileNotFound : Ok;
    return img;
}

Bitmap* Bitmap::FromFile(LPCTSTR path) {
    auto* img = new Bitmap(nullptr);
    img->m_image = std::make_unique<QImage>(AfxReadImageFile(path));
    img->m_status = img->m_image->isNull() ? FileNotFound : Ok;
    return img;
}

Image::~Image() = default;
UINT Image::GetWidth() const {
    return m_image ? (UINT)m_image->width() : 0;
}
UINT Image::GetHeight() const {
    return m_image ? (UINT)m_image->height() : 0;
}

Graphics::Graphics(HDC hdc) : m_dc(CDC::FromHandle(hdc)) {}

Status Graphics::FillRectangle(const Brush* brush, const Rect& r) {
    return FillRectangle(brush, RectF((REAL)r.X, (REAL)r.Y, (REAL)r.Width, (REAL)r.Height));
}

Status Graphics::FillRectangle(const Brush* brush, const RectF& r) {
    QPainter* p = m_dc ? m_dc->GetPainter() : nullptr;
    if (!p || !brush)
        return InvalidParameter;
    p->fillRect(QRectF(r.X, r.Y, r.Width, r.Height), brush->ToQBrush());
    return Ok;
}

Status Graphics::DrawLine(const Pen* pen, int x1, int y1, int x2, int y2) {
    QPainter* p = m_dc ? m_dc->GetPainter() : nullptr;
    if (!p || !pen)
        return InvalidParameter;
    p->setPen(QPen(ToQColor(pen->m_color), pen->m_width));
    p->drawLine(QPointF(x1, y1), QPointF(x2, y2));
    return Ok;
}

Status Graphics::DrawImage(Image* image, int x, int y, int width, int height) {
    QPainter* p = m_dc ? m_dc->GetPainter() : nullptr;
    if (!p || !image || !image->GetQImage() || image->GetQImage()->isNull())
        return InvalidParameter;
    p->setRenderHint(QPainter::SmoothPixmapTransform);
    p->drawImage(QRect(x, y, width, height), *image->GetQImage());
    return Ok;
}

Status Graphics::DrawImage(Image* image, int x, int y) {
    if (!image)
        return InvalidParameter;
    return DrawImage(image, x, y, (int)image->GetWidth(), (int)image->GetHeight());
}

} // namespace Gdiplus
