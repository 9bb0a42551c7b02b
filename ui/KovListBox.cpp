#include "ui/KovListBox.h"

#include "platform/base/OsPath.h"
#include "platform/gui/Icon.h"
#include "ui/ImageWnd.h"

#include <algorithm>

// ---- CKovListBox ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKovListBox, CListBox)
ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

CKovListBox::CKovListBox()
    : m_textColor(GetSysColor(COLOR_BTNTEXT)), m_selTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_selBackColor(GetSysColor(COLOR_HIGHLIGHT)) {}

CKovListBox::~CKovListBox() = default;

UINT CKovListBox::OnGetDlgCode() {
    // The list box's own answer: arrow keys and characters stay with it in a dialog.
    return (UINT)Default();
}

BOOL CKovListBox::SetImageList(CImageList* pList, BOOL bShared) {
    if (bShared && pList == &m_ownImageList)
        return m_imageList != nullptr; // the box's own copy stays its own
    if (bShared) {
        // The private copy is of no further use once the box draws from somebody's list.
        if (!m_sharedImageList)
            m_ownImageList.DeleteImageList();
        m_imageList = pList;
        if (m_imageList)
            m_sharedImageList = TRUE;
        return m_imageList != nullptr;
    }
    // The new copy is made before the old one goes: the list given may be the old copy itself.
    CImageList copy;
    bool copied = pList && pList->GetSafeHandle() && copy.Create(pList);
    if (!m_sharedImageList)
        m_ownImageList.DeleteImageList();
    m_imageList = nullptr;
    if (copied) {
        m_ownImageList.Attach(copy.Detach());
        m_imageList = &m_ownImageList;
        m_sharedImageList = FALSE;
    }
    return m_imageList != nullptr;
}

int CKovListBox::InsertRow(int nRow, LPCTSTR lpszText, std::unique_ptr<SItemInfo> info) {
    const bool keeps = KeepsStrings();
    if (!keeps)
        info->text = lpszText ? lpszText : "";
    SItemInfo* record = info.get();
    size_t at = nRow < 0 || (size_t)nRow > m_itemInfos.size() ? m_itemInfos.size() : (size_t)nRow;
    m_itemInfos.insert(m_itemInfos.begin() + (std::ptrdiff_t)at, std::move(info));
    LPARAM arg = keeps ? (LPARAM)(lpszText ? lpszText : "") : (LPARAM)&record->text;
    int row = nRow < 0 ? (int)SendMessage(LB_ADDSTRING, 0, arg)
                       : (int)SendMessage(LB_INSERTSTRING, (WPARAM)nRow, arg);
    if (row < 0) {
        m_itemInfos.erase(m_itemInfos.begin() + (std::ptrdiff_t)at);
        return row;
    }
    // Keep the records in row order even where the list box put the row elsewhere.
    if ((size_t)row != at && (size_t)row < m_itemInfos.size()) {
        auto moved = std::move(m_itemInfos[at]);
        m_itemInfos.erase(m_itemInfos.begin() + (std::ptrdiff_t)at);
        m_itemInfos.insert(m_itemInfos.begin() + row, std::move(moved));
    }
    return row;
}

int CKovListBox::AddItem(LPCTSTR lpszText, int nImage) {
    auto info = std::make_unique<SItemInfo>();
    info->image = nImage;
    return InsertRow(-1, lpszText, std::move(info));
}

int CKovListBox::GetItemImage(int nRow) const {
    if (nRow < 0 || (size_t)nRow >= m_itemInfos.size())
        return -1;
    return m_itemInfos[(size_t)nRow]->image;
}

void CKovListBox::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
    lpMeasureItemStruct->itemHeight = (UINT)m_itemHeight;
}

void CKovListBox::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    if (!pDC)
        return;
    const int row = (int)lpDrawItemStruct->itemID;
    const bool selected = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;
    CRect rc(lpDrawItemStruct->rcItem);
    int saved = pDC->SaveDC();
    pDC->SetBkMode(TRANSPARENT);
    pDC->FillSolidRect(&rc, selected ? m_selBackColor : m_backColor);
    int x = rc.left + m_imageMargin;
    if (m_imageList && m_imageList->GetSafeHandle() && row >= 0) {
        int image = GetItemImage(row);
        IMAGEINFO info{};
        if (m_imageList->GetImageInfo(image, &info) || m_imageList->GetImageInfo(0, &info)) {
            int cy = info.rcImage.bottom - info.rcImage.top;
            m_imageList->Draw(pDC, image, CPoint(x, rc.top + (rc.Height() - cy) / 2),
                              ILD_TRANSPARENT);
            x += info.rcImage.right - info.rcImage.left;
        }
    }
    CString text;
    if (row >= 0) {
        if (KeepsStrings())
            GetText(row, text);
        else if (lpDrawItemStruct->itemData)
            text = *reinterpret_cast<const CString*>(lpDrawItemStruct->itemData);
    }
    CRect textRect(x + m_textGap, rc.top, rc.right, rc.bottom);
    pDC->SetTextColor(selected ? m_selTextColor : m_textColor);
    pDC->DrawText(text, &textRect, DT_VCENTER | DT_SINGLELINE);
    if (lpDrawItemStruct->itemState & ODS_FOCUS)
        pDC->DrawFocusRect(&rc);
    pDC->RestoreDC(saved);
}

// ---- CImageListBox --------------------------------------------------------------------------

CImageListBox::CImageListBox() {
    m_itemHeight = 96;
}

