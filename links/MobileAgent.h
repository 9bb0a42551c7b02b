// A GSM phone on a serial port, driven with AT commands in PDU mode: probe and set up the phone,
// read its service centre, send a message as a PDU, list and delete the messages it holds, and
// follow what it reports by itself (calls ringing, new messages).
//
// Commands run one at a time on the owner's thread. Each waits, taking the port's messages, until
// the reply handler sees its end ("OK" or an error) or its time-out passes; lines the phone
// sends unasked (RING, +CLIP, +CMTI, +CMT) are handled on the way and never become part of a
// command's reply. Between commands the owner calls ProcessPortMessages when the port's
// notification says that messages wait.
#pragma once

#include <functional>
#include <vector>

#include "links/SerialPort.h"
#include "links/SmsPdu.h"
#include "platform/base/Time.h"

// Command kinds.
enum {
    AGENT_CMD_NONE = 0,
    AGENT_CMD_PLAIN = 1,
    AGENT_CMD_SEND = 2,
    AGENT_CMD_LIST = 5,
    AGENT_CMD_DELETE = 6
};

// Time-outs of the commands, in milliseconds.
enum {
    AGENT_PROBE_TIMEOUT = 1000,
    AGENT_PROBE_RETRY_TIMEOUT = 2000,
    AGENT_COMMAND_TIMEOUT = 20000,
};

// A message the phone holds or has just received.
struct MOBILE_SMS {
    int index = 0;  // its place in the phone's store (0 for one delivered directly)
    int status = 0; // 0 received unread, 1 received read
    SM_DELIVERED message;
};

// A call that rang on the phone.
struct MOBILE_CALL_RECORD {
    CString number; // empty when the phone did not tell it
    CTime time;     // the first ring
    int ringSeconds = 0;
};

// Told of new messages.
class CIMobileAgentNewSMListener {
public:
    virtual ~CIMobileAgentNewSMListener() = default;
    // A message the phone passed on without storing it.
    virtual void OnNewSms(const MOBILE_SMS& sms) = 0;
    // The phone stored a new message: the listener lists and files the phone's messages. Called
    // only while no command runs.
    virtual void OnNewSmsStored() {}
};

// What the phone's indicator shows.
class CICommunicationsDeviceIndicator {
public:
    virtual ~CICommunicationsDeviceIndicator() = default;
    virtual void Refresh() = 0;
    virtual void StartAnimation() = 0; // busy
    virtual void ShowConnected() = 0;
    virtual void ShowDisconnected() = 0;
    // The link went away by itself (the phone was unplugged or switched off).
    virtual void ShowLinkLost() { ShowDisconnected(); }
};

class CMobileAgent : public CSerialPort {
public:
    CMobileAgent();
    ~CMobileAgent() override;

    void SetListener(CIMobileAgentNewSMListener* p) { m_pListener = p; }
    void SetIndicator(CICommunicationsDeviceIndicator* p) { m_pIndicator = p; }
    // Called while a command waits, so that the owner's windows stay alive.
    void SetWaitPump(std::function<void()> pump) { m_pump = std::move(pump); }
    const std::function<void()>& GetWaitPump() const { return m_pump; }

    UINT GetComPort() const { return m_comPort; }
    void SetComPort(UINT n) { m_comPort = n; }
    UINT GetBaudRate() const { return m_baudRate; }
    void SetBaudRate(UINT n) { m_baudRate = n; }
    BOOL IsBusy() const { return m_busy != AGENT_CMD_NONE || m_commandBusy; }
    const CString& GetResponse() const { return m_response; }
    const CString& GetServiceCentre() const { return m_serviceCentre; }
    void SetServiceCentre(LPCSTR text);
    const CString& GetCountryPrefix() const { return m_countryPrefix; }
    void SetCountryPrefix(LPCSTR prefix) { m_countryPrefix = prefix; }
    void SetNewMessageMode(BOOL b) { m_newMessageMode = b; }
    BOOL GetAutoConnect() const { return m_autoConnect; }
    void SetAutoConnect(BOOL b) { m_autoConnect = b; }
    BOOL GetAutoGetServiceCentre() const { return m_autoGetServiceCentre; }
    void SetAutoGetServiceCentre(BOOL b) { m_autoGetServiceCentre = b; }
    const std::vector<MOBILE_CALL_RECORD>& GetCallRecords() const { return m_calls; }

