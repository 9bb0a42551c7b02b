// The drawing helpers of the system's second drawing library: gradient and solid fills, lines
// and images, drawn through the same painter as the DC they are made on.
#pragma once

#include "platform/gui/Dc.h"

#include <memory>

class QImage;
class QBrush;

namespace Gdiplus {

enum Status { Ok = 0, GenericError = 1, InvalidParameter = 2, FileNotFound = 10 };
enum LinearGradientMode {
    LinearGradientModeHorizontal = 0,
    LinearGradientModeVertical = 1,
};

typedef float REAL;

class Color {
public:
    Color() = default;
    Color(BYTE r, BYTE g, BYTE b) : m_argb(0xFF000000u | (r << 16) | (g << 8) | b) {}
    Color(BYTE a, BYTE r, BYTE g, BYTE b) : m_argb(((DWORD)a << 24) | (r << 16) | (g << 8) | b) {}
    explicit Color(DWORD argb) : m_argb(argb) {}
    DWORD GetValue() const { return m_argb; }
    BYTE GetA() const { return (BYTE)(m_argb >> 24); }
    BYTE GetR() const { return (BYTE)(m_argb >> 16); }
    BYTE GetG() const { return (BYTE)(m_argb >> 8); }
    BYTE GetB() const { return (BYTE)m_argb; }
    void SetFromCOLORREF(COLORREF c) {
        m_argb = 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }

private:
    DWORD m_argb = 0xFF000000u;
};

struct Rect {
    Rect() = default;
    Rect(int x, int y, int w, int h) : X(x), Y(y), Width(w), Height(h) {}
    int X = 0, Y = 0, Width = 0, Height = 0;
};

struct RectF {
    RectF() = default;
    RectF(REAL x, REAL y, REAL w, REAL h) : X(x), Y(y), Width(w), Height(h) {}
    REAL X = 0, Y = 0, Width = 0, Height = 0;
};

class Brush {
public:
    virtual ~Brush() = default;
    virtual QBrush ToQBrush() const = 0;
};

class SolidBrush : public Brush {
public:
    explicit SolidBrush(const Color& c) : m_color(c) {}
    QBrush ToQBrush() const override;

private:
    Color m_color;
};

// Runs from color1 at the rectangle's start edge to color2 at its far edge.
class LinearGradientBrush : public Brush {
public:
    LinearGradientBrush(const Rect& rect, const Color& color1, const Color& color2,
                        LinearGradientMode mode);
    LinearGradientBrush(const RectF& rect, const Color& color1, const Color& color2,
                        LinearGradientMode mode);
    QBrush ToQBrush() const override;

private:
    RectF m_rect;
    Color m_c1, m_c2;
    LinearGradientMode m_mode;
};

class Pen {
public:
    explicit Pen(const Color& color, REAL width = 1.0f) : m_color(color), m_width(width) {}
    Color m_color;
    REAL m_width;
};

class Image {
public:
    explicit Image(const WCHAR* filename);
    // A program path in GBK, read as AfxReadImageFile reads it.
    static Image* FromFile(LPCTSTR path);
    virtual ~Image();
    Status GetLastStatus() const { return m_status; }
    UINT GetWidth() const;
    UINT GetHeight() const;
    const QImage* GetQImage() const { return m_image.get(); }

protected:
    Image() = default;
    std::unique_ptr<QImage> m_image;
    Status m_status = GenericError;
};

class Bitmap : public Image {
public:
    using Image::Image;
    static Bitmap* FromFile(LPCTSTR path);
};

class Graphics {
public:
    explicit Graphics(HDC hdc);
    explicit Graphics(CDC* pDC) : Graphics(pDC ? pDC->m_hDC : nullptr) {}
    Status FillRectangle(const Brush* brush, const Rect& rect);
    Status FillRectangle(const Brush* brush, int x, int y, int w, int h) {
        return FillRectangle(brush, Rect(x, y, w, h));
    }
    Status FillRectangle(const Brush* brush, const RectF& rect);
    Status DrawLine(const Pen* pen, int x1, int y1, int x2, int y2);
    Status DrawImage(Image* image, int x, int y, int width, int height);
    Status DrawImage(Image* image, int x, int y);

private:
    CDC* m_dc = nullptr;
};

} // namespace Gdiplus
