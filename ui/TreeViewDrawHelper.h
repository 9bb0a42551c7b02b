// Extra text after a tree item's label (a modified mark, item counts), drawn in the tree's
// custom-draw pass, and the count text itself.
#pragma once

#include "platform/gui/Dc.h"
#include "platform/gui/TreeCtrl.h"

class CTreeViewDrawHelper {
public:
    CTreeViewDrawHelper();

    // Draws text in the colour from offset pixels after the item's label; the 100 pixels there
    // are cleared with the background brush first. Answers the text's width.
    int DrawTextAfterItem(CDC* pDC, HTREEITEM hItem, const CString& text, COLORREF colour,
                          int offset);
    // The owner may paint the cleared strip in its own colour.
    void SetBackgroundColor(COLORREF colour);

    CTreeCtrl* m_pTree = nullptr;
    COLORREF m_bkColor = RGB(255, 255, 255);
    COLORREF m_highlightTextColor;
    CBrush m_highlightBrush;
    CBrush m_buttonFaceBrush;
    CBrush m_bkBrush;
};

// "(own/all)" for a group: nothing when neither is above 0, "(0/all)" without own contents,
// "(n)" when all of them are its own. FALSE when there is no text.
BOOL FormatItemCount(int own, int all, CString& text);
