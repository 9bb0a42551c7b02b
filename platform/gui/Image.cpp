#include "platform/gui/Image.h"

#include "platform/base/OsPath.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- Whether a file holds its whole picture -------------------------------------------------
//
// Several decoders hand out what they could read of a file cut short, with the rest grey or
// black; a picture that shows half a face is worse than none. Each check walks the file's own
// structure as far as the first picture's data reaches.

struct Bytes {
    const unsigned char* p;
    size_t n;
    unsigned U8(size_t at) const { return at < n ? p[at] : 0; }
    unsigned Le16(size_t at) const { return U8(at) | (U8(at + 1) << 8); }
    unsigned long Le32(size_t at) const { return Le16(at) | ((unsigned long)Le16(at + 2) << 16); }
    unsigned Be16(size_t at) const { return (U8(at) << 8) | U8(at + 1); }
    unsigned long Be32(size_t at) const { return ((unsigned long)Be16(at) << 16) | Be16(at + 2); }
};

// Uncompressed rows (or the declared compressed size) end within the file.
bool BmpComplete(const Bytes& b) {
    if (b.n < 26)
        return false;
    unsigned long offBits = b.Le32(10), header = b.Le32(14);
    long long width, height;
    unsigned bpp;
    unsigned long compression = 0, sizeImage = 0;
    if (header == 12) {
        width = b.Le16(18), height = b.Le16(20), bpp = b.Le16(24);
    } else {
        if (b.n < 38)
            return false;
        width = (int32_t)b.Le32(18), height = (int32_t)b.Le32(22), bpp = b.Le16(28);
        compression = b.Le32(30), sizeImage = b.Le32(34);
    }
    const unsigned long long n = b.n;
    if (compression == 0 || compression == 3) {
        unsigned long long stride = ((unsigned long long)std::llabs(width) * bpp + 31) / 32 * 4;
        return offBits + stride * (unsigned long long)std::llabs(height) <= n;
    }
    // Run-length and embedded formats say how long their data is.
    return sizeImage == 0 || offBits + (unsigned long long)sizeImage <= n;
}

// Chunks follow each other to IEND.
bool PngComplete(const Bytes& b) {
    size_t at = 8;
    while (at + 12 <= b.n) {
        unsigned long long len = b.Be32(at);
        if (std::memcmp(b.p + at + 4, "IEND", 4) == 0)
            return true;
        at += 12 + len;
        if (len > b.n)
            return false;
    }
    return false;
}

// The first scan's entropy data, and any later segments and scans, run to the end marker.
bool JpegComplete(const Bytes& b) {
    size_t at = 2;
    bool inScan = false;
    while (at + 1 < b.n) {
        if (inScan) {
            if (b.p[at] != 0xFF) {
                ++at;
                continue;
            }
            unsigned m = b.p[at + 1];
            if (m == 0x00 || m == 0xFF || (m >= 0xD0 && m <= 0xD7)) {
                at += m == 0xFF ? 1 : 2;
                continue;
            }
            inScan = false;
        }
        if (b.p[at] != 0xFF)
            return false;
        unsigned m = b.p[at + 1];
        if (m == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (m == 0xD9)
            return true;
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD8)) {
            at += 2;
            continue;
        }
        if (at + 4 > b.n)
            return false;
        at += 2 + b.Be16(at + 2);
        if (m == 0xDA)
            inScan = true;
    }
    return false;
}

// Blocks follow each other through the first image's data sub-blocks.
bool GifComplete(const Bytes& b) {
    if (b.n < 13)
        return false;
    size_t at = 13;
    if (b.U8(10) & 0x80)
        at += 3u << ((b.U8(10) & 7) + 1);
    auto skipSubBlocks = [&](size_t& pos) {
        while (pos < b.n) {
            unsigned len = b.p[pos];
            pos += 1 + len;
            if (len == 0)
                return pos <= b.n;
        }
        return false;
    };
    while (at < b.n) {
        unsigned kind = b.p[at];
        if (kind == 0x21) {
            at += 2;
            if (!skipSubBlocks(at))
                return false;
        } else if (kind == 0x2C) {
            if (at + 10 > b.n)
                return false;
            unsigned packed = b.U8(at + 9);
            at += 10;
            if (packed & 0x80)
                at += 3u << ((packed & 7) + 1);
            at += 1; // the code size
            return skipSubBlocks(at);
        } else {
            return false; // the trailer before any image, or garbage
        }
    }
    return false;
}

