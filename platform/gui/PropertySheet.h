// Property sheets: pages built from dialog templates under a row of tabs, with OK, Cancel, Apply
// and Help below them, or as a wizard with Back, Next and Finish. A sheet runs modally, modelessly
// as a window of its own, or as a child window inside another window (no buttons then). Pages
// are made the first time they are shown and hear of activation, validation, apply and cancel
// through WM_NOTIFY; the sheet answers the PSM_ messages the pages and their owners send.
#pragma once

#include "platform/gui/Dialog.h"
#include "platform/gui/TabCtrl.h"

#include <vector>

#ifndef IDHELP
#define IDHELP 9
#endif

// The sheet's own controls.
#define AFX_IDC_TAB_CONTROL 0x3020
#define ID_APPLY_NOW 0x3021
#define ID_WIZBACK 0x3023
#define ID_WIZNEXT 0x3024
#define ID_WIZFINISH 0x3025
#define AFX_IDC_WIZ_LINE 0x3026

#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_WIZARDHASFINISH 0x00000010
#define PSH_WIZARD 0x00000020
#define PSH_NOAPPLYNOW 0x00000080
#define PSH_HASHELP 0x00000200
#define PSH_MODELESS 0x00000400

#define PSP_DEFAULT 0x00000000
#define PSP_USETITLE 0x00000008
#define PSP_HASHELP 0x00000020

#define PSN_FIRST (0U - 200U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_WIZBACK (PSN_FIRST - 6)
#define PSN_WIZNEXT (PSN_FIRST - 7)
#define PSN_WIZFINISH (PSN_FIRST - 8)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)

#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_SETTITLE (WM_USER + 111)
#define PSM_SETWIZBUTTONS (WM_USER + 112)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_SETFINISHTEXT (WM_USER + 115)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)

#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6

#define PSWIZB_BACK 0x00000001
#define PSWIZB_NEXT 0x00000002
#define PSWIZB_FINISH 0x00000004
#define PSWIZB_DISABLEDFINISH 0x00000008

class CPropertySheet;
class CPropertyPage;
// A page as the PSM_ messages name it.
typedef CPropertyPage* HPROPSHEETPAGE;

struct PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam;
};
typedef PSHNOTIFY* LPPSHNOTIFY;

struct PROPSHEETHEADER {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    LPCTSTR pszCaption;
    UINT nPages;
    UINT nStartPage;
};

struct PROPSHEETPAGE {
    DWORD dwSize;
    DWORD dwFlags;
    UINT nIDTemplate;
    LPCTSTR pszTitle;
    LPARAM lParam;
};

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    CPropertyPage();
    // nIDCaption names a string for the tab; 0 takes the template's caption.
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
    ~CPropertyPage() override;
    void Construct(UINT nIDTemplate, UINT nIDCaption = 0);

    PROPSHEETPAGE m_psp;

    // The text of the page's tab.
    CString GetCaption() const;
    // Tells the sheet that the page holds changes to apply (enables Apply) or none any more.
    void SetModified(BOOL bChanged = TRUE);
    // Changes that cannot be undone were made: Cancel is disabled and OK becomes "Close".
    void CancelToClose();
    // Asks the other pages of the sheet; the first non-zero answer comes back.
    LRESULT QuerySiblings(WPARAM wParam, LPARAM lParam);

    // Activation: TRUE accepts. The first activation leaves the controls as OnInitDialog filled
    // them; every later one moves the members into the controls again.
    virtual BOOL OnSetActive();
    // Leaving the page: the controls are read back; FALSE (bad input) keeps the page.
    virtual BOOL OnKillActive();
    // OK or Apply: calls OnOK; FALSE keeps the sheet open on this page.
    virtual BOOL OnApply();
    // Cancel: calls OnCancel.
    virtual void OnReset();
    // A page is never ended by OK or Cancel; derived pages apply or discard their data here.
    void OnOK() override;
    void OnCancel() override;
    // FALSE refuses to cancel the sheet.
    virtual BOOL OnQueryCancel();
    // Wizard steps: 0 goes to the neighbouring page, -1 stays, any other value is the template
    // id of the page to go to.
    virtual LRESULT OnWizardBack();
    virtual LRESULT OnWizardNext();
    // FALSE keeps the wizard open.
    virtual BOOL OnWizardFinish();

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnWidgetCreated() override;
    // The sheet the page is shown in, null for a page hosted elsewhere.
    CPropertySheet* GetSheet() const;

    CString m_strCaption;
    BOOL m_bFirstSetActive = TRUE;

