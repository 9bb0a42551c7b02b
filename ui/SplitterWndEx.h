// A static splitter whose rows and columns can be hidden and shown again without destroying
// their panes, drawn with thin bars and a fixed border colour, and which gives the keyboard focus
// back after a bar is dragged.
#pragma once

#include "platform/gui/Splitter.h"

class CSplitterWndEx : public CSplitterWnd {
public:
    CSplitterWndEx();

    // Bars between rows and their gaps become w + 4 high.
    void SetBarWidth(int w);
    void SetNested(BOOL bNested) { m_bNested = bNested; }
    BOOL IsRowHidden(int i) const { return i >= 0 && i < 16 && m_hiddenRows[i] >= 0; }
    BOOL IsColumnHidden(int i) const { return i >= 0 && i < 16 && m_hiddenCols[i] >= 0; }
    // Hides or shows row (bRow) or column index, counted with the hidden ones.
    void HideRowOrColumn(int index, BOOL bHide, BOOL bRow);
    void HideColumn(int index, BOOL bHide = TRUE) { HideRowOrColumn(index, bHide, FALSE); }
    // The pane at absolute row and column (hidden ones counted).
    CWnd* GetPaneEx(int row, int col) const;
    // The saved width of a hidden column, else its current width.
    int GetColumnSize(int col) const;

    // Where hidden panes keep their windows: outside the pane id range.
    static int HiddenId(int row, int col) { return 0xEA00 + 16 * row + col; }

    // Bars are hit a border's width beyond their edges, on both sides.
    void GetHitRect(int ht, CRect& rect) override;

    // The window a nested splitter draws its bars and tracker on: 0 the main window, 2 the
    // parent, 3 the top-level frame, 4 the top-level parent, 5 the parent frame, any other value
    // the splitter itself.
    int m_nDrawWindow = 0;
    COLORREF m_crBar = 0xB99D7F;

protected:
    void OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect) override;
    void DrawAllSplitBars(CDC* pDC, int cxInside, int cyInside) override;
    void OnInvertTracker(const CRect& rect) override;
    void StartTracking(int ht) override;
    void StopTracking(BOOL bAccept) override;
    void TrackColumnSize(int x, int col) override;
    void TrackRowSize(int y, int row) override;
    // The window drawing goes to: the chosen one when nested, else the splitter.
    CWnd* GetDrawWindow();

    BOOL m_bNested = FALSE;
    HWND m_hFocusBeforeDrag = nullptr;
    int m_hiddenRows[16];
    int m_hiddenCols[16];
};
