// The message accounts tree and the senders tree of the "短信管理" folder. Every open sender file
// (".sdr") is a root item with its boxes beneath; one account at a time is the active one: it
// sends, receives and listens for direct messages. Selecting an account shows the account pane
// of the right-hand side, selecting a box the box pane, the top item the list of open files.
#pragma once

#include "links/ListeningSocket.h"
#include "sms/SenderDoc.h"
#include "sms/ui/MsgListView.h"
#include "ui/GroupTreeView.h"

#include <memory>

class CMsgAccountBase;
class CMsgBoxBase;

// A sender document as the tree keeps it: the account's file, and while the account is active
// the listener on which direct messages arrive. Each save tells the communications device, which
// then lets go of the received messages the file now holds.
class CSenderTreeDoc : public CSenderDoc, public CIListeningSocketOwner {
    DECLARE_DYNCREATE(CSenderTreeDoc)
public:
    CSenderTreeDoc();
    ~CSenderTreeDoc() override;

    // Stops any listener, then listens on the port (all addresses) with the backlog. FALSE, with
    // no listener left, when the port cannot be bound or listened on.
    BOOL StartListening(UINT nPort, int nBacklog);
    void StopListening();
    BOOL IsListening() const { return m_pListenSocket != nullptr; }
    // The port listened on (the one asked, or the system's choice for 0); 0 when not listening.
    UINT GetListeningPort() const;

    BOOL OnSaveDocument(LPCTSTR lpszPathName) override;

    _CSender* GetListeningAccount() override { return &m_sender; }
    void MarkModified() override { SetModifiedFlag(TRUE); }

private:
    std::unique_ptr<CListeningSocket> m_pListenSocket;
};

class CMessageAccountTreeView : public CGroupTreeView {
    DECLARE_DYNAMIC(CMessageAccountTreeView)
public:
    // Item kinds: 4 the top item, 3 an account, 101-104 a standard box, 105 any other box.
    enum { KindAccount = 3, KindInbox = 101, KindOutbox = 102, KindSentBox = 103,
           KindRecycle = 104, KindUserBox = 105 };
    // The right pane's views of the senders kind.
    enum { ViewAccount = 1, ViewBox = 2 };
    enum : UINT {
        ID_ACCOUNT_NEW = 32814, ID_ACCOUNT_DELETE = 32815, ID_ACCOUNT_RENAME = 399,
        ID_ACCOUNT_PROPERTIES = 1571, ID_BOX_NEW = 32816, ID_BOX_RENAME = 32820,
        ID_BOX_DELETE = 32817,
    };

    CMessageAccountTreeView();
    // The item pictures of the message trees: the item strip (bitmap 237, white as mask).
    static BOOL CreateItemImages(CImageList& images);
    // A standard box (type 0 to 3) shows picture 5 + its type, any other box picture 9.
    static int GetBoxImage(int nBoxType);

    int GetItemKind(HTREEITEM hItem);
    // The account of a document (null in this class), of an account item, of the active file.
    virtual CMsgAccountBase* GetDocAccount(CQuillmarBaseDoc* pDoc);
    CMsgAccountBase* GetAccountOfItem(HTREEITEM hItem);
    CMsgAccountBase* GetActiveAccount();
    CQuillmarBaseDoc* GetActiveDocument();
    CFileInfo* GetActiveFile() const { return m_pActiveFile; }
    // The file, document and account (null when locked) of the selected item.
    CFileInfo* GetSelectedFileInfo() { return GetFileInfo(m_hCurrent); }
    CQuillmarBaseDoc* GetSelectedDocument() { return GetItemDocument(m_hCurrent); }
    CMsgAccountBase* GetSelectedAccount();
    // For an account item its top box, for a box item its box, else null.
    CMsgBoxBase* GetBoxOfItem(HTREEITEM hItem);
    virtual void SetActiveFile(HTREEITEM hItem);

