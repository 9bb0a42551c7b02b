// The list of the messages of one box (the current box of the view's document), the base of every
// message list: rows carry their message, the focused row is the document's current message, an
// unread message focused long enough is marked read, rows are deleted into the recycle box or for
// good, and rows are dragged within the list (a copy into an outbox) or onto the window that owns
// the list (the message tree). CMsgSplitView shows such a list over a content pane.
#pragma once

#include "platform/base/Collections.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/ListCtrl.h"
#include "ui/DragDropHelper.h"
#include "ui/RightPaneView.h"
#include "ui/GroupTreeView.h"
#include "ui/SplitterWndEx.h"

class CMessageBase;
class CMsgAccountBase;
class CMsgBoxBase;
class CQuillmarBaseDoc;

// Sent with wParam 0 to the window that owns a message list when messages are dropped on it. The
// record is the tree's drop query (GROUPDROPQUERY) with the list's own part after it.
#define WM_MSGLIST_DROP (WM_USER + 30)
// The kind a dropped record carries: messages of a list (a tree's own items are kind 2).
enum { MSGDROP_KIND_MESSAGES = 1, MSGDROP_KIND_TREE_ITEMS = 2 };

class CMsgListView;

// The fields the application's documents keep for their message views: the box listed, the
// message of the focused row and whether any row is selected. The message lists write them.
void SetDocCurrentBox(CQuillmarBaseDoc* pDoc, CObject* pBox);
void SetDocCurrentMessage(CQuillmarBaseDoc* pDoc, CObject* pMessage);
void SetDocHasSelection(CQuillmarBaseDoc* pDoc, BOOL bSelected);
BOOL DocHasSelection(const CQuillmarBaseDoc* pDoc);

// The drop query with nKind MSGDROP_KIND_MESSAGES: a window told of a drop reads the kind of the
// base record before it takes the list's part.
struct MSGDROPQUERY : GROUPDROPQUERY {
    MSGDROPQUERY() { nKind = MSGDROP_KIND_MESSAGES; }
    CMsgListView* pSourceList = nullptr; // the list the messages come from
};

// A drop of a list's row on a box: refused with the copy key held, for a row without a message or
// when the box does not take that message; a test answers whether it may go, a real drop has the
// list remove the row with its message moved into the box.
BOOL DropMessageOnBox(MSGDROPQUERY& query, CMsgBoxBase* pBox);

class CMsgListView : public CListView {
    DECLARE_DYNAMIC(CMsgListView)
public:
    enum : UINT {
        ID_DELETE_PERMANENT = 310,
        ID_DELETE_PERMANENT2 = 32843,
        ID_DELETE = 311,
        ID_DELETE2 = 32799,
    };
    enum { TIMER_READ = 1 };
    // The string asked before messages are deleted for good.
    static constexpr UINT IDS_ASK_DELETE = 222;

    CMsgListView();
    ~CMsgListView() override;

    // ---- What derived lists change -------------------------------------------------------
    // Tells the document's other views (this one is the sender).
    virtual void UpdateDocViews();
    // Called after the focused row was published, after the timer marked a message read and
    // after a read-state toggle in a derived list.
    virtual void OnAfterUpdate() {}
    // Takes the list's focused row as the current row (selecting it), forgets the current
    // message without one, and tells the document's views.
    virtual void SyncFocusedRow();
    // Sorts the rows by the column (-1: the order of insertion); nOrder non-zero ascending.
    virtual void SortItems(int nColumn, int nOrder);
    // The message column a list column shows.
    virtual int MapColumn(int nColumn) const { return nColumn; }
    // Appends a row for the message and writes its row into the message's ordering key.
    virtual int InsertMessage(CMessageBase* pMessage);
    // Outside the recycle tree, exactly one row selected, a focused row, and a message that
    // belongs in an outbox.
    virtual BOOL CanEditCurrent();
    virtual CMessageBase* GetCurrentMessage() const;
    virtual CMsgBoxBase* GetBox() const;
    // The sender account of a sender document, else null.
    virtual CMsgAccountBase* GetDocumentAccount() const;
    virtual void OnMessageFlagToggled(CMessageBase* /*pMessage*/) {}
    // Marks the document modified once and tells the owner window (it updates its caption).
    virtual void MarkModified();
    // Writes the row's texts and image; the base shows nothing.
    virtual void UpdateRow(int /*nRow*/, CMessageBase* /*pMessage*/) {}
    // A double click on a message that belongs in an outbox, or in a sent box.
    virtual void OpenOutgoing(CMessageBase* /*pMessage*/) {}
    virtual void OpenSent(CMessageBase* /*pMessage*/) {}
    // Whether the row's message opens on a double click: outside the recycle tree, a message that
    // belongs in an outbox or in a sent box. OpenRow opens it that way (FALSE when it does not).
    BOOL CanOpenRow(int nRow) const;
    BOOL OpenRow(int nRow);
    // The flag bit a click on a cell of the (mapped) column switches; 0 for a plain column.
    // The mail list keeps two flags in columns 4 and 6.
    virtual int GetFlagMask(int nColumn) const;

