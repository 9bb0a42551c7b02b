// The phone's set-up: the port and rate it is on, the service centre, whether it connects when
// the program starts and whether the centre is read from the phone; it connects and disconnects
// the phone and tells the outcome in the main window's slide-in prompt.
#pragma once

#include <functional>

#include "platform/gui/Controls.h"
#include "platform/gui/Dialog.h"

class CMobileAgent;

// Kinds of an outcome prompt.
enum { PHONE_PROMPT_INFO = 1, PHONE_PROMPT_WARNING = 2, PHONE_PROMPT_ERROR = 3 };
// How long an outcome prompt stays, in milliseconds.
constexpr UINT PHONE_PROMPT_MS = 15000;

// Shows an outcome: title, text, kind, how long.
using PhonePromptFn =
    std::function<void(const CString& title, const CString& text, int kind, UINT ms)>;

// What connecting a phone came to.
struct PHONE_CONNECT_OUTCOME {
    BOOL open = FALSE;
    CString title;
    CString text;
    int kind = PHONE_PROMPT_ERROR;
    CString serviceCentre; // read from the phone; empty when not asked or not read
};

// Probes the phone on the port; when it answers, keeps port and rate in the agent, sets it up and
// (when asked) reads its service centre. The port and rate stay as they were when it does not.
PHONE_CONNECT_OUTCOME ConnectPhone(CMobileAgent& agent, UINT nPort, UINT nBaud,
                                   BOOL bGetServiceCentre);

// Whether a service-centre number is one the encoder takes: digits with an optional leading "+",
// at most 16 of them. An empty number passes only when the phone is to tell it.
BOOL IsValidServiceCentre(const CString& number, BOOL bAutoGet);

class CDlgSetMobileEquipment : public CDialog {
public:
    enum { IDD = 4016 };
    enum {
        IDC_PORT = 4101,
        IDC_BAUD = 4102,
        IDC_SERVICE_CENTRE = 4103,
        IDC_AUTO_CONNECT = 4104,
        IDC_AUTO_GET_CENTRE = 4105,
        IDC_CLOSE_AFTER_CONNECT = 4106,
        IDC_ICON_PLACE = 4107,
        IDC_NOTE = 4108,
        IDC_CONNECT = 4109,
        IDC_DISCONNECT = 4110,
    };
    enum { IDI_PHONE_SETUP = 4030 };

    // A null agent leaves the buttons that work on it disabled.
    explicit CDlgSetMobileEquipment(CMobileAgent* pAgent, CWnd* pParent = nullptr);
    ~CDlgSetMobileEquipment() override;

    // Where outcomes are shown; a message box when none is set.
    void SetPrompt(PhonePromptFn prompt) { m_prompt = std::move(prompt); }

    UINT GetPortIndex() const { return m_nPortIndex; }
    UINT GetBaud() const { return m_nBaud; }
    const CString& GetServiceCentreText() const { return m_strServiceCentre; }
    // Kept for the whole program, also in the profile.
    static BOOL GetCloseAfterConnect();
    static void SetCloseAfterConnect(BOOL b);

    // The buttons as the user would press them (tests press them too).
    void OnConnect();
    void OnDisconnect();
    // The last outcome shown.
    const PHONE_CONNECT_OUTCOME& GetLastOutcome() const { return m_lastOutcome; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnPaint();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    // Reads the controls; FALSE, after telling the user, when the number is refused.
    BOOL ReadAndCheck();
    void UpdateButtons();
    void ShowOutcome(const PHONE_CONNECT_OUTCOME& outcome);

    CMobileAgent* m_pAgent;
    UINT m_nPortIndex = 1;
    UINT m_nBaud = 9600;
    CString m_strServiceCentre;
    BOOL m_bAutoConnect = FALSE;
    BOOL m_bAutoGetServiceCentre = TRUE;
    CComboBox m_portCombo;
    CComboBox m_baudCombo;
    HICON m_hIcon = nullptr;
    PhonePromptFn m_prompt;
    PHONE_CONNECT_OUTCOME m_lastOutcome;
};
