#include "links/MobileAgent.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>

namespace {

// A call whose last ring is older than this has ended; the next RING starts a new record.
constexpr int kCallGapSeconds = 8;
// The longest wait for the port between two looks at the owner's windows.
constexpr DWORD kPumpSliceMs = 50;
// A reply line longer than this is no line of a phone: it is dropped.
constexpr size_t kMaxLine = 4096;

bool StartsWith(const CString& s, const char* prefix) {
    return strncmp((LPCSTR)s, prefix, strlen(prefix)) == 0;
}

} // namespace

CMobileAgent::CMobileAgent() = default;

CMobileAgent::~CMobileAgent() {
    CSerialPort::Close(TRUE);
}

void CMobileAgent::SetServiceCentre(LPCSTR text) {
    CString t = text ? text : "";
    t.Trim();
    m_serviceCentre = t.IsEmpty() ? t : NormaliseNumber(t);
}

CString CMobileAgent::NormaliseNumber(LPCSTR number) const {
    CString n = number ? number : "";
    if (n.Left(1) == "+")
        n = n.Mid(1);
    if (n.IsEmpty())
        return n;
    if (n.Left(2) != m_countryPrefix.Left(2) || n.GetLength() < 2)
        n = m_countryPrefix + n;
    return n;
}

BOOL CMobileAgent::SendCommand(LPCSTR lpszText, DWORD dwTimeout) {
    if (m_commandBusy || !IsOpen())
        return FALSE;
    m_response.Empty();
    m_errorFlag = FALSE;
    m_timeout = (DWORD)((ULONGLONG)dwTimeout * m_timeoutNum / m_timeoutDen);
    if (!Write(lpszText))
        return FALSE;
    m_commandBusy = TRUE;
    m_replyPending = TRUE;
    m_deadline = GetTickCount64() + m_timeout;
    if (m_pIndicator)
        m_pIndicator->StartAnimation();
    return TRUE;
}

void CMobileAgent::WaitFor(int kind) {
    while (m_expected == kind && m_commandBusy) {
        ULONGLONG now = GetTickCount64();
        if (now >= m_deadline) {
            // No end came in time: the command failed, and a late answer is not taken for the
            // next command's.
            m_response += "TIMEOUT";
            FinishCommand(true);
            break;
        }
        SERIALMSG msg;
        DWORD slice = (DWORD)std::min<ULONGLONG>(m_deadline - now, kPumpSliceMs);
        if (GetMessage(msg, slice))
            HandleMessage(msg);
        else if (!IsOpen())
            Disconnected();
        if (m_pump)
            m_pump();
    }
    // What came after the reply is taken now: the port tells of new messages only when none
    // wait, so lines left in the queue would otherwise sit there unseen.
    SERIALMSG rest;
    while (!m_commandBusy && PeekMessage(rest))
        HandleMessage(rest);
    DeliverPendingStored();
}

void CMobileAgent::ProcessPortMessages(DWORD ms) {
    SERIALMSG msg;
    if (GetMessage(msg, ms)) {
        HandleMessage(msg);
        // The rest of a line that has begun is waited for as long as the first byte was.
        while (GetMessage(msg, m_line.empty() && !m_pduFollows ? 0 : ms))
            HandleMessage(msg);
    }
    if (!m_commandBusy)
        DeliverPendingStored();
}

BOOL CMobileAgent::Command(LPCSTR lpszText, CString& response, DWORD dwTimeout) {
    if (m_commandBusy)
        return FALSE;
    m_expected = AGENT_CMD_PLAIN;
    m_busy = AGENT_CMD_PLAIN;
    BOOL sent = SendCommand(lpszText, dwTimeout);
    if (sent)
        WaitFor(AGENT_CMD_PLAIN);
    else
        m_expected = m_busy = AGENT_CMD_NONE;
    response = m_response;
    return sent;
}

BOOL CMobileAgent::HasError(const CString& response, int* pIndex, int* pCode) {
    static const char* const prefixes[] = {"+CME ERROR:", "+CMS ERROR:", "ERROR"};
    for (int i = 0; i < 3; i++) {
        int at = response.Find(prefixes[i]);
        if (at < 0)
            continue;
        if (pIndex)
            *pIndex = i + 1;
        if (pCode)
            *pCode = i < 2 ? atoi((LPCSTR)response + at + strlen(prefixes[i])) : 0;
        return TRUE;
    }
    return FALSE;
}

BOOL CMobileAgent::Probe(UINT nPort, UINT nBaud) {
    if (IsOpen())
        return FALSE;
    if (!Open(nPort, nBaud, 'N', 8, 1, EV_RXCHAR | EV_CTS, 512))
        return FALSE;
    m_closeKnown = false;
    m_line.clear();
    m_pduFollows = 0;
    CString response;
    if ((Command("AT\r", response, AGENT_PROBE_TIMEOUT) && response.Find("OK") >= 0 &&
         !HasError(response)) ||
        (Command("AT\r", response, AGENT_PROBE_RETRY_TIMEOUT) && response.Find("OK") >= 0 &&
         !HasError(response))) {
        if (m_pIndicator)
            m_pIndicator->ShowConnected();
        return TRUE;
    }
    Close();
    return FALSE;
}

