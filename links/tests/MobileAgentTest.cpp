#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "links/MobileAgent.h"
#include "links/tests/support/FakeModem.h"
#include "platform/base/Gbk.h"
#include "platform/base/Profile.h"
#include "platform/base/tests/TempFolder.h"
#include "platform/serial/tests/PseudoTerminal.h"

using test_serial::ElapsedMs;

namespace {

const char* U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

using test_modem::kFrom;
using test_modem::kHead;
using test_modem::kHello;
using test_modem::kStamp;
using test_modem::kStoredSubmit;
using test_modem::kUcs2;
const std::string kUcs2Header = kHead + "44" + kFrom + "0008" + kStamp + "0A0500032A02014F60597D";
const std::string kSevenBitHeader =
    kHead + "44" + kFrom + "0000" + kStamp + "0F0500032A0201D069101D5D969701";
const std::string kGsmAlphabet = kHead + "04" + kFrom + "0000" + kStamp + "07E10D4ABC490100";
const std::string kEightBit = kHead + "04" + kFrom + "0004" + kStamp + "03414243";

TEST(SmsDeliverTest, DecodesWhatPhonesHold) {
    struct Case {
        std::string pdu;
        const char* utf8;
    } cases[] = {
        {kHello, "hello"},           {kUcs2, U8(u8"你好")},
        {kUcs2Header, U8(u8"你好")}, {kSevenBitHeader, "hi there"},
        {kGsmAlphabet, "a{b}@"},     {kEightBit, "ABC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pdu);
        SM_DELIVERED sms;
        ASSERT_TRUE(DecodeDeliverPdu(c.pdu.c_str(), sms));
        EXPECT_EQ(std::string(c.utf8), GbkToUtf8((LPCSTR)sms.text));
        EXPECT_STREQ("+8613912345678", sms.originator);
        EXPECT_STREQ("8613800100500", sms.serviceCentre);
        EXPECT_EQ(2026, sms.year);
        EXPECT_EQ(12, sms.month);
        EXPECT_EQ(10, sms.day);
        EXPECT_EQ(14, sms.hour);
        EXPECT_EQ(30, sms.minute);
        EXPECT_EQ(5, sms.second);
    }
}

TEST(SmsDeliverTest, RefusesWhatIsNotACompleteDeliver) {
    SM_DELIVERED sms;
    for (std::string bad : {kHello.substr(0, kHello.size() - 2), kHello.substr(0, 30),
                            kStoredSubmit, std::string("0891ZZ"), std::string(""), kHello + "0",
                            kHead + "44" + kFrom + "0008" + kStamp + "02FF00"})
        EXPECT_FALSE(DecodeDeliverPdu(bad.c_str(), sms)) << bad;
}

// Whatever a phone sends, the decoder reads only inside the PDU: every cut of each fixture and
// every value of each of its octets (the sanitizers watch the reads).
TEST(SmsDeliverTest, DamagedPdusAreReadOnlyWithinTheirBytes) {
    SM_DELIVERED sms;
    for (const std::string& pdu :
         {kHello, kUcs2, kUcs2Header, kSevenBitHeader, kGsmAlphabet, kEightBit}) {
        for (size_t cut = 0; cut < pdu.size(); cut += 2)
            EXPECT_FALSE(DecodeDeliverPdu(pdu.substr(0, cut).c_str(), sms)) << cut;
        static const char hex[] = "0123456789ABCDEF";
        for (size_t at = 0; at < pdu.size(); at += 2)
            for (int value = 0; value < 256; value += 17) {
                std::string damaged = pdu;
                damaged[at] = hex[value >> 4];
                damaged[at + 1] = hex[value & 15];
                DecodeDeliverPdu(damaged.c_str(), sms);
            }
    }
}

using test_modem::FakeModem;

class CountingIndicator : public CICommunicationsDeviceIndicator {
public:
    void Refresh() override {}
    void StartAnimation() override { busy++; }
    void ShowConnected() override { connected++; }
    void ShowDisconnected() override { disconnected++; }
    int busy = 0, connected = 0, disconnected = 0;
};

class RecordingListener : public CIMobileAgentNewSMListener {
public:
    void OnNewSms(const MOBILE_SMS& sms) override { delivered.push_back(sms); }
    void OnNewSmsStored() override { stored++; }
    std::vector<MOBILE_SMS> delivered;
    int stored = 0;
};

class MobileAgentTest : public ::testing::Test {
protected:
    void SetUp() override { CProfileStore::ReloadForTesting(); }
    void TearDown() override {
        agent.Close();
        CTime::ResetNowForTesting();
        CProfileStore::ReloadForTesting();
    }
    // Starts the phone of this script on COM2 and connects. The waits keep their real lengths
    // (they cost time only when the phone is silent, and a loaded machine may answer slowly);
    // tests of silence shorten them.
    bool Connect(const std::string& script, bool setup = true) {
        modem = std::make_unique<FakeModem>(dir.path(), script);
        if (!modem->ok())
            return false;
        CProfileStore().WriteProfileString(COMM_PORT_PROFILE_SECTION, "COM2", modem->link.c_str());
        agent.SetIndicator(&indicator);
        agent.SetListener(&listener);
        // The probe's one- and two-second waits are for a real phone; a fake one started moments
        // ago on a machine running many tests at once may take longer to answer its first line.
        agent.ScaleTimeoutsForTesting(10, 1);
        bool connected = agent.Probe(2, 115200) && (!setup || agent.Setup());
        agent.ScaleTimeoutsForTesting(1, 1);
        return connected;
    }

    test_folders::TempDir dir;
    test_folders::ScopedEnv config{"QUILLMAR_CONFIG", dir.str()};
    std::unique_ptr<FakeModem> modem;
    CountingIndicator indicator;
    RecordingListener listener;
    CMobileAgent agent;
};

TEST_F(MobileAgentTest, ProbesSetsUpAndReadsTheServiceCentre) {
    ASSERT_TRUE(Connect("{}"));
    EXPECT_TRUE(agent.IsOpen());
    EXPECT_FALSE(agent.IsBusy());
    EXPECT_FALSE(agent.Probe(2, 115200)); // already open
    CString centre;
    ASSERT_TRUE(agent.QueryServiceCentre(centre));
    EXPECT_STREQ("8613800100500", centre);
    std::vector<std::string> expected = {"AT",        "ATE0",        "AT+CMGF=0", "AT+CMEE=1",
                                         "AT+CLIP=1", "AT+CNMI=2,1", "AT+CSCA?"};
    EXPECT_EQ(expected, modem->Log());
    EXPECT_GE(indicator.connected, 1);
    agent.Close();
    EXPECT_FALSE(agent.IsOpen());
    EXPECT_GE(indicator.disconnected, 1);
}

TEST_F(MobileAgentTest, SendsTheMessageAfterThePrompt) {
    ASSERT_TRUE(Connect(R"({"prompt_delay": 0.2})"));
    agent.SetServiceCentre("+8613800100500");
    EXPECT_STREQ("8613800100500", agent.GetServiceCentre());
    ASSERT_TRUE(agent.SendPduAndWait("你好abc", "13800138000", PDU_DCS_UCS2));
    SM_PARAM p;
    p.serviceCentre = "8613800100500";
    p.destination = "8613800138000";
    p.dcs = PDU_DCS_UCS2;
    p.text = "你好abc";
    CString expected;
    ASSERT_GT(EncodePdu(p, expected), 0);
    std::vector<std::string> pdus = modem->Log("PDU ");
    ASSERT_EQ(1u, pdus.size());
    // The length the phone is given leaves out the centre's nine octets.
    EXPECT_EQ(std::string(expected) + " " + std::to_string(expected.GetLength() / 2 - 9), pdus[0]);
    EXPECT_EQ("AT+CMGS=" + std::to_string(expected.GetLength() / 2 - 9), modem->Log().back());
}

TEST_F(MobileAgentTest, ListsOnlyReceivedMessagesAndDeletesWhatWasRead) {
    std::string script = R"({"messages": [[1, 0, ")" + kHello + R"("], [2, 1, ")" + kUcs2 +
                         R"("], [3, 2, ")" + kStoredSubmit + R"("], [4, 1, ")" + kUcs2Header +
                         R"("], [5, 0, ")" + kSevenBitHeader + R"("]]})";
    ASSERT_TRUE(Connect(script));
    std::vector<MOBILE_SMS> list;
    ASSERT_EQ(4, agent.ListMessages(4, list));
    ASSERT_EQ(4u, list.size());
    int indexes[] = {1, 2, 4, 5};
    const char* texts[] = {"hello", U8(u8"你好"), U8(u8"你好"), "hi there"};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(indexes[i], list[i].index);
        EXPECT_EQ(std::string(texts[i]), GbkToUtf8((LPCSTR)list[i].message.text));
        EXPECT_STREQ("+8613912345678", list[i].message.originator);
    }
    EXPECT_EQ(0, list[0].status);
    EXPECT_EQ(1, list[1].status);
    EXPECT_TRUE(agent.DeleteMessages(1));
    EXPECT_EQ("AT+CMGD=1,1", modem->Log().back());
}