CImageListBox::~CImageListBox() {
    FreeThumbnails();
}

void CImageListBox::FreeThumbnails() {
    for (auto& info : m_itemInfos) {
        delete info->picture;
        info->picture = nullptr;
    }
}

CImage* CImageListBox::MakeThumbnail(LPCTSTR lpszPath, int side) {
    if (side <= 0)
        return nullptr;
    auto thumb = std::make_unique<CImage>();
    if (!thumb->Create(side, side, 32))
        return nullptr;
    CDC* pDC = CDC::FromHandle(thumb->GetDC());
    if (!pDC)
        return nullptr;
    CRect square(0, 0, side, side);
    pDC->FillSolidRect(&square, RGB(255, 255, 255));
    // The picture arrives no larger than the square: a big photo is decoded small at once.
    CImage picture;
    if (FAILED(picture.Load(lpszPath, side, side))) {
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetTextColor(RGB(0, 0, 0));
        pDC->DrawText("Not Found!", &square, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        // Shrunk smoothly when it is larger, else at its own size; a transparent part shows
        // the white underneath.
        CRect place;
        FitImageInRect(CSize(picture.GetWidth(), picture.GetHeight()), square, &place);
        picture.Draw(pDC->m_hDC, place.left, place.top, place.Width(), place.Height());
    }
    thumb->ReleaseDC();
    return thumb.release();
}

int CImageListBox::AddImageRow(int nRow, LPCTSTR lpszPath) {
    // The row text is the file's name without its folder and extension.
    CString name = lpszPath ? lpszPath : "";
    name = name.Mid(FindLastPathSeparator(name) + 1);
    int dot = name.ReverseFind('.');
    if (dot >= 0)
        name = name.Left(dot);
    auto info = std::make_unique<SItemInfo>();
    info->image = 0;
    SItemInfo* record = info.get();
    int row = InsertRow(nRow, name, std::move(info));
    if (row < 0)
        return row;
    record->picture = MakeThumbnail(lpszPath, m_itemHeight - 6);
    Invalidate();
    return row;
}

int CImageListBox::AddImage(LPCTSTR lpszPath) {
    return AddImageRow(-1, lpszPath);
}

int CImageListBox::InsertImage(int nRow, LPCTSTR lpszPath) {
    return AddImageRow(nRow < 0 ? -1 : nRow, lpszPath);
}

int CImageListBox::ReplaceImage(int nRow, LPCTSTR lpszPath) {
    int result = DeleteImage(nRow);
    if (result < 0)
        return result;
    return InsertImage(nRow, lpszPath);
}

int CImageListBox::DeleteImage(int nRow) {
    if (nRow < 0)
        return -1;
    SetRedraw(FALSE);
    int result = (int)SendMessage(LB_DELETESTRING, (WPARAM)nRow, 0);
    // A row the list box did not have keeps every record as it is.
    if (result >= 0 && (size_t)nRow < m_itemInfos.size()) {
        delete m_itemInfos[(size_t)nRow]->picture;
        m_itemInfos.erase(m_itemInfos.begin() + nRow);
    }
    SetRedraw(TRUE);
    Invalidate();
    return result;
}

void CImageListBox::ResetContent() {
    FreeThumbnails();
    m_itemInfos.clear();
    SendMessage(LB_RESETCONTENT);
}

const CImage* CImageListBox::GetThumbnail(int nRow) const {
    if (nRow < 0 || (size_t)nRow >= m_itemInfos.size())
        return nullptr;
    return m_itemInfos[(size_t)nRow]->picture;
}

void CImageListBox::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    if (!pDC)
        return;
    CRect rc(lpDrawItemStruct->rcItem);
    pDC->FillSolidRect(&rc, m_backColor);
    const int row = (int)lpDrawItemStruct->itemID;
    if (row < 0)
        return;
    if (const CImage* thumb = GetThumbnail(row)) {
        int w = thumb->GetWidth(), h = thumb->GetHeight();
        thumb->BitBlt(pDC->m_hDC, rc.left + (rc.Width() - w) / 2, rc.top + (rc.Height() - h) / 2);
    }
    auto frames = [&](int count, COLORREF colour) {
        CBrush brush(colour);
        CRect r = rc;
        for (int i = 0; i < count; ++i, r.DeflateRect(1, 1))
            pDC->FrameRect(&r, &brush);
    };
    if (lpDrawItemStruct->itemState & ODS_SELECTED)
        frames(3, m_selBackColor);
    if (lpDrawItemStruct->itemState & ODS_FOCUS)
        frames(2, RGB(255, 0, 0));
}

// ---- Image-list helpers ---------------------------------------------------------------------

void AddIconRepeated(CImageList& list, HICON hIcon, int count) {
    for (int i = 0; i < count; ++i)
        list.Add(hIcon);
}

void AddIconResourceRepeated(CImageList& list, UINT nIconId, int count) {
    AddIconRepeated(list, LoadIcon(nullptr, MAKEINTRESOURCE(nIconId)), count);
}

void AddIconResources(CImageList& list, const UINT* pIds, int count) {
    for (int i = 0; pIds && i < count; ++i)
        list.Add(LoadIcon(nullptr, MAKEINTRESOURCE(pIds[i])));
}

void AddMaskedBitmapToImageList(CImageList& list, UINT nBitmapId, COLORREF crMask) {
    CBitmap bitmap;
    if (bitmap.LoadBitmap(nBitmapId))
        list.Add(&bitmap, crMask);
}
