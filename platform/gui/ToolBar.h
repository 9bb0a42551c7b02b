// The tool bar: a row of buttons with images from an image list (or the tool-bar resource's
// bitmap), separators, check buttons and buttons with a drop-down arrow. A click sends the
// button's command to the frame; the arrow sends TBN_DROPDOWN instead. Button states follow the
// commands' update handlers at idle time.
#pragma once

#include "platform/gui/ControlBar.h"
#include "platform/gui/ImageList.h"

#include <memory>

class CToolTipCtrl;

#define TBSTYLE_BUTTON 0x0000
#define TBSTYLE_SEP 0x0001
#define TBSTYLE_CHECK 0x0002
#define TBSTYLE_GROUP 0x0004
#define TBSTYLE_DROPDOWN 0x0008
#define TBSTYLE_AUTOSIZE 0x0010
#define TBSTYLE_TOOLTIPS 0x0100
#define TBSTYLE_FLAT 0x0800
#define TBSTYLE_LIST 0x1000
#define BTNS_WHOLEDROPDOWN 0x0080
#define TBSTYLE_EX_DRAWDDARROWS 0x00000001

#define TBBS_BUTTON 0x0000
#define TBBS_SEPARATOR 0x0001
#define TBBS_CHECKBOX 0x0002
#define TBBS_GROUP 0x0004
#define TBBS_DROPDOWN 0x0008
#define TBBS_CHECKED 0x00010000
#define TBBS_PRESSED 0x00020000
#define TBBS_DISABLED 0x00040000
#define TBBS_INDETERMINATE 0x00080000
#define TBBS_HIDDEN 0x00100000

#define TBN_FIRST (0U - 700U)
#define TBN_DROPDOWN (TBN_FIRST - 10)
#define TBDDRET_DEFAULT 0

struct TBBUTTON {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    DWORD_PTR dwData;
    INT_PTR iString;
};

struct NMTOOLBAR {
    NMHDR hdr;
    int iItem;
    TBBUTTON tbButton;
    int cchText;
    LPSTR pszText;
    RECT rcButton;
};

class CToolBar;

// The control side of a tool bar, as far as the program asks it.
class CToolBarCtrl {
public:
    explicit CToolBarCtrl(CToolBar* bar) : m_bar(bar) {}
    CImageList* SetImageList(CImageList* pImageList);
    CImageList* GetImageList() const;
    CImageList* SetDisabledImageList(CImageList* pImageList);
    DWORD SetExtendedStyle(DWORD dwExStyle);
    DWORD GetExtendedStyle() const;
    int GetButtonCount() const;
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const;
    BOOL IsButtonEnabled(int nID) const;
    BOOL IsButtonChecked(int nID) const;
    BOOL EnableButton(int nID, BOOL bEnable = TRUE);
    BOOL CheckButton(int nID, BOOL bCheck = TRUE);
    int CommandToIndex(UINT nID) const;

private:
    CToolBar* m_bar;
};

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    CToolBar();
    ~CToolBar() override;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                UINT nID = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                  CRect rcBorders = CRect(0, 0, 0, 0), UINT nID = AFX_IDW_TOOLBAR);
    // The buttons of the tool-bar resource and the images of the bitmap with the same id.
    BOOL LoadToolBar(UINT nIDResource);
    BOOL LoadBitmap(UINT nIDResource);
    // ID_SEPARATOR (0) makes a separator; other ids take the next image in turn.
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    void SetSizes(SIZE sizeButton, SIZE sizeImage);
    void SetHeight(int cyHeight);

    int GetCount() const { return (int)m_buttons.size(); }
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    UINT GetButtonStyle(int nIndex) const;
    void SetButtonStyle(int nIndex, UINT nStyle);
    void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
    // For a separator iImage is its width.
    void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
    BOOL SetButtonText(int nIndex, LPCTSTR lpszText);
    CString GetButtonText(int nIndex) const;
    CToolBarCtrl& GetToolBarCtrl() { return m_ctrl; }

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    // The buttons enabled and checked as pTarget's update handlers decide (a bar in a dialog
    // asks the dialog rather than a frame).
    void UpdateButtonsFrom(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

protected:
    struct Button {
        UINT id;
        UINT style; // TBBS_ style and state bits
        int image;  // image index, or the width of a separator
        CString text;
    };
    friend class CToolBarCtrl;

    void DoPaint(CDC* pDC) override;
    void OnLButtonDown(UINT nFlags, CPoint pt);
    void OnLButtonUp(UINT nFlags, CPoint pt);
    void OnLButtonDblClk(UINT nFlags, CPoint pt);
    // The pointer over a button: with CBRS_FLYBY its prompt goes to the frame's status bar,
    // with CBRS_TOOLTIPS its tip (the command string after "\n") shows after a rest.
    void OnMouseMove(UINT nFlags, CPoint pt);
    void OnWidgetCreated() override;
    void OnPointerLeft();
    void HoverButton(int nIndex);
    void RelayToTips(UINT message, CPoint pt);
    int HitButton(CPoint pt) const;
    BOOL HasDropArrow(const Button& b) const;
    friend class ToolBarLeaveFilter;

    std::vector<Button> m_buttons;
    CSize m_sizeButton{23, 22};
    CSize m_sizeImage{16, 15};
    DWORD m_dwCtrlStyle = 0;
    DWORD m_dwExStyle = 0;
    CImageList* m_pImageList = nullptr;
    CImageList* m_pDisabledImageList = nullptr;
    CImageList m_ownImages; // from LoadToolBar / LoadBitmap
    int m_nPressed = -1;
    int m_nHover = -1;
    std::unique_ptr<CToolTipCtrl> m_pTips;
    std::vector<std::pair<UINT, CRect>> m_tipTools; // the buttons the tips know, as they know them
    CToolBarCtrl m_ctrl{this};
    DECLARE_MESSAGE_MAP()
};
