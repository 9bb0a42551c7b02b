// What the contact view shows of messages: CViewSmsRecord lists a contact's received and sent
// messages, and CFormContent shows either the selected message (a coloured header over its
// text) or one field of the contact (a title over the field's text).
#pragma once

#include "platform/gui/CtrlView.h"
#include "platform/gui/Dc.h"
#include "platform/gui/FormView.h"
#include "platform/gui/ListCtrl.h"
#include "platform/gui/RichEditCtrl.h"
#include "ui/BkManager.h"
#include "contacts/ui/ViewPerson.h"
#include "ui/RightPaneView.h"

class CContent;
class _CSms;

class CFormContent : public CFormView, public CIRecordContentPane {
    DECLARE_DYNCREATE(CFormContent)
public:
    enum { IDD = 250 };
    enum : UINT {
        IDC_SENDER_LABEL = 1089, IDC_DATE_LABEL = 1090, IDC_RECIPIENT = 1091, IDC_TIME = 1092,
        IDC_RECIPIENT_LABEL = 1093, IDC_TIME_LABEL = 1094, IDC_SENDER = 1095, IDC_DATE = 1096,
        IDC_TITLE = 1097, IDC_TEXT_TOP = 1098, IDC_SEND_ICON = 1099, IDC_RECEIVE_ICON = 1100,
        IDC_TEXT = 1103,
    };
    enum : UINT { ID_CHOOSE_FONT = 415, ID_DEFAULT_FONT = 416, ID_COPY = 57634 };
    enum { ModeMessage = 0, ModeRecord = 1 };

    CFormContent();
    ~CFormContent() override;

    void SetMode(int nMode);
    int GetMode() const { return m_nMode; }
    // Record mode: one field of the record (a list field one entry a line).
    void ShowRecordField(CContent* pRecord, int nField, LPCTSTR lpszTitle);
    void SetTitleAndText(LPCTSTR lpszText, LPCTSTR lpszTitle);
    // From the contact's information list: record mode with the field (a list field entry by
    // entry, any other its text).
    void ShowRecordContent(CContent* pRecord, int nField, LPCTSTR lpszText,
                           LPCTSTR lpszTitle) override;
    // Message mode: the message's header and text; all empty without one.
    void ShowMessage(_CSms* pSms);
    // The editor's font: the form's font in "Fixedsys" at one and a half times its height.
    void ApplyDefaultFont();
    const LOGFONT& GetEditorFont() const { return m_logFont; }
    BOOL IsEditorFocused() const { return m_bEditorFocused; }
    CRichEditCtrl& GetEditor() { return m_text; }

    void OnInitialUpdate() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void ApplyFont(const LOGFONT& lf);
    void Layout(int cx, int cy);

    CRichEditCtrl m_text;
    CBrush m_brush;
    BOOL m_bEditorFocused = FALSE;
    int m_nMode = ModeRecord;
    LOGFONT m_logFont{};
    CFont m_font;
    BOOL m_bInitialized = FALSE;

    void OnSize(UINT nType, int cx, int cy);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnEditorSetFocus();
    void OnEditorKillFocus();
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnChooseFont();
    void OnDefaultFont();
    void OnCopy();
    DECLARE_MESSAGE_MAP()
};

class CViewSmsRecord : public CListView, public CIRightPaneView, public CIContentPaneUser {
    DECLARE_DYNCREATE(CViewSmsRecord)
public:
    CViewSmsRecord();

    void SetContentForm(CFormContent* pForm) { m_pForm = pForm; }
    void LinkContentPane(CWnd* pPane) override;
    CFormContent* GetContentForm() const { return m_pForm; }
    _CSms* GetSelectedSms() const { return m_pSelected; }
    CListCtrlBkManager& GetBkManager() { return m_bkManager; }
    // Refills from a contact's inbox and sent box; with none (or no contact) the list and the
    // form are emptied, so no row outlives its message.
    void Fill(CContent* pContact);

    void SetNotifyWnd(CWnd* pWnd) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;

protected:
    CListCtrlBkManager m_bkManager;
    CFormContent* m_pForm = nullptr;
    _CSms* m_pSelected = nullptr;
    BOOL m_bInitialized = FALSE;

    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBkCommand(UINT nID);
    void OnUpdateBkCommand(CCmdUI* pCmdUI);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