private:
    friend class CPropertySheet;
    // Makes the page's window as a child of the sheet.
    BOOL CreateInSheet(CPropertySheet* pSheet);
    // The sheet whose list holds the page; a page that goes first takes itself off the list.
    CPropertySheet* m_pOwnerSheet = nullptr;
    bool m_bCreatingInSheet = false;
    bool m_bModified = false;
};

class CPropertySheet : public CDialog {
    DECLARE_DYNAMIC(CPropertySheet)
    friend class CPropertyPage;

public:
    CPropertySheet();
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;
    void Construct(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    void Construct(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    PROPSHEETHEADER m_psh;

    // IDOK, IDCANCEL or (wizards) ID_WIZFINISH; -1 when the sheet could not be made.
    INT_PTR DoModal() override;
    // Modeless. (DWORD)-1 is a captioned pop-up with buttons; WS_CHILD makes a sheet without
    // buttons inside pParentWnd.
    virtual BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = (DWORD)-1, DWORD dwExStyle = 0);
    BOOL DestroyWindow() override;

    void AddPage(CPropertyPage* pPage);
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const;
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(CPropertyPage* pPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    // Before the window exists this only chooses the first page.
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);
    CTabCtrl* GetTabControl() const;
    // nStyle PSH_PROPTITLE shows "<text> 属性".
    void SetTitle(LPCTSTR lpszText, UINT nStyle = 0);
    void SetWizardMode();
    BOOL IsWizard() const { return (m_psh.dwFlags & PSH_WIZARD) != 0; }
    // PSWIZB_ flags: which of Back, Next and Finish can be pressed.
    void SetWizardButtons(DWORD dwFlags);
    void SetFinishText(LPCTSTR lpszText);
    // PSBTN_ codes; Back and Next also step through the pages of an ordinary sheet.
    void PressButton(int nButton);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void CommonConstruct(CWnd* pParentWnd, UINT iSelectPage);
    // Takes a page off the list without touching its window (the page is going away).
    void ForgetPage(CPropertyPage* pPage);
    BOOL BuildSheet(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle);
    // The whole switch: the old page may refuse to go (when asked), a page that refuses to come
    // (or cannot be made) is passed over in the direction of travel, and when none comes the old
    // page stays.
    BOOL ActivatePage(int nPage, bool bAskOld, int nDirection);
    LRESULT NotifyPage(int nPage, UINT code, LPARAM lParam = 0);
    // The buttons' actions; FALSE when a page kept the sheet from acting.
    BOOL Apply(BOOL bClosing);
    void Cancel();
    void WizardStep(bool bNext);
    void Finish();
    void ButtonCommand(UINT nID);
    // Tab and Shift+Tab from pFrom; FALSE when nothing can take the focus.
    BOOL MoveFocus(CWnd* pFrom, bool bBack);
    bool CanPress(UINT nID) const;
    void PlaceControls();
    void ShowWizardButtons();
    void UpdateCaption();
    void ApplyButtonState();
    CRect PageRect() const;

    std::vector<CPropertyPage*> m_pages;
    CString m_strCaption;
    bool m_bPropTitle = false;
    bool m_bChild = false;
    int m_nActive = -1;
    DWORD m_dwWizButtons = PSWIZB_BACK | PSWIZB_NEXT;
    CString m_strFinishText;
    CSize m_pageSize;
    CTabCtrl m_wndTab;
    CButton m_buttons[7];
    CStatic m_wndLine;
};
