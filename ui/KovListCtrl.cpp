#include "ui/KovListCtrl.h"

#include "platform/gui/Dc.h"
#include "platform/gui/Icon.h"
#include "platform/gui/MessageBox.h"

#include <algorithm>
#include <new>
#include <vector>

IMPLEMENT_DYNAMIC(CKovListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CKovListCtrl, CListCtrl)
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CKovListCtrl::OnCustomDraw)
ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

namespace {

// Room a column keeps beside its widest text.
constexpr int kTextMargin = 8;
// What AutoFitColumn answers for a list without rows.
constexpr int kEmptyFitWidth = 7;

constexpr COLORREF kHotBack = RGB(193, 210, 237);
constexpr COLORREF kHotFrame = RGB(49, 106, 197);
constexpr COLORREF kRowLine = RGB(100, 100, 100);

// The drag cursors of the program's resources: move, copy and no drop.
constexpr UINT kCursorNoDrop = 241;
constexpr UINT kCursorMove = 242;
constexpr UINT kCursorCopy = 243;

int ColumnCount(CListCtrl& list) {
    CHeaderCtrl* header = list.GetHeaderCtrl();
    return header != nullptr ? header->GetItemCount() : 0;
}

} // namespace

CKovListCtrl::CKovListCtrl() {
    m_dragHelper.Attach(this, this);
    m_dragHelper.SetCallbacks(
        this,
        [](CWnd* context, DRAGITEM item, DWORD reserved, DRAGITEM target, int targetSub,
           int keyFlags, BOOL bTest, BOOL bHasNext, int&) -> BOOL {
            auto* self = static_cast<CKovListCtrl*>(context);
            if (!(self->m_options & OPTION_DRAG_ROWS))
                return FALSE;
            return self->OnDropItems((UINT)item, reserved, (int)target, targetSub, keyFlags, bTest,
                                     bHasNext);
        },
        [](CWnd* context, DRAGITEM item, DWORD reserved, int x, int y, int keyFlags, BOOL bTest,
           int reserved2, HWND& hTargetWnd, DRAGITEM& target, BOOL bHasNext, BOOL bFirst,
           int& index) -> BOOL {
            auto* self = static_cast<CKovListCtrl*>(context);
            if (!(self->m_options & OPTION_DRAG_ROWS))
                return FALSE;
            return self->OnDropItemOnWindow(item, reserved, x, y, keyFlags, bTest, reserved2,
                                            hTargetWnd, target, bHasNext, bFirst, index);
        });
    m_dragHelper.SetDragCursors(LoadCursor(nullptr, MAKEINTRESOURCE(kCursorMove)),
                                LoadCursor(nullptr, MAKEINTRESOURCE(kCursorCopy)),
                                LoadCursor(nullptr, MAKEINTRESOURCE(kCursorNoDrop)));
}

CKovListCtrl::~CKovListCtrl() {
    m_draggedRows.RemoveAll();
}

void CKovListCtrl::ModifyOptions(UINT remove, UINT add) {
    m_options = add | (m_options & ~remove);
}

// ---- Filling and fitting ----------------------------------------------------------------------

int CKovListCtrl::AppendStrings(const CStringList& list, BOOL fitFirstColumn) {
    int start = GetItemCount();
    int appended = 0;
    int widest = 0;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        const CString& text = list.GetNext(pos);
        if (InsertItem(start + appended, text) != start + appended)
            break;
        ++appended;
        if (fitFirstColumn)
            widest = std::max(widest, GetStringWidth(text));
    }
    if (fitFirstColumn && appended > 0 && widest + kTextMargin > GetColumnWidth(0))
        SetColumnWidth(0, widest + kTextMargin);
    return appended;
}

int CKovListCtrl::FitColumnToText(int column, const char* text) {
    int width = GetStringWidth(text != nullptr ? text : "") + kTextMargin;
    int current = GetColumnWidth(column);
    if (current >= width)
        return current;
    SetColumnWidth(column, width);
    return width;
}

