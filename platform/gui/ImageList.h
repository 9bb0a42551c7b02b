// Image lists: equally sized images kept with their masks (as alpha), overlay images addressed
// by number, drawing with the classic flags, and the one drag image of the process.
#pragma once

#include "platform/base/Object.h"
#include "platform/gui/CommCtrl.h"
#include "platform/gui/Dc.h"

struct ImageListData;
typedef ImageListData* HIMAGELIST;

#define ILC_MASK 0x00000001
#define ILC_COLOR 0x00000000
#define ILC_COLOR4 0x00000004
#define ILC_COLOR8 0x00000008
#define ILC_COLOR16 0x00000010
#define ILC_COLOR24 0x00000018
#define ILC_COLOR32 0x00000020

#define ILD_NORMAL 0x00000000
#define ILD_TRANSPARENT 0x00000001
#define ILD_BLEND25 0x00000002
#define ILD_FOCUS ILD_BLEND25
#define ILD_BLEND50 0x00000004
#define ILD_SELECTED ILD_BLEND50
#define ILD_BLEND ILD_BLEND50
#define ILD_MASK 0x00000010
#define ILD_IMAGE 0x00000020
#define ILD_OVERLAYMASK 0x00000F00

struct IMAGEINFO {
    HBITMAP hbmImage;
    HBITMAP hbmMask;
    int Unused1;
    int Unused2;
    RECT rcImage;
};

class CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)
public:
    HIMAGELIST m_hImageList = nullptr;

    CImageList() = default;
    ~CImageList() override;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    // A wrapper for a handle that never owns it (the same object for the same handle).
    static CImageList* FromHandle(HIMAGELIST h);

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Cuts a bitmap resource into images of width cx; crMask pixels become transparent.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    // A private copy of another list (images, overlays, background colour).
    BOOL Create(CImageList* pImageList);
    BOOL DeleteImageList();
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();

    int GetImageCount() const;
    BOOL GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const;
    BOOL SetImageCount(UINT uNewCount);
    // Adds every image of a strip as wide as a multiple of the image width; the mask bitmap's
    // set (white) pixels are transparent. Answers the index of the first image, -1 on failure.
    int Add(CBitmap* pbmImage, CBitmap* pbmMask);
    int Add(CBitmap* pbmImage, COLORREF crMask);
    // Adds an icon's picture of the list's size (scaled from the nearest one it has); -1 for a
    // null or bad icon.
    int Add(HICON hIcon);
    BOOL Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask);
    BOOL Remove(int nImage); // -1 removes every image
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;
    // Makes image nImage the overlay number nOverlay (1..15).
    BOOL SetOverlayImage(int nImage, int nOverlay);

    // Draws image nImage with ILD_ flags; the overlay number in the ILD_OVERLAYMASK bits is
    // drawn over it.
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);
    BOOL DrawIndirect(CDC* pDC, int nImage, POINT pt, SIZE sz, POINT ptOrigin, UINT fStyle,
                      DWORD dwRop = SRCCOPY, COLORREF rgbBack = CLR_DEFAULT,
                      COLORREF rgbFore = CLR_DEFAULT);

    // The drag image. One exists in the process at a time; its position is in screen
    // coordinates while it is entered into a window.
    BOOL BeginDrag(int nImage, CPoint ptHotSpot);
    static void EndDrag();
    static BOOL DragEnter(CWnd* pWndLock, CPoint point);
    static BOOL DragLeave(CWnd* pWndLock);
    static BOOL DragMove(CPoint pt);
    static BOOL DragShowNolock(BOOL bShow);
    BOOL SetDragCursorImage(int nDrag, CPoint ptHotSpot);
    // The list of the drag in progress (null when none); the point gives the hot spot.
    static CImageList* GetDragImage(LPPOINT lpPoint, LPPOINT lpPointHotSpot);

    // The pixels of one image (a null image for a bad index).
    QImage GetImage(int nImage) const;
};

// The on-screen part of a drag for tests: whether the drag image shows, and where its top-left
// corner is in screen coordinates.
BOOL AfxGetDragImageState(POINT* pTopLeft);
