#include "links/InstantMessage.h"

#include "links/HttpClientSocket.h"
#include "core/NameCodeString.h"
#include "platform/base/Archive.h"
#include "platform/base/Exception.h"
#include "platform/net/SocketFile.h"
#include "sms/Sender.h"

namespace {

UINT g_testPort = 0;

// The longest own address that can go into a record.
const char kWidestAddress[] = "255.255.255.255";

// The sending socket, calling the caller's pump while it waits.
class CPumpingSocket : public CHttpClientSocket {
public:
    explicit CPumpingSocket(const std::function<void()>& pump) : m_pump(pump) {}

protected:
    void OnMessagePending() override {
        if (m_pump)
            m_pump();
    }

private:
    const std::function<void()>& m_pump;
};

} // namespace

UINT GetInstantMessageSendPort() {
    return g_testPort != 0 ? g_testPort : kInstantMessagePort;
}

UINT SetInstantMessageSendPortForTesting(UINT nPort) {
    UINT old = GetInstantMessageSendPort();
    g_testPort = nPort;
    return old;
}

CString GetInstantMessageSenderName(_CSender& account) {
    const CString& signature = account.GetRecord().m_remote.m_strSignature;
    return signature.IsEmpty() ? account.GetName() : signature;
}

int SendInstantMessage(_CSender& account, LPCTSTR lpszAddress, const CString& content,
                       const CString& subject, const std::function<void()>& pump) {
    InstantMessageRecord record;
    record.content = content;
    record.subject = subject;
    const CString name = GetInstantMessageSenderName(account);
    // The receiver drops a record over the limit: refuse it here rather than report it sent.
    record.sender = CNameCodeString(name, kWidestAddress).m_str;
    if (StoreInstantMessage(record).size() > static_cast<size_t>(kInstantMessageMaxRecord))
        return 1000;

    CPumpingSocket socket(pump);
    if (!socket.Create())
        return 1000;
    if (!socket.ConnectViaProxy(lpszAddress, GetInstantMessageSendPort()))
        return 1000;
    CString ownAddress;
    UINT ownPort = 0;
    if (!socket.GetSockName(ownAddress, ownPort))
        ownAddress.Empty();
    record.sender = CNameCodeString(name, ownAddress).m_str;
    std::vector<BYTE> bytes = StoreInstantMessage(record);
    try {
        CSocketFile file(&socket);
        CArchive ar(&file, CArchive::store, 4096);
        ar.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        ar.Close();
    } catch (CException* e) {
        e->Delete();
        socket.CloseSocket();
        return 1000;
    }
    socket.CloseSocket();
    return 0;
}
