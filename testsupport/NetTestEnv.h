// What every network test sets up: no proxy from the environment unless the test asks for one,
// and short time-outs so that a reply that never comes fails within moments.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/base/tests/TempFolder.h"
#include "platform/net/InternetSession.h"
#include "testsupport/ServiceStandIn.h"

namespace test_net {

// Session defaults changed for one test and restored after it.
class ScopedInternetDefault {
public:
    ScopedInternetDefault(DWORD option, DWORD value)
        : m_option(option), m_old(CInternetSession::GetDefaultOption(option)) {
        CInternetSession::SetDefaultOption(option, value);
    }
    ~ScopedInternetDefault() { CInternetSession::SetDefaultOption(m_option, m_old); }
    ScopedInternetDefault(const ScopedInternetDefault&) = delete;
    ScopedInternetDefault& operator=(const ScopedInternetDefault&) = delete;

private:
    DWORD m_option;
    DWORD m_old;
};

class NetTestEnv {
public:
    NetTestEnv() {
        for (const char* name :
             {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
            m_env.push_back(std::make_unique<test_folders::ScopedEnv>(name, nullptr));
        m_defaults.push_back(
            std::make_unique<ScopedInternetDefault>(INTERNET_OPTION_CONNECT_TIMEOUT, 5000));
        m_defaults.push_back(
            std::make_unique<ScopedInternetDefault>(INTERNET_OPTION_RECEIVE_TIMEOUT, 5000));
        m_defaults.push_back(
            std::make_unique<ScopedInternetDefault>(QM_INTERNET_OPTION_REQUEST_TIMEOUT, 20000));
    }

private:
    std::vector<std::unique_ptr<test_folders::ScopedEnv>> m_env;
    std::vector<std::unique_ptr<ScopedInternetDefault>> m_defaults;
};

// A POST carrying the program's form-post header block with this agent.
inline void ExpectFormPost(const RecordedRequest& r, const std::string& agent) {
    EXPECT_EQ("POST", r.method);
    EXPECT_EQ("text/*", r.Header("Accept"));
    EXPECT_EQ(agent, r.Header("User-Agent"));
    EXPECT_EQ("application/x-www-form-urlencoded", r.Header("Content-Type"));
    EXPECT_FALSE(r.HasHeader("Expect"));
    EXPECT_FALSE(r.HasHeader("Cookie"));
}

// A test with the stand-in for the service running and the network set-up above.
class StandInTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.IsListening()); }

    NetTestEnv env;
    ServiceStandIn server;
};

} // namespace test_net
