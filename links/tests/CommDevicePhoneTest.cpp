// The manager with a phone connected: the fake phone of tests/support on a pseudo-terminal takes
// the sends and holds the messages to receive; the gateway stand-in must hear nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "links/tests/CommDeviceTestSupport.h"
#include "links/tests/support/FakeModem.h"
#include "platform/base/Gbk.h"

using commtest::CommDeviceTest;
using test_modem::FakeModem;

namespace {

const char* U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

class CommDevicePhoneTest : public CommDeviceTest {
protected:
    // Starts the phone of this script on COM2 and lets the profile connect it at start-up.
    bool StartPhone(const std::string& script, bool autoConnect = true) {
        modem = std::make_unique<FakeModem>(home.path(), script);
        if (!modem->ok())
            return false;
        CProfileStore profile;
        profile.WriteProfileString(COMM_PORT_PROFILE_SECTION, "COM2", modem->link.c_str());
        profile.WriteProfileInt(COMM_PORT_PROFILE_SECTION, "Port", 2);
        profile.WriteProfileInt(COMM_PORT_PROFILE_SECTION, "BaudRate", 115200);
        profile.WriteProfileInt(COMM_PORT_PROFILE_SECTION, "AutoConnect", autoConnect ? 1 : 0);
        // A fake phone started moments ago on a busy machine may answer its first line late.
        device.GetMobileAgent()->ScaleTimeoutsForTesting(10, 1);
        BOOL open = device.InitAgent();
        device.GetMobileAgent()->ScaleTimeoutsForTesting(1, 1);
        return open == (autoConnect ? TRUE : FALSE);
    }
    void TearDown() override {
        device.ShutdownAgent();
        CommDeviceTest::TearDown();
    }
    std::string Store() const { return (home.path() / "Sms" / "incoming.dat").string(); }

    std::unique_ptr<FakeModem> modem;
};

std::string Pdu(const char* text, const char* number = "8613912345678") {
    SM_PARAM p;
    p.serviceCentre = "8613800100500";
    p.destination = number;
    p.dcs = PDU_DCS_UCS2;
    p.text = text;
    CString pdu;
    EncodePdu(p, pdu);
    return std::string(pdu) + " " + std::to_string(pdu.GetLength() / 2 - 9);
}

TEST_F(CommDevicePhoneTest, StartUpConnectsAsTheProfileSaysAndShutdownKeepsTheSettings) {
    ASSERT_TRUE(StartPhone(R"({"csca": "8613800100500"})"));
    EXPECT_TRUE(device.IsPhoneOpen());
    EXPECT_EQ((std::vector<std::string>{"AT", "ATE0", "AT+CMGF=0", "AT+CMEE=1", "AT+CLIP=1",
                                        "AT+CNMI=2,1", "AT+CSCA?"}),
              modem->Log());
    EXPECT_STREQ("8613800100500", device.GetMobileAgent()->GetServiceCentre());
    device.ShutdownAgent();
    EXPECT_FALSE(device.IsPhoneOpen());

    // The next start finds what this one had; without AutoConnect nothing is opened.
    CProfileStore profile;
    EXPECT_EQ(2u, profile.GetProfileInt(COMM_PORT_PROFILE_SECTION, "Port", 0));
    EXPECT_STREQ("8613800100500",
                 profile.GetProfileString(COMM_PORT_PROFILE_SECTION, "ServiceCentre", ""));
    profile.WriteProfileInt(COMM_PORT_PROFILE_SECTION, "AutoConnect", 0);
    CCommDevice later;
    EXPECT_FALSE(later.InitAgent());
    EXPECT_EQ(2u, later.GetMobileAgent()->GetComPort());
    EXPECT_EQ(115200u, later.GetMobileAgent()->GetBaudRate());
    EXPECT_STREQ("8613800100500", later.GetMobileAgent()->GetServiceCentre());
    EXPECT_EQ(7u, modem->Log().size());
}

// Every part goes as UCS-2 of at most 70 characters, whatever the profile's sizes.
TEST_F(CommDevicePhoneTest, SendsThroughThePhoneInPartsOfSeventy) {
    ASSERT_TRUE(StartPhone("{}"));
    CProfileStore().WriteProfileInt("SMS", "AnsiMaxSize", 160);
    auto repeat = [](const char8_t* text, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += Utf8ToGbk(U8(text)).GetString();
        return out;
    };
    struct Case {
        std::string content;
        std::vector<std::string> parts;
    } cases[] = {
        {std::string(100, 'a'), {std::string(70, 'a'), std::string(30, 'a')}},
        {"hello", {"hello"}},
        {repeat(u8"好", 72), {repeat(u8"好", 70), repeat(u8"好", 2)}},
    };
    size_t logged = 0;
    for (const Case& c : cases) {
        _CSms* sms = Pending(c.content.c_str());
        EXPECT_EQ(SMS_RESULT_OK, SendOne(sms));
        ASSERT_NE(nullptr, sms);
        EXPECT_EQ(_CSms::STATE_SENT, sms->GetState());
        std::vector<std::string> pdus = modem->Log("PDU ");
        ASSERT_EQ(logged + c.parts.size(), pdus.size());
        for (size_t i = 0; i < c.parts.size(); ++i)
            EXPECT_EQ(Pdu(c.parts[i].c_str()), pdus[logged + i]) << i;
        logged = pdus.size();
    }
    EXPECT_EQ(3, Box(2).GetSmsCount());
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(CommDevicePhoneTest, APhoneErrorKeepsTheMessageWaitingWithThePhonesText) {
    ASSERT_TRUE(StartPhone(R"({"errors": {"PDU": "+CMS ERROR: 500"}})"));
    _CSms* sms = Pending("hello");
    EXPECT_EQ(SMS_RESULT_PHONE_ERROR, SendOne(sms));
    EXPECT_STREQ("出错!(+CMS ERROR: 500)", device.GetSendResultText(SMS_RESULT_PHONE_ERROR));
    ASSERT_NE(nullptr, sms);
    EXPECT_EQ(_CSms::STATE_PENDING, sms->GetState());
    EXPECT_EQ(1, Box(1).GetSmsCount());
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_FALSE(device.GetMobileAgent()->IsBusy());
}

// Received messages are listed, stored on disk, handed to the main window and only then deleted
// from the phone; the phone's own outgoing messages are left alone.
TEST_F(CommDevicePhoneTest, ReceivesFromThePhoneAndDeletesOnlyWhatIsStored) {
    const std::string script = R"({"messages": [[1, 0, ")" + test_modem::kHello +
                               R"("], [2, 1, ")" + test_modem::kUcs2 + R"("], [3, 2, ")" +
                               test_modem::kStoredSubmit + R"("]]})";
    ASSERT_TRUE(StartPhone(script));
    bool storedAtArrival = false;
    host.onArrival = [&] { storedAtArrival = std::filesystem::exists(Store()); };
    host.active = &account;
    device.ReceiveSms();

    EXPECT_TRUE(storedAtArrival);
    EXPECT_EQ(2, Box(0).CountSmsByState(_CSms::STATE_UNREAD, FALSE));
    std::vector<std::string> texts;
    for (POSITION pos = Box(0).GetFirstSmsPosition(); pos;) {
        _CSms* sms = Box(0).GetNextSms(pos);
        texts.push_back(GbkToUtf8(sms->m_strContent.GetString()));
        EXPECT_STREQ("13912345678", sms->m_sender.m_str);
        EXPECT_EQ(CTime(2026, 12, 10, 14, 30, 5).GetTime(), sms->GetTime().GetTime());
    }
    EXPECT_EQ((std::vector<std::string>{"hello", U8(u8"你好")}), texts);
    std::vector<std::string> log = modem->Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ("AT+CMGL=4", log[log.size() - 2]);
    EXPECT_EQ("AT+CMGD=1,1", log.back());
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(1u, host.sounds.size());
}

