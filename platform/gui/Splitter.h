// The static splitter: panes in rows and columns with bars between them that the user drags.
// Rows and columns have an ideal and a minimum size; the last row and column take what is left,
// and one that would be smaller than its minimum gets nothing. Drawing, hit testing and tracking
// are virtual steps that a derived splitter changes.
#pragma once

#include "platform/gui/View.h"

#include <vector>

class CSplitterWnd : public CWnd {
    DECLARE_DYNCREATE(CSplitterWnd)
public:
    CSplitterWnd();
    ~CSplitterWnd() override;

    BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = AFX_IDW_PANE_FIRST);
    // Makes the pane at (row, col) from a runtime class; sizeInit gives the column's width and
    // the row's height as their ideal sizes.
    virtual BOOL CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit,
                            CCreateContext* pContext);

    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    void GetRowInfo(int row, int& cyCur, int& cyMin) const;
    void SetRowInfo(int row, int cyIdeal, int cyMin);
    void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
    void SetColumnInfo(int col, int cxIdeal, int cxMin);

    CWnd* GetPane(int row, int col) const;
    BOOL IsChildPane(CWnd* pWnd, int* pRow, int* pCol);
    int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
    virtual CWnd* GetActivePane(int* pRow = nullptr, int* pCol = nullptr);
    virtual void SetActivePane(int row, int col, CWnd* pWnd = nullptr);
    // F6 and Shift+F6: the keyboard focus goes to the next (previous) shown pane, to the pane's
    // view when it has one, else to the first control in it that takes the focus from the
    // keyboard. CanActivateNext tells whether there is another pane to go to.
    virtual BOOL CanActivateNext(BOOL bPrev = FALSE);
    virtual void ActivateNext(BOOL bPrev = FALSE);
    // Tab and Shift+Tab pressed in a pane's window that has no use for Tab (a list, a tree) go
    // to the next or previous pane, as F6 and Shift+F6 do.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    virtual void RecalcLayout();

    // Splitter element kinds for OnDrawSplitter.
    enum ESplitType { splitBox, splitBar, splitIntersection, splitBorder };
    // Hit-test codes: vSplitterBar1..15 (between columns) and hSplitterBar1..15 (between rows).
    enum HitTestValue {
        noHit = 0,
        vSplitterBox = 1,
        hSplitterBox = 2,
        bothSplitterBox = 3,
        vSplitterBar1 = 101,
        vSplitterBar15 = 115,
        hSplitterBar1 = 201,
        hSplitterBar15 = 215,
        splitterIntersection1 = 301,
        splitterIntersection225 = 525
    };

    // The rectangle a tracked bar may move in and the rectangle of the bar for a hit code.
    virtual void GetHitRect(int ht, CRect& rect);
    virtual int HitTest(CPoint pt) const;

protected:
    struct CRowColInfo {
        int nMinSize;
        int nIdealSize;
        int nCurSize;
    };

    virtual void OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect);
    virtual void DrawAllSplitBars(CDC* pDC, int cxInside, int cyInside);
    virtual void OnInvertTracker(const CRect& rect);
    virtual void StartTracking(int ht);
    virtual void StopTracking(BOOL bAccept);
    virtual void TrackRowSize(int y, int row);
    virtual void TrackColumnSize(int x, int col);
    void GetInsideRect(CRect& rect) const;
    // The panes now shown, row by row.
    std::vector<CWnd*> ShownPanes() const;

    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnMouseMove(UINT nFlags, CPoint pt);
    void OnLButtonDown(UINT nFlags, CPoint pt);
    void OnLButtonUp(UINT nFlags, CPoint pt);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void PostNcDestroy() override {}

    // Sizes of the bars and borders, in pixels.
    int m_cxSplitter = 7, m_cySplitter = 7;
    int m_cxBorderShare = 1, m_cyBorderShare = 1;
    int m_cxSplitterGap = 7, m_cySplitterGap = 7;
    int m_cxBorder = 2, m_cyBorder = 2;

    int m_nMaxRows = 0, m_nMaxCols = 0;
    int m_nRows = 0, m_nCols = 0;
    BOOL m_bHasHScroll = FALSE, m_bHasVScroll = FALSE;
    CRowColInfo* m_pColInfo = nullptr;
    CRowColInfo* m_pRowInfo = nullptr;

    BOOL m_bTracking = FALSE;
    BOOL m_bTracking2 = FALSE;
    CPoint m_ptTrackOffset;
    CRect m_rectLimit;
    CRect m_rectTracker;
    CRect m_rectTracker2;
    int m_htTrack = noHit;
    // Where the tracker was last shown (drawn with the next paint), empty when hidden.
    CRect m_rectTrackerShown;

    DECLARE_MESSAGE_MAP()
};
