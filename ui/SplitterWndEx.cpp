#include "ui/SplitterWndEx.h"

#include "platform/gui/Dc.h"
#include "platform/gui/Frame.h"
#include "platform/gui/WinApp.h"

#include <algorithm>
#include <optional>

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

CWnd* CSplitterWndEx::GetDrawWindow() {
    if (!m_bNested)
        return this;
    CWnd* wnd = this;
    switch (m_nDrawWindow) {
    case 0:
        wnd = AfxGetMainWnd();
        break;
    case 2:
        wnd = GetParent();
        break;
    case 3:
        wnd = GetTopLevelFrame();
        break;
    case 4:
        wnd = GetTopLevelParent();
        break;
    case 5:
        wnd = GetParentFrame();
        break;
    default:
        break;
    }
    return wnd && wnd->m_hWnd ? wnd : this;
}

void CSplitterWndEx::OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect) {
    if (!pDC) {
        CSplitterWnd::OnDrawSplitter(pDC, nType, rect);
        return;
    }
    CWnd* target = GetDrawWindow();
    std::optional<CClientDC> other;
    CRect r = rect;
    if (target != this) {
        // Drawn through the chosen window, in its client coordinates.
        ClientToScreen(&r);
        target->ScreenToClient(&r);
        pDC = &other.emplace(target);
    }
    if (nType == splitBorder) {
        CBrush brush(m_crBar);
        pDC->FrameRect(&r, &brush);
    } else {
        CSplitterWnd::OnDrawSplitter(pDC, nType, r);
    }
}

void CSplitterWndEx::DrawAllSplitBars(CDC* pDC, int cxInside, int cyInside) {
    CRect client;
    GetClientRect(&client);
    int x = m_cxBorder;
    for (int c = 0; c < m_nCols - 1; ++c) {
        x += m_pColInfo[c].nCurSize + m_cxBorderShare;
        if (x > m_cxBorder + cxInside)
            break;
        OnDrawSplitter(pDC, splitBar, CRect(x, client.top, x + m_cxSplitter, client.bottom));
        x += m_cxSplitterGap - m_cxBorderShare;
    }
    int y = m_cyBorder;
    for (int r = 0; r < m_nRows - 1; ++r) {
        y += m_pRowInfo[r].nCurSize + m_cyBorderShare;
        if (y > m_cyBorder + cyInside)
            break;
        OnDrawSplitter(pDC, splitBar, CRect(client.left, y, client.right, y + m_cySplitter));
        y += m_cySplitterGap - m_cyBorderShare;
    }
    // Each pane framed two borders out; the last column and row frame the scroll bars too.
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c) {
            CWnd* pane = GetPane(r, c);
            if (!pane || !pane->IsWindowVisible())
                continue;
            CRect rect;
            pane->GetWindowRect(&rect);
            ScreenToClient(&rect);
            rect.InflateRect(2 * m_cxBorder, 2 * m_cyBorder);
            if (c == m_nCols - 1 && m_bHasVScroll)
                rect.right += GetSystemMetrics(SM_CXVSCROLL);
            if (r == m_nRows - 1 && m_bHasHScroll)
                rect.bottom += GetSystemMetrics(SM_CYHSCROLL);
            OnDrawSplitter(pDC, splitBorder, rect);
        }
}

void CSplitterWndEx::GetHitRect(int ht, CRect& rect) {
    CSplitterWnd::GetHitRect(ht, rect);
    if (ht >= vSplitterBar1 && ht <= vSplitterBar15)
        rect.InflateRect(m_cxBorder, 0);
    else if (ht >= hSplitterBar1 && ht <= hSplitterBar15)
        rect.InflateRect(0, m_cyBorder);
}

// The tracker is the widened hit rectangle: the bar itself starts a border further in.
void CSplitterWndEx::TrackColumnSize(int x, int col) {
    CSplitterWnd::TrackColumnSize(x + m_cxBorder, col);
}

void CSplitterWndEx::TrackRowSize(int y, int row) {
    CSplitterWnd::TrackRowSize(y + m_cyBorder, row);
}

void CSplitterWndEx::OnInvertTracker(const CRect& rect) {
    CWnd* target = GetDrawWindow();
    if (target == this) {
        CSplitterWnd::OnInvertTracker(rect);
        return;
    }
    // Inverting the same place twice puts back what was there.
    CRect r = rect;
    ClientToScreen(&r);
    target->ScreenToClient(&r);
    CClientDC dc(target);
    CBrush* old = static_cast<CBrush*>(dc.SelectStockObject(WHITE_BRUSH));
    dc.PatBlt(r.left, r.top, r.Width(), r.Height(), PATINVERT);
    if (old)
        dc.SelectObject(old);
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
