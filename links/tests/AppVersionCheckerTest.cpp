#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "links/AppVersionChecker.h"
#include "links/ServiceAddress.h"
#include "testsupport/NetTestEnv.h"
#include "testsupport/ServiceStandIn.h"

using test_net::Reply;
using Kind = test_net::Reply::Kind;

namespace {

class Recorder : public CIAppVersionCheckerListener {
public:
    void OnVersionChecked() override { ++calls; }
    int calls = 0;
};

class AppVersionCheckerTest : public test_net::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        ASSERT_TRUE(SetServiceBaseAddress(server.BaseAddress().c_str()));
    }
    void TearDown() override { SetServiceBaseAddress(nullptr); }

    // Runs one check to its end as the user-interface thread does: polling without waiting.
    static bool RunToEnd(CAppVersionChecker& checker) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!checker.IsDone()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        checker.DispatchResult();
        return true;
    }
};

TEST(AppVersionLine, TheLatestVersionIsTheFirstPieceBetweenTheKeysLetters) {
    struct Row {
        const char *line, *version;
    } rows[] = {
        {"Version3.10", "3.10"}, {"Version 3.10 beta", "3.10"}, {"3.00", "3.00"},
        {"Version", ""},         {"\tVersion  2.5", "2.5"},     {"nVersion4x", "4x"},
    };
    for (const Row& r : rows)
        EXPECT_STREQ(r.version, CAppVersionChecker::ParseVersionLine(r.line)) << r.line;
}

TEST_F(AppVersionCheckerTest, ComparesTheSitesVersionWithTheProgramsOwn) {
    struct Row {
        const char* page;
        int status;
        const char *latest, *notes;
    } rows[] = {
        {"Version3.10\r\n新增名片夹。\r\n修正若干问题。", CAppVersionChecker::STATUS_NEWER, "3.10",
         "新增名片夹。\r\n修正若干问题。"},
        {"Version3.00\r\n已是最新。", CAppVersionChecker::STATUS_LATEST, "3.00", "已是最新。"},
        {"Version2.90", CAppVersionChecker::STATUS_LATEST, "2.90", ""},
        {"\r\n没有版本行", CAppVersionChecker::STATUS_LATEST, "", "没有版本行"},
        {"", CAppVersionChecker::STATUS_LATEST, "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.page);
        server.SetReply(CAppVersionChecker::kVersionPage, Reply::Text(r.page));
        Recorder recorder;
        CAppVersionChecker checker(&recorder);
        ASSERT_TRUE(checker.StartCheck());
        ASSERT_TRUE(RunToEnd(checker));
        EXPECT_EQ(1, recorder.calls);
        EXPECT_EQ(1, checker.GetChecks());
        EXPECT_EQ(r.status, checker.GetStatus());
        EXPECT_STREQ(r.latest, checker.GetLatestVersion());
        EXPECT_STREQ(r.notes, checker.GetNotes());
    }
    auto requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ("GET", requests[0].method);
    EXPECT_EQ(CAppVersionChecker::kVersionPage, requests[0].page);
}

TEST_F(AppVersionCheckerTest, AnyFailureIsStatusFailed) {
    test_net::ScopedInternetDefault quick(INTERNET_OPTION_RECEIVE_TIMEOUT, 300);
    for (Reply reply :
         {Reply::Text("gone", 404), Reply::Of(Kind::Close), Reply::Of(Kind::Silent)}) {
        server.SetReply(CAppVersionChecker::kVersionPage, reply);
        Recorder recorder;
        CAppVersionChecker checker(&recorder);
        ASSERT_TRUE(checker.StartCheck());
        ASSERT_TRUE(RunToEnd(checker));
        EXPECT_EQ(CAppVersionChecker::STATUS_FAILED, checker.GetStatus());
        EXPECT_EQ(1, recorder.calls);
    }
}

TEST_F(AppVersionCheckerTest, ASecondStartWhileOneIsHeldStartsNothing) {
    server.SetReply(CAppVersionChecker::kVersionPage, Reply::Of(Kind::Silent));
    {
        CAppVersionChecker checker;
        ASSERT_TRUE(checker.StartCheck());
        ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(10)));
        EXPECT_TRUE(checker.StartCheck());
        EXPECT_TRUE(checker.IsRunning());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(1u, server.Requests().size());
        // Going away with the request still running neither waits for it nor crashes.
    }
    EXPECT_TRUE(server.WaitForAbandoned(1, std::chrono::seconds(10)));
}

} // namespace