    CGroup* GetRootGroup(CQuillmarBaseDoc* pDoc) override;
    void GetDocumentName(CString& strName, CQuillmarBaseDoc* pDoc) override;
    BOOL IsFileLocked(CQuillmarBaseDoc* pDoc) override;
    void OnCurrentItemChanged(HTREEITEM hItem, BOOL bUpdateViews) override;
    void SetDocumentCurrentRecord(CQuillmarBaseDoc* pDoc, HTREEITEM hItem) override;
    BOOL CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) override;
    // A locked account asks for its password before it is selected or expanded.
    BOOL UnlockItem(HTREEITEM hItem) override;

    // The name proposed for a new box under the item: "新" and the standard box it lies in.
    CString NewBoxName(HTREEITEM hItem);
    // Deletes the box of the item after the rules (standard boxes stay, a box with messages
    // asks first); the selection leaves it before it goes. TRUE when it was deleted.
    BOOL DeleteBox(HTREEITEM hItem);
    BOOL IsBoxKind(int kind) const { return kind >= KindInbox && kind <= KindUserBox; }

    // Boxes move within their account by dragging: never copied, never below themselves, only
    // where the box's rules let it go; a move into another kind of box asks first.
    BOOL DoDrop(HTREEITEM hSource, HTREEITEM hTarget, int keyFlags, BOOL bTest, BOOL bHasNext,
                DRAGSTATE* pState) override;
    // A message of a list dropped on the item: tested (bTest) or moved into its box by the list.
    // Only a box that takes the message, and never with the copy key held.
    BOOL DropMessage(MSGDROPQUERY& q);

    // 0 idle, 3 busy (a message is written or an account edited in the right pane).
    int GetBusy() const { return m_nBusy; }
    int SetBusy(int nBusy) {
        int old = m_nBusy;
        m_nBusy = nBusy;
        return old;
    }
    int GetPaneMode() const { return m_nPaneMode; }

