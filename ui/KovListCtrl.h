// The report list that option, import/export and record pages place on their dialogs: rows can be
// dragged to a new place inside the control and moved up and down with all their columns, column
// widths fit their texts, a text is searched over all cells, and with LVS_OWNERDRAWFIXED the rows
// draw themselves (selected, hot and focused looks, a line under each row, wrapped text) at a
// height the control answers itself.
//
// The free functions below work on any list control, also on the list of a list view.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/ListCtrl.h"
#include "ui/DragDropHelper.h"

// Sent to the parent after a row was moved: wParam the list's control id, lParam 1.
#define WM_LIST_ROW_MOVED (WM_USER + 102)

class CKovListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CKovListCtrl)
public:
    // Option bits.
    enum { OPTION_DRAG_ROWS = 0x1 };

    CKovListCtrl();
    ~CKovListCtrl() override;

    // The options become add | (options & ~remove).
    void ModifyOptions(UINT remove, UINT add);
    BOOL IsDragging() const { return m_dragHelper.IsDragging(); }
    // TRUE once a drop has moved rows.
    BOOL HaveRowsMoved() const { return m_rowsMoved; }

    // Appends one text-only row per string; stops at the first row that does not land at the end.
    // With fitFirstColumn the first column widens to the widest appended text. Answers the rows
    // appended.
    int AppendStrings(const CStringList& list, BOOL fitFirstColumn);
    // Widens the column to the text (never narrows it); answers the resulting width.
    int FitColumnToText(int column, const char* text);
    // Sets the column as wide as its widest cell text; an empty list keeps its width and answers 7.
    int AutoFitColumn(int column);
    // The first row whose first-column text is text, or -1.
    int FindItemByText(const char* text, BOOL ignoreCase);

    // Copies row from with every column to position to (clamped into the list); with removeSource
    // the row moves. Answers the row's new index, or -1 when nothing moved (a move onto itself, no
    // columns, no memory).
    int MoveListItem(int from, int to, BOOL removeSource);
    // Moves a row by offset; *moved receives the offset actually achieved when the move succeeded.
    BOOL MoveItemBy(int row, int offset, int* moved = nullptr);
    // Moves a block of rows (in ascending order) by offset keeping their order: when the first
    // (or last) row stops at the end of the list, the others stop next to it.
    void MoveItemsBy(CList<UINT>& rows, int offset);

    // The height of owner-drawn rows; 0 keeps the list's own.
    void SetRowHeight(int height);
    int GetRowHeight() const { return m_rowHeight; }

    // A dragged row dropped inside the control: with testOnly, whether it may be dropped on the
    // target row; otherwise collects the rows and, at the last one, moves the block there.
    virtual BOOL OnDropItems(UINT draggedRow, DWORD reserved, int targetRow, int targetSubItem,
                             int keyFlags, BOOL testOnly, BOOL moreToCome);
    // A dragged row dropped on another window: refused here; a derived list may take it.
    virtual BOOL OnDropItemOnWindow(DRAGITEM item, DWORD reserved, int x, int y, int keyFlags,
                                    BOOL testOnly, int reserved2, HWND& hTargetWnd,
                                    DRAGITEM& target, BOOL moreToCome, BOOL first, int& index);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;

protected:
    // Room for the saved columns of one row; FALSE when the memory cannot be had.
    virtual BOOL AllocateColumns(std::vector<LVITEM>& items, int columns);

    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCaptureChanged(CWnd* pWnd);
    DECLARE_MESSAGE_MAP()

    UINT m_options = OPTION_DRAG_ROWS;
    BOOL m_escapeDown = FALSE;
    CListCtrlDragDropHelper m_dragHelper;
    CList<UINT> m_draggedRows;
    BOOL m_rowsMoved = FALSE;
    int m_rowHeight = 0;
};

// Deletes the rows at the indexes given, whatever their order (each once).
void DeleteListItemsByIndex(CListCtrl& list, const CList<UINT>& rows, BOOL suspendRedraw);
void DeleteSelectedListItems(CListCtrl& list, BOOL suspendRedraw);
// The row under pt (client coordinates), -1 for none; *subItem receives the column.
int SubItemHitTest(CListCtrl& list, POINT pt, int* subItem);
// The item data, objects or indexes of the selected rows in row order; answer the count.
int GetSelectedItemData(CListCtrl& list, CArray<DWORD_PTR, DWORD_PTR>& out);
int GetSelectedItemObjects(CListCtrl& list, CObList& out);
int GetSelectedRows(CListCtrl& list, CList<UINT>& out);
BOOL SetListColumnText(CListCtrl& list, int column, const char* text);
// Searches the cells for text from (row, column) on, row by row, forward or backward; a negative
// row starts at the first cell (forward) or the last one (backward). Unless matchCase the letters
// A-Z match either case. TRUE with row and column on the hit; the caller steps the column on
// before searching again. An empty text, a list without header or columns finds nothing.
BOOL FindListText(CListCtrl& list, const char* text, int& row, int& column, BOOL forward,
                  BOOL matchCase);
