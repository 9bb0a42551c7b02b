// Dialogs made from the templates of the resource scripts: modal (a nested event loop) and
// modeless, keyboard navigation, and data exchange between members and controls.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"

#include <functional>

class CDialog;

// Exchanges one member with one control, in either direction.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;

    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Puts the focus on the last control and abandons the exchange.
    [[noreturn]] void Fail();
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);

// Runs one exchange between a window's members and its controls; FALSE when a control refused
// its value (the user has been told and the focus is on it).
BOOL AfxExchangeData(CWnd* pWnd, BOOL bSaveAndValidate,
                     const std::function<void(CDataExchange*)>& exchange);

// ---- Windows built from a dialog template (dialogs, form views, dialog bars, pages) ----
struct ResDialog;
// The font of the template's FONT statement; it decides the size of a dialog unit.
void AfxCreateTemplateFont(const ResDialog& t, CFont& font);
// Creates the template's controls as children of pWnd in font and fills their initial list rows.
// Returns the id of the template's default push button, 0 when it has none.
UINT AfxCreateTemplateControls(CWnd* pWnd, const ResDialog& t, CFont& font);
// The template's own size in pixels of font.
CSize AfxTemplateSize(const ResDialog& t, CFont& font);

// Dialog keys for any window holding controls: Tab and Shift+Tab, arrows within a group,
// mnemonics, Enter (the focused push button, else nDefID) and Escape (IDCANCEL), as the system's
// dialogs handle them. TRUE when the key was used.
BOOL AfxIsDialogMessage(CWnd* pDlg, LPMSG lpMsg, UINT nDefID);
// Puts the focus on a control; an edit entered this way has its text selected.
void AfxGotoDlgCtrl(CWnd* pWndCtrl);
// Brings the enabled state of pDlg's controls up to date through ON_UPDATE_COMMAND_UI of
// pTarget; with bDisableIfNoHndler a command button nobody handles (pDlg's own map included) is
// disabled.
void AfxUpdateDialogControls(CWnd* pDlg, CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

    virtual INT_PTR DoModal();
    // A modeless dialog; it stays until DestroyWindow.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Tab, Enter and Escape as the system's dialogs handle them; TRUE when the key was used.
    BOOL IsDialogMessage(LPMSG lpMsg);
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void SetDefID(UINT nID);
    DWORD GetDefID() const;
    void MapDialogRect(LPRECT lpRect) const;
    // Brings the enabled state of every control up to date through ON_UPDATE_COMMAND_UI.
    void UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
    BOOL IsModal() const { return m_bModal; }

protected:
    LRESULT OnInitDialogMessage(WPARAM, LPARAM);
    // Acts on the control whose caption marks key with '&'; FALSE when none does.
    BOOL OnMnemonic(char key);
    void OnOKCommand() { OnOK(); }
    void OnCancelCommand() { OnCancel(); }
    void OnClose();
    // A dialog destroyed while its modal loop runs (by itself or with its owner) ends the loop;
    // DoModal then answers IDABORT unless EndDialog gave an answer first.
    void OnNcDestroy();
    BOOL CreateFromTemplate(CWnd* pParentWnd);
    // For a dialog whose window exists: shows it application-modal and runs the nested loop
    // (idle messages while it waits, the test hook once it shows) until EndDialog; then hides
    // and destroys the window and returns the result.
    INT_PTR RunModalLoop();

    CFont m_font;
    UINT m_nDefID = IDOK;
    int m_nModalResult = -1;
    bool m_bModal = false;
    void* m_loop = nullptr; // the nested event loop of DoModal
    DECLARE_MESSAGE_MAP()
};

// Runs as soon as a modal dialog is shown, inside its loop: tests fill it in and press buttons.
using ModalDialogHook = std::function<void(CDialog&)>;
ModalDialogHook AfxSetModalDialogHook(ModalDialogHook hook);