protected:
    CFileInfo* m_pActiveFile = nullptr;
    int m_nPaneMode = 0;
    int m_nBusy = 0;
    // Messages moved by the drops of one batch, so that a batch whose last drop fails still
    // refreshes the list it came from.
    int m_nDroppedInBatch = 0;

    // WM_USER+30: a drop record of a message list, or a drop query of another group view.
    LRESULT OnDropRecord(WPARAM wParam, LPARAM lParam);

    void OnNewBox();
    void OnDeleteBox();
    void OnRenameBox();
    void OnUpdateAccountCommand(CCmdUI* pCmdUI);
    void OnAccountPassword();
    // A collapsed account with a password locks again; an account's label edit renames it.
    void OnItemExpandedAccount(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEditAccount(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};

class CSendersView : public CMessageAccountTreeView {
    DECLARE_DYNCREATE(CSendersView)
public:
    enum : UINT {
        ID_SEND_PENDING = 349, ID_WRITE_SMS = 32807, ID_RECEIVE_SMS = 32812,
        ID_SET_ACTIVE = 32819, ID_CANCEL_ACTIVE = 32837, ID_SHOW_ALL_COUNTS = 32835,
        ID_SHOW_PENDING_COUNTS = 381, ID_GATEWAY_CHARGE = 1542, ID_GATEWAY_SUFFIX = 1543,
        ID_GATEWAY_BALANCE = 1544, ID_GATEWAY_CODE = 1545, ID_GATEWAY_SIGNATURE = 1564,
        ID_GATEWAY_REGISTER = 495, ID_BOX_STATISTICS = 368, ID_BOX_BASIC_STATISTICS = 1539,
        ID_IMPORT_CSV = 397,
        // The account pages' reload and confirm, and showing the selected item again.
        ID_RELOAD_PAGES = 32793, ID_CONFIRM_PAGES = 32821, ID_SHOW_SELECTION = 32849,
    };
    // The modes of the right pane kept beside the base's 1 box, 2 account and 3 top item.
    enum { PaneWriting = 4, PaneEditing = 6 };
    // Entering and leaving the busy modes (sent to the tree).
    static constexpr UINT WM_BEGIN_WRITING = WM_USER + 80, WM_END_WRITING = WM_USER + 81,
                          WM_BEGIN_ACCOUNT_EDIT = WM_USER + 105,
                          WM_END_ACCOUNT_EDIT = WM_USER + 106;
    static constexpr UINT WM_QUERY_ACCOUNT = WM_USER + 60, WM_QUERY_ROOT_DOCUMENT = WM_USER + 61,
                          WM_QUERY_ROOT_BOX = WM_USER + 62, WM_QUERY_ITEM_DOCUMENT = WM_USER + 63;
    static constexpr UINT kListenPort = 7086;
    static constexpr int kModuleKind = 1; // the right pane's senders kind

    CSendersView();

    // The port an active account listens on (tests take a free one); answers the old one.
    static UINT SetListenPort(UINT nPort);

    // The open and new account road: the file dialog, then each chosen file.
    void OpenSenderFiles(BOOL bNew);
    // Opens one sender file, or with bNew makes it (asking before it replaces another file and
    // refusing one that is open). Null when nothing opened.
    CSenderTreeDoc* OpenSenderFile(const CString& path, BOOL bNew);
    // New messages arrived for the account: its file is marked modified and repainted.
    void OnSmsArrived(_CSender* pAccount);
    // A message was written into the account's boxes from outside the tree (a message to a
    // contact saved in the sender's box): the same, for the outgoing boxes.
    void OnSmsWritten(_CSender* pAccount);
    // Files the held messages of the box in the account's inbox (the active account when null).
    // Answers how many it filed.
    int FileNewMessages(_CSender* pAccount, _CSmsBox* pHolding);
    // Each open account's load-at-start flag follows the start-up list.
    void RefreshAccountFlags(BOOL bListOn, const CStringList& list);
    _CSender* GetActiveSender();
    CSenderTreeDoc* FindAccountDocument(_CSender* pAccount);

    void SetActiveFile(HTREEITEM hItem) override;
    CMsgAccountBase* GetDocAccount(CQuillmarBaseDoc* pDoc) override;
    CQuillmarBaseDoc* CreateDocument() override;
    CQuillmarBaseDoc* OpenFile(LPCTSTR lpszPath, BOOL bCreateNew) override;
    BOOL CloseFile(CFileInfo* pInfo, BOOL bQuiet, BOOL bAskSave) override;
    void UpdateTitle() override;
    void DrawItemExtras(CDC* pDC, HTREEITEM hItem) override;
    void ShowItemMenu(HTREEITEM hItem, CPoint point) override;
    void InitView() override;
    // The account pages' reload and confirm go to the selected document's views (hint 1: the
    // sender form takes its changed pages into the account), also while the account is edited;
    // while a message is written they are the compose form's.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    BOOL m_bShowAllCounts = TRUE;
    BOOL m_bShowPendingCounts = FALSE;

protected:
    void OnNewAccount();
    void OnOpenAccounts();
    void OnSetActive();
    void OnCancelActive();
    void OnSendPending();
    void OnReceive();
    void OnWriteSms();
    void OnShowAllCounts();
    void OnShowPendingCounts();
    void OnShowSelection();
    void OnUpdateSendersCommand(CCmdUI* pCmdUI);
    // The gateway account dialogs, given the selected account's gateway user and password.
    void OnGatewayDialog(UINT nID);
    void OnGatewayDialogSignature();
    void OnGatewayRegister();
    void OnPasteSms();
    void OnUpdatePasteSms(CCmdUI* pCmdUI);
    void OnBoxStatistics(UINT nID);
    void OnImportCsv();
    void OnUpdateBoxCommand(CCmdUI* pCmdUI);
    LRESULT OnBeginWriting(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndWriting(WPARAM wParam, LPARAM lParam);
    LRESULT OnBeginAccountEdit(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndAccountEdit(WPARAM wParam, LPARAM lParam);
    LRESULT OnViewBusy(WPARAM wParam, LPARAM lParam);
    // The main window's queries (WM_USER+60 to 63).
    LRESULT OnQueryAccount(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryRootDocument(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryRootBox(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryItemDocument(WPARAM wParam, LPARAM lParam);
    // Enters a busy mode: the tree (or, editing an account, the bar that holds it) disabled,
    // the group commands off, the frame told, the later folders closed off.
    void EnterBusy(BOOL bDisableParent, int nPaneMode);
    void LeaveBusy();
    // Makes the account of the file active for the program (null: none).
    void TellActiveSender();
    DECLARE_MESSAGE_MAP()

private:
    // Marks the account's file modified, repaints the counts and, when the selected item is of
    // one of the kinds given, fills its views again.
    void RefreshAccount(_CSender* pAccount, int nKind, int nOtherKind);

    HICON m_hUnreadIcon = nullptr;
    int m_nSavedPaneMode = 0;
};
