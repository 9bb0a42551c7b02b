#include <memory>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "core/Checksum.h"
#include "sms/Sender.h"
#include "sms/tests/SmsTestSupport.h"

using namespace smstest;

namespace {

// An account with every setting away from its default and messages in two boxes.
std::unique_ptr<_CSender> FullSender() {
    auto sender = std::make_unique<_CSender>("张三");
    SSenderAccountRecord& r = sender->GetRecord();
    r.m_person.m_strText[SENDER_SIGNATURE] = "签名";
    r.m_person.m_strText[SENDER_EMAIL] = "z@example.com";
    r.m_person.m_strText[SENDER_ORGANISATION] = "单位";
    r.m_person.m_strText[SENDER_REMARKS] = "附注";
    r.m_person.m_dwValue = 1;
    r.m_mobile.m_strBrand = "品牌";
    r.m_mobile.m_nNetwork = SSenderMobileInfo::NETWORK_UNICOM_CDMA;
    r.m_mobile.m_strModel = "X1";
    r.m_mobile.m_strMobileNumber = "13800000000";
    r.m_servers.m_strSendServer = "send.example";
    r.m_servers.m_nSendPort = 80;
    r.m_servers.m_strRecvServer = "recv.example";
    r.m_servers.m_nRecvPort = 8080;
    r.m_servers.m_bRecvSameAsSend = FALSE;
    r.m_remote.m_strUserId = "10001";
    r.m_remote.m_strPassword = "pw";
    r.m_remote.m_nServerAction = SSenderRemoteAccount::ACTION_KEEP_AND_FORWARD;
    r.m_remote.m_bAppendSignature = FALSE;
    r.m_remote.m_bAppendOwnNumber = TRUE;
    r.m_remote.m_strSignature = "--张";
    r.m_send.m_nReserved = 9;
    r.m_send.m_strGatewayLibrary = "gw.so";
    r.m_receive.m_bKeepServerCopy = TRUE;
    r.m_receive.m_bAutoReceive = TRUE;
    r.m_receive.m_nInterval = 30;
    r.m_receive.m_nIntervalUnit = SSenderReceiveScheme::UNIT_SECONDS;
    r.m_receive.m_bPlaySound = FALSE;
    r.m_receive.m_nSoundChoice = SSenderReceiveScheme::SOUND_FILE;
    r.m_receive.m_strSoundFile = "a.wav";
    r.m_receive.m_nStoreNewIn = SSenderReceiveScheme::STORE_IN_BOTH;

    _CSmsBox& root = sender->GetRootSmsBox();
    auto* received = new _CSms();
    received->SetState(_CSms::STATE_UNREAD);
    received->m_sender = CNameCodeString("李四", "139");
    received->SetTime(CTime(1700000000));
    root.GetSubBoxAt(0)->AddSms(received);
    auto* pending = new _CSms("主题");
    pending->SetState(_CSms::STATE_PENDING);
    pending->m_strContent = "内容";
    pending->m_bBatch = TRUE;
    pending->m_batchList.AddTail("137");
    root.GetSubBoxAt(1)->AddSubBox("mine", CMsgBoxBase::BOX_USER)->AddSms(pending);

    sender->SetPasswordChecksum(CalcStringChecksum("secret"));
    sender->ModifyFlags(0, CMsgAccountBase::FLAG_PASSWORD);
    return sender;
}

} // namespace

TEST(SenderTest, NewAccountDefaults) {
    _CSender sender("张三");
    EXPECT_EQ(S(sender.GetName()), "张三");
    const SSenderAccountRecord& r = sender.GetRecord();
    EXPECT_EQ(r.m_pOwner, &sender);
    for (int i = 1; i < SAccountPersonInfo::kTextCount; ++i)
        EXPECT_EQ(S(r.m_person.m_strText[i]), "");
    EXPECT_EQ(r.m_person.m_dwValue, 0u);
    EXPECT_EQ(r.m_mobile.m_nPhoneType, 0);
    EXPECT_EQ(r.m_mobile.m_nNetwork, 0);
    EXPECT_EQ(r.m_servers.m_nSendPort, 1234);
    EXPECT_EQ(r.m_servers.m_nRecvPort, 1234);
    EXPECT_TRUE(r.m_servers.m_bRecvSameAsSend);
    EXPECT_EQ(r.m_remote.m_nServerAction, 0);
    EXPECT_TRUE(r.m_remote.m_bAppendSignature);
    EXPECT_FALSE(r.m_remote.m_bAppendOwnNumber);
    EXPECT_EQ(r.m_send.m_nReserved, 0);
    EXPECT_FALSE(r.m_receive.m_bKeepServerCopy);
    EXPECT_FALSE(r.m_receive.m_bAutoReceive);
    EXPECT_EQ(r.m_receive.m_nInterval, 1);
    EXPECT_EQ(r.m_receive.m_nIntervalUnit, 0);
    EXPECT_TRUE(r.m_receive.m_bPlaySound);
    EXPECT_EQ(r.m_receive.m_nSoundChoice, 0);
    EXPECT_EQ(r.m_receive.m_nStoreNewIn, 0);
    EXPECT_EQ(sender.GetFlags(), 0u);
    EXPECT_FALSE(sender.IsLocked());

    _CSmsBox& root = sender.GetRootSmsBox();
    EXPECT_EQ(sender.GetRootBox(), &root);
    EXPECT_EQ(S(root.GetName()), "");
    EXPECT_EQ(root.GetBoxType(), -1);
    const char* names[] = {"收信箱", "发信箱", "已发信箱", "垃圾箱"};
    ASSERT_EQ(root.GetSubBoxCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(S(root.GetSubBoxAt(i)->GetName()), names[i]);
        EXPECT_EQ(root.GetSubBoxAt(i)->GetBoxType(), i);
        EXPECT_EQ(root.GetSubBoxAt(i)->GetOwner(), &sender);
    }

    EXPECT_EQ(_CSender("", FALSE).GetRootSmsBox().GetSubBoxCount(), 0);
    std::unique_ptr<CObject> made(RUNTIME_CLASS(_CSender)->CreateObject());
    auto* created = DYNAMIC_DOWNCAST(_CSender, made.get());
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetRootSmsBox().GetSubBoxCount(), 4);
    EXPECT_EQ(S(created->GetName()), "");
}