    // Every command's time-out is multiplied by num/den (tests make the waits short).
    void ScaleTimeoutsForTesting(int num, int den) {
        m_timeoutNum = num;
        m_timeoutDen = den;
    }

    // FALSE while a command runs; otherwise writes the text to the port and starts its time-out.
    BOOL SendCommand(LPCSTR lpszText, DWORD dwTimeout);
    // Waits while the port is open and the running command is of this kind.
    void WaitFor(int kind);
    // One plain command and its reply; TRUE when it was sent.
    BOOL Command(LPCSTR lpszText, CString& response, DWORD dwTimeout);
    // The first of "+CME ERROR:", "+CMS ERROR:", "ERROR" in the response: its 1-based place in
    // that list and, for the first two, the number after it.
    static BOOL HasError(const CString& response, int* pIndex = nullptr, int* pCode = nullptr);

    // Opens the port and asks "AT" (twice at most); TRUE when the phone answers OK.
    BOOL Probe(UINT nPort, UINT nBaud);
    BOOL Reconnect() { return Probe(m_comPort, m_baudRate); }
    // Echo off, PDU mode, numbered errors, caller numbers, new-message reports.
    BOOL Setup();
    // The received messages of the status asked for (4: all stored) into the list; their count.
    // Messages the phone keeps to send (status 2 and 3) are left out.
    int ListMessages(int status, std::vector<MOBILE_SMS>& list);
    // "AT+CMGD=1,<flag>": 1 read messages, 4 all.
    BOOL DeleteMessages(int flag);
    // The number with the country prefix in front unless it starts with it; a leading "+" is
    // dropped first.
    CString NormaliseNumber(LPCSTR number) const;
    // Starts sending the text (coding PDU_DCS_7BIT or PDU_DCS_UCS2) to the number.
    BOOL SendPdu(LPCSTR text, LPCSTR number, int coding);
    // SendPdu, then waits for the phone's answer; TRUE when it took the message.
    BOOL SendPduAndWait(LPCSTR text, LPCSTR number, int coding);
    BOOL QueryServiceCentre(CString& text);
    // Stops the port; no command runs afterwards.
    void Close();

    // Handles what the port has queued, waiting up to ms milliseconds for the first message (and
    // as long again for the rest of a line that has begun).
    void ProcessPortMessages(DWORD ms = 0);

private:
    void HandleMessage(const SERIALMSG& msg);
    void HandleLine(const CString& line);
    void FinishCommand(bool error);
    MOBILE_CALL_RECORD& CurrentCall();
    void Disconnected();
    void DeliverPendingStored();

    UINT m_comPort = 1;
    UINT m_baudRate = 9600;
    int m_busy = AGENT_CMD_NONE;
    int m_expected = AGENT_CMD_NONE;
    BOOL m_replyPending = FALSE;
    BOOL m_commandBusy = FALSE;
    CString m_response;
    CString m_serviceCentre;
    CString m_countryPrefix = "86";
    CString m_pduBuffer;
    BOOL m_newMessageMode = FALSE;
    BOOL m_errorFlag = FALSE;
    int m_resultCount = 0;
    std::vector<MOBILE_SMS>* m_pList = nullptr;
    BOOL m_autoConnect = FALSE;
    BOOL m_autoGetServiceCentre = TRUE;
    std::vector<MOBILE_CALL_RECORD> m_calls;

    DWORD m_timeout = 0;
    ULONGLONG m_deadline = 0;
    int m_timeoutNum = 1;
    int m_timeoutDen = 1;
    std::string m_line;   // bytes of the reply line being received
    int m_pduFollows = 0; // 1: the next line is a listed message's PDU, 2: a delivered one's
    int m_listedIndex = 0;
    int m_listedStatus = 0;
    __time64_t m_lastRing = 0; // time of the last RING or +CLIP of the current call, 0 when none
    bool m_storedPending = false;
    // The port's end is already known (closed here, or its loss told once): its closing notice
    // is not news.
    bool m_closeKnown = true;
    CIMobileAgentNewSMListener* m_pListener = nullptr;
    CICommunicationsDeviceIndicator* m_pIndicator = nullptr;
    std::function<void()> m_pump;
};