TEST_F(MobileAgentTest, UnaskedLinesStayOutOfReplies) {
    std::string script =
        R"({"before": {"AT+CSCA?": ["RING", "+CLIP: \"13912345678\",129", "+CMTI: \"SM\",3"]},
            "after": {"AT+CLIP=1": ["+CMT: ,24", ")" +
        kHello + R"("]}})";
    CTime::SetNowForTesting(1800000000);
    ASSERT_TRUE(Connect(script));
    agent.ProcessPortMessages(300);
    ASSERT_EQ(1u, listener.delivered.size());
    EXPECT_STREQ("hello", listener.delivered[0].message.text);

    CTime::SetNowForTesting(1800000004);
    CString centre;
    ASSERT_TRUE(agent.QueryServiceCentre(centre));
    EXPECT_STREQ("8613800100500", centre);
    EXPECT_EQ(-1, agent.GetResponse().Find("RING"));
    EXPECT_EQ(-1, agent.GetResponse().Find("CMTI"));
    // The new stored message is announced once the command has ended.
    EXPECT_EQ(1, listener.stored);
    ASSERT_EQ(1u, agent.GetCallRecords().size());
    EXPECT_STREQ("13912345678", agent.GetCallRecords()[0].number);
    EXPECT_EQ(1800000004, agent.GetCallRecords()[0].time.GetTime());

    // Rings of the same call lengthen it; a ring long after starts the next record.
    CTime::SetNowForTesting(1800000009);
    ASSERT_TRUE(agent.QueryServiceCentre(centre));
    ASSERT_EQ(1u, agent.GetCallRecords().size());
    EXPECT_EQ(5, agent.GetCallRecords()[0].ringSeconds);
    CTime::SetNowForTesting(1800000100);
    ASSERT_TRUE(agent.QueryServiceCentre(centre));
    EXPECT_EQ(2u, agent.GetCallRecords().size());
}