TEST_F(CommDevicePhoneTest, PhoneMessagesStayThereWhenTheyCannotBeStoredOrAreKept) {
    const std::string script = R"({"messages": [[1, 0, ")" + test_modem::kHello +
                               R"("], [2, 1, ")" + test_modem::kUcs2 + R"("]]})";
    ASSERT_TRUE(StartPhone(script));
    host.active = &account;

    // The account keeps the phone's copies: only the unread one is taken, nothing deleted.
    account.GetRecord().m_receive.m_bKeepServerCopy = TRUE;
    device.ReceiveSms();
    EXPECT_EQ(1, Box(0).GetSmsCount());
    EXPECT_EQ("AT+CMGL=4", modem->Log().back());
    account.GetRecord().m_receive.m_bKeepServerCopy = FALSE;

    // A store that cannot be written: the messages are handed on but stay on the phone.
    device.OnSenderFileSaved(&account);
    std::filesystem::remove_all(home.path() / "Sms");
    std::ofstream(home.path() / "Sms") << "not a folder";
    device.ReceiveSms();
    EXPECT_FALSE(host.errors.empty());
    EXPECT_EQ("AT+CMGL=4", modem->Log().back());
}

// "+CMTI" between commands receives when the program next looks; during a send run it waits for
// the run's end.
TEST_F(CommDevicePhoneTest, ANewStoredMessageIsReceivedWhenNothingElseRuns) {
    const std::string script = R"({"messages": [[4, 0, ")" + test_modem::kHello +
                               R"("]], "after": {"AT+CSCA?": ["+CMTI: \"SM\",4"]},
                                       "before": {"PDU": ["+CMTI: \"SM\",4"]}})";
    host.active = &account;
    ASSERT_TRUE(StartPhone(script));
    // The announcement came after the last command of the start-up: it is taken when the
    // program looks at the port (as the port's notification makes it do).
    for (int i = 0; i < 100 && Box(0).GetSmsCount() == 0; ++i)
        device.ServicePhone(50);
    EXPECT_EQ(1, Box(0).GetSmsCount());

    int arrivalsDuringRun = -1;
    device.SetSender(&account);
    ASSERT_TRUE(device.BeginSend());
    _CSms* sms = Pending("hi");
    device.SendSms(&sms);
    device.FileSendResults(nullptr);
    arrivalsDuringRun = host.arrivals;
    device.EndSend();
    EXPECT_EQ(1, arrivalsDuringRun);
    EXPECT_EQ(2, host.arrivals);
    EXPECT_EQ("AT+CMGD=1,1", modem->Log().back());
}

TEST_F(CommDevicePhoneTest, TheProgramWaitsForARunningCommandBeforeClosing) {
    ASSERT_TRUE(StartPhone(R"({"prompt_delay": 0.3})"));
    CString text;
    EXPECT_TRUE(device.CanClose(text));
    std::vector<std::string> refusals;
    device.SetAgentWaitPump([&] {
        CString reason;
        if (!device.CanClose(reason))
            refusals.push_back(reason.GetString());
    });
    EXPECT_TRUE(device.GetMobileAgent()->SendPduAndWait("hi", "13912345678", PDU_DCS_UCS2));
    ASSERT_FALSE(refusals.empty());
    EXPECT_EQ("移动设备正在通信，请稍后再尝试关闭！", refusals[0]);
    EXPECT_TRUE(device.CanClose(text));
}

} // namespace