int CKovListCtrl::AutoFitColumn(int column) {
    int rows = GetItemCount();
    if (rows == 0)
        return kEmptyFitWidth;
    int widest = 0;
    for (int i = 0; i < rows; ++i)
        widest = std::max(widest, GetStringWidth(GetItemText(i, column)));
    SetColumnWidth(column, widest + kTextMargin);
    return widest + kTextMargin;
}

int CKovListCtrl::FindItemByText(const char* text, BOOL ignoreCase) {
    const char* wanted = text != nullptr ? text : "";
    for (int i = 0, rows = GetItemCount(); i < rows; ++i) {
        CString cell = GetItemText(i, 0);
        if ((ignoreCase ? cell.CompareNoCase(wanted) : cell.Compare(wanted)) == 0)
            return i;
    }
    return -1;
}

// ---- Moving rows ------------------------------------------------------------------------------

BOOL CKovListCtrl::AllocateColumns(std::vector<LVITEM>& items, int columns) {
    try {
        items.assign((size_t)columns, LVITEM{});
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

int CKovListCtrl::MoveListItem(int from, int to, BOOL removeSource) {
    int count = GetItemCount();
    if (removeSource && to == from)
        return -1;
    int columns = ColumnCount(*this);
    if (columns <= 0 || from < 0 || from >= count)
        return -1;
    if (to > count - 1)
        to = removeSource ? count - 1 : count;
    if (to < 0)
        to = 0;
    std::vector<LVITEM> saved;
    if (!AllocateColumns(saved, columns)) {
        AfxMessageBox("系统内存不足，调用失败!");
        // Not a row index: a caller moving a block must not take it for the row's new place.
        return -1;
    }
    std::vector<CString> texts((size_t)columns);
    for (int i = 0; i < columns; ++i) {
        LVITEM& it = saved[(size_t)i];
        it.iItem = from;
        it.iSubItem = i;
        if (i == 0) {
            it.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT | LVIF_GROUPID;
            it.stateMask = (UINT)-1;
        } else {
            it.mask = LVIF_IMAGE;
        }
        GetItem(&it);
        texts[(size_t)i] = GetItemText(from, i);
    }
    if (removeSource)
        DeleteItem(from);
    to = InsertItem(to, "");
    if (to < 0)
        return -1;
    for (int i = 0; i < columns; ++i) {
        LVITEM& it = saved[(size_t)i];
        it.iItem = to;
        it.mask |= LVIF_TEXT;
        it.pszText = const_cast<LPSTR>(texts[(size_t)i].GetString());
        SetItem(&it);
    }
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_LIST_ROW_MOVED, (WPARAM)GetDlgCtrlID(), 1);
    return to;
}

BOOL CKovListCtrl::MoveItemBy(int row, int offset, int* moved) {
    int to = MoveListItem(row, row + offset, TRUE);
    if (to < 0)
        return FALSE;
    if (moved != nullptr)
        *moved = to - row;
    return TRUE;
}

void CKovListCtrl::MoveItemsBy(CList<UINT>& rows, int offset) {
    if (offset == 0 || rows.IsEmpty())
        return;
    // Rows are moved from the end the block travels to, each by what the one before achieved:
    // when the first reaches the end of the list the rest close up behind it.
    bool up = offset < 0;
    POSITION pos = up ? rows.GetHeadPosition() : rows.GetTailPosition();
    while (pos != nullptr && offset != 0) {
        int row = (int)(up ? rows.GetNext(pos) : rows.GetPrev(pos));
        if (!MoveItemBy(row, offset, &offset))
            break;
    }
}

// ---- Row height -------------------------------------------------------------------------------

void CKovListCtrl::SetRowHeight(int height) {
    m_rowHeight = std::max(0, height);
    // The list asks its rows' height again when its font is set.
    if (m_hWnd != nullptr)
        SendMessage(WM_SETFONT, (WPARAM)SendMessage(WM_GETFONT, 0, 0), TRUE);
}

void CKovListCtrl::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
    if (m_rowHeight > 0)
        lpMeasureItemStruct->itemHeight = (UINT)m_rowHeight;
}

