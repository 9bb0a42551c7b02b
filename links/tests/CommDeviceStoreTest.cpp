#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "links/tests/CommDeviceTestSupport.h"
#include "platform/base/File.h"
#include "platform/base/OsPath.h"
#include "platform/base/Time.h"

using commtest::CommDeviceTest;
using commtest::RecordingHost;

namespace {

_CSms* Held(const char* content, const char* from = "13900000001") {
    auto* sms = new _CSms();
    sms->m_strContent = content;
    sms->m_sender = CNameCodeString(from);
    sms->SetState(_CSms::STATE_HELD);
    sms->SetTime(CTime(2026, 2, 3, 4, 5, 6));
    return sms;
}

// What a manager starting now would find in the store.
std::vector<std::string> StoreContents() {
    CCommDevice fresh;
    fresh.LoadIncomingSms();
    std::vector<std::string> out;
    for (POSITION pos = fresh.GetHoldingBox().GetFirstSmsPosition(); pos;)
        out.push_back(fresh.GetHoldingBox().GetNextSms(pos)->m_strContent.GetString());
    std::sort(out.begin(), out.end());
    return out;
}

using Contents = std::vector<std::string>;

class CommDeviceStoreTest : public CommDeviceTest {
protected:
    std::filesystem::path StorePath() const { return home.path() / "Sms" / "incoming.dat"; }
};

TEST_F(CommDeviceStoreTest, ReceivedMessagesAreStoredBeforeTheMainWindowHearsAndKeptUntilSaved) {
    server.SetReply(SMS_GATEWAY_RECEIVE_PAGE,
                    test_net::Reply::Text("0\r\nsep=##from=张三\n13900000001to=13800138000"
                                          "time=2026-2-3 4:05:06content=晚上见##from=13900000002"
                                          "to=13800138000time=2026-2-3 4:06:00content=好的"));
    Contents atArrival;
    host.onArrival = [&] { atArrival = StoreContents(); };
    host.active = &account;
    device.ReceiveSms();

    EXPECT_EQ(0, host.receiveCode);
    EXPECT_EQ(2, host.received);
    EXPECT_EQ("\r\nN=n&AppType=&AppVer=3.00&User=13800138000&Password=pw",
              server.Requests().at(0).body);
    EXPECT_EQ((Contents{"好的", "晚上见"}), atArrival);
    // Filed unread into the inbox, and the arrival sound played.
    EXPECT_EQ(2, Box(0).CountSmsByState(_CSms::STATE_UNREAD, FALSE));
    EXPECT_TRUE(device.GetHoldingBox().IsSmsListEmpty());
    ASSERT_EQ(1u, host.sounds.size());
    EXPECT_EQ((CCommDevice::GetIncomingFilePath().Left(
                   CCommDevice::GetIncomingFilePath().GetLength() - 16) +
               "Sound\\msgarrival.wav")
                  .GetString(),
              host.sounds[0]);
    // Until the account's file is saved, a crash would find them again.
    EXPECT_EQ((Contents{"好的", "晚上见"}), StoreContents());
    device.OnSenderFileSaved(&account);
    EXPECT_FALSE(std::filesystem::exists(StorePath()));
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(CommDeviceStoreTest, ArrivalSoundFollowsTheAccountAndTheMainWindowsAnswer) {
    struct Case {
        BOOL play;
        int choice;
        const char* file;
        bool refuse;
        const char* sound; // null: none
    };
    const Case cases[] = {
        {TRUE, SSenderReceiveScheme::SOUND_FILE, "/x/ding.wav", false, "/x/ding.wav"},
        {TRUE, SSenderReceiveScheme::SOUND_FILE, "", false, "msgarrival.wav"},
        {FALSE, SSenderReceiveScheme::SOUND_DEFAULT, "", false, nullptr},
        {TRUE, SSenderReceiveScheme::SOUND_DEFAULT, "", true, nullptr}, // nothing filed
    };
    for (const Case& c : cases) {
        SSenderReceiveScheme& receive = account.GetRecord().m_receive;
        receive.m_bPlaySound = c.play;
        receive.m_nSoundChoice = c.choice;
        receive.m_strSoundFile = c.file;
        host.refuse = c.refuse;
        host.sounds.clear();
        EXPECT_EQ(c.refuse ? 0 : 1, device.DeliverIncomingSms(Held("hi"), &account));
        if (!c.sound) {
            EXPECT_TRUE(host.sounds.empty()) << c.file;
        } else {
            ASSERT_EQ(1u, host.sounds.size());
            EXPECT_NE(std::string::npos, host.sounds[0].find(c.sound));
        }
    }
    // The refused message is still held, and still stored.
    EXPECT_EQ(1, device.GetHoldingBox().GetSmsCount());
    device.OnSenderFileSaved(&account);
    EXPECT_EQ((Contents{"hi"}), StoreContents());
}

TEST_F(CommDeviceStoreTest, MessagesSurviveAProcessKilledRightAfterTheyArrived) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecordingHost childHost;
        CCommDevice childDevice;
        childDevice.SetHost(&childHost);
        childDevice.DeliverIncomingSms(Held("别丢了"), &account);
        childDevice.DeliverIncomingSms(Held("还有我"), &account);
        kill(getpid(), SIGKILL); // no exit handler, no destructor runs
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(2, device.LoadIncomingSms());
    std::vector<std::string> held;
    for (POSITION pos = device.GetHoldingBox().GetFirstSmsPosition(); pos;) {
        _CSms* sms = device.GetHoldingBox().GetNextSms(pos);
        EXPECT_EQ(_CSms::STATE_HELD, sms->GetState());
        EXPECT_EQ(CTime(2026, 2, 3, 4, 5, 6).GetTime(), sms->GetTime().GetTime());
        held.push_back(sms->m_strContent.GetString());
    }
    EXPECT_EQ((Contents{"别丢了", "还有我"}), held);
    // Loading leaves them in the file until they are filed and saved.
    EXPECT_TRUE(std::filesystem::exists(StorePath()));
    EXPECT_EQ(1, device.DeliverIncomingSms(nullptr, &account));
    device.OnSenderFileSaved(&account);
    EXPECT_FALSE(std::filesystem::exists(StorePath()));
}

TEST_F(CommDeviceStoreTest, UnreadableStoreIsKeptAsideAndTheUserTold) {
    std::filesystem::create_directories(StorePath().parent_path());
    const std::string damaged = "\x3c\x00\x01\x00garbage that is no sender file";
    std::ofstream(StorePath(), std::ios::binary) << damaged;

    EXPECT_EQ(0, device.LoadIncomingSms());
    ASSERT_EQ(1u, host.errors.size());
    EXPECT_NE(std::string::npos, host.errors[0].find("incoming.dat.bad"));
    EXPECT_FALSE(std::filesystem::exists(StorePath()));
    std::ifstream bad(StorePath().string() + ".bad", std::ios::binary);
    EXPECT_EQ(damaged, std::string(std::istreambuf_iterator<char>(bad), {}));

    // New messages start a new store; the damaged one stays as it was.
    host.refuse = true;
    device.DeliverIncomingSms(Held("new"), &account);
    EXPECT_EQ((Contents{"new"}), StoreContents());
}

TEST_F(CommDeviceStoreTest, FailedSaveIsReportedAndTheOldStoreStays) {
    host.refuse = true;
    device.DeliverIncomingSms(Held("old"), &account);
    std::ifstream before(StorePath(), std::ios::binary);
    const std::string oldBytes(std::istreambuf_iterator<char>(before), {});
    {
        // Another program holds the file against writers.
        CFile holder;
        ASSERT_TRUE(holder.Open(CCommDevice::GetIncomingFilePath(),
                                CFile::modeRead | CFile::shareDenyWrite));
        device.DeliverIncomingSms(Held("more"), &account);
    }
    ASSERT_EQ(1u, host.errors.size());
    EXPECT_NE(std::string::npos, host.errors[0].find("原来的文件未被改动"));
    std::ifstream after(StorePath(), std::ios::binary);
    EXPECT_EQ(oldBytes, std::string(std::istreambuf_iterator<char>(after), {}));
    // The next change writes both.
    EXPECT_TRUE(device.SaveIncomingSms());
    EXPECT_EQ((Contents{"more", "old"}), StoreContents());
}

TEST_F(CommDeviceStoreTest, TwoRunningCopiesMergeTheirMessagesIntoTheStore) {
    RecordingHost refusingHost;
    refusingHost.refuse = true;
    CCommDevice second;
    second.SetHost(&refusingHost);

    device.DeliverIncomingSms(Held("one"), &account); // filed, not yet saved
    second.DeliverIncomingSms(Held("two"), &account); // held
    EXPECT_EQ((Contents{"one", "two"}), StoreContents());
    device.OnSenderFileSaved(&account);
    EXPECT_EQ((Contents{"two"}), StoreContents());

    // Both writing at once: neither overwrites the other.
    auto deliverMany = [&](CCommDevice& d, const char* prefix) {
        for (int i = 0; i < 15; ++i)
            d.DeliverIncomingSms(Held((std::string(prefix) + std::to_string(i)).c_str()), nullptr);
    };
    RecordingHost quiet;
    device.SetHost(&quiet);
    std::thread a([&] { deliverMany(device, "a"); });
    std::thread b([&] { deliverMany(second, "b"); });
    a.join();
    b.join();
    EXPECT_EQ(31u, StoreContents().size());
}

} // namespace