BOOL CMobileAgent::Setup() {
    const char* commands[] = {"ATE0\r", "AT+CMGF=0\r", "AT+CMEE=1\r", "AT+CLIP=1\r",
                              m_newMessageMode ? "AT+CNMI=2,2\r" : "AT+CNMI=2,1\r"};
    for (const char* command : commands) {
        CString response;
        if (!Command(command, response, AGENT_COMMAND_TIMEOUT) || m_errorFlag ||
            response.IsEmpty() || HasError(response))
            return FALSE;
    }
    return TRUE;
}

int CMobileAgent::ListMessages(int status, std::vector<MOBILE_SMS>& list) {
    if (m_commandBusy)
        return 0;
    char text[32];
    snprintf(text, sizeof text, "AT+CMGL=%d\r", status);
    m_pList = &list;
    m_resultCount = 0;
    m_expected = AGENT_CMD_LIST;
    m_busy = AGENT_CMD_LIST;
    if (!SendCommand(text, AGENT_COMMAND_TIMEOUT)) {
        m_expected = m_busy = AGENT_CMD_NONE;
        m_pList = nullptr;
        return 0;
    }
    WaitFor(AGENT_CMD_LIST);
    m_pList = nullptr;
    return m_errorFlag ? 0 : m_resultCount;
}

BOOL CMobileAgent::DeleteMessages(int flag) {
    if (m_commandBusy)
        return FALSE;
    char text[32];
    snprintf(text, sizeof text, "AT+CMGD=1,%d\r", flag);
    m_expected = AGENT_CMD_DELETE;
    m_busy = AGENT_CMD_DELETE;
    if (!SendCommand(text, AGENT_COMMAND_TIMEOUT)) {
        m_expected = m_busy = AGENT_CMD_NONE;
        return FALSE;
    }
    WaitFor(AGENT_CMD_DELETE);
    return !m_errorFlag;
}

BOOL CMobileAgent::SendPdu(LPCSTR text, LPCSTR number, int coding) {
    if (m_commandBusy || !IsOpen())
        return FALSE;
    SM_PARAM param;
    param.serviceCentre = m_serviceCentre;
    param.destination = NormaliseNumber(number);
    param.pid = 0;
    param.dcs = (BYTE)coding;
    param.text = text ? text : "";
    CString error;
    if (!EncodePdu(param, m_pduBuffer, &error)) {
        m_response = error;
        m_errorFlag = TRUE;
        return FALSE;
    }
    int octets = m_pduBuffer.GetLength() / 2 - PduServiceCentreOctets(m_pduBuffer);
    m_pduBuffer += '\x1A';
    char command[32];
    snprintf(command, sizeof command, "AT+CMGS=%d\r", octets);
    m_busy = AGENT_CMD_SEND;
    if (!SendCommand(command, AGENT_COMMAND_TIMEOUT)) {
        m_busy = AGENT_CMD_NONE;
        return FALSE;
    }
    return TRUE;
}

BOOL CMobileAgent::SendPduAndWait(LPCSTR text, LPCSTR number, int coding) {
    if (!SendPdu(text, number, coding))
        return FALSE;
    m_expected = AGENT_CMD_SEND;
    WaitFor(AGENT_CMD_SEND);
    return !m_errorFlag;
}

BOOL CMobileAgent::QueryServiceCentre(CString& text) {
    CString response;
    if (!Command("AT+CSCA?\r", response, AGENT_COMMAND_TIMEOUT) || m_errorFlag ||
        HasError(response))
        return FALSE;
    int at = response.Find("+CSCA:");
    if (at < 0)
        return FALSE;
    CString rest = response.Mid(at + 6);
    int end = rest.Find("\r");
    if (end >= 0)
        rest = rest.Left(end);
    int comma = rest.ReverseFind(',');
    if (comma >= 0)
        rest = rest.Left(comma);
    rest.Trim(" \"+,");
    if (rest.IsEmpty())
        return FALSE;
    text = rest;
    return TRUE;
}

void CMobileAgent::Close() {
    m_closeKnown = true;
    CSerialPort::Close(TRUE);
    m_commandBusy = FALSE;
    m_busy = m_expected = AGENT_CMD_NONE;
    m_line.clear();
    m_pduFollows = 0;
    if (m_pIndicator)
        m_pIndicator->ShowDisconnected();
}

