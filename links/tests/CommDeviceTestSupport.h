// A manager of short messages wired to the stand-in for the service: its own program folder and
// profile, an account on the gateway, and a host that records what the main window and the
// progress window are told.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "links/CommDevice.h"
#include "links/ServiceAddress.h"
#include "platform/base/Profile.h"
#include "testsupport/NetTestEnv.h"

namespace commtest {

// What the progress window is told, one line per call.
class RecordingProgress : public CISendProgress {
public:
    void ShowForRun(LPCTSTR title) override { calls.push_back(std::string("show ") + title); }
    void SetTotal(int n) override { calls.push_back("total " + std::to_string(n)); }
    void BeginRecipient(LPCTSTR recipient, int parts) override {
        calls.push_back(std::string("row ") + recipient + " " + std::to_string(parts));
    }
    void ReportPartResult(int code, BOOL last, LPCTSTR) override {
        calls.push_back("part " + std::to_string(code) + (last ? " last" : ""));
    }
    void StepProgress() override { calls.push_back("step"); }
    void SetFinished() override { calls.push_back("finished"); }
    void PumpMessages() override {
        ++pumps;
        if (onPump)
            onPump();
    }
    void DestroyProgress() override { destroyed = true; }

    std::vector<std::string> calls;
    int pumps = 0;
    std::function<void()> onPump;
    bool destroyed = false;
};

// What the main window does with new messages: each is filed unread into the account's inbox.
// Answers the number filed.
inline int FileHeldSms(_CSender* account, _CSmsBox* box) {
    int filed = 0;
    while (account && box && !box->IsSmsListEmpty()) {
        POSITION pos = box->GetFirstSmsPosition();
        _CSms* sms = box->GetNextSms(pos);
        sms->SetState(_CSms::STATE_UNREAD);
        if (!account->MoveSmsToStateBox(sms))
            break;
        ++filed;
    }
    return filed;
}

// The main window as far as the manager is concerned.
class RecordingHost : public CICommDeviceHost {
public:
    CISendProgress* CreateSendProgress(CISendProgressOwner*) override { return &progress; }
    void RunReceiveDialog(CCommDevice& device, _CSender& account) override {
        receiveCode = device.FetchIncomingSms(account, received);
    }
    LRESULT OnSmsArrived(_CSender* account, _CSmsBox* box) override {
        ++arrivals;
        if (onArrival)
            onArrival();
        return !refuse && FileHeldSms(account, box) > 0;
    }
    _CSender* GetActiveSender() override { return active; }
    void PlayArrivalSound(const CString& path) override { sounds.push_back(path.GetString()); }
    void ReportError(const CString& text) override { errors.push_back(text.GetString()); }

    RecordingProgress progress;
    _CSender* active = nullptr;
    bool refuse = false;
    int arrivals = 0;
    std::function<void()> onArrival;
    int received = 0;
    int receiveCode = -1;
    std::vector<std::string> sounds;
    std::vector<std::string> errors;
};

// From now on the page's reply is what make makes of each request (unless a reply is scripted).
inline void Respond(test_net::ServiceStandIn& server, const std::string& page,
                    std::function<test_net::Reply(const test_net::RecordedRequest&)> make) {
    server.SetHandler([page, make](const test_net::RecordedRequest& r, test_net::Reply& reply) {
        if (r.page != page)
            return false;
        reply = make(r);
        return true;
    });
}

// Field of a form body ("Phone", "Content"), still percent-encoded.
inline std::string FormField(const std::string& body, const std::string& name) {
    size_t at = body.find("&" + name + "=");
    if (at == std::string::npos)
        return std::string();
    at += name.size() + 2;
    size_t end = body.find('&', at);
    return body.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

// The stand-in as the service, in a profile and program folder of the test's own, and an
// account on its gateway.
class GatewayTest : public test_net::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        CProfileStore::ReloadForTesting();
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
        account.GetRecord().m_remote.m_strUserId = "13800138000";
        account.GetRecord().m_remote.m_strPassword = "pw";
    }
    void TearDown() override { CProfileStore::ReloadForTesting(); }

    test_folders::TempDir config;
    test_folders::ScopedEnv configEnv{"QUILLMAR_CONFIG", config.str()};
    test_folders::TempDir home;
    test_folders::ScopedEnv homeEnv{"QUILLMAR_HOME", home.str()};
    _CSender account{"小王"};
};

class CommDeviceTest : public GatewayTest {
protected:
    void SetUp() override {
        GatewayTest::SetUp();
        device.SetHost(&host);
    }

    _CSmsBox& Box(int type) { return *account.GetRootSmsBox().GetSubBoxAt(type); }
    // A pending message in the outbox.
    _CSms* Pending(const char* content, const char* recipient = "13912345678") {
        auto* sms = new _CSms("主题");
        sms->m_strContent = content;
        sms->m_recipient = CNameCodeString(recipient);
        sms->SetState(_CSms::STATE_PENDING);
        Box(1).AddSms(sms);
        return sms;
    }
    _CSms* PendingBatch(const char* content, std::initializer_list<const char*> numbers) {
        _CSms* sms = Pending(content, "");
        sms->m_bBatch = TRUE;
        for (const char* n : numbers)
            sms->m_batchList.AddTail(CNameCodeString("", n).m_str);
        return sms;
    }
    // Sends one message in a run of its own and files it.
    int SendOne(_CSms*& sms) {
        device.SetSender(&account);
        EXPECT_TRUE(device.BeginSend());
        int result = device.SendSms(&sms);
        device.FileSendResults(nullptr);
        device.EndSend();
        return result;
    }
    std::vector<std::string> Phones() const {
        std::vector<std::string> out;
        for (const auto& r : server.Requests())
            if (r.page == SMS_GATEWAY_SEND_PAGE)
                out.push_back(FormField(r.body, "Phone"));
        return out;
    }
    // Answers by the number sent to: the code listed for it, else 0.
    void ReplyByPhone(std::map<std::string, std::string> codes) {
        commtest::Respond(server, SMS_GATEWAY_SEND_PAGE,
                          [codes](const test_net::RecordedRequest& r) {
                              auto it = codes.find(FormField(r.body, "Phone"));
                              return test_net::Reply::Text(it == codes.end() ? "0" : it->second);
                          });
    }

    RecordingHost host;
    CCommDevice device;
};

} // namespace commtest
