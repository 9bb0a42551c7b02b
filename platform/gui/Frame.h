// Frame windows: a top-level window holding a menu bar, control bars round its edges and a view
// (or a splitter of views) in the rest. Commands reach the active view and its document first,
// then the frame, then the application.
#pragma once

#include "platform/gui/Menu.h"
#include "platform/gui/View.h"

#include <vector>

class QMenuBar;

#define FWS_ADDTOTITLE 0x00008000L
#define FWS_PREFIXTITLE 0x00004000L
#define FWS_SNAPTOBARS 0x00002000L

// Ids of the standard control bars and of the range RepositionBars lays out.
#define AFX_IDW_CONTROLBAR_FIRST 0xE800
#define AFX_IDW_CONTROLBAR_LAST 0xE8FF
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_PREVIEW_BAR 0xE802
#define AFX_IDW_RESIZE_BAR 0xE803
#define AFX_IDW_REBAR 0xE804
#define AFX_IDW_DIALOGBAR 0xE805

// The status bar's message pane: WM_SETMESSAGESTRING shows the prompt of the string id in wParam
// (or the text lParam points to when wParam is 0) and answers the id shown before;
// WM_POPMESSAGESTRING goes back to the idle message.
// The commands of F6 and Shift+F6 in a frame with panes.
#define ID_NEXT_PANE 0xE150
#define ID_PREV_PANE 0xE151
#define WM_SETMESSAGESTRING 0x0362
#define WM_POPMESSAGESTRING 0x0375
#define AFX_IDS_IDLEMESSAGE 0xE001

// A shell command for the program's main window ([open("path")]): lParam points to its text.
// What the desktop's DDE conversation delivered there; here the copies' hand-over sends it.
#define WM_DDE_ACK 0x03E4
#define WM_DDE_EXECUTE 0x03E8

// WM_SIZEPARENT: a control bar takes its share of the layout rectangle.
#define WM_SIZEPARENT 0x0361
struct AFX_SIZEPARENTPARAMS {
    void* hDWP;
    RECT rect;
    SIZE sizeTotal;
    BOOL bStretch;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the frame from resource nIDResource: its title (the first part of the string),
    // its menu and its accelerators; the context makes the view.
    virtual BOOL LoadFrame(UINT nIDResource,
                           DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr,
                LPCTSTR lpszMenuName = nullptr, DWORD dwExStyle = 0,
                CCreateContext* pContext = nullptr);
    static const RECT rectDefault;

    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }
    // Shows the frame (nCmdShow -1: as it is, or normally when hidden) and brings it forward.
    virtual void ActivateFrame(int nCmdShow = -1);
    virtual void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);

    // Lays out the control bars and gives the rest to the pane (AFX_IDW_PANE_FIRST).
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    // The client rectangle below the menu bar.
    void GetLayoutRect(LPRECT lpRect) const;

    // The menu bar: the frame shows the menu and keeps it up to date through WM_INITMENUPOPUP.
    BOOL SetMenu(CMenu* pMenu);
    CMenu* GetMenu() const;
    void DrawMenuBar();
    HMENU m_hMenuDefault = nullptr;
    HACCEL m_hAccelTable = nullptr;

    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    void SetTitle(LPCTSTR lpszTitle) { m_strTitle = lpszTitle; }
    CString GetTitle() const { return m_strTitle; }

    void ShowControlBar(CWnd* pBar, BOOL bShow, BOOL bDelay);
    // Sends WM_IDLEUPDATECMDUI to the control bars so their buttons follow the commands' state.
    void OnIdleUpdateCmdUI();
    void BeginModalState();
    void EndModalState();
    BOOL InModalState() const { return m_nModalCount > 0; }

    // The prompt of a command: its string resource up to the first "\n" (the tip follows it).
    virtual void GetMessageString(UINT nID, CString& rMessage) const;
    // Shows a text, or the prompt of a command, in the message pane of the status bar (the
    // status bar of the outermost frame).
    void SetMessageText(LPCTSTR lpszText);
    void SetMessageText(UINT nID);
    // The status bar (AFX_IDW_STATUS_BAR) or null.
    CWnd* GetMessageBar() const;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    // Tool tips that ask for their text (TTN_NEEDTEXT) and are not answered otherwise get the
    // part of the command's string resource after "\n".
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void PostNcDestroy() override;

protected:
    // A click on the frame's own ground (or on a bar, which passes it on) does not move the
    // focus; the frame hands it to its view when it is activated.
    void OnWidgetCreated() override;
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnDestroy();
    void OnSetFocus(CWnd* pOldWnd);
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateMessage(WPARAM, LPARAM);
    LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    LRESULT OnPopMessageString(WPARAM wParam, LPARAM lParam);
    LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
    // F6 and Shift+F6 (ID_NEXT_PANE, ID_PREV_PANE): the focus moves between the panes of the
    // splitter that holds it, or of the frame's first splitter.
    void OnNextPane(UINT nID);
    void OnUpdateNextPane(CCmdUI* pCmdUI);
    // Carries the command out through the application's OnDDECommand; while the frame is
    // disabled or a modal dialog runs, the command waits and is carried out once it is free.
    LRESULT OnDDEExecute(WPARAM wParam, LPARAM lParam);
    void RunWaitingShellCommands();
    void EnsureMenuBar();
    // Takes the title from the first part of the frame's string resource.
    void LoadTitle(UINT nIDResource);

    CView* m_pViewActive = nullptr;
    CString m_strTitle;
    UINT m_nIDHelp = 0;
    int m_nModalCount = 0;
    CMenu m_menu;
    QMenuBar* m_pMenuBar = nullptr;
    HMENU m_hShownMenu = nullptr;
    DWORD m_dwFrameStyle = 0; // the FWS_ styles LoadFrame was given
    UINT m_nIDLastMessage = 0;  // the prompt shown in the message pane (0: a text or nothing)
    CString m_strTipText;       // the text a tool tip was last answered with
    std::vector<CString> m_waitingShellCommands; // handed over while the frame was busy
    DECLARE_MESSAGE_MAP()
};

// LoadFrame on a new frame object; when it fails the object is gone afterwards either way (a
// frame whose window existed deleted itself with it).
BOOL AfxCreateFrameSafely(CFrameWnd* pFrame, UINT nIDResource, DWORD dwStyle, CWnd* pParent,
                          CCreateContext* pContext);

// The frame a window lies in (its nearest frame parent); with bTop the outermost one.
CFrameWnd* AfxGetParentFrame(const CWnd* pWnd);
CFrameWnd* AfxGetTopLevelFrame(const CWnd* pWnd);

// Lays out the children of pParent with ids nIDFirst..nIDLast (control bars: each takes its share
// through WM_SIZEPARENT) and gives what is left to the child nIDLeftOver. With bQuery nothing moves
// and *lpRectParam receives the space left.
void AfxRepositionBars(CWnd* pParent, UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver,
                       BOOL bQuery = FALSE, LPRECT lpRectParam = nullptr,
                       LPCRECT lpRectClient = nullptr, BOOL bStretch = TRUE);

// Brings a menu's items up to date through the command handlers of pTarget (WM_INITMENUPOPUP).
void AfxUpdateMenuCmdUI(CMenu* pMenu, CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
