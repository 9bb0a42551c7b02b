// The main window: a frame whose client area is a splitter with the navigation bar on the left and
// the right pane on the right, with the tool bar in a re-bar, the status bar, the tray icon and
// the new-message prompt. It keeps its size state, pane width and navigation style in the
// options, routes commands to the selected folder or the active document first, opens files by
// their extension through the modules, and closes in a fixed order.
#pragma once

#include "calendar/CalendarExtInfo.h"
#include "platform/gui/ControlBar.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/MdiFrame.h"
#include "platform/gui/ToolBar.h"
#include "shell/PromptInfoWnd.h"
#include "ui/PaneHosts.h"
#include "ui/SplitterWndEx.h"

class CMEIndicatorWnd;
class COutbarWnd;
class CRightPaneFrame;
class CSysTrayIcon;
class CDocument;

// Messages the frame answers.
#define WM_SET_CMD_ROUTING (WM_USER + 54)
#define WM_EDIT_MODE (WM_USER + 101)
#define EDIT_MODE_ENTER 100
#define EDIT_MODE_LEAVE 102
#define WM_NEW_MESSAGES (WM_USER + 300)
// Queries of the senders tree, asked of the frame and answered by the tree of the "短信管理"
// folder: the current account, the current root's document, the current account's top box
// (null when locked), the selected item's document.
#define WM_SENDERS_ACCOUNT (WM_USER + 60)
#define WM_SENDERS_ROOT_DOCUMENT (WM_USER + 61)
#define WM_SENDERS_ROOT_BOX (WM_USER + 62)
#define WM_SENDERS_ITEM_DOCUMENT (WM_USER + 63)
#define WM_TRAY_CALLBACK (WM_USER + 1000)

// The window class of the main window, by which a copy of the program finds it.
#define QUILLMAR_MAINFRAME_CLASS "QuillmarMainFrameWindow"

// System commands of the size state.
#define SC_MINIMIZE_CMD 0xF020
#define SC_MAXIMIZE_CMD 0xF030
#define SC_RESTORE_CMD 0xF120

