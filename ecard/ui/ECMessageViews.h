// Messages between e-card users: the dialog that writes one to a contact (the SMS compose dialog
// with the service's own send, its mail switches and the field-list markers), and the right
// pane's message view of a contact: its box tree with the unread and waiting counts beside each
// box, the list of the selected box over the text of the focused message.
#pragma once

#include "ecard/ECUser.h"
#include "platform/gui/CtrlView.h"
#include "platform/gui/Splitter.h"
#include "sms/ui/DlgEditSms.h"
#include "sms/ui/SmsView.h"
#include "ui/TreeViewDrawHelper.h"

class CECContact;
class CECUserDoc;
class _CSmsBox;

// What the message views need of the window they sit in: the user's document and the user.
class CECManagerViewBase {
public:
    explicit CECManagerViewBase(CView* pView) : m_pView(pView) {}
    virtual ~CECManagerViewBase() = default;
    CECUserDoc* GetUserDoc() const;
    CECUser* GetUser() const;
    // The contact the document shows, null for a group or nothing.
    CECContact* GetCurrentContact() const;
    // Cleared while a card is being edited.
    BOOL m_bCommandsEnabled = TRUE;

private:
    CView* m_pView;
};

class CDlgEditECMessage : public CDlgEditSms {
public:
    enum { IDD = 4004 };
    enum : UINT {
        IDC_TEMPLATES = 1216,
        IDC_TO_MAILBOX = 1024,
        IDC_COPY_TO_ME = 1207,
    };
    // The flag bits of a message the two mail switches stand for.
    enum : DWORD { FLAG_TO_MAILBOX = 1, FLAG_COPY_TO_ME = 2 };
    // The dialog's own answer after "立即发送" sent the message.
    enum { IDSENT = IDC_SEND_NOW };

    CDlgEditECMessage(CECUser* pUser, CWnd* pParent = nullptr);

    // Set by the caller before DoModal (the base's m_pSms is the message to edit, if any).
    CECContact* m_pContact = nullptr;
    BOOL m_bTemplates = TRUE;
    BOOL m_bToMailbox = FALSE;
    BOOL m_bCopyToMe = FALSE;

