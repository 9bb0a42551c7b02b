// A second copy of the program's instant-message ends, for the tests that exchange messages
// between two processes. It listens on the port given first, takes one message, keeps it in
// "received.txt" of its own program folder (QUILLMAR_HOME), answers the sender's address on the
// port given second, and exits 0 when all of that worked.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "links/InstantMessage.h"
#include "links/ListeningSocket.h"
#include "platform/net/SocketEvents.h"
#include "sms/Sender.h"
#include "sms/Sms.h"

namespace {

class Peer : public CIListeningSocketOwner, public CIIncomingSmsSink {
public:
    Peer() : account("乙方") {}

    _CSender* GetListeningAccount() override { return &account; }
    void MarkModified() override {}
    int DeliverIncomingSms(_CSms* pSms, _CSender*) override {
        received.reset(pSms);
        return 1;
    }

    _CSender account;
    std::unique_ptr<_CSms> received;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 64;
    const char* home = std::getenv("QUILLMAR_HOME");
    if (home == nullptr)
        return 65;
    UINT listenPort = static_cast<UINT>(std::atoi(argv[1]));
    UINT replyPort = static_cast<UINT>(std::atoi(argv[2]));

    CPollEventSource events;
    AfxSetSocketEventSource(&events);
    Peer peer;
    {
        CListeningSocket listener(&peer, &peer);
        if (!listener.Create(listenPort, 1, FD_ALL_EVENTS, "127.0.0.1") || !listener.Listen(5))
            return 3;
        if (!events.RunUntil([&] { return peer.received != nullptr; }, 20000))
            return 4;
    }
    const _CSms& sms = *peer.received;
    std::string kept = std::string(sms.m_sender.m_str) + "\n" + std::string(sms.m_strContent) +
                       "\n" + std::string(sms.m_strSubject);
    FILE* f = std::fopen((std::string(home) + "/received.txt").c_str(), "wb");
    if (f == nullptr)
        return 5;
    std::fwrite(kept.data(), 1, kept.size(), f);
    std::fclose(f);

    SetInstantMessageSendPortForTesting(replyPort);
    CString content = CString("收到：") + sms.m_strContent;
    CString subject = CString("回复：") + sms.m_strSubject;
    return SendInstantMessage(peer.account, sms.m_sender.GetCode(), content, subject) == 0 ? 0 : 6;
}
