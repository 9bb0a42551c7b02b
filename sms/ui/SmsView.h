// The list of the short messages of one box: eight columns, a state picture per row (with the
// recycle mark in a recycle box), unread rows in bold blue, sorting by a clicked column with an
// arrow in the header, and the commands on messages (edit, send, restore, reply, resend, forward,
// number information, copy and cut to the program's clipboard box, export). CSplitterView shows
// it over the text of the focused message with the message written on the bar between them.
#pragma once

#include "platform/gui/Dc.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/RichEditView.h"
#include "sms/ui/MsgListView.h"
#include "ui/BkManager.h"

class _CSms;
class _CSmsBox;
class CCommDevice;

// Where cut and copied messages wait (the program's clipboard box) and where the reply, resend
// and forward commands open the compose form. The module that joins the list to the program
// sets it; without one, copy, cut and the compose commands do nothing.
class CISmsListHost {
public:
    virtual ~CISmsListHost() = default;
    virtual _CSmsBox* GetClipboardBox() = 0;
    // Opens the compose form for the document: empty (pSms null) or loaded with the message
    // (bLoad: resend). Null when there is none.
    virtual class CEditSmsForm* OpenComposeForm(CDocument* pDoc, CWnd* pSource) = 0;
    // Opens the form on the document's current message for editing.
    virtual BOOL EditCurrentSms(CDocument* pDoc, CWnd* pSource) = 0;
    // The account of the senders tree, used when the document has none.
    virtual CMsgAccountBase* GetCurrentSender() { return nullptr; }
};
void SetSmsListHost(CISmsListHost* pHost);
CISmsListHost* GetSmsListHost();

class CSmsView : public CMsgListView {
    DECLARE_DYNCREATE(CSmsView)
public:
    enum : UINT {
        ID_EDIT_SMS = 32792,
        ID_SEND_SMS = 32813,
        ID_RESTORE = 32842,
        ID_REPLY = 347,
        ID_RESEND = 346,
        ID_FORWARD = 348,
        ID_NUMBER_INFO = 365,
        ID_EXPORT_CARDS = 330,
        ID_COPY = 57634,
        ID_CUT = 57635,
        ID_PASTE = 57637,
        ID_SORT_NONE = 422,
        ID_SORT_ASCENDING = 423,
        ID_SORT_DESCENDING = 424,
        ID_GRID_LINES = 59412,
    };
    enum { ColumnCount = 8 };
    static constexpr UINT IDB_STATE_IMAGES = 245;
    static constexpr UINT IDB_SORT_ARROWS = 244;
    static constexpr UINT IDI_RECYCLE_OVERLAY = 597;
    static constexpr UINT IDR_CONTEXT_MENU = 411;

    CSmsView();
    ~CSmsView() override;

    // The state picture of a message (-1 none): draft 3, pending 2, sent 4, read 0, unread 1.
    static int GetStateImageIndex(int nState);
    // Inserts a row for the message at nRow (-1: at the end) with its picture and texts.
    int InsertSmsRow(_CSms* pSms, int nRow);
    void UpdateRow(int nRow, CMessageBase* pMessage) override;
    void OpenOutgoing(CMessageBase* pMessage) override;
    void OpenSent(CMessageBase* pMessage) override;

    // Sorts by the column as a header click does: a column sorted descending turns ascending,
    // anything else descending.
    void SortByColumn(int nColumn);
    // The sort of the view: column -1 for the order of insertion.
    void SetSort(int nColumn, BOOL bAscending);
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortAscending() const { return m_bSortAscending; }
    // A click on the state picture of the focused row switches it between read and unread.
    BOOL ToggleReadState(int nRow);

    // The commands, callable directly (tests, menus of other windows).
    void SendSelected();
    void RestoreSelected();
    void ReplySelected();
    void ResendSelected();
    void ForwardSelected();
    // bCut: the selected messages move into the clipboard box; else copies are added.
    void CopyToClipboard(BOOL bCut);
    CListCtrlBkManager& GetBkManager() { return m_bkManager; }
    CImageList& GetStateImages() { return m_imgState; }

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    // The SMS list keeps no flags in cells of its own.
    int GetFlagMask(int nColumn) const override;

    CImageList m_imgState;
    CImageList m_imgSortArrow;
    CBitmap m_bmp246;
    CBitmap m_bmp247;
    int m_nSortColumn = -1;
    BOOL m_bSortAscending = FALSE;
    CSize m_sizeArrow{14, 14};
    CListCtrlBkManager m_bkManager;
    BOOL m_bInitialized = FALSE;
    BOOL m_bHeaderStyled = FALSE;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Writes the column title, with two blanks after it while the column is sorted.
    void SetColumnTitle(int nColumn, BOOL bSorted);
    // The rows of messages that belong in an outbox among the selected ones.
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnHeaderCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnDestroy();
    // The compose form this list opened ended: the tree beside the pane shows its item again.
    LRESULT OnWritingEnded(WPARAM wParam, LPARAM lParam);
    void OnCommandEdit();
    void OnUpdateEdit(CCmdUI* pCmdUI);
    void OnCommandSend();
    void OnUpdateSend(CCmdUI* pCmdUI);
    void OnCommandRestore();
    void OnUpdateRestore(CCmdUI* pCmdUI);
    void OnCommandReply();
    void OnUpdateReply(CCmdUI* pCmdUI);
    void OnCommandResend();
    void OnUpdateResend(CCmdUI* pCmdUI);
    void OnCommandForward();
    void OnUpdateForward(CCmdUI* pCmdUI);
    void OnCommandNumberInfo();
    void OnUpdateNumberInfo(CCmdUI* pCmdUI);
    void OnCommandExport();
    void OnUpdateExport(CCmdUI* pCmdUI);
    void OnCommandCopy();
    void OnCommandCut();
    void OnUpdateCopyCut(CCmdUI* pCmdUI);
    void OnCommandPaste();
    void OnUpdatePaste(CCmdUI* pCmdUI);
    void OnSortCommand(UINT nID);
    void OnUpdateSortCommand(CCmdUI* pCmdUI);
    void OnBkCommand(UINT nID);
    void OnUpdateBkCommand(CCmdUI* pCmdUI);
    void OnGridLines();
    void OnUpdateGridLines(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

// The splitter of the SMS split view.
class CSmsSplitterWnd : public CMsgSplitterWnd {};

// The text of the document's current message, read-only and wrapped to the window.
class CViewSmsContent : public CRichEditView {
    DECLARE_DYNCREATE(CViewSmsContent)
public:
    CViewSmsContent();
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

protected:
    CFont m_font;
    BOOL m_bInitialized = FALSE;
};

// A box's messages over the text of the focused one, with the bar between them showing the
// message as "sender -> recipients [state time]".
class CSplitterView : public CMsgSplitView {
    DECLARE_DYNCREATE(CSplitterView)
public:
    CSplitterView();
    CSmsView* GetSmsList() const;
    // The caption of the bar for the message; empty for none.
    static CString MakeCaption(const _CSms* pSms);
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

protected:
    CMsgSplitterWnd* CreateSplitterObject() override;
};
