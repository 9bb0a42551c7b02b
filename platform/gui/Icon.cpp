#include "platform/gui/Icon.h"

#include "platform/base/OsPath.h"
#include "platform/gui/Dc.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/WndPrivate.h"

#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// What an icon or cursor handle points at: every size the file holds, and for a cursor its hot
// spot or the standard shape it stands for.
struct HICON__ {
    std::vector<QImage> images;
    QPoint hotspot;
    Qt::CursorShape shape = Qt::BitmapCursor;
    bool shared = false;
};

namespace {

// Every live handle, owned here.
std::map<const HICON__*, std::unique_ptr<HICON__>>& LiveIcons() {
    static std::map<const HICON__*, std::unique_ptr<HICON__>> live;
    return live;
}

HICON NewIcon(std::vector<QImage> images, QPoint hotspot, Qt::CursorShape shape, bool shared) {
    auto h = std::make_unique<HICON__>(HICON__{std::move(images), hotspot, shape, shared});
    HICON raw = h.get();
    LiveIcons()[raw] = std::move(h);
    return raw;
}

bool IsLive(HICON h) {
    return h && LiveIcons().count(h) != 0;
}

// Shared handles: one per resource, kept for the life of the program.
std::map<std::pair<UINT, std::string>, HICON>& SharedIcons() {
    static std::map<std::pair<UINT, std::string>, HICON> cache;
    return cache;
}

std::string KeyOf(LPCTSTR name) {
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string((UINT)(ULONG_PTR)name);
    return name;
}

std::vector<QImage> DecodeAll(const QByteArray& data) {
    std::vector<QImage> out;
    QBuffer buf;
    buf.setData(data);
    if (!buf.open(QIODevice::ReadOnly))
        return out;
    QImageReader reader(&buf);
    do {
        QImage img = reader.read();
        if (img.isNull())
            break;
        out.push_back(img.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    } while (reader.jumpToNextImage());
    return out;
}

// A cursor file is an icon directory of type 2 whose entries keep the hot spot where an icon
// keeps its planes and bit count.
QPoint HotspotOf(const QByteArray& d) {
    auto u16 = [&](int at) { return (int)(uchar)d[at] | ((int)(uchar)d[at + 1] << 8); };
    if (d.size() < 6 + 16 || u16(0) != 0 || u16(2) != 2)
        return QPoint();
    return QPoint(u16(6 + 4), u16(6 + 6));
}

Qt::CursorShape StandardCursorShape(UINT id) {
    static const std::map<UINT, Qt::CursorShape> shapes = {
        {32512, Qt::ArrowCursor},     {32513, Qt::IBeamCursor},     {32514, Qt::WaitCursor},
        {32515, Qt::CrossCursor},     {32516, Qt::UpArrowCursor},   {32642, Qt::SizeFDiagCursor},
        {32643, Qt::SizeBDiagCursor}, {32644, Qt::SizeHorCursor},   {32645, Qt::SizeVerCursor},
        {32646, Qt::SizeAllCursor},   {32648, Qt::ForbiddenCursor}, {32649, Qt::PointingHandCursor},
        {32650, Qt::BusyCursor},      {32651, Qt::WhatsThisCursor}};
    auto it = shapes.find(id);
    return it == shapes.end() ? Qt::BitmapCursor : it->second;
}

bool StandardIconPixmap(UINT id, QStyle::StandardPixmap& sp) {
    static const std::map<UINT, QStyle::StandardPixmap> pixmaps = {
        {32512, QStyle::SP_ComputerIcon},          {32513, QStyle::SP_MessageBoxCritical},
        {32514, QStyle::SP_MessageBoxQuestion},    {32515, QStyle::SP_MessageBoxWarning},
        {32516, QStyle::SP_MessageBoxInformation}, {32517, QStyle::SP_ComputerIcon}};
    auto it = pixmaps.find(id);
    if (it == pixmaps.end())
        return false;
    sp = it->second;
    return true;
}

QImage PickSize(const std::vector<QImage>& images, int cx, int cy) {
    if (images.empty())
        return QImage();
    const QImage* best = &images[0];
    for (const QImage& img : images) {
        if (cx <= 0 || cy <= 0) {
            if (img.width() > best->width())
                best = &img;
            continue;
        }
        // The exact size, else the smallest larger one, else the largest.
        auto fits = [&](const QImage& i) { return i.width() >= cx && i.height() >= cy; };
        if (img.width() == cx && img.height() == cy)
            return img;
        if (fits(img) && (!fits(*best) || img.width() < best->width()))
            best = &img;
        else if (!fits(*best) && img.width() > best->width())
            best = &img;
    }
    if (cx > 0 && cy > 0 && best->size() != QSize(cx, cy))
        return best->scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return *best;
}

HICON LoadShared(UINT kind, LPCTSTR name) {
    if (!name)
        return nullptr;
    auto key = std::make_pair(kind, KeyOf(name));
    auto it = SharedIcons().find(key);
    if (it != SharedIcons().end())
        return it->second;
    HICON h = nullptr;
    if (const ResImage* res = AfxFindImage(kind, name)) {
        QByteArray data(reinterpret_cast<const char*>(res->data), (qsizetype)res->size);
        std::vector<QImage> images = DecodeAll(data);
        if (!images.empty())
            h = NewIcon(std::move(images), HotspotOf(data), Qt::BitmapCursor, true);
    } else if (IS_INTRESOURCE(name)) {
        UINT id = (UINT)(ULONG_PTR)name;
        QStyle::StandardPixmap sp;
        if (kind == RT_CURSOR && StandardCursorShape(id) != Qt::BitmapCursor) {
            h = NewIcon({}, QPoint(), StandardCursorShape(id), true);
        } else if (kind == RT_ICON && StandardIconPixmap(id, sp)) {
            AfxEnsureGuiApp();
            QImage img = QApplication::style()->standardIcon(sp).pixmap(32, 32).toImage();
            h = NewIcon({img.convertToFormat(QImage::Format_ARGB32_Premultiplied)}, QPoint(),
                        Qt::BitmapCursor, true);
        }
    }
    if (h)
        SharedIcons()[key] = h;
    return h;
}

HCURSOR g_cursor = nullptr;

} // namespace

HICON LoadIcon(HINSTANCE, LPCTSTR lpIconName) {
    return LoadShared(RT_ICON, lpIconName);
}

HCURSOR LoadCursor(HINSTANCE, LPCTSTR lpCursorName) {
    return LoadShared(RT_CURSOR, lpCursorName);
}

HANDLE LoadImage(HINSTANCE hInst, LPCTSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (!name)
        return nullptr;
    if (fuLoad & LR_DEFAULTSIZE) {
        if (cx == 0)
            cx = GetSystemMetrics(type == IMAGE_CURSOR ? SM_CXCURSOR : SM_CXICON);
        if (cy == 0)
            cy = GetSystemMetrics(type == IMAGE_CURSOR ? SM_CYCURSOR : SM_CYICON);
    }
    QByteArray data;
    if (fuLoad & LR_LOADFROMFILE) {
        if (IS_INTRESOURCE(name))
            return nullptr;
        QFile f(QString::fromStdString(OsPathFromProgramPath(name)));
        if (!f.open(QIODevice::ReadOnly))
            return nullptr;
        data = f.readAll();
    } else if (type != IMAGE_BITMAP && (fuLoad & LR_SHARED) && cx == 0 && cy == 0) {
        return type == IMAGE_CURSOR ? LoadCursor(hInst, name) : LoadIcon(hInst, name);
    } else {
        UINT kind = type == IMAGE_BITMAP ? RT_BITMAP : type == IMAGE_CURSOR ? RT_CURSOR : RT_ICON;
        const ResImage* res = AfxFindImage(kind, name);
        if (!res)
            return nullptr;
        data = QByteArray(reinterpret_cast<const char*>(res->data), (qsizetype)res->size);
    }
    std::vector<QImage> images = DecodeAll(data);
    if (images.empty())
        return nullptr;
    if (type == IMAGE_BITMAP) {
        QImage img = images.front();
        if (cx > 0 && cy > 0)
            img = img.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        CBitmap bmp;
        if (!bmp.AttachImageData(img))
            return nullptr;
        return bmp.Detach();
    }
    if (cx > 0 && cy > 0)
        images = {PickSize(images, cx, cy)};
    return NewIcon(std::move(images), type == IMAGE_CURSOR ? HotspotOf(data) : QPoint(),
                   Qt::BitmapCursor, false);
}

HICON CopyIcon(HICON hIcon) {
    if (!IsLive(hIcon))
        return nullptr;
    return NewIcon(hIcon->images, hIcon->hotspot, hIcon->shape, false);
}

BOOL DestroyIcon(HICON hIcon) {
    if (!IsLive(hIcon))
        return FALSE;
    // A shared handle stays valid for everyone else who loaded it.
    if (hIcon->shared)
        return TRUE;
    if (g_cursor == hIcon)
        g_cursor = nullptr;
    LiveIcons().erase(hIcon);
    return TRUE;
}

BOOL DestroyCursor(HCURSOR hCursor) {
    return DestroyIcon(hCursor);
}

BOOL AfxIsIcon(HICON hIcon) {
    return IsLive(hIcon);
}

HICON AfxCreateIcon(const QImage& image) {
    if (image.isNull())
        return nullptr;
    return NewIcon({image.convertToFormat(QImage::Format_ARGB32_Premultiplied)}, QPoint(),
                   Qt::BitmapCursor, false);
}

QImage AfxIconImage(HICON hIcon, int cx, int cy) {
    if (!IsLive(hIcon))
        return QImage();
    if (hIcon->images.empty() && hIcon->shape != Qt::BitmapCursor) {
        AfxEnsureGuiApp();
        QCursor c(hIcon->shape);
        QImage img = c.pixmap().toImage();
        if (img.isNull()) {
            // Platforms without cursor pictures (offscreen) still get something to draw.
            img = QImage(cx > 0 ? cx : 32, cy > 0 ? cy : 32, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
        }
        return img;
    }
    return PickSize(hIcon->images, cx, cy);
}

QCursor AfxQCursor(HCURSOR hCursor) {
    if (!hCursor)
        return QCursor(Qt::BlankCursor);
    if (!IsLive(hCursor))
        return QCursor(Qt::ArrowCursor);
    if (hCursor->shape != Qt::BitmapCursor)
        return QCursor(hCursor->shape);
    QImage img =
        PickSize(hCursor->images, GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR));
    return QCursor(QPixmap::fromImage(img), hCursor->hotspot.x(), hCursor->hotspot.y());
}

HCURSOR SetCursor(HCURSOR hCursor) {
    HCURSOR old = std::exchange(g_cursor, hCursor);
    if (QWidget* w = AfxCursorTarget())
        w->setCursor(AfxQCursor(hCursor));
    return old;
}

HCURSOR GetCursor() {
    return g_cursor;
}

BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT,
                HBRUSH hbrFlickerFreeDraw, UINT diFlags) {
    CDC* dc = CDC::FromHandle(hdc);
    if (!dc || !IsLive(hIcon))
        return FALSE;
    if (diFlags & DI_DEFAULTSIZE) {
        if (cxWidth == 0)
            cxWidth = GetSystemMetrics(SM_CXICON);
        if (cyWidth == 0)
            cyWidth = GetSystemMetrics(SM_CYICON);
    }
    QImage img = AfxIconImage(hIcon, cxWidth, cyWidth);
    if (img.isNull())
        return FALSE;
    if (cxWidth <= 0 || cyWidth <= 0) {
        cxWidth = img.width();
        cyWidth = img.height();
    }
    QPainter* p = dc->GetPainter();
    if (!p)
        return FALSE;
    RECT r{xLeft, yTop, xLeft + cxWidth, yTop + cyWidth};
    if (hbrFlickerFreeDraw)
        dc->FillRect(&r, CBrush::FromHandle(hbrFlickerFreeDraw));
    if ((diFlags & DI_NORMAL) == DI_MASK) {
        // The mask alone: black where the icon is opaque, white where it lets the ground show.
        QImage mask(img.size(), QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                mask.setPixel(x, y,
                              qAlpha(img.pixel(x, y)) >= 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        img = mask;
    }
    p->drawImage(QRect(xLeft, yTop, cxWidth, cyWidth), img);
    return TRUE;
}

BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon) {
    return DrawIconEx(hDC, x, y, hIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

CWaitCursor::CWaitCursor() {
    AfxWaitCursor(1);
}

CWaitCursor::~CWaitCursor() {
    AfxWaitCursor(-1);
}

void CWaitCursor::Restore() {
    AfxWaitCursor(0);
}
