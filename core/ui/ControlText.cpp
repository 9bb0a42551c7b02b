#include "core/ui/ControlText.h"

#include "core/HanziString.h"
#include "platform/gui/Dc.h"
#include "platform/gui/ListCtrl.h"

BOOL FitTextWithEllipsis(CDC* pDC, CString& text, int nWidth) {
    if (pDC == nullptr || pDC->GetTextExtent(text).cx <= nWidth)
        return FALSE;
    static const char kEllipsis[] = "...";
    // Shortened by whole characters from the end, so that a Chinese character is never cut into
    // a lone lead byte that would show as a wrong character.
    int nChars = CountDoubleByteAwareChars(text);
    CString shortened;
    while (nChars > 0) {
        shortened = MidByChars(text, 0, --nChars);
        if (pDC->GetTextExtent(shortened + kEllipsis).cx <= nWidth)
            break;
    }
    text = shortened + kEllipsis;
    return TRUE;
}

int GetListCtrlColumnTexts(const CListCtrl& listCtrl, CStringList& list, int nColumn) {
    const int rows = listCtrl.GetItemCount();
    for (int row = 0; row < rows; ++row)
        list.AddTail(listCtrl.GetItemText(row, nColumn));
    return rows;
}