// ---- Dragging rows ----------------------------------------------------------------------------

BOOL CKovListCtrl::OnDropItems(UINT draggedRow, DWORD, int targetRow, int targetSubItem, int,
                               BOOL testOnly, BOOL moreToCome) {
    if (testOnly) {
        if (targetRow < 0 || targetRow == (int)draggedRow)
            return FALSE;
        const CArray<DRAGITEM, DRAGITEM>& items = m_dragHelper.GetItems();
        if (items.GetSize() > 0 && targetRow >= (int)items[0] &&
            targetRow <= (int)items[items.GetSize() - 1])
            return FALSE;
        return TRUE;
    }
    m_draggedRows.AddTail(draggedRow);
    if (moreToCome)
        return TRUE;
    m_dragHelper.HighlightTarget(targetRow, targetSubItem, FALSE);
    int first = (int)m_draggedRows.GetHead();
    int last = (int)m_draggedRows.GetTail();
    int offset = 0;
    if (targetRow < first)
        offset = targetRow - first;
    else if (targetRow > last)
        offset = targetRow - last;
    MoveItemsBy(m_draggedRows, offset);
    m_draggedRows.RemoveAll();
    m_rowsMoved = TRUE;
    return TRUE;
}

BOOL CKovListCtrl::OnDropItemOnWindow(DRAGITEM, DWORD, int, int, int, BOOL, int, HWND&, DRAGITEM&,
                                      BOOL, BOOL, int&) {
    return FALSE;
}

BOOL CKovListCtrl::PreTranslateMessage(MSG* pMsg) {
    if (m_options & OPTION_DRAG_ROWS) {
        BOOL wasDragging = m_dragHelper.IsDragging();
        if (m_dragHelper.FilterMessage(pMsg))
            return TRUE;
        // Escape belongs to the drag: neither its press nor its release may close the dialog.
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
            m_escapeDown = TRUE;
            if (wasDragging)
                return TRUE;
        } else if (pMsg->message == WM_KEYUP && pMsg->wParam == VK_ESCAPE && m_escapeDown) {
            m_escapeDown = FALSE;
            return TRUE;
        }
    }
    return CListCtrl::PreTranslateMessage(pMsg);
}

BOOL CKovListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (m_options & OPTION_DRAG_ROWS)
        m_dragHelper.OnMessage(message, wParam, lParam);
    return CListCtrl::OnChildNotify(message, wParam, lParam, pResult);
}

void CKovListCtrl::OnCaptureChanged(CWnd* pWnd) {
    m_dragHelper.OnMessage(WM_CAPTURECHANGED, 0,
                           (LPARAM)(pWnd != nullptr ? pWnd->m_hWnd : nullptr));
    Default();
}

void CKovListCtrl::OnCustomDraw(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
}

// ---- Drawing ----------------------------------------------------------------------------------

void CKovListCtrl::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    CDC* dc = CDC::FromHandle(lpDrawItemStruct->hDC);
    UINT state = lpDrawItemStruct->itemState;
    CString text = GetItemText((int)lpDrawItemStruct->itemID, 0);
    CRect rc(lpDrawItemStruct->rcItem);
    rc.bottom -= 1;

    COLORREF back = (state & ODS_SELECTED)   ? GetSysColor(COLOR_HIGHLIGHT)
                    : (state & ODS_HOTLIGHT) ? kHotBack
                                             : RGB(255, 255, 255);
    dc->FillSolidRect(&rc, back);
    int saved = dc->SaveDC();
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    if (state & ODS_HOTLIGHT) {
        CBrush frame(kHotFrame);
        dc->FrameRect(&rc, &frame);
    } else if (state & ODS_FOCUS) {
        dc->DrawFocusRect(&rc);
        if (state & ODS_SELECTED)
            dc->SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    }

    CPen line(PS_SOLID, 1, kRowLine);
    CPen* oldPen = dc->SelectObject(&line);
    dc->MoveTo(rc.left, rc.bottom - 1);
    dc->LineTo(rc.right, rc.bottom - 1);
    dc->SelectObject(oldPen);

    CRect textRect = rc;
    textRect.DeflateRect(2, 2);
    CRect measured = textRect;
    dc->DrawText(text, &measured, DT_CALCRECT | DT_WORDBREAK);
    if (measured.Height() < textRect.Height())
        textRect.top += (textRect.Height() - measured.Height()) / 2;
    dc->DrawText(text, &textRect, DT_WORDBREAK | DT_VCENTER | DT_END_ELLIPSIS);
    dc->RestoreDC(saved);
}

