// The e-card tests that talk to the service: the stand-in server on loopback with the service
// setting pointed at it, the in-memory e-card service, short time-outs, and recorders for what a
// user's listeners are told.
#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ecard/ECRequest.h"
#include "ecard/ECUser.h"
#include "ecard/tests/ECardTestSupport.h"
#include "links/ServiceAddress.h"
#include "testsupport/ECardService.h"
#include "testsupport/NetTestEnv.h"

namespace ecard_test {

// What the listeners of a user were told, as "begin", "result 0", "failed 2", "end", and by the
// session owner as "owner begin" ...
class EventLog : public CIECUserListener, public CECSessionOwner {
public:
    void OnECUserResult(CECUser*, int n) override {
        events.push_back("result " + std::to_string(n));
    }
    void OnECUserStartFailed(CECUser*, int n) override {
        events.push_back("failed " + std::to_string(n));
    }
    void OnECUserSessionBegin(CECUser*) override { events.push_back("begin"); }
    void OnECUserSessionEnd(CECUser*) override { events.push_back("end"); }
    void OnECSessionBegin(CECUser*) override { events.push_back("owner begin"); }
    void OnECSessionResult(CECUser*, int n) override {
        events.push_back("owner result " + std::to_string(n));
    }
    void OnECSessionEnd(CECUser*) override { events.push_back("owner end"); }

    std::vector<std::string> events;
};

class ECNetTest : public ECardTest {
protected:
    void SetUp() override {
        ECardTest::SetUp();
        ASSERT_TRUE(server.IsListening());
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    }
    // Polls the user as its window does until its requests are over.
    static void Run(CECUser& user) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (user.IsBusy() && std::chrono::steady_clock::now() < until) {
            if (!user.PollRequest())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(user.IsBusy());
    }
    std::vector<test_net::RecordedRequest> Requests() const { return server.Requests(); }
    test_net::RecordedRequest Last() const {
        auto all = server.Requests();
        return all.empty() ? test_net::RecordedRequest() : all.back();
    }

    test_net::NetTestEnv env;
    test_net::ServiceStandIn server;
};

} // namespace ecard_test
