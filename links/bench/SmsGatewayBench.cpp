// Sending 10 000 recipients a message of 3 parts each through the gateway, and taking in a
// receive reply of 10 000 messages, against the stand-in for the service answering at once.
// Prints the program's own time per part and for the reply. For the send that is the run's time
// outside the posts of the parts, plus what each part costs before its post (the word lists and
// the form); for the reply, the time less that of a bare post fetching the same reply.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "links/CommDevice.h"
#include "links/HttpRequest.h"
#include "links/ReceivedSmsReply.h"
#include "links/ServiceAddress.h"
#include "links/SmsWordLists.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "testsupport/ServiceStandIn.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The main window: files every new message into the account's inbox.
class BenchHost : public CICommDeviceHost {
public:
    CISendProgress* CreateSendProgress(CISendProgressOwner*) override { return nullptr; }
    void RunReceiveDialog(CCommDevice&, _CSender&) override {}
    LRESULT OnSmsArrived(_CSender* account, _CSmsBox* box) override {
        auto start = Clock::now();
        struct Timer {
            Clock::time_point start;
            Clock::duration& total;
            ~Timer() { total += Clock::now() - start; }
        } timer{start, filing};
        int filed = 0;
        while (!box->IsSmsListEmpty()) {
            POSITION pos = box->GetFirstSmsPosition();
            _CSms* sms = box->GetNextSms(pos);
            sms->SetState(_CSms::STATE_UNREAD);
            box->RemoveMessage(sms, FALSE);
            inbox(account).AddSms(sms); // appended: the inbox's sort order is the window's
            ++filed;
        }
        return filed > 0;
    }
    _CSender* GetActiveSender() override { return nullptr; }
    void PlayArrivalSound(const CString&) override {}
    void ReportError(const CString& text) override { std::printf("error: %s\n", text.GetString()); }

    // The main window's filing of the new messages.
    Clock::duration filing{};

private:
    static _CSmsBox& inbox(_CSender* account) { return *account->GetRootSmsBox().GetSubBoxAt(0); }
};

// Times the posts of the parts, so that the rest of the run can be told apart.
class TimedDevice : public CCommDevice {
public:
    Clock::duration inPosts{};

protected:
    int SendPart(const CString& content, const CString& number) override {
        auto start = Clock::now();
        int result = CCommDevice::SendPart(content, number);
        inPosts += Clock::now() - start;
        return result;
    }
};

} // namespace

int main(int argc, char** argv) {
    const int kRecipients = argc > 1 ? std::atoi(argv[1]) : 10000;
    constexpr int kMessages = 10000;
    test_folders::TempDir home, config;
    test_folders::ScopedEnv homeEnv("QUILLMAR_HOME", home.str());
    test_folders::ScopedEnv configEnv("QUILLMAR_CONFIG", config.str());
    test_folders::ScopedEnv noProxy("http_proxy", nullptr);
    CProfileStore::ReloadForTesting();
    test_net::ServiceStandIn server;
    if (!server.IsListening() || !SetServiceBaseAddress(server.BaseAddress().c_str())) {
        std::printf("the stand-in could not start\n");
        return 1;
    }

    _CSender account("测试帐户");
    account.GetRecord().m_remote.m_strUserId = "13800138000";
    account.GetRecord().m_remote.m_strPassword = "secret";
    const std::string content = std::string(160, 'a') + std::string(160, 'b') + "最后一段";
    auto* sms = new _CSms("测试");
    sms->m_strContent = content.c_str();
    sms->m_bBatch = TRUE;
    sms->SetState(_CSms::STATE_PENDING);
    for (int i = 0; i < kRecipients; ++i) {
        CString number;
        number.Format("139%08d", i);
        sms->m_batchList.AddTail(CNameCodeString("收信人", number).m_str);
    }
    account.GetRootSmsBox().GetSubBoxAt(1)->AddSms(sms);

    BenchHost host;
    TimedDevice device;
    device.SetHost(&host);
    device.SetSender(&account);
    device.BeginSend();
    auto t0 = Clock::now();
    BOOL ok = device.SendPendingInBox(account.GetRootSmsBox().GetSubBoxAt(1), TRUE);
    const double sendMs = Ms(Clock::now() - t0);
    device.EndSend();
    const int parts = kRecipients * 3;
    const double postsMs = Ms(device.inPosts);

    // What a part costs before it is posted: the word lists and the form.
    const CString part(std::string(160, 'a').c_str());
    t0 = Clock::now();
    for (int i = 0; i < parts; ++i) {
        CString word;
        int list = FindFilteredWord(part, word);
        CString form = FormatGatewaySendForm(account, part, "13900000000", list);
        (void)form;
    }
    const double beforePostMs = Ms(Clock::now() - t0);
    std::printf("send: %d recipients x 3 parts, %s, %.0f ms in all, %.0f ms of it in the "
                "posts of the parts\n",
                kRecipients, ok ? "all sent" : "STOPPED", sendMs, postsMs);
    std::printf("send: program's own time per part %.3f ms (target under 1 ms)\n",
                (sendMs - postsMs + beforePostMs) / parts);

    // A receive reply of 10 000 messages.
    std::string big = "0\r\nsep=|#|";
    for (int i = 0; i < kMessages; ++i)
        big += "from=发信人\n139" + std::to_string(10000000 + i) +
               "to=13800138000time=2026-3-1 8:00:00content=第" + std::to_string(i) +
               "条短信，晚上一起吃饭吗？|#|";
    server.SetReply(SMS_GATEWAY_RECEIVE_PAGE, test_net::Reply::Text(big));
    const CString receiveUrl = GetServiceUrl(SMS_GATEWAY_RECEIVE_PAGE);
    const CString receiveForm = FormatGatewayReceiveForm(account);
    CString reply;
    t0 = Clock::now();
    for (int i = 0; i < 5; ++i)
        HttpPostForm(receiveUrl, receiveForm, reply);
    const double roadReceive = Ms(Clock::now() - t0) / 5;
    int received = 0;
    t0 = Clock::now();
    int code = device.FetchIncomingSms(account, received);
    const double receiveMs = Ms(Clock::now() - t0);
    const double filingMs = Ms(host.filing);
    std::printf("receive: code %d, %d messages (%zu bytes), %.1f ms in all, of which the road "
                "%.1f ms and the main window's filing %.1f ms\n",
                code, received, big.size(), receiveMs, roadReceive, filingMs);
    std::printf("receive: program's own time for the reply %.1f ms (target under 200 ms)\n",
                receiveMs - roadReceive - filingMs);
    device.OnSenderFileSaved(&account);

    // The parts of that time: reading the messages out of the reply, writing them to the store.
    _CSmsBox scratch;
    t0 = Clock::now();
    ParseReceivedSms(CString(big.c_str()), account, scratch);
    const double parseMs = Ms(Clock::now() - t0);
    CCommDevice keeper;
    keeper.GetHoldingBox().CopySmsFrom(&scratch, FALSE, nullptr, TRUE, TRUE);
    t0 = Clock::now();
    keeper.SaveIncomingSms();
    const double storeMs = Ms(Clock::now() - t0);
    std::printf("receive: of it reading the reply %.1f ms, writing the store %.1f ms\n", parseMs,
                storeMs);
    keeper.GetHoldingBox().DeleteAllSms();
    keeper.SaveIncomingSms();
    return 0;
}
