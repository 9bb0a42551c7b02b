// The right-pane views of an e-mail box: the owner-drawn message list above the text of the
// focused mail, in a split view. The list draws a state picture, the importance and attachment
// marks, the read and junk marks and the texts (unread mails in bold); its header shows pictures
// over the mark columns and sorts by a clicked column.
#pragma once

#include "mail/EmailAccount.h"
#include "mail/ui/EditEmailFrame.h"
#include "mail/ui/TxtEditView.h"
#include "platform/gui/HeaderCtrl.h"
#include "platform/gui/ImageList.h"
#include "sms/ui/MsgListView.h"

class CEmailMessage;
class CEmailListView;

// The header of a message list. The list control keeps its header window and items itself, so
// this object is bound to that window rather than taking it over: it keeps the pictures, the sort
// column and direction, draws every item itself (through the header's custom drawing, which
// reaches the list's view) and turns clicks into sorting.
class CMsgHeaderCtrl {
public:
    // Binds to the list's header: every item carries its field index.
    void Bind(CMsgListView* pView, CHeaderCtrl* pHeader, const int* pFields, int nCount);
    // A click on a column: it becomes the sort column (clicked again, the direction flips) and
    // the view sorts.
    void OnItemClick(int nColumn);
    // A double click on the sort column clears the sort.
    void OnItemDoubleClick(int nColumn);
    // The header's NM_CUSTOMDRAW: each item is drawn by DrawItem, then the frame.
    void OnCustomDraw(NMCUSTOMDRAW* pCD, LRESULT* pResult);
    void DrawItem(LPDRAWITEMSTRUCT lpDIS);
    // Frames the whole header after it painted.
    void DrawFrame(CDC* pDC);

    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortAscending() const { return m_bAscending; }
    CHeaderCtrl* GetHeader() const { return m_pHeader; }
    CImageList& GetImages() { return m_images; }
    int GetImageHeight() const { return m_nImageHeight; }

    static constexpr UINT IDB_HEADER_IMAGES = 1405;

private:
    CImageList m_images;
    int m_nSortColumn = -1;
    BOOL m_bAscending = TRUE;
    CMsgListView* m_pView = nullptr;
    CHeaderCtrl* m_pHeader = nullptr;
    int m_nImageHeight = 0;
};

class CEmailListView : public CMsgListView, public CEmailAccount::IObserver {
    DECLARE_DYNCREATE(CEmailListView)
public:
    enum { ColumnCount = 8, RowHeight = 16 };
    static constexpr UINT IDB_STATES = 245;
    static constexpr UINT IDB_TAGS = 1402;
    static constexpr UINT IDB_READ = 1403;
    static constexpr UINT IDB_JUNK = 1404;
    // The junk mark the list keeps in the flags beside the unread one.
    enum : DWORD { FLAG_JUNK = 0x200 };
    // The list's context menu: a new mail of the box's account, open the focused mail, delete.
    enum : UINT { IDR_CONTEXT_MENU = 4216, ID_WRITE_EMAIL = 32840, ID_OPEN = 32847 };

    CEmailListView();
    ~CEmailListView() override;

    // The title of a field (the shared title table) and the field of a display column.
    static CString GetFieldTitle(int nField);
    static int GetColumnField(int nColumn);
    static int GetColumnWidth(int nColumn);
    // The picture of a message's state in bitmap 245 (-1 none) and of its importance in 1402.
    static int GetStateImage(const CEmailMessage* pMessage);
    static int GetPriorityImage(const CEmailMessage* pMessage);

    int MapColumn(int nColumn) const override { return GetColumnField(nColumn); }
    void SortItems(int nColumn, int nOrder) override;
    void OnMessageFlagToggled(CMessageBase* pMessage) override;
    void OpenOutgoing(CMessageBase* pMessage) override;
    void OpenSent(CMessageBase* pMessage) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // A sent mail leaves the outbox's list, a mail filed in the listed box joins it.
    void OnEmailAccountClosing(CEmailAccount* pAccount) override;
    void OnEmailMessageChanged(CEmailAccount* pAccount, CEmailMessage* pMessage,
                               CEmailBox* pOldBox) override;

    CEmailAccount* GetAccount() const;
    CMsgHeaderCtrl& GetMsgHeader() { return m_header; }
    // The font a message's texts are drawn in.
    CFont* GetRowFont(const CEmailMessage* pMessage);
    // The row of the message, -1 when it is not listed.
    int FindRow(const CMessageBase* pMessage) const;

protected:
    // Leaves out of the selection the mails being written or sent (they may not be deleted or
    // moved) and tells the user; FALSE when nothing is left.
    BOOL DropBusyFromSelection();
    void Observe(CEmailAccount* pAccount);
    void CreateFonts();
    void OnSize(UINT nType, int cx, int cy);
    void OnDeleteChecked();
    void OnDeletePermanentChecked();
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnWriteEmail();
    void OnUpdateWriteEmail(CCmdUI* pCmdUI);
    void OnOpen();
    void OnUpdateOpen(CCmdUI* pCmdUI);

    CImageList m_imgStates;
    CImageList m_imgTags;
    CImageList m_imgRead;
    CImageList m_imgJunk;
    CMsgHeaderCtrl m_header;
    CEmailAccount* m_pObserved = nullptr;
    BOOL m_bInitialized = FALSE;
    int m_cxLast = 0;
    DECLARE_MESSAGE_MAP()
};

// The bar between the list and the text.
class CEmailSplitterWnd : public CMsgSplitterWnd {};

// The text of the document's current mail, read-only.
class CViewEmailTxtContent : public CTxtEditView {
    DECLARE_DYNCREATE(CViewEmailTxtContent)
public:
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
};

// The lower pane: a frame holding the text view.
class CEmailContentFrame : public CKovEditFrame {
    DECLARE_DYNCREATE(CEmailContentFrame)
public:
    CEmailContentFrame();
    CViewEmailTxtContent* GetTextView() const;
};

// A box's mails over the text of the focused one.
class CEmailSplitView : public CMsgSplitView {
    DECLARE_DYNCREATE(CEmailSplitView)
public:
    CEmailSplitView();
    int GetSplitKind() const override { return 18; }
    CEmailListView* GetEmailList() const;
    CEmailContentFrame* GetContentFrame() const;
    CDocument* SetDocument(CDocument* pDoc) override;
    void OnInitialUpdate() override;

protected:
    CMsgSplitterWnd* CreateSplitterObject() override;
};
