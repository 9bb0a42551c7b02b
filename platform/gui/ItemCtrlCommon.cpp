#include "platform/gui/ItemCtrlCommon.h"

#include "platform/gui/Wnd.h"

#include <cstdlib>

CSize AfxItemImageSize(CImageList* il) {
    IMAGEINFO ii{};
    if (il && il->GetSafeHandle() && il->GetImageCount() > 0 && il->GetImageInfo(0, &ii))
        return CSize(ii.rcImage.right - ii.rcImage.left, ii.rcImage.bottom - ii.rcImage.top);
    return il && il->GetSafeHandle() ? CSize(16, 16) : CSize(0, 0);
}

bool AfxBeyondDragThreshold(CPoint press, CPoint now) {
    return std::abs(now.x - press.x) > kItemDragThreshold ||
           std::abs(now.y - press.y) > kItemDragThreshold;
}

int AfxScrollRequestPos(WPARAM wParam, int pos, int line, int page, int end) {
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        return pos - line;
    case SB_LINEDOWN:
        return pos + line;
    case SB_PAGEUP:
        return pos - page;
    case SB_PAGEDOWN:
        return pos + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        return (short)HIWORD(wParam);
    case SB_TOP:
        return 0;
    case SB_BOTTOM:
        return end;
    default:
        return pos;
    }
}

void AfxItemFocusChanged(CWnd* pCtrl, UINT message) {
    pCtrl->Invalidate(FALSE);
    NMHDR nm{};
    AfxSendNotify(pCtrl, &nm, message == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
}

CFont* AfxSelectStyledFont(CDC* pDC, CFont& holder, bool bold, bool underline) {
    if (!bold && !underline)
        return nullptr;
    LOGFONT lf{};
    pDC->GetCurrentFont()->GetLogFont(&lf);
    if (bold)
        lf.lfWeight = FW_BOLD;
    if (underline)
        lf.lfUnderline = 1;
    holder.CreateFontIndirect(&lf);
    return pDC->SelectObject(&holder);
}

CImageList* AfxImageListOfImage(const QImage& image) {
    auto* list = new CImageList;
    list->Create(image.width(), image.height(), ILC_COLOR32 | ILC_MASK, 1, 1);
    // Bitmaps carry no alpha: the image's transparent ground goes in as the mask (white where
    // nothing is drawn), so that the item shows without a black box around it.
    QImage mask(image.size(), QImage::Format_RGB32);
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            mask.setPixel(x, y, qAlpha(argb.pixel(x, y)) < 128 ? 0xFFFFFFFFu : 0xFF000000u);
    CBitmap bmp, maskBmp;
    bmp.AttachImageData(argb);
    maskBmp.AttachImageData(mask);
    list->Add(&bmp, &maskBmp);
    return list;
}

LRESULT AfxDragImageResult(CImageList* pNewList) {
    if (!pNewList)
        return 0;
    HIMAGELIST h = pNewList->Detach();
    delete pNewList;
    return (LRESULT)h;
}

CEdit* CItemLabelEdit::Open(CWnd* pCtrl, const CRect& r, const CString& text,
                            void (*onEnd)(void* context, bool cancel), void* context) {
    auto e = std::make_unique<CEdit>();
    if (!e->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, r, pCtrl, 1))
        return nullptr;
    e->SetWindowText(text);
    e->SetFont(AfxControlFont(pCtrl));
    e->SetSel(0, -1);
    m_edit = std::move(e);
    // An edit left behind by a window that went while it ended is replaced, not still ending.
    m_ending = false;
    AfxWatchLabelEdit(m_edit.get(), onEnd, context);
    m_edit->SetFocus();
    return m_edit.get();
}

bool CItemLabelEdit::Take(CString& text) {
    if (!m_edit || m_ending)
        return false;
    m_ending = true;
    m_edit->GetWindowText(text);
    return true;
}

void CItemLabelEdit::Close() {
    // The edit may be in the middle of handling its own key: it goes once that is over.
    if (m_edit)
        AfxDestroyLater(m_edit.release());
    m_ending = false;
}