TEST_F(MobileAgentTest, ErrorsEndTheCommandThatGotThem) {
    EXPECT_TRUE(CMobileAgent::HasError("\r\n+CME ERROR: 10\r\n"));
    struct Case {
        const char* response;
        BOOL error;
        int index;
        int code;
    } cases[] = {
        {"+CME ERROR: 10\r\n", TRUE, 1, 10},
        {"+CMS ERROR: 500\r\n", TRUE, 2, 500},
        {"ERROR\r\n", TRUE, 3, 0},
        {"+CSCA: \"+86138\",145\r\nOK\r\n", FALSE, 0, 0},
    };
    for (const Case& c : cases) {
        int index = 0, code = -1;
        EXPECT_EQ(c.error, CMobileAgent::HasError(c.response, &index, &code)) << c.response;
        if (c.error) {
            EXPECT_EQ(c.index, index);
            EXPECT_EQ(c.code, code);
        }
    }

    ASSERT_TRUE(
        Connect(R"({"errors": {"AT+CMEE=1": "+CME ERROR: 3", "PDU": "+CMS ERROR: 500"}})", false));
    EXPECT_FALSE(agent.Setup());
    EXPECT_EQ("AT+CMEE=1", modem->Log().back());
    EXPECT_FALSE(agent.SendPduAndWait("hello", "13800138000", PDU_DCS_7BIT));
    EXPECT_GE(agent.GetResponse().Find("+CMS ERROR: 500"), 0);
    EXPECT_FALSE(agent.IsBusy());
    // A message the network cannot carry is refused before anything is sent.
    CString tooLong('a', 161);
    EXPECT_FALSE(agent.SendPduAndWait(tooLong, "13800138000", PDU_DCS_7BIT));
    EXPECT_FALSE(agent.GetResponse().IsEmpty());
}