// Every strip or tile of the first directory lies within the file.
bool TiffComplete(const Bytes& b) {
    if (b.n < 8)
        return false;
    const bool le = b.p[0] == 'I';
    auto u16 = [&](size_t at) { return le ? b.Le16(at) : b.Be16(at); };
    auto u32 = [&](size_t at) { return le ? b.Le32(at) : b.Be32(at); };
    if (u16(2) != 42)
        return u16(2) == 43; // the large variant is left to its decoder
    unsigned long long ifd = u32(4);
    if (ifd + 2 > b.n)
        return false;
    unsigned count = u16(ifd);
    if (ifd + 2 + 12ull * count > b.n)
        return false;
    // Values of a tag: inline when they fit in four bytes, else at an offset.
    auto values = [&](unsigned tag, std::vector<unsigned long long>& out) {
        for (unsigned i = 0; i < count; ++i) {
            size_t e = ifd + 2 + 12 * i;
            if (u16(e) != tag)
                continue;
            unsigned type = u16(e + 2);
            unsigned long long n = u32(e + 4);
            unsigned size = type == 3 ? 2 : type == 4 ? 4 : 0;
            if (!size || n > b.n)
                return false;
            size_t at = n * size <= 4 ? e + 8 : u32(e + 8);
            if (at + n * size > b.n)
                return false;
            for (unsigned long long k = 0; k < n; ++k)
                out.push_back(size == 2 ? u16(at + k * 2) : u32(at + k * 4));
            return true;
        }
        return false;
    };
    for (auto [offTag, lenTag] : {std::pair{273u, 279u}, std::pair{324u, 325u}}) {
        std::vector<unsigned long long> offs, lens;
        if (!values(offTag, offs))
            continue;
        if (!values(lenTag, lens) || lens.size() != offs.size())
            return false;
        for (size_t i = 0; i < offs.size(); ++i)
            if (offs[i] + lens[i] > b.n)
                return false;
        return true;
    }
    return false;
}

bool Complete(const QByteArray& format, const QByteArray& data) {
    Bytes b{reinterpret_cast<const unsigned char*>(data.constData()), (size_t)data.size()};
    if (format == "bmp")
        return BmpComplete(b);
    if (format == "png")
        return PngComplete(b);
    if (format == "jpeg")
        return JpegComplete(b);
    if (format == "gif")
        return GifComplete(b);
    if (format == "tiff")
        return TiffComplete(b);
    return format == "ico"; // its decoder refuses a short file itself
}

