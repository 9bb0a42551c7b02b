#include "ui/SplitterWndEx.h"

#include <algorithm>

CSplitterWndEx::CSplitterWndEx() {
    m_cxSplitter = m_cySplitter = 5;
    m_cxSplitterGap = m_cySplitterGap = 5;
    m_cxBorder = m_cyBorder = 1;
    std::fill(std::begin(m_hiddenRows), std::end(m_hiddenRows), -1);
    std::fill(std::begin(m_hiddenCols), std::end(m_hiddenCols), -1);
}

void CSplitterWndEx::SetBarWidth(int w) {
    m_cySplitter = m_cySplitterGap = w + 4;
}

void CSplitterWndEx::HideRowOrColumn(int index, BOOL bHide, BOOL bRow) {
    if (index < 0 || index >= 16)
        return;
    int* hidden = bRow ? m_hiddenRows : m_hiddenCols;
    if ((hidden[index] >= 0) == (bHide != FALSE))
        return;
    CRowColInfo* info = bRow ? m_pRowInfo : m_pColInfo;
    int& count = bRow ? m_nRows : m_nCols;
    int other = bRow ? m_nCols : m_nRows;
    int before = 0;
    for (int i = 0; i < index; ++i)
        before += hidden[i] >= 0;
    int v = index - before;
    // Pane ids along the changing axis: (v, c) for rows, (c, v) for columns.
    auto paneId = [&](int along, int across) {
        return bRow ? IdFromRowCol(along, across) : IdFromRowCol(across, along);
    };
    auto hiddenId = [&](int across) {
        return bRow ? HiddenId(index, across) : HiddenId(across, index);
    };
    if (bHide) {
        if (count <= 1 || v >= count)
            return;
        hidden[index] = info[v].nCurSize;
        int activeRow, activeCol;
        if (GetActivePane(&activeRow, &activeCol)) {
            int activeAlong = bRow ? activeRow : activeCol;
            if (activeAlong == v) {
                int next = (v + 1) % count;
                SetActivePane(bRow ? next : activeRow, bRow ? activeCol : next);
            }
        }
        for (int c = 0; c < other; ++c) {
            if (CWnd* pane = GetDlgItem(paneId(v, c))) {
                pane->ShowWindow(SW_HIDE);
                pane->SetDlgCtrlID(hiddenId(c));
            }
            for (int r = v + 1; r < count; ++r)
                if (CWnd* pane = GetDlgItem(paneId(r, c)))
                    pane->SetDlgCtrlID(paneId(r - 1, c));
        }
        for (int r = v; r < count - 1; ++r)
            info[r] = info[r + 1];
        --count;
    } else {
        int size = hidden[index];
        hidden[index] = -1;
        ++count;
        for (int c = 0; c < other; ++c) {
            for (int r = count - 2; r >= v; --r)
                if (CWnd* pane = GetDlgItem(paneId(r, c)))
                    pane->SetDlgCtrlID(paneId(r + 1, c));
            if (CWnd* pane = GetDlgItem(hiddenId(c))) {
                pane->SetDlgCtrlID(paneId(v, c));
                pane->ShowWindow(SW_SHOWNOACTIVATE);
            }
        }
        for (int r = count - 1; r > v; --r)
            info[r] = info[r - 1];
        info[v].nIdealSize = size;
    }
    RecalcLayout();
}

CWnd* CSplitterWndEx::GetPaneEx(int row, int col) const {
    if (IsRowHidden(row) || IsColumnHidden(col))
        return GetDlgItem(HiddenId(row, col));
    int r = row, c = col;
    for (int i = 0; i < row; ++i)
        r -= m_hiddenRows[i] >= 0;
    for (int i = 0; i < col; ++i)
        c -= m_hiddenCols[i] >= 0;
    return GetPane(r, c);
}

int CSplitterWndEx::GetColumnSize(int col) const {
    if (IsColumnHidden(col))
        return m_hiddenCols[col];
    int c = col;
    for (int i = 0; i < col; ++i)
        c -= m_hiddenCols[i] >= 0;
    return c < m_nCols ? m_pColInfo[c].nCurSize : 0;
}

void CSplitterWndEx::OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect) {
    if (!pDC || nType != splitBorder) {
        CSplitterWnd::OnDrawSplitter(pDC, nType, rect);
        return;
    }
    CBrush brush(m_crBar);
    pDC->FrameRect(&rect, &brush);
}

void CSplitterWndEx::StartTracking(int ht) {
    CWnd* focus = CWnd::GetFocus();
    m_hFocusBeforeDrag = focus ? focus->m_hWnd : nullptr;
    CSplitterWnd::StartTracking(ht);
}

void CSplitterWndEx::StopTracking(BOOL bAccept) {
    BOOL wasTracking = m_bTracking;
    CSplitterWnd::StopTracking(bAccept);
    if (!wasTracking)
        return;
    if (CWnd* focus = CWnd::FromHandle(m_hFocusBeforeDrag))
        focus->SetFocus();
    m_hFocusBeforeDrag = nullptr;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