// ---- Any list control -------------------------------------------------------------------------

void DeleteListItemsByIndex(CListCtrl& list, const CList<UINT>& rows, BOOL suspendRedraw) {
    // From the last row up, so that deleting one row does not move the ones still to go.
    std::vector<UINT> order;
    for (POSITION pos = rows.GetHeadPosition(); pos != nullptr;)
        order.push_back(rows.GetNext(pos));
    std::sort(order.begin(), order.end(), std::greater<UINT>());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    if (suspendRedraw)
        list.SetRedraw(FALSE);
    for (UINT row : order)
        list.DeleteItem((int)row);
    if (suspendRedraw)
        list.SetRedraw(TRUE);
}

void DeleteSelectedListItems(CListCtrl& list, BOOL suspendRedraw) {
    if (suspendRedraw)
        list.SetRedraw(FALSE);
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = list.GetNextItem(-1, LVNI_SELECTED)) {
        if (!list.DeleteItem(row))
            break;
    }
    if (suspendRedraw)
        list.SetRedraw(TRUE);
}

int SubItemHitTest(CListCtrl& list, POINT pt, int* subItem) {
    LVHITTESTINFO info{};
    info.pt = pt;
    int row = list.SubItemHitTest(&info);
    if (subItem != nullptr)
        *subItem = info.iSubItem;
    return row;
}

int GetSelectedItemData(CListCtrl& list, CArray<DWORD_PTR, DWORD_PTR>& out) {
    out.RemoveAll();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = list.GetNextItem(row, LVNI_SELECTED))
        out.Add(list.GetItemData(row));
    return (int)out.GetSize();
}

int GetSelectedItemObjects(CListCtrl& list, CObList& out) {
    out.RemoveAll();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = list.GetNextItem(row, LVNI_SELECTED))
        out.AddTail(reinterpret_cast<CObject*>(list.GetItemData(row)));
    return out.GetCount();
}

int GetSelectedRows(CListCtrl& list, CList<UINT>& out) {
    out.RemoveAll();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = list.GetNextItem(row, LVNI_SELECTED))
        out.AddTail((UINT)row);
    return out.GetCount();
}

BOOL SetListColumnText(CListCtrl& list, int column, const char* text) {
    LVCOLUMN col{};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<LPSTR>(text != nullptr ? text : "");
    return list.SetColumn(column, &col);
}

BOOL FindListText(CListCtrl& list, const char* text, int& row, int& column, BOOL forward,
                  BOOL matchCase) {
    if (text == nullptr || *text == '\0')
        return FALSE;
    int columns = ColumnCount(list);
    if (columns <= 0)
        return FALSE;
    int rows = list.GetItemCount();
    CString wanted(text);
    if (!matchCase)
        wanted.MakeLower();
    int step = forward ? 1 : -1;
    int r = row, c = column;
    if (r < 0 || (!forward && r >= rows)) {
        r = forward ? 0 : rows - 1;
        c = forward ? 0 : columns - 1;
    }
    // A column the caller stepped past the row's end goes on with the next row.
    if (forward && c < 0)
        c = 0;
    if (!forward && c >= columns)
        c = columns - 1;
    for (; r >= 0 && r < rows; r += step, c = forward ? 0 : columns - 1) {
        for (; c >= 0 && c < columns; c += step) {
            CString cell = list.GetItemText(r, c);
            if (!matchCase)
                cell.MakeLower();
            if (cell.Find(wanted) >= 0) {
                row = r;
                column = c;
                return TRUE;
            }
        }
    }
    return FALSE;
}