class CMainFrame : public CMDIFrameWnd,
                   public CIPromptInfoWndListener,
                   public CIMainFrameHost,
                   public CCalendarExtInfoManager {
    DECLARE_DYNAMIC(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Opens a file by its extension in its module (quotes around the path are dropped). Null
    // while busy (after saying so), for an empty path, an unknown extension or a module that is
    // not in this build.
    CDocument* OpenFileByExtension(LPCTSTR lpszPath);

    COutbarWnd* GetOutbar() const { return m_pOutbar; }
    // The sources of the calendar's day entries (the open address books, the open schedules).
    CCalendarExtInfoManager* GetCalendarExtInfoManager() { return this; }
    CRightPaneFrame* GetRightPane() const { return m_pRightPane; }
    CWnd* GetFolderWnd(int i) const;
    // The account of the item selected in the senders tree, or null.
    class CMsgAccountBase* GetCurrentSender();
    CSysTrayIcon* GetTrayIcon() const { return m_pTrayIcon; }
    CToolBar& GetToolBar() { return m_wndToolBar; }
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }
    CSplitterWndEx& GetSplitter() { return m_wndSplitter; }
    void SetFolderCaption(int i, LPCTSTR lpszCaption);
    BOOL IsBusy() const { return m_bBusy; }
    // What the user is in the middle of (a message being written), shown before the title the
    // trees give the window; empty for nothing.
    void SetTitleNote(LPCTSTR lpszNote);
    BOOL IsNavigationReady() const { return m_bNavigationReady; }
    BOOL IsLeftPaneVisible() const { return m_bLeftPaneVisible; }
    int GetSizeCmd() const { return m_nSizeCmd; }
    int GetLastSizeCmd() const { return m_nLastSizeCmd; }
    int GetNewMessageCount() const { return m_nNewMessages; }
    CPromptInfoWnd* GetPromptWnd() const { return m_pPromptWnd; }
    // The phone's indicator in the status bar (null before the window is made).
    CMEIndicatorWnd* GetDeviceIndicator() const { return m_pIndicator; }
    // Shows the outcome of a phone command in a slide-in notice of its own.
    void ShowPhonePrompt(const CString& title, const CString& text, int kind, UINT ms);
    CPromptInfoWnd* GetPhonePromptWnd() const { return m_pPhonePrompt; }

    // Shows the window in the size state kept in the options, at the kept rectangle.
    void ShowInSavedState();
    // Shows or hides the tray icon; the window is shown first when it would be left unreachable.
    void ShowTrayIcon(BOOL bShow);
    // Whether the window hides to the tray: the icon is there and the desktop shows it.
    BOOL CanHideToTray() const;
    void OnPromptClosed() override;
    void SetKeyConsumed() override { m_bKeyConsumed = TRUE; }
    // Closes the program (the exit command): unlike the close box, never only to the tray.
    void CloseForExit();
    // Work going on in the background (a mail being sent): the status bar shows the text in
    // place of the idle message until it is set empty, so that a menu passing over it does not
    // hide it for good.
    void SetBackgroundStatus(const CString& text);
    void GetMessageString(UINT nID, CString& rMessage) const override;

    // The 28 images of the tool bar, in image order, and the tool bar's layout (0: separator).
    static const UINT kToolBarIcons[28];
    static const UINT kToolBarLayout[37];

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnClose();
    void OnDestroy();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnSize(UINT nType, int cx, int cy);
    void OnMove(int x, int y);
    void OnTimer(UINT_PTR nIDEvent);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS);
    LRESULT OnInitMenuPopupOwnerDraw(WPARAM wParam, LPARAM lParam);
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
    LRESULT OnTrayCallback(WPARAM wParam, LPARAM lParam);
    LRESULT OnEditMode(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCmdRouting(WPARAM wParam, LPARAM lParam);
    LRESULT OnRelayoutSplitter(WPARAM wParam, LPARAM lParam);
    LRESULT OnNewMessages(WPARAM wParam, LPARAM lParam);
    LRESULT AskSendersTree(UINT message);
    LRESULT OnSendersAccount(WPARAM, LPARAM) { return AskSendersTree(WM_SENDERS_ACCOUNT); }
    LRESULT OnSendersRootDocument(WPARAM, LPARAM) { return AskSendersTree(WM_SENDERS_ROOT_DOCUMENT); }
    LRESULT OnSendersRootBox(WPARAM, LPARAM) { return AskSendersTree(WM_SENDERS_ROOT_BOX); }
    LRESULT OnSendersItemDocument(WPARAM, LPARAM) { return AskSendersTree(WM_SENDERS_ITEM_DOCUMENT); }

    void OnViewLeftPane();
    void OnUpdateViewLeftPane(CCmdUI* pCmdUI);
    CWnd* BarOfCommand(UINT nID);
    void OnViewBar(UINT nID);
    void OnUpdateViewBar(CCmdUI* pCmdUI);
    void OnOutbarStyle(UINT nID);
    void OnUpdateOutbarStyle(CCmdUI* pCmdUI);
    void OnModule(UINT nID);
    void OnUpdateModule(CCmdUI* pCmdUI);
    void OnShowMainWnd();
    void OnUpdateUnchecked(CCmdUI* pCmdUI);
    void OnUpdateDisabled(CCmdUI* pCmdUI);
    void OnUpdatePrintSetup(CCmdUI* pCmdUI);
    void OnHelp();
    void OnOptions();
    void OnToolBarDropDown(NMHDR* pNMHDR, LRESULT* pResult);
    void OnReceiveSms();
    void OnUpdateReceiveSms(CCmdUI* pCmdUI);
    void OnDeviceSetup();
    void OnDeviceConnect();
    void OnDeviceDisconnect();
    void OnCallRecords();
    void OnUpdateDeviceConnect(CCmdUI* pCmdUI);
    void OnUpdateDeviceDisconnect(CCmdUI* pCmdUI);
    void PlaceDeviceIndicator();

    BOOL CreateToolBar();
    void OpenPresetFiles();
    void SaveWindowRect();
    void SetOutbarStyle(int nStyle);

    CSplitterWndEx m_wndSplitter;
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CReBar m_wndReBar;
    COutbarWnd* m_pOutbar = nullptr;
    CRightPaneFrame* m_pRightPane = nullptr;
    CSysTrayIcon* m_pTrayIcon = nullptr;
    CImageList m_toolImages;
    BOOL m_bLeftPaneVisible = TRUE;
    BOOL m_bBusy = FALSE;
    CString m_strTitleNote;
    CString m_strPlainTitle; // the title as last set, without the note
    BOOL m_bNavigationReady = FALSE;
    BOOL m_bCmdRouting = TRUE;
    int m_nSizeCmd = SC_MAXIMIZE_CMD;
    int m_nLastSizeCmd = SC_MAXIMIZE_CMD;
    CPromptInfoWnd* m_pPromptWnd = nullptr;
    int m_nNewMessages = 0;
    BOOL m_bKeyConsumed = FALSE;
    BOOL m_bExitRequested = FALSE;
    CString m_strBackgroundStatus;
    CMEIndicatorWnd* m_pIndicator = nullptr;
    CPromptInfoWnd* m_pPhonePrompt = nullptr;
    // Forgets the phone's notice when it has gone.
    class CPhonePromptListener : public CIPromptInfoWndListener {
    public:
        explicit CPhonePromptListener(CMainFrame* frame) : m_frame(frame) {}
        void OnPromptClosed() override { m_frame->m_pPhonePrompt = nullptr; }

    private:
        CMainFrame* m_frame;
    };
    CPhonePromptListener m_phonePromptListener{this};
    DECLARE_MESSAGE_MAP()
};