void CMobileAgent::Disconnected() {
    if (m_commandBusy) {
        m_response += "DISCONNECTED";
        FinishCommand(true);
    }
    m_line.clear();
    m_pduFollows = 0;
    const bool lost = !m_closeKnown && !IsOpen();
    if (lost)
        m_closeKnown = true;
    if (m_pIndicator == nullptr)
        return;
    if (lost)
        m_pIndicator->ShowLinkLost();
    else
        m_pIndicator->ShowDisconnected();
}

void CMobileAgent::FinishCommand(bool error) {
    if (error)
        m_errorFlag = TRUE;
    m_replyPending = FALSE;
    m_commandBusy = FALSE;
    m_busy = AGENT_CMD_NONE;
    m_expected = AGENT_CMD_NONE;
    if (m_pIndicator && IsOpen())
        m_pIndicator->ShowConnected();
}

void CMobileAgent::DeliverPendingStored() {
    if (m_storedPending && !m_commandBusy) {
        m_storedPending = false;
        if (m_pListener)
            m_pListener->OnNewSmsStored();
    }
}

void CMobileAgent::HandleMessage(const SERIALMSG& msg) {
    switch (msg.message) {
    case WM_COMM_RXCHAR: {
        char c = (char)msg.wParam;
        if (c == '\r' || c == '\n') {
            if (!m_line.empty())
                HandleLine(CString(m_line.c_str()));
            m_line.clear();
            break;
        }
        if (m_line.size() >= kMaxLine)
            m_line.clear();
        if (c != '\0')
            m_line += c;
        // The phone's prompt for the PDU ends with no line end.
        if (m_line == "> " && m_busy == AGENT_CMD_SEND && m_commandBusy) {
            m_line.clear();
            if (!Write(m_pduBuffer))
                FinishCommand(true);
        }
        break;
    }
    case WM_COMM_TXEMPTY:
        if (msg.wParam != 0 && m_commandBusy)
            FinishCommand(true); // the command did not go out whole
        break;
    case WM_COMM_CLOSED:
        Disconnected();
        break;
    case WM_COMM_RING_DETECTED: // the RING line tells the same, with the number after it
    default:
        break;
    }
}

MOBILE_CALL_RECORD& CMobileAgent::CurrentCall() {
    __time64_t now = CTime::GetCurrentTime().GetTime();
    if (m_calls.empty() || m_lastRing == 0 || now - m_lastRing > kCallGapSeconds) {
        MOBILE_CALL_RECORD record;
        record.time = CTime(now);
        m_calls.push_back(record);
    }
    m_lastRing = now;
    MOBILE_CALL_RECORD& call = m_calls.back();
    call.ringSeconds = (int)(now - call.time.GetTime());
    return call;
}

void CMobileAgent::HandleLine(const CString& line) {
    // The PDU line that follows a +CMGL or +CMT header.
    if (m_pduFollows) {
        int kind = m_pduFollows;
        m_pduFollows = 0;
        if (kind == 3)
            return; // a message kept to be sent
        MOBILE_SMS sms;
        if (!DecodeDeliverPdu(line, sms.message))
            return;
        if (kind == 1) {
            sms.index = m_listedIndex;
            sms.status = m_listedStatus;
            if (m_pList && m_busy == AGENT_CMD_LIST) {
                m_pList->push_back(sms);
                m_resultCount++;
            }
        } else if (m_pListener) {
            m_pListener->OnNewSms(sms);
        }
        return;
    }
    // Unasked lines: never part of a reply.
    if (line == "RING") {
        CurrentCall();
        return;
    }
    if (StartsWith(line, "+CLIP:")) {
        CString number = line.Mid(6);
        int comma = number.Find(',');
        if (comma >= 0)
            number = number.Left(comma);
        number.Trim(" \"");
        CurrentCall().number = number;
        return;
    }
    if (StartsWith(line, "+CMTI:")) {
        m_storedPending = true;
        return;
    }
    if (StartsWith(line, "+CMT:")) {
        m_pduFollows = 2;
        return;
    }
    if (!m_commandBusy)
        return; // a late answer to a command that has ended
    // The phone repeats commands until echo is off.
    if (StartsWith(line, "AT") || StartsWith(line, "at"))
        return;
    if (StartsWith(line, "+CMGL:")) {
        // +CMGL: index,status,[alpha],length; only received messages (0 unread, 1 read) are
        // SMS-DELIVER PDUs, the others are kept to be sent and are no concern of the reader.
        int index = 0, status = -1;
        if (sscanf((LPCSTR)line + 6, " %d , %d", &index, &status) == 2 &&
            (status == 0 || status == 1)) {
            m_listedIndex = index;
            m_listedStatus = status;
            m_pduFollows = 1;
        } else {
            m_pduFollows = 3; // skip the PDU
        }
        m_response += line + "\r\n";
        return;
    }
    m_response += line + "\r\n";
    if (line == "OK")
        FinishCommand(false);
    else if (HasError(line))
        FinishCommand(true);
}