// The whole of a regular file of at most the limit; false for anything else. The file is opened
// without waiting, so a pipe or a device named as a picture never holds the program up.
bool ReadRegularFile(const std::string& path, QByteArray& out) {
    struct stat st {};
    auto fits = [](const struct stat& s) {
        return S_ISREG(s.st_mode) && s.st_size > 0 && s.st_size <= AFX_MAX_IMAGE_FILE;
    };
    if (::stat(path.c_str(), &st) != 0 || !fits(st))
        return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // The name may have changed hands since it was looked at.
    if (::fstat(fd, &st) != 0 || !fits(st)) {
        ::close(fd);
        return false;
    }
    out.resize((qsizetype)st.st_size);
    qsizetype got = 0;
    while (got < out.size()) {
        ssize_t r = ::read(fd, out.data() + got, (size_t)(out.size() - got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += r;
    }
    ::close(fd);
    out.resize(got);
    return got > 0;
}

QSize FitWithin(QSize size, SIZE bound) {
    double scale = std::max((double)size.width() / bound.cx, (double)size.height() / bound.cy);
    return QSize(std::max(1, (int)(size.width() / scale)), std::max(1, (int)(size.height() / scale)));
}

} // namespace

QImage AfxDecodeImage(const QByteArray& data, SIZE bound) {
    if (data.isEmpty())
        return QImage();
    QByteArray bytes = data; // shares the data; the buffer only reads
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return QImage();
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    static const char* const kFormats[] = {"bmp", "jpeg", "png", "gif", "ico", "tiff"};
    if (std::none_of(std::begin(kFormats), std::end(kFormats),
                     [&](const char* f) { return format == f; }) ||
        !Complete(format, data))
        return QImage();
    const bool bounded = bound.cx > 0 && bound.cy > 0;
    QSize size = reader.size();
    // A picture too large to hold at its own size is refused even where it would be decoded
    // smaller, so the same file never shows in one window and fails in another.
    const long long limit = (long long)QImageReader::allocationLimit() << 20;
    if (size.isValid() && limit > 0 && (long long)size.width() * size.height() * 4 > limit)
        return QImage();
    if (bounded && size.isValid() && (size.width() > bound.cx || size.height() > bound.cy) &&
        reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(FitWithin(size, bound));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return QImage();
    if (bounded && (image.width() > bound.cx || image.height() > bound.cy))
        image = image.scaled(FitWithin(image.size(), bound), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    return image;
}

QImage AfxReadImageFile(LPCTSTR lpszPath, SIZE bound) {
    if (!lpszPath || !*lpszPath)
        return QImage();
    QByteArray data;
    if (!ReadRegularFile(OsPathFromProgramPath(lpszPath), data))
        return QImage();
    return AfxDecodeImage(data, bound);
}

// ---- CImage ---------------------------------------------------------------------------------

CImage::CImage() = default;

CImage::~CImage() {
    Destroy();
}

HRESULT CImage::Load(LPCTSTR lpszPath) {
    return Load(lpszPath, 0, 0);
}

HRESULT CImage::Load(LPCTSTR lpszPath, int cx, int cy) {
    Destroy();
    QImage image = AfxReadImageFile(lpszPath, SIZE{cx, cy});
    if (image.isNull())
        return E_FAIL;
    // Drawing and blits work on 32-bit pixels; transparency is kept.
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                          : QImage::Format_RGB32);
    if (image.isNull())
        return E_FAIL;
    m_image = std::make_unique<QImage>(std::move(image));
    return S_OK;
}

BOOL CImage::Create(int nWidth, int nHeight, int nBPP, DWORD) {
    Destroy();
    if (nWidth <= 0 || nHeight == 0)
        return FALSE;
    auto image = std::make_unique<QImage>(nWidth, std::abs(nHeight),
                                          nBPP == 32 ? QImage::Format_ARGB32
                                                     : QImage::Format_RGB32);
    if (image->isNull())
        return FALSE;
    image->fill(nBPP == 32 ? Qt::transparent : Qt::black);
    m_image = std::move(image);
    return TRUE;
}

void CImage::Destroy() {
    m_dc.reset();
    m_dcRefs = 0;
    m_image.reset();
}

bool CImage::IsNull() const {
    return !m_image;
}
int CImage::GetWidth() const {
    return m_image ? m_image->width() : 0;
}
int CImage::GetHeight() const {
    return m_image ? m_image->height() : 0;
}
int CImage::GetBPP() const {
    return m_image ? (m_image->format() == QImage::Format_ARGB32 ? 32 : 24) : 0;
}

HDC CImage::GetDC() const {
    if (!m_image)
        return nullptr;
    if (!m_dc) {
        m_dc = std::make_unique<CDC>();
        if (!m_dc->AttachImage(m_image.get())) {
            m_dc.reset();
            return nullptr;
        }
    }
    ++m_dcRefs;
    return m_dc->m_hDC;
}

void CImage::ReleaseDC() const {
    if (m_dcRefs > 0 && --m_dcRefs == 0)
        m_dc.reset(); // ends the painting, so the pixels are final
}

CDC* CImage::SourceDC(std::unique_ptr<CDC>& scratch) const {
    if (!m_image)
        return nullptr;
    if (m_dc)
        return m_dc.get();
    scratch = std::make_unique<CDC>();
    return scratch->AttachImage(const_cast<QImage*>(m_image.get())) ? scratch.get() : nullptr;
}

BOOL CImage::BitBlt(HDC hDestDC, int xDest, int yDest, DWORD dwROP) const {
    return BitBlt(hDestDC, xDest, yDest, GetWidth(), GetHeight(), 0, 0, dwROP);
}

BOOL CImage::BitBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight, int xSrc,
                    int ySrc, DWORD dwROP) const {
    return StretchBlt(hDestDC, xDest, yDest, nDestWidth, nDestHeight, xSrc, ySrc, nDestWidth,
                      nDestHeight, dwROP);
}

BOOL CImage::StretchBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight,
                        DWORD dwROP) const {
    return StretchBlt(hDestDC, xDest, yDest, nDestWidth, nDestHeight, 0, 0, GetWidth(),
                      GetHeight(), dwROP);
}

BOOL CImage::StretchBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight,
                        int xSrc, int ySrc, int nSrcWidth, int nSrcHeight, DWORD dwROP) const {
    CDC* dest = CDC::FromHandle(hDestDC);
    std::unique_ptr<CDC> scratch;
    CDC* src = SourceDC(scratch);
    if (!dest || !src)
        return FALSE;
    return dest->StretchBlt(xDest, yDest, nDestWidth, nDestHeight, src, xSrc, ySrc, nSrcWidth,
                            nSrcHeight, dwROP);
}

BOOL CImage::Draw(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight) const {
    CDC* dest = CDC::FromHandle(hDestDC);
    QPainter* p = dest && m_image ? dest->GetPainter() : nullptr;
    if (!p)
        return FALSE;
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setRenderHint(QPainter::SmoothPixmapTransform, true);
    p->drawImage(QRect(xDest, yDest, nDestWidth, nDestHeight), *m_image);
    p->restore();
    return TRUE;
}
