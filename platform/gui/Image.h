// Picture files and the image object the windows draw them with.
//
// A picture is read from a program path (GBK, either separator, any case) by its content, not by
// its name: BMP, JPEG, PNG, GIF (its first frame), ICO and TIFF. Anything else fails the same way
// a missing file does: a file cut short, a folder, a device or a pipe, a file over 64 MB, a
// picture too large to hold in memory, and the metafile formats.
#pragma once

#include "platform/gui/Dc.h"

#include <QImage>
#include <memory>

#ifndef S_OK
typedef LONG HRESULT;
#define S_OK ((HRESULT)0L)
#define E_FAIL ((HRESULT)0x80004005L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif

// The largest picture file read, in bytes.
constexpr long long AFX_MAX_IMAGE_FILE = 64ll << 20;

// The picture in a file; a null image when it cannot be read. A bound of 0 x 0 reads the picture
// at its size; otherwise a picture larger than the bound comes already shrunk to fit within it,
// keeping its proportions (a JPEG is decoded at the smaller size, which is much faster).
QImage AfxReadImageFile(LPCTSTR lpszPath, SIZE bound = SIZE{0, 0});
// The same for bytes already in memory.
QImage AfxDecodeImage(const QByteArray& data, SIZE bound = SIZE{0, 0});

// An image of its own pixels: loaded from a file or created blank, drawn onto any DC with the
// DC's stretch mode, and drawn on through a memory DC of its own.
class CImage {
public:
    CImage();
    ~CImage();
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    HRESULT Load(LPCTSTR lpszPath);
    // Loads the picture shrunk to fit within cx x cy when it is larger (see AfxReadImageFile).
    HRESULT Load(LPCTSTR lpszPath, int cx, int cy);
    // A blank image, black; nBPP 32 or 24 (any other depth is held as 24).
    BOOL Create(int nWidth, int nHeight, int nBPP, DWORD dwFlags = 0);
    void Destroy();
    bool IsNull() const;
    int GetWidth() const;
    int GetHeight() const;
    int GetBPP() const;

    // A memory DC drawing on the image, handed out until as many ReleaseDC calls.
    HDC GetDC() const;
    void ReleaseDC() const;

    // Copies (part of) the image to a DC with a raster operation.
    BOOL BitBlt(HDC hDestDC, int xDest, int yDest, DWORD dwROP = SRCCOPY) const;
    BOOL BitBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight, int xSrc,
                int ySrc, DWORD dwROP = SRCCOPY) const;
    // Stretches the whole image (or a part of it) into a rectangle, by the DC's stretch mode.
    BOOL StretchBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight,
                    DWORD dwROP = SRCCOPY) const;
    BOOL StretchBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight, int xSrc,
                    int ySrc, int nSrcWidth, int nSrcHeight, DWORD dwROP = SRCCOPY) const;

    // Draws the image over what is there, by its transparency, stretched smoothly into the
    // rectangle when the sizes differ.
    BOOL Draw(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight) const;

    // The pixels (null without an image).
    const QImage* GetQImage() const { return m_image.get(); }
    QImage* GetQImage() { return m_image.get(); }

private:
    std::unique_ptr<QImage> m_image;
    mutable std::unique_ptr<CDC> m_dc;
    mutable int m_dcRefs = 0;
    // The DC the blits read from: the one handed out, or a new one on the pixels.
    CDC* SourceDC(std::unique_ptr<CDC>& scratch) const;
};
