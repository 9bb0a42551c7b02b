// The window of one logged-in e-card user: tool bar, status bar and busy animation above a
// navigation bar (the contacts tree and the account page) and the right pane. It owns the user's
// document, hands the user's finished requests back on the window thread and carries the account
// commands. While the user talks to the service it takes no command, says so in its status bar,
// and Escape stops the wait.
#pragma once

#include "ecard/ECUser.h"
#include "links/SendProgress.h"
#include "platform/gui/ControlBar.h"
#include "platform/gui/Frame.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/ToolBar.h"
#include "ui/AnimateImageWnd.h"

class CECContactsTreeView;
class CECOutbarWnd;
class CECRightPaneFrame;
class CECUserDoc;
class CECUserManagerView;
class CECUsersManager;

// The busy animation on the ground of the tool bar row.
class CECBusyWnd : public CAnimateImageWnd {
public:
    void FillBackground(CDC* pDC, const RECT* pRect) override;
};

class CDlgSendSmsProgress;

// The user's message runs shown in the send-progress window: a fresh window for each run, one
// row for each message with its recipients, Cancel stopping the run before the next message.
class CECSendProgressWindow : public CIECSendProgress, public CISendProgressOwner {
public:
    explicit CECSendProgressWindow(CWnd* pParent) : m_pParent(pParent) {}
    ~CECSendProgressWindow() override;
    CDlgSendSmsProgress* GetDialog() const { return m_pDialog; }

    void Start(LPCTSTR lpszCaption, int nMessages) override;
    void BeginMessage(LPCTSTR lpszRecipients) override;
    void ReportResult(int nCode, LPCTSTR lpszText) override;
    void Step() override;
    BOOL IsCancelled() const override { return m_bStop; }
    void ClearBusy() override;

    BOOL IsSending() const override { return m_bRunning; }
    void SetStopRequested(BOOL bStop) override { m_bStop = bStop; }
    CString GetSendResultText(int nCode) const override;
    void OnProgressDestroyed(CISendProgress* pProgress) override;

private:
    CWnd* m_pParent;
    CDlgSendSmsProgress* m_pDialog = nullptr;
    BOOL m_bRunning = FALSE;
    BOOL m_bStop = FALSE;
};

class CECFrame : public CFrameWnd, public CIECUserListener, public CECSessionOwner {
public:
    enum { IDR_ECFRAME = 2000, LeftPaneWidth = 200, AnimationTimerMs = 150 };

    CECFrame(CECUsersManager* pManager, CECUserDoc* pDoc);
    ~CECFrame() override;

    UINT GetUserNumber() const;
    CECUserDoc* GetUserDoc() const { return m_pDoc; }
    BOOL IsBusy() const { return m_bBusy; }
    CECContactsTreeView* GetTree() const { return m_pTree; }
    CECUserManagerView* GetAccountView() const { return m_pAccountView; }
    CECRightPaneFrame* GetRightPane() const { return m_pRightPane; }
    CECOutbarWnd* GetOutbar() const { return m_pOutbar; }
    CToolBar& GetToolBar() { return m_wndToolBar; }
    CAnimateImageWnd& GetAnimation() { return m_wndAnimate; }
    // The bars, then the busy animation at the right end of the tool bar row.
    void RecalcLayout(BOOL bNotify = TRUE) override;

    // Cleared when the account is deregistered: the window then closes without writing.
    BOOL m_bSaveOnClose = TRUE;

    // The menu is drawn by the program's menu service, with the command pictures beside the items.
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    // While the user talks to the service, Escape stops the wait.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // While the user talks to the service the status bar says so in place of "就绪".
    void GetMessageString(UINT nID, CString& rMessage) const override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;

    void OnECUserResult(CECUser*, int) override {}
    void OnECUserStartFailed(CECUser*, int) override {}
    void OnECUserSessionBegin(CECUser* pUser) override;
    void OnECUserSessionEnd(CECUser* pUser) override;
    void OnECSessionBegin(CECUser*) override {}
    void OnECSessionResult(CECUser* pUser, int nResult) override;
    void OnECSessionEnd(CECUser*) override {}
    // The default access of strangers through the access dialog (1511).
    void DefaultAccess();
    // The account dialogs (1524, 1509, 1508): a new password is kept at once; a deregistered
    // user's folder goes and the window closes.
    void ChangePassword();
    void ModifyAccount();
    void Deregister();

    // Hands a finished request of the user back; TRUE when one was.
    BOOL PollUser();
    // The compose dialog to the document's current contact (32807).
    void WriteMessage();
    CECSendProgressWindow& GetSendProgress() { return m_sendProgress; }

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnClose();
    void OnDestroy();
    LRESULT OnRelayout(WPARAM, LPARAM);
    void OnNewUser();
    void OnReceiveMessages();
    void OnOnlineHelp();
    void OnAbout();
    void OnHelpTopics();
    void OnExitWindow();
    void OnDefaultAccess() { DefaultAccess(); }
    void OnUpdateNotBusy(CCmdUI* pCmdUI);
    // The menu bar's pop-ups and the pop-ups shown for this window (the tree's menus) are drawn
    // like the program's main menu.
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS);
    LRESULT OnInitMenuPopupOwnerDraw(WPARAM wParam, LPARAM lParam);
    void OnUpdateWriteMessage(CCmdUI* pCmdUI);
    BOOL CreateToolBar();

    CECUsersManager* m_pManager;
    CECUserDoc* m_pDoc;
    BOOL m_bBusy = FALSE;
    HANDLE m_hUserLock = nullptr;
    CStatusBar m_wndStatusBar;
    CReBar m_wndReBar;
    CToolBar m_wndToolBar;
    CImageList m_toolImages;
    CECBusyWnd m_wndAnimate;
    CSplitterWnd m_wndSplitter;
    CECOutbarWnd* m_pOutbar = nullptr;
    CECContactsTreeView* m_pTree = nullptr;
    CECUserManagerView* m_pAccountView = nullptr;
    CECRightPaneFrame* m_pRightPane = nullptr;
    CECSendProgressWindow m_sendProgress{this};
    DECLARE_MESSAGE_MAP()
};