    // ---- Operations ------------------------------------------------------------------------
    CListCtrl& List() const { return GetListCtrl(); }
    // The document when it is one of the application's documents (the list works only then).
    CQuillmarBaseDoc* GetBaseDoc() const;
    // The row's message, null outside the rows.
    CMessageBase* GetMessageAt(int nRow) const;
    BOOL IsAnySelectedOfHomeType(int nType) const;
    // The message leaves its box: moved to pDest, or deleted without one. Without bBatch the
    // row leaves the list at once and the focused row is published again.
    void RemoveRow(int nRow, CMsgBoxBase* pDest, BOOL bBatch);
    // Every selected row's message goes to pDest; without one to the recycle box of the box's
    // root, or for good when bPermanent or when the box is already in the recycle tree.
    void RemoveSelected(BOOL bPermanent, CMsgBoxBase* pDest);
    // The recycle box the plain delete moves into; null when the messages would be deleted.
    CMsgBoxBase* GetRecycleDestination() const;
    void SetSelectionFlag(BOOL bSelected);
    void StopReadTimer();
    void RedrawRow(int nRow);
    // The delay before an unread message focused is marked read: 2 s, or 2 s per 160 bytes of
    // text when that is longer.
    static UINT GetReadDelay(const CMessageBase* pMessage);
    // The row a list of the box had focused last (-1 none), kept while the program runs.
    static int GetRememberedRow(const CMsgBoxBase* pBox);
    static void SetRememberedRow(const CMsgBoxBase* pBox, int nRow);

    int GetCurRow() const { return m_nCurRow; }
    BOOL IsReadTimerRunning() const { return m_bReadTimer; }
    UINT GetReadTimerDelay() const { return m_nReadDelay; }
    // What the read timer does when it fires (tests call it instead of waiting).
    void OnReadTimer();
    // The focus moved to the row (the list's item-changed notification without a row
    // publishes the focused row again).
    void OnFocusChanged(int nRow);
    // A dragged row dropped on a row of this list: taken only as a copy (key flag bit 0) into
    // an outbox tree. FALSE when refused.
    BOOL DropInList(int nDragged, int nKeyFlags, BOOL bTest, BOOL bNoRefresh);
    // A dragged row dropped at a screen point: offered to the owner window as WM_MSGLIST_DROP.
    LRESULT DropOnOwner(int nDragged, CPoint ptScreen, int nKeyFlags, BOOL bTest, BOOL bBatch);
    CListCtrlDragDropHelper& GetDragDrop() { return m_dragDrop; }

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    int m_nAddressColumn = 2;
    int m_nCurRow = -1;
    BOOL m_bAutoUpdate = TRUE;
    BOOL m_bReadTimer = FALSE;
    UINT m_nReadDelay = 0;
    CArray<int, int> m_removedRows;
    // Set while RemoveRow takes a message out of its box: the row's removal is the list's own,
    // and a box's change notice must not remove the row a second time.
    BOOL m_bRemovingRow = FALSE;
    CListCtrlDragDropHelper m_dragDrop;
    BOOL m_bDragBound = FALSE;

    // The window told of drops and modifications: the owner when set, else the parent.
    CWnd* GetNotifyTarget() const;
    // Deletes the collected rows from the list control, last first.
    void DeleteCollectedRows();
    static int CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    void OnDeletePermanent();
    void OnDelete();
    void OnUpdateDeletePermanent(CCmdUI* pCmdUI);
    void OnUpdateDelete(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

// The bar between the list and the content pane, with the current message written on it.
class CMsgSplitterWnd : public CSplitterWndEx {
public:
    // Stores the caption and lays the splitter out again (which repaints the bar).
    void SetCaption(const CString& strCaption);
    const CString& GetCaption() const { return m_strCaption; }
    // The height the bar between the rows and the borders take from the rows.
    int GetRowOverhead() const { return m_cySplitterGap + 2 * m_cyBorder; }

protected:
    void OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect) override;
    CString m_strCaption;
};

// A message list over the content of its current message, both views of the document this view
// belongs to. A derived view names the two classes before the window is made.
class CMsgSplitView : public CView, public CIRightPaneView {
    DECLARE_DYNAMIC(CMsgSplitView)
public:
    CMsgSplitView();
    ~CMsgSplitView() override;

    // Moves this view and both panes to the document; answers the old one.
    virtual CDocument* SetDocument(CDocument* pDoc);
    virtual int GetSplitKind() const { return 0; }

    void SetPaneOwner(CWnd* pOwner);
    CMsgListView* GetListPane() const { return m_pListPane; }
    CView* GetContentPane() const { return m_pContentPane; }
    CMsgSplitterWnd& GetSplitter() { return *m_pSplitter; }

    void SetNotifyWnd(CWnd* pWnd) override;
    BOOL TakeDocument(CDocument* pDoc) override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    // The splitter the view makes (a derived view may make a derived one).
    virtual CMsgSplitterWnd* CreateSplitterObject();

    CMsgSplitterWnd* m_pSplitter = nullptr;
    CMsgListView* m_pListPane = nullptr;
    CView* m_pContentPane = nullptr;
    CRuntimeClass* m_pListClass = nullptr;
    CRuntimeClass* m_pContentClass = nullptr;
    int m_cxLast = 0;
    int m_cyLast = 0;

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    DECLARE_MESSAGE_MAP()
};
