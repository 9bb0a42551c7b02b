// The window in which one mail is written: a tool bar, the header bar (To, Cc, Bcc, subject), the
// plain-text body and the attachment bar, which takes files and whole folders, also dropped on
// the window. The mail goes to its account when it is sent, saved for sending, saved as a draft
// or saved with Ctrl+S; closing with changes that were not saved asks first.
#pragma once

#include "mail/EmailAccount.h"
#include "mail/ui/FileListCtrl.h"
#include "mail/ui/TxtEditView.h"
#include "platform/gui/DialogBar.h"
#include "platform/gui/Frame.h"
#include "platform/gui/ToolBar.h"

class CEmailMessage;

// A frame whose client area is one view of a class the derived frame names.
class CKovEditFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CKovEditFrame)
public:
    CKovEditFrame();
    // 1: the first view, 2: the second (null when there is none).
    CView* GetEditView(int nView) const;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;

    CRuntimeClass* m_pViewClass = nullptr;
    CCreateContext m_context;

protected:
    CView* m_pView1 = nullptr;
    CView* m_pView2 = nullptr;
};

// The recipients and the subject along the top of the compose frame; the fields stretch with it.
class CEditEmailHeaderBar : public CDialogBar {
    DECLARE_DYNAMIC(CEditEmailHeaderBar)
public:
    enum : UINT {
        IDD = 507,
        IDC_TO_BUTTON = 1021,
        IDC_CC_BUTTON = 1022,
        IDC_BCC_BUTTON = 1106,
        IDC_TO = 1174,
        IDC_CC = 1255,
        IDC_BCC = 1256,
        IDC_SUBJECT = 1006,
    };
    // FALSE when the template or its rich-edit fields cannot be made.
    BOOL Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID) override;
    CString GetField(UINT nID) const;
    void SetField(UINT nID, LPCTSTR lpszText);
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};

class CEditEmailFrame : public CKovEditFrame,
                        public CFileListCtrl::IListener,
                        public CIEmailComposeFrame {
    DECLARE_DYNAMIC(CEditEmailFrame)
public:
    enum : UINT {
        IDR_FRAME = 2004,
        ID_SEND = 32813,
        ID_SAVE_TO_SEND = 32823,
        ID_SAVE_DRAFT = 32824,
        ID_SAVE = 57603,
        ID_CLOSE = 57665,
        ID_HEADER_BAR = AFX_IDW_DIALOGBAR,
        ID_ATTACH_BAR = AFX_IDW_DIALOGBAR + 1,
    };

    // The frame of the account for the message (null: a new mail), loaded from resource 2004 and
    // shown. Null, with nothing left behind, when it cannot be made. The account's compose
    // factory.
    static CEditEmailFrame* Open(CEmailAccount* pAccount, CEmailMessage* pMessage);

    CEditEmailFrame(CEmailAccount* pAccount, CEmailMessage* pMessage);
    ~CEditEmailFrame() override;

    // ---- What the account sees -------------------------------------------------------------
    CEmailMessage* GetComposeMessage() const override { return m_pMessage; }
    int GetCloseAction() const override { return m_nAction; }
    void SetComposeMessage(CEmailMessage* pMessage) override { m_pMessage = pMessage; }
    void ActivateFrame() override { CKovEditFrame::ActivateFrame(-1); }
    using CKovEditFrame::ActivateFrame;
    BOOL QueryCloseFrame() override;
    void OnAccountClosing() override;

    // ---- Operations (the commands call them; tests may too) ---------------------------------
    // Fills the message from the fields (a new message is made when the frame has none).
    void FillMessage(int nState);
    // Ctrl+S: fills with state 1 and stores the message; the frame stays open. FALSE when the
    // account could not store it (the user is told).
    BOOL SaveNow();
    // Whether the fields differ from what was last loaded or saved.
    BOOL IsChanged() const;
    // Adds a dropped or chosen path (whole, however long) and shows the attachment bar.
    BOOL AddAttachment(LPCTSTR lpszPath);

    CEditEmailHeaderBar& GetHeaderBar() { return m_wndHeader; }
    CFileListBar& GetAttachBar() { return m_wndAttach; }
    CFileListCtrl& GetFileList() { return m_wndAttach.GetList(); }
    CToolBar& GetToolBar() { return m_wndToolBar; }
    CTxtEditView* GetBodyView() const { return dynamic_cast<CTxtEditView*>(GetEditView(1)); }
    CEmailAccount* GetAccount() const { return m_pAccount; }

    void OnFileListChanged(CFileListCtrl* pList) override;

    BOOL m_bHtml = FALSE;
    BOOL m_bReadReceipt = FALSE;
    BOOL m_bDraft = FALSE;
    CString m_strCharset = "gb2312";
    int m_nImportance = 2;

protected:
    // Shows the message in the fields (recipients, subject, text, attached files).
    void LoadMessage();
    // What the fields hold, to tell whether anything changed since the last save.
    CString Snapshot() const;
    void MarkSaved() { m_strSaved = Snapshot(); }
    // Fills with the state, sets the action and closes; a mail to send that cannot go is kept
    // open with the reason shown.
    void FillAndClose(int nAction, int nState, BOOL bCheckSendable);
    // Closes through the account; with bAsk a question about unsaved changes comes first.
    // TRUE when the window is gone.
    BOOL CloseThroughAccount(BOOL bAsk);
    void UpdateTitle();
    void ShowAttachBar(BOOL bShow);

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnClose();
    void OnDestroy();
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
    void OnSend();
    void OnSaveToSend();
    void OnSaveDraft();
    void OnSave();
    void OnCloseCommand();
    void OnUpdateAlwaysOn(CCmdUI* pCmdUI);

    CToolBar m_wndToolBar;
    CImageList m_toolImages;
    CEditEmailHeaderBar m_wndHeader;
    CFileListBar m_wndAttach;
    CEmailAccount* m_pAccount = nullptr;
    CEmailMessage* m_pMessage = nullptr;
    int m_nAction = ActionCancel;
    CString m_strSaved;
    BOOL m_bLoaded = FALSE;
    BOOL m_bClosing = FALSE; // the account has been told; the window is going
    DECLARE_MESSAGE_MAP()
};
