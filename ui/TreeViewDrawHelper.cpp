#include "ui/TreeViewDrawHelper.h"

#include "platform/gui/Wnd.h"

CTreeViewDrawHelper::CTreeViewDrawHelper() {
    m_highlightTextColor = GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_highlightBrush.CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
    m_buttonFaceBrush.CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    m_bkBrush.CreateSolidBrush(m_bkColor);
}

void CTreeViewDrawHelper::SetBackgroundColor(COLORREF colour) {
    m_bkColor = colour;
    m_bkBrush.DeleteObject();
    m_bkBrush.CreateSolidBrush(colour);
}

int CTreeViewDrawHelper::DrawTextAfterItem(CDC* pDC, HTREEITEM hItem, const CString& text,
                                           COLORREF colour, int offset) {
    if (pDC == nullptr || m_pTree == nullptr || hItem == nullptr)
        return 0;
    CRect label;
    if (!m_pTree->GetItemRect(hItem, &label, TRUE))
        return 0;
    CRect rc(label.right + offset, label.top, label.right + offset + 100, label.bottom);
    pDC->FillRect(&rc, &m_bkBrush);
    CSize extent = pDC->GetTextExtent(text);
    // Text longer than the cleared strip is still drawn to its own width.
    CRect textRect = rc;
    textRect.right = std::max(rc.right, rc.left + (int)extent.cx);
    COLORREF oldColour = pDC->SetTextColor(colour);
    int oldMode = pDC->SetBkMode(TRANSPARENT);
    pDC->DrawText(text, &textRect, DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS | DT_NOPREFIX);
    pDC->SetBkMode(oldMode);
    pDC->SetTextColor(oldColour);
    return extent.cx;
}

BOOL FormatItemCount(int own, int all, CString& text) {
    if (own <= 0 && all <= 0)
        return FALSE;
    if (own <= 0)
        text.Format("(0/%d)", all);
    else if (own == all)
        text.Format("(%d)", own);
    else
        text.Format("(%d/%d)", own, all);
    return TRUE;
}