    // Puts the text in place of the message text's selection; while template analysis is on and
    // the recipient ID names one of the user's contacts, its markers are filled for it.
    void InsertText(const CString& text);
    _CSms* GetMessage() const { return m_pSms; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void InitDialogControls() override;
    BOOL Save(int nState) override;
    void OnCancel() override;
    // Builds the message from the controls (made when there is none); FALSE with the reason
    // shown when the text is empty.
    BOOL BuildMessage();
    // Files the built message with the state in the recipient contact's box.
    void FileMessage(int nState);
    void OnECSendNow();
    void OnECTextChange();
    void OnECPhrases();
    LRESULT OnECInsertText(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CECUser* m_pUser;
};

// Opens the compose dialog to the contact (or on a message: edit, or a copy for resend, reply
// and forward, with the caption). Answers the dialog's result; a message made for it and not
// filed is gone by then.
int EditECMessage(CECUser* pUser, CECContact* pContact, _CSms* pMessage, LPCTSTR lpszCaption,
                  CWnd* pParent);

// The messages of a contact's box tree in the state, recycle boxes left out.
int CollectECMessages(CECContact& contact, int nState, CObList& out);

class CECMessageListView : public CSmsView, public CECSessionOwner, public CECManagerViewBase {
    DECLARE_DYNCREATE(CECMessageListView)
public:
    enum : UINT { ID_EDIT_MESSAGE = 32792 };
    CECMessageListView();
    // The doc's box only while it lies in the current contact's box tree.
    CMsgBoxBase* GetBox() const override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    // Sends the selected messages whose home box is the outbox; FALSE when none.
    BOOL SendSelectedMessages();
    // Opens the compose dialog on the current message (32792) or a copy of it.
    void EditCurrent(UINT nID);

    void OnECSessionBegin(CECUser* pUser) override;
    void OnECSessionResult(CECUser* pUser, int nResult) override;
    void OnECSessionEnd(CECUser* pUser) override;

protected:
    void OnCmdSend();
    void OnUpdateCmdSend(CCmdUI* pCmdUI);
    void OnCmdEdit(UINT nID);
    void OnUpdateCmdEdit(CCmdUI* pCmdUI);
    void OnUpdateDisabled(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

class CECMessageContentView : public CViewSmsContent {
    DECLARE_DYNCREATE(CECMessageContentView)
public:
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
};

class CECMsgListContainerView : public CSplitterView {
    DECLARE_DYNCREATE(CECMsgListContainerView)
public:
    CECMsgListContainerView();
    CECMessageListView* GetMessageList() const;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
};

class CECMessageTreeView : public CTreeView, public CECSessionOwner, public CECManagerViewBase {
    DECLARE_DYNCREATE(CECMessageTreeView)
public:
    enum { KindNone = -1, KindRoot = 3, KindInbox = 101, KindOutbox = 102, KindSent = 103,
           KindRecycle = 104, KindUserBox = 105 };
    enum : UINT { IDR_MENU = 2003, ID_SEND_WAITING = 349, ID_BOX_NEW = 32816, ID_BOX_RENAME = 32820,
                  ID_BOX_DELETE = 32817, ID_BOX_STATISTICS = 368, ID_PASTE = 57637,
                  ID_EXPORT_CARDS = 330 };
    // The root's picture: icon 163, added after the item strip.
    enum { ImgRoot = 11 };
    static constexpr UINT IDI_ROOT = 163;

    CECMessageTreeView();
    int GetItemKind(HTREEITEM hItem) const;
    _CSmsBox* GetItemBox(HTREEITEM hItem) const;
    HTREEITEM FindBoxItem(const _CSmsBox* pBox) const;
    // The texts drawn after a box's label: "n未读 " and "n待发 ", each only when not zero.
    static CString UnreadText(const _CSmsBox& box);
    static CString WaitingText(const _CSmsBox& box);
    // Sends every waiting message of the contact's boxes; FALSE when there is none.
    BOOL SendWaiting();
    // The item's menu at a screen point, as a right click opens it.
    void ShowItemMenu(HTREEITEM hItem, CPoint point);
    // A box of the user's own under the selected box (or the contact's boxes), its label opened.
    _CSmsBox* NewBox();
    // Deletes the selected box of the user's own (asking first when it holds messages); the
    // standard boxes stay. TRUE when it went.
    BOOL DeleteSelectedBox();

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnECSessionBegin(CECUser* pUser) override;
    void OnECSessionResult(CECUser* pUser, int nResult) override;
    void OnECSessionEnd(CECUser* pUser) override;

protected:
    void Fill();
    void InsertBoxes(HTREEITEM hParent, _CSmsBox& box);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCmdSendWaiting();
    void OnUpdateSendWaiting(CCmdUI* pCmdUI);
    void OnCmdNewBox() { NewBox(); }
    void OnCmdRenameBox();
    void OnCmdDeleteBox() { DeleteSelectedBox(); }
    void OnCmdStatistics();
    void OnUpdateNewBox(CCmdUI* pCmdUI);
    void OnUpdateUserBox(CCmdUI* pCmdUI);
    void OnUpdateAnyBox(CCmdUI* pCmdUI);
    void OnCmdPaste();
    void OnUpdatePaste(CCmdUI* pCmdUI);
    void OnCmdExport();
    void OnUpdateExport(CCmdUI* pCmdUI);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void MarkModified();
    DECLARE_MESSAGE_MAP()

    int m_nSelectedBox = -1; // the selected box's place in the contact's tree, -1 the root
    BOOL m_bFilling = FALSE;
    BOOL m_bSetUp = FALSE;
    CTreeViewDrawHelper m_drawHelper;
    CImageList m_images;
};

class CECMessageContainerView : public CView {
    DECLARE_DYNCREATE(CECMessageContainerView)
public:
    enum { TreeWidth = 200 };
    CECMessageTreeView* GetTree() const;
    CECMsgListContainerView* GetListContainer() const;
    CSplitterWnd& GetSplitter() { return m_splitter; }
    void OnInitialUpdate() override;
    void OnUpdate(CView*, LPARAM, CObject*) override {}
    void OnDraw(CDC*) override {}
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    CSplitterWnd m_splitter;
    BOOL m_bInitialized = FALSE;
    DECLARE_MESSAGE_MAP()
};
