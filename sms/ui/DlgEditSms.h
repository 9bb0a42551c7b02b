// The dialog in which the user writes one message to one contact, with the contact's received
// and sent messages in a panel beside it. The message is filed, as a draft, pending or to be sent
// at once, in the outbox of the contact's own box or of the sender account.
#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Dialog.h"
#include "ui/KovRichEditCtrl.h"

class CDocument;
class _CPerson;
class _CSender;
class _CSms;

class CDlgEditSms : public CDialog {
public:
    enum { IDD = 285 };
    enum : UINT {
        IDC_SENDER = 1006,
        IDC_NAME = 1007,
        IDC_NUMBER = 1229,
        IDC_TYPE = 1088,
        IDC_SUBJECT = 1108,
        IDC_LIMIT = 1137,
        IDC_MESSAGES = 1012,
        IDC_MESSAGES_SPIN = 1136,
        IDC_CODING_CHINESE = 1138,
        IDC_CODING_ENGLISH = 1139,
        IDC_TEXT = 1102,
        IDC_PHRASES = 1021,
        IDC_COPY = 1106,
        IDC_PASTE = 1107,
        IDC_HISTORY_BUTTON = 1104,
        IDC_HISTORY = 1101,
        IDC_HISTORY_FRAME = 1105,
        IDC_CURRENT = 1013,
        IDC_ALLOWED = 1014,
        IDC_PARTS = 1016,
        IDC_PLACE_CONTACT = 1213,
        IDC_PLACE_SENDER = 1214,
        IDC_SEND_NOW = 1109,
        IDC_PENDING = 1110,
        IDC_DRAFT = 1022
    };
    static constexpr UINT WM_INSERT_TEXT = 0x446;
    // Where a message is filed: the contact's own box or the sender account's.
    enum { PlaceContact = 0, PlaceSender = 1 };

    explicit CDlgEditSms(UINT nIDTemplate = IDD, CWnd* pParent = nullptr);
    ~CDlgEditSms() override;

    // Set by the caller before DoModal.
    _CPerson* m_pPerson = nullptr;
    _CSender* m_pSender = nullptr;
    _CSms* m_pSms = nullptr; // the message to fill; made on saving when none is given
    CString m_strCaption;

    // The program-wide settings of these dialogs: the message type and the save place.
    static int& SmsType();
    static int& SavePlace();
    BOOL IsHistoryShown() const { return !m_bHistoryCollapsed; }
    // The counts after the last change.
    int GetParts() const { return m_nParts; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Fills the controls; the e-card message dialog fills its own.
    virtual void InitDialogControls();
    // Files the message with the state; FALSE (with the reason shown) when it was not saved.
    virtual BOOL Save(int nState);

    void OnTypeChanged();
    void OnLimitChanged();
    void UpdateCounts();
    void ToggleHistory();
    void AppendHistory(_CSms* pSms);
    void UpdateCopyPaste();
    void OnTextChange();
    void OnCountInputChange();
    void OnSpinDelta(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSendNow();
    void OnPending();
    void OnDraft();
    void OnPhrases();
    void OnCopy();
    void OnPaste();
    LRESULT OnInsertText(WPARAM wParam, LPARAM lParam);
    LRESULT OnKickIdle(WPARAM wParam, LPARAM lParam);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

    CString m_strSender;
    CString m_strSubject;
    int m_nLimit = 1;
    UINT m_nMessages = 0;
    int m_nParts = 1;
    int m_nCoding = 0;
    float m_fCurrent = 0;
    CString m_strAllowed;
    CSpinButtonCtrl m_spin;
    CKovRichEditCtrl m_text;
    CKovRichEditCtrl m_history;
    BOOL m_bHistoryCollapsed = FALSE;
    int m_nTextLength = 0;
    BOOL m_bTooLong = FALSE;
    HWND m_hLastFocus = nullptr;
    int m_nLeft = 0, m_nTop = 0;
    BOOL m_bInitialised = FALSE;
    int m_nWideSize = 70, m_nAnsiSize = 160;
    int m_nRememberedLimit = 1;
    COLORREF m_crSent = RGB(0, 0, 255);
    COLORREF m_crReceived = RGB(255, 0, 0);
};

// One message to one contact from the address book: the compose dialog for the contact and, when
// the user chose to send at once, the send.
class CPersonSmsManager {
public:
    CPersonSmsManager(_CPerson* pPerson, CDocument* pDoc) : m_pPerson(pPerson), m_pDoc(pDoc) {}
    virtual ~CPersonSmsManager() = default;
    // 0 cancelled, 1 saved in the contact's box, 2 saved in the sender's box.
    int SendSmsToPerson();

protected:
    _CPerson* m_pPerson;
    CDocument* m_pDoc;
};