TEST_F(MobileAgentTest, SilenceEndsEachWaitAtItsTimeOut) {
    ASSERT_TRUE(Connect(R"({"silent": ["AT+CSCA?"], "raw": {"AT+CMGL=4": "OK"},
                            "garbage": {"AT+CMGD=1,1": "\u0000\u00ff\u00fe junk"}})"));
    agent.ScaleTimeoutsForTesting(1, 40);
    CString centre;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(agent.QueryServiceCentre(centre));
    EXPECT_LT(ElapsedMs(start), 3000);
    EXPECT_FALSE(agent.IsBusy());
    // A reply without its line end never ends the command either.
    std::vector<MOBILE_SMS> list;
    EXPECT_EQ(0, agent.ListMessages(4, list));
    // Garbage before a reply does not stop the next command.
    agent.ScaleTimeoutsForTesting(1, 1);
    EXPECT_TRUE(agent.DeleteMessages(1));
}

TEST_F(MobileAgentTest, APhoneThatDoesNotAnswerIsNotConnected) {
    modem = std::make_unique<FakeModem>(dir.path(), R"({"silent": ["AT"]})");
    ASSERT_TRUE(modem->ok());
    CProfileStore().WriteProfileString(COMM_PORT_PROFILE_SECTION, "COM2", modem->link.c_str());
    agent.ScaleTimeoutsForTesting(1, 10);
    EXPECT_FALSE(agent.Probe(2, 9600));
    EXPECT_FALSE(agent.IsOpen());
    EXPECT_EQ((std::vector<std::string>{"AT", "AT"}), modem->Log());
    EXPECT_FALSE(agent.Probe(7, 9600)); // no device
}

TEST_F(MobileAgentTest, AVanishedPhoneEndsTheCommandAndTheLink) {
    ASSERT_TRUE(Connect(R"({"vanish": "AT+CSCA?"})"));
    int disconnectedBefore = indicator.disconnected;
    CString centre;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(agent.QueryServiceCentre(centre));
    EXPECT_LT(ElapsedMs(start), 5000); // well before the time-out of 20 s
    EXPECT_FALSE(agent.IsOpen());
    EXPECT_GT(indicator.disconnected, disconnectedBefore);
    CString response;
    EXPECT_FALSE(agent.Command("AT\r", response, 1000));
}

TEST(MobileAgentNumbers, PutsTheCountryPrefixInFront) {
    CMobileAgent agent;
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"13800138000", "8613800138000"},
        {"+8613800138000", "8613800138000"},
        {"8613800138000", "8613800138000"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.out, agent.NormaliseNumber(c.in)) << c.in;
}

} // namespace