TEST(SenderTest, RenameGoesToThePersonRecord) {
    _CSender sender("old");
    sender.GetName() = "new";
    EXPECT_EQ(S(sender.GetPersonInfo().m_strText[SENDER_NAME]), "new");
}

TEST(SenderTest, StoresSettingsBoxesFlagsAndChecksumInOrder) {
    auto sender = FullSender();
    Bytes settings = Cat({
        // Person: five texts, then the start-up flag.
        Str("张三"),
        Str("签名"),
        Str("z@example.com"),
        Str("单位"),
        Str("附注"),
        Dword(1),
        // Phone: brand, network, model, number.
        Str("品牌"),
        Dword(2),
        Str("X1"),
        Str("13800000000"),
        // Servers.
        Str("send.example"),
        Dword(80),
        Str("recv.example"),
        Dword(8080),
        Dword(0),
        // Web account.
        Str("10001"),
        Str("pw"),
        Dword(2),
        Dword(0),
        Dword(1),
        Str("--张"),
        // Sending.
        Dword(9),
        Str("gw.so"),
        // Receiving.
        Dword(1),
        Dword(1),
        Dword(30),
        Dword(1),
        Dword(0),
        Dword(1),
        Str("a.wav"),
        Dword(2),
    });
    Bytes expected = Cat({settings, Store(sender->GetRootSmsBox()), Dword(0x8000),
                          Dword(CalcStringChecksum("secret"))});
    EXPECT_EQ(Store(*sender), expected);
}

TEST(SenderTest, RoundTripsWithEveryField) {
    auto sender = FullSender();
    Bytes bytes = Store(*sender);

    _CSender loaded("", FALSE);
    EXPECT_EQ(Load(loaded, bytes), 0u);
    // Storing again gives the same bytes: every stored field came back. The lock bit is the
    // only addition.
    loaded.ModifyFlags(CMsgAccountBase::FLAG_LOCKED, 0);
    EXPECT_EQ(Store(loaded), bytes);
    EXPECT_EQ(S(loaded.GetName()), "张三");
    EXPECT_EQ(loaded.GetPasswordChecksum(), CalcStringChecksum("secret"));

    _CSmsBox& root = loaded.GetRootSmsBox();
    ASSERT_EQ(root.GetSubBoxCount(), 4);
    _CSmsBox* mine = root.GetSubBoxAt(1)->GetSubBoxAt(0);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->GetOwner(), &loaded);
    POSITION pos = mine->GetFirstSmsPosition();
    _CSms* pending = mine->GetNextSms(pos);
    EXPECT_EQ(S(pending->m_strContent), "内容");
    EXPECT_EQ(pending->GetRecipientCount(), 1);
    EXPECT_EQ(root.CountSmsByState(_CSms::STATE_UNREAD, TRUE), 1);

    // An account made with its standard boxes ends with the file's boxes, not eight.
    _CSender made("", TRUE);
    Load(made, bytes);
    EXPECT_EQ(made.GetRootSmsBox().GetSubBoxCount(), 4);
}

