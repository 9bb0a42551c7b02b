// Control bars: windows along the edges of a frame (tool bar, status bar, rebar). A bar takes its
// share of the frame's client area when the frame lays out (WM_SIZEPARENT), follows the state of
// its commands at idle time (WM_IDLEUPDATECMDUI) and passes the commands and notifications of its
// children on to the frame that owns it.
#pragma once

#include "platform/gui/Frame.h"

#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_FLOATING 0x0001L
#define CBRS_GRIPPER 0x00400000L
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define CBRS_NOALIGN 0x00000000L

#define ID_SEPARATOR 0
#define ID_INDICATOR_EXT 0xE700
#define ID_INDICATOR_CAPS 0xE701
#define ID_INDICATOR_NUM 0xE702
#define ID_INDICATOR_SCRL 0xE703
#define ID_INDICATOR_OVR 0xE704
#define ID_INDICATOR_REC 0xE705

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar();
    ~CControlBar() override;

    // The size the bar wants: along a horizontal edge its height (and the whole width when
    // stretched), along a vertical one its width.
    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    // Brings the bar's items up to date through the commands of pTarget.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler);

    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }
    // Docking elsewhere is not offered: a bar stays on the edge it was made for.
    void EnableDocking(DWORD) {}
    BOOL IsVisible() const { return IsWindowVisible(); }
    CFrameWnd* GetDockingFrame() const { return AfxGetParentFrame(this); }
    BOOL IsHorz() const { return (m_dwStyle & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)) != 0; }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    int m_cxLeftBorder = 6, m_cxRightBorder = 0, m_cyTopBorder = 2, m_cyBottomBorder = 2;
    BOOL m_bAutoDelete = FALSE;

protected:
    LRESULT OnSizeParent(WPARAM, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUIMessage(WPARAM wParam, LPARAM);
    void OnPaint();
    // Lays the bar's ground (the button face colour).
    BOOL OnEraseBkgnd(CDC* pDC);
    // Draws the border lines of the bar's style over the ground.
    virtual void DoPaint(CDC* pDC);
    void PostNcDestroy() override;
    // A bar never takes the focus on a click.
    void OnWidgetCreated() override;
    CWnd* CommandTarget() const;

    DWORD m_dwStyle = 0;
    DECLARE_MESSAGE_MAP()
};

#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS 0x0100
#define SBPS_POPOUT 0x0200
#define SBPS_OWNERDRAW 0x1000
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000

// The status bar: panes of text, the first stretching over what the others leave, the others
// as wide as their indicator's string.
class CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                  UINT nID = AFX_IDW_STATUS_BAR);
    // Ids of the panes: ID_SEPARATOR for a pane the program fills, else a string id whose text
    // sets the pane's width and is shown while the pane is enabled.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

    int GetCount() const { return (int)m_panes.size(); }
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate = TRUE);
    CString GetPaneText(int nIndex) const;
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    struct Pane {
        UINT id;
        UINT style;
        int cx;
        CString text;
    };
    void DoPaint(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy);
    std::vector<Pane> m_panes;
    DECLARE_MESSAGE_MAP()
};

#define RBBS_BREAK 0x00000001
#define RBBS_FIXEDSIZE 0x00000002
#define RBBS_CHILDEDGE 0x00000004
#define RBBS_HIDDEN 0x00000008
#define RBBS_FIXEDBMP 0x00000020
#define RBBS_GRIPPERALWAYS 0x00000080
#define RBBS_NOGRIPPER 0x00000100

// Bands of child windows side by side in one row along the top of the frame.
class CReBar : public CControlBar {
    DECLARE_DYNAMIC(CReBar)
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwCtrlStyle = 0,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                CBRS_TOP,
                UINT nID = AFX_IDW_REBAR);
    // The band's window becomes a child of the rebar; a control bar keeps its own height.
    BOOL AddBar(CWnd* pBar, LPCTSTR pszText = nullptr, CBitmap* pbmp = nullptr,
                DWORD dwStyle = RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP);
    int GetBandCount() const { return (int)m_bands.size(); }
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    struct Band {
        CWnd* wnd;
        CString text;
        DWORD style;
    };
    void LayoutBands();
    void OnSize(UINT nType, int cx, int cy);
    void DoPaint(CDC* pDC) override;
    std::vector<Band> m_bands;
    DECLARE_MESSAGE_MAP()
};
