// Owner-drawn list boxes with pictures: rows of an image-list icon and a text, and a column of
// photo thumbnails made from picture files. Also small helpers that fill image lists from
// resources.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Image.h"
#include "platform/gui/ImageList.h"

#include <memory>
#include <vector>

// What the list box keeps for one row, in row order.
struct SItemInfo {
    int image = 0;             // image-list index of the row
    CImage* picture = nullptr; // the row's thumbnail (owned), thumbnail rows only
    CString text;              // the row text when the list box keeps no strings itself
};

// An owner-drawn (fixed) list box: each row shows an optional image of an image list and a text,
// in the box's own colours. Without LBS_HASSTRINGS each row's item data points at the text kept
// in its record.
class CKovListBox : public CListBox {
public:
    CKovListBox();
    ~CKovListBox() override;

    // shared: the box draws from the list itself, which stays the caller's. Otherwise the box
    // makes and keeps a private copy of it (none when copying fails), freeing the copy it held
    // before. TRUE when the box has a list afterwards.
    BOOL SetImageList(CImageList* pList, BOOL bShared);
    CImageList* GetImageList() const { return m_imageList; }
    // Appends a row; the list box's answer (row index or a negative error).
    int AddItem(LPCTSTR lpszText, int nImage);
    // The image index of a row, -1 when there is no such row.
    int GetItemImage(int nRow) const;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;

    COLORREF m_textColor;
    COLORREF m_selTextColor;
    COLORREF m_backColor = RGB(255, 255, 255);
    COLORREF m_selBackColor;
    int m_imageMargin = 4; // row's left edge to the image
    int m_textGap = 4;     // image (or margin) to the text
    int m_itemHeight = 40;

protected:
    CImageList* m_imageList = nullptr;
    BOOL m_sharedImageList = TRUE;
    // The private copy m_imageList points at when the list is not shared.
    CImageList m_ownImageList;
    std::vector<std::unique_ptr<SItemInfo>> m_itemInfos;

    bool KeepsStrings() const { return (GetStyle() & LBS_HASSTRINGS) != 0; }
    // Adds a record at nRow (the end for -1) and the row for it; the list box's answer. A
    // refused row takes its record away again.
    int InsertRow(int nRow, LPCTSTR lpszText, std::unique_ptr<SItemInfo> info);

    UINT OnGetDlgCode();
    DECLARE_MESSAGE_MAP()
};

// A column of photo thumbnails: each row is made from a picture file, fitted and centred in a
// white square a little smaller than the row; a file that cannot be read shows "Not Found!".
class CImageListBox : public CKovListBox {
public:
    CImageListBox();
    ~CImageListBox() override;

    int AddImage(LPCTSTR lpszPath);
    int InsertImage(int nRow, LPCTSTR lpszPath);
    // Deletes the row and, when that worked, inserts the new picture in its place.
    int ReplaceImage(int nRow, LPCTSTR lpszPath);
    // -1 for a negative row; otherwise the list box's answer. The thumbnail and the record go
    // only with a row the list box actually deleted.
    int DeleteImage(int nRow);
    void ResetContent();

    // The thumbnail of a row (null for none).
    const CImage* GetThumbnail(int nRow) const;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    int AddImageRow(int nRow, LPCTSTR lpszPath);
    // A white square thumbnail side x side of the picture; null when it cannot be made.
    static CImage* MakeThumbnail(LPCTSTR lpszPath, int side);
    void FreeThumbnails();
};

// Adds the same icon count times.
void AddIconRepeated(CImageList& list, HICON hIcon, int count);
// Loads an icon resource and adds it count times.
void AddIconResourceRepeated(CImageList& list, UINT nIconId, int count);
// Loads and adds one icon resource per id, in order.
void AddIconResources(CImageList& list, const UINT* pIds, int count);
// Loads a bitmap resource and adds its images with crMask as the transparent colour.
void AddMaskedBitmapToImageList(CImageList& list, UINT nBitmapId, COLORREF crMask);
