// The navigation bar: a child window holding a list of folders, each a child window (a module's
// view or a page), that shows the selected folder's window in its client area and switches folders
// by buttons. Four looks: the classic drawer (buttons stacked above and below the folder), a
// single window without buttons, vertical tabs down the left edge, and a modern drawer.
#pragma once

#include "ui/PaneHosts.h"

#include "platform/gui/Dc.h"
#include "platform/gui/View.h"

#include <vector>

class CArchive;

// Sent to a folder window (WM_USER + 101): wParam 300 the folder was activated, 301 it was left;
// lParam the folder index.
#define WM_OUTBAR_FOLDER (WM_USER + 101)
#define OUTBAR_FOLDER_ACTIVATED 300
#define OUTBAR_FOLDER_DEACTIVATED 301

class COutbarWnd : public CWnd, public CINavigationBarHost {
    DECLARE_DYNCREATE(COutbarWnd)
public:
    enum { StyleDrawer = 0, StyleSingle = 1, StyleTabs = 2, StyleModernDrawer = 3 };
    // Hit-test answers besides a folder index.
    enum { HitFolderArea = 1000, HitNothing = 1001 };
    // Geometry of the styles.
    enum { DrawerButtonHeight = 17, TabHeight = 70, TabStripWidth = 23 };
    // Child id of the window of view folder i.
    static UINT FolderViewId(int i) { return AFX_IDW_PANE_FIRST + (UINT)i; }

    struct CFolderInfo {
        int nIndex = 0;
        CString strCaption;
        int nImage = 0;
        // 1: the folder's window is a view found again by its child id; 0: pWnd.
        int bView = 0;
        CWnd* pWnd = nullptr;
        int bDisabled = 0;
        // The handle pWnd had: a page whose window has gone (and whose object went with it) is
        // found no more.
        HWND hWnd = nullptr;
    };

    explicit COutbarWnd(int nStyle = StyleDrawer);
    ~COutbarWnd() override;

    // A visible child; border and scroll-bar bits of dwStyle are dropped.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID);

    // Sets the look and its geometry; the caller lays out and repaints.
    void SetStyle(int nStyle);
    int GetStyle() const { return m_nStyle; }
    int GetSelFolder() const { return m_nSelFolder; }
    int GetFolderCount() const override { return m_nFolders; }
    const CString& GetFolderCaption(int i) const;

    // A view of pClass as a child with id FolderViewId(index), told its initial update, and a
    // folder for it at the end. Null, with no folder added, when it cannot be made or a child
    // with that id exists already.
    CWnd* AddFolderView(CRuntimeClass* pClass, CCreateContext* pContext, LPCTSTR lpszCaption,
                        int nImage = 0);
    // The same for a window of pClass created under pParent with id nID, kept by pointer (a
    // dialog class is made from the template its constructor names).
    // Folder windows go with their windows: views delete themselves, and a class of another
    // kind deletes itself after its window (PostNcDestroy), as the bar never deletes one.
    CWnd* AddFolderPage(CRuntimeClass* pClass, CCreateContext* pContext, LPCTSTR lpszCaption,
                        UINT nID, CWnd* pParent, int nImage = 0);

    // Null outside 0..count-1.
    CWnd* GetFolderWnd(int i) const;
    CWnd* GetSelFolderWnd() const { return GetFolderWnd(m_nSelFolder); }
    void SetFolderCaption(int i, LPCTSTR lpszCaption, BOOL bRelayout = FALSE) override;
    void EnableFolder(int i, BOOL bEnable) override;
    void ShowFolderOf(CWnd* pWnd) override;
    // A folder that does not exist counts as disabled.
    BOOL IsFolderEnabled(int i) const;

    // Makes folder i the selected one; a disabled folder is refused (FALSE). The folder left is
    // told it was left, and with bNotify folder i is told it was activated, even when it was
    // selected already.
    BOOL SelectFolder(int i, BOOL bNotify);
    void ActivateFolderWnd(int i);
    void LayoutFolderWnds() override;
    virtual void OnFolderChanged(int /*i*/) {}

    // The cursor over the buttons; a shared one is never destroyed by the bar. Answers the one
    // before.
    HCURSOR SetCursorHandle(HCURSOR hCursor, BOOL bShared);
    // While locked, clicks do not switch folders.
    void SetMouseLock(BOOL bLock) { m_bMouseLock = bLock; }
    BOOL IsMouseLocked() const { return m_bMouseLock; }

    // Areas in client coordinates.
    void GetFolderArea(CRect& rect) const;
    BOOL GetButtonRect(int i, CRect& rect) const;
    // A folder index, HitFolderArea or HitNothing.
    int HitTest(CPoint point) const;
    // The button under the mouse, -1 for none; one value for every bar.
    static int GetHotButton() { return s_nHotButton; }

    // Paints folder i's button; with no DC it only invalidates the button.
    virtual void DrawFolderButton(CDC* pDC, const CRect& rect, int i, BOOL bHot);

    // The folder list: count, then per folder index, caption, image, view flag, a window slot
    // and the disabled flag. The window slot is always written as 0 and never used when read:
    // a window lives only as long as the run that made it; view folders are found again by
    // their child ids.
    void Serialize(CArchive& ar) override;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    void GetBaseRect(CRect& rect) const;
    void AppendFolder(CWnd* pWnd, LPCTSTR lpszCaption, int nImage, BOOL bView);
    void DrawDrawerButton(CDC* pDC, const CRect& rect, int i, BOOL bHot);
    void DrawModernButton(CDC* pDC, const CRect& rect, int i, BOOL bHot);
    void DrawTabButton(CDC* pDC, const CRect& rect, int i, BOOL bHot);
    void DrawTabStrip(CDC* pDC);
    CFont* GetBoldFont();
    static CFont* GetVerticalFont();
    BOOL IsDrawn(int i) const;
    COLORREF DisabledText() const;

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    void OnEnable(BOOL bEnable);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

    std::vector<CFolderInfo> m_folders;
    int m_nButtonHeight = 0;
    int m_nTabWidth = 0;
    int m_cxMargin = 0;
    int m_cyMargin = 0;
    int m_nFolders = 0;
    int m_nSelFolder = -1;
    BOOL m_bMouseLock = FALSE;
    BOOL m_bEnabled = TRUE;
    HCURSOR m_hCursor = nullptr;
    BOOL m_bSharedCursor = TRUE;
    CFont m_boldFont;
    int m_nStyle = StyleDrawer;

    static int s_nHotButton;
};