TEST(SenderTest, PhoneTypeAndRemarksAreNotStored) {
    _CSender sender("a");
    SSenderMobileInfo& mobile = sender.GetMobileInfo();
    mobile.m_nPhoneType = SSenderMobileInfo::PHONE_ENGLISH;
    mobile.m_strRemarks = "note";
    mobile.m_strBrand = "b";
    mobile.m_nNetwork = 1;
    mobile.m_strModel = "m";
    mobile.m_strMobileNumber = "n";
    Bytes bytes = Store(sender);

    _CSender loaded("", FALSE);
    loaded.GetMobileInfo().m_nPhoneType = SSenderMobileInfo::PHONE_ENGLISH;
    loaded.GetMobileInfo().m_strRemarks = "stale";
    Load(loaded, bytes);
    const SSenderMobileInfo& back = loaded.GetMobileInfo();
    EXPECT_EQ(back.m_nPhoneType, SSenderMobileInfo::PHONE_CHINESE);
    EXPECT_EQ(S(back.m_strRemarks), "");
    EXPECT_EQ(S(back.m_strBrand), "b");
    EXPECT_EQ(back.m_nNetwork, 1);
    EXPECT_EQ(S(back.m_strModel), "m");
    EXPECT_EQ(S(back.m_strMobileNumber), "n");
}

TEST(SenderTest, PasswordProtectedAccountOpensLocked) {
    const std::pair<DWORD, DWORD> rows[] = {
        {0, 0}, {0x4000, 0x4000}, {0x8000, 0xC000}, {0xC000, 0xC000}, {0x8001, 0xC001}};
    for (const auto& [saved, loadedFlags] : rows) {
        _CSender sender("a");
        sender.ModifyFlags(~0u, saved);
        _CSender loaded("", FALSE);
        Load(loaded, Store(sender));
        EXPECT_EQ(loaded.GetFlags(), loadedFlags) << std::hex << saved;
        EXPECT_EQ(!!loaded.IsLocked(), (saved & 0x8000) != 0) << std::hex << saved;
    }
}

TEST(SenderTest, ReceiveIntervalHasAMinimum) {
    struct Row {
        int interval;
        int unit;
        int expected;
    };
    const Row rows[] = {{2, SSenderReceiveScheme::UNIT_SECONDS, 5},
                        {7, SSenderReceiveScheme::UNIT_SECONDS, 7},
                        {2, SSenderReceiveScheme::UNIT_MINUTES, 2},
                        {0, SSenderReceiveScheme::UNIT_MINUTES, 1},
                        {-4, SSenderReceiveScheme::UNIT_MINUTES, 1}};
    for (const Row& row : rows) {
        SSenderReceiveScheme scheme;
        scheme.m_nInterval = row.interval;
        scheme.m_nIntervalUnit = row.unit;
        // What the page stores.
        SSenderReceiveScheme applied = scheme;
        applied.ApplyMinimumInterval();
        EXPECT_EQ(applied.m_nInterval, row.expected) << row.interval << "/" << row.unit;
        // A file that holds a shorter interval cannot make the receiver poll without pause.
        SSenderReceiveScheme loaded;
        Load(loaded, Store(scheme));
        EXPECT_EQ(loaded.m_nInterval, row.expected) << row.interval << "/" << row.unit;
    }
}

TEST(SenderTest, MoveSmsToStateBoxFilesByState) {
    struct Row {
        int state;
        const char* box; // null: refused, no box of that type
    };
    const Row rows[] = {{0, "发信箱"}, {1, "发信箱"}, {2, "发信箱"}, {3, "已发信箱"},
                        {4, "收信箱"}, {5, "收信箱"}, {6, nullptr},  {7, nullptr}};
    for (const Row& row : rows) {
        _CSender sender("a");
        _CSmsBox holding("holding");
        auto* sms = new _CSms();
        sms->SetState(row.state);
        holding.AddSms(sms);
        EXPECT_EQ(!!sender.MoveSmsToStateBox(sms), row.box != nullptr) << row.state;
        if (row.box != nullptr) {
            EXPECT_EQ(S(sms->GetBox()->GetName()), row.box) << row.state;
            EXPECT_EQ(holding.GetSmsCount(), 0);
        } else {
            EXPECT_EQ(sms->GetBox(), &holding) << row.state;
        }
    }

    // Without the standard boxes there is nowhere to file.
    _CSender bare("", FALSE);
    _CSms loose;
    loose.SetState(_CSms::STATE_UNREAD);
    EXPECT_FALSE(bare.MoveSmsToStateBox(&loose));
    EXPECT_FALSE(bare.MoveSmsToStateBox(nullptr));
}

TEST(SenderTest, TruncatedFileFailsAtEveryLength) {
    ExpectEveryTruncationFails<_CSender>(Store(*FullSender()),
                                         [] { return std::make_unique<_CSender>("", FALSE); });
}

TEST(SenderTest, DamagedFilesLoadOrFailCleanly) {
    const Bytes whole = Store(*FullSender());
    std::mt19937 random(20240601);
    for (int round = 0; round < 2000; ++round) {
        Bytes bytes = whole;
        int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i)
            bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
        _CSender sender("", FALSE);
        // Either outcome is fine; what matters is no crash, no leak and no huge allocation.
        int cause = LoadFailure(sender, bytes);
        EXPECT_TRUE(cause == -1 || cause == CArchiveException::endOfFile ||
                    cause == CArchiveException::badIndex)
            << "round " << round << " cause " << cause;
    }
}
