// Replies of the e-card service parsed into the user's contacts, access values, messages and
// account; malformed and hostile replies end the parse without touching what they do not name.
#include "ecard/tests/ECardTestSupport.h"

#include <string>
#include <vector>

#include "core/StringUtil.h"
#include "ecard/ECResponseParser.h"

using namespace ecard_test;

namespace {

// Replies carry GBK text percent-encoded.
std::string E(const char* gbk) {
    return UrlEncodeString(gbk).GetString();
}

class ECResponseParserTest : public ECardTest {
protected:
    // A set of one known contact 5 with a name, a mobile number and some access.
    void SetUp() override {
        ECardTest::SetUp();
        known = AddContact(group, 5, "原名");
        known->m_strUserName = "old";
        known->SetFieldText(PF_MOBILE, "13800000000", TRUE, 0, "\n", "-");
        known->m_access[0] = 0x0F;
        known->m_access[2] = 0xFF;
        set[5] = known;
    }
    int Contacts(const std::string& reply, CECResultMap* pResult = nullptr) {
        CString text(reply.data(), (int)reply.size());
        return CECResponseParser(text, 3).ParseContacts(set, pResult);
    }
    CString Field(CECContact* c, int field) {
        CString out;
        c->GetFieldText(out, field);
        return out;
    }

    CECGroup group{"我的好友", CECGroup::ROLE_FRIENDS};
    CECContact* known = nullptr;
    CECContactMap set;
};

TEST_F(ECResponseParserTest, NotExistMarksTheContactDeregisteredAndKeepsItsFields) {
    known->m_dwStatus = CECContact::STATUS_FRIEND;
    EXPECT_EQ(0, Contacts("{uid=5&error=notexist&psn_name=new|friend}"));
    EXPECT_EQ(0, known->m_nExists);
    EXPECT_EQ(CECContact::STATUS_FRIEND | CECContact::STATUS_DEREGISTERED, known->m_dwStatus);
    EXPECT_EQ("原名", known->GetName());

    Contacts("{uid=5&psn_name=%E6%96%B0|uptodate,friend}");
    EXPECT_EQ(1, known->m_nExists);
    EXPECT_EQ(CECContact::STATUS_FRIEND, known->m_dwStatus);
    EXPECT_EQ("原名", known->GetName()); // up to date: no field is touched
}

TEST_F(ECResponseParserTest, AccessPartChangesOnlyTheCategoriesItNames) {
    Contacts("{uid=5&psn_name=a||goaccessmodify=2023-01-02%2003%3A04%3A05|}");
    EXPECT_EQ(0x0F, known->m_access[0]);
    EXPECT_EQ(CTime(2023, 1, 2, 3, 4, 5), known->m_timeGoAccessModify);

    Contacts("{uid=5&psn_name=a|||acc_work=0&acc_comm=255&accmodify=2020-5-6%2007:08:09}");
    EXPECT_EQ(0x0F, known->m_access[0]);
    EXPECT_EQ(0, known->m_access[2]);
    EXPECT_EQ(7, known->m_access[3]); // only the valid bits of the category
    EXPECT_EQ(CTime(2020, 5, 6, 7, 8, 9), known->m_timeAccessModify);
    EXPECT_EQ(CTime(2023, 1, 2, 3, 4, 5), known->m_timeGoAccessModify); // absent: kept

    Contacts("{uid=5&psn_name=a|||accmodify=never}");
    EXPECT_EQ(CTime(0), known->m_timeAccessModify);

    // Categories alone, without a modification time, are taken all the same.
    Contacts("{uid=5&username=other|uptodate||acc_indiv=15&acc_family=3&acc_work=255&"
             "acc_comm=7&acc_other=3&acc_state=7}");
    EXPECT_EQ((std::vector<int>{15, 3, 255, 7, 3, 7}),
              (std::vector<int>{known->m_access[0], known->m_access[1], known->m_access[2],
                                known->m_access[3], known->m_access[4], known->m_access[5]}));
    EXPECT_EQ(CTime(0), known->m_timeAccessModify); // absent: kept
}

TEST_F(ECResponseParserTest, FullRecordReplacesFieldsAndClearsTheRest) {
    known->m_strLocation = "北京";
    Contacts("{uid=5&psn_name=" + E("张") +
             "&psn_mobile=139&psn_mobile=137&username=new"
             "&psn_qq=1^~`@2&psn_email=a%40b&psn_email=c%40d&cursels=psn_email%3D1"
             "&fml_city=&nosuch=1}");
    EXPECT_EQ("张", known->GetName());
    auto& mobiles = known->GetInfo().m_personal.mobiles;
    ASSERT_EQ(2, mobiles.GetCount());
    EXPECT_EQ("139", mobiles.GetValue(0, 0));
    EXPECT_EQ("137", mobiles.GetValue(1, 0));
    EXPECT_EQ("old", known->m_strUserName); // the user's own naming wins
    EXPECT_EQ("2", known->GetInfo().m_personal.qq.GetValue(0, 1));
    EXPECT_EQ(1, known->GetInfo().m_personal.email.GetCurrentIndex());
    EXPECT_EQ("", known->m_strLocation); // not named: cleared
    EXPECT_EQ(5u, known->m_nUid);        // never cleared

    EXPECT_TRUE(IsECFieldReadable(*known, PF_NAME, EC_RECORD_RECEIVED));
    EXPECT_TRUE(IsECFieldReadable(*known, PF_HOME_CITY, EC_RECORD_RECEIVED));
    EXPECT_FALSE(IsECFieldReadable(*known, PF_HOBBY, EC_RECORD_RECEIVED));
}

TEST_F(ECResponseParserTest, DownloadHandsNewNumbersToTheResultSetOnce) {
    CECResultMap result;
    Contacts("{uid=9&psn_name=x}{uid=9&psn_name=y}{uid=10&error=notexist}", &result);
    EXPECT_EQ(1, set.GetCount());
    ASSERT_EQ(2, result.GetCount());
    CECContact* c9 = result[9].pNew;
    ASSERT_NE(nullptr, c9);
    EXPECT_EQ("y", c9->GetName());
    EXPECT_EQ(0, result[10].pNew->m_nExists);
    delete c9;
    delete result[10].pNew;

    CECResultMap none;
    Contacts("{uid=11&psn_name=x}");
    EXPECT_EQ(0, none.GetCount());
}

TEST_F(ECResponseParserTest, ErrorWordsInTheirOrder) {
    struct Row {
        const char* value;
        BOOL notFriend;
        int code;
    } rows[] = {
        {"", FALSE, 0},
        {"ok", FALSE, 0},
        {"failnotexist", FALSE, 101},
        {"notpermit", FALSE, 102},
        {"notfriend", FALSE, 0},
        {"notfriend", TRUE, 103},
        {"fail,notfriend", TRUE, 103},
        {"xfail", FALSE, 110},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.code, CECResponseParser::GetErrorCode(r.value, r.notFriend)) << r.value;
}

TEST_F(ECResponseParserTest, AddRepliesGiveCodesAndNewContacts) {
    CECContactMap request;
    request[5] = known;
    request[6] = nullptr;
    request[7] = nullptr;
    request[8] = nullptr;
    CECResultMap result;
    CString text(("{uid=5&error=notpermit}{uid=6&psn_name=" + E("李") +
                  "|friend}{uid=8&error=fail}{uid=99&psn_name=stranger}{uid=0}")
                     .c_str());
    EXPECT_EQ(0, CECResponseParser(text, 1).ParseAddContacts(request, result));
    EXPECT_EQ(102, known->m_nResult);
    ASSERT_EQ(4, request.GetCount());
    CECContact* c6 = request[6];
    CECContact* c7 = request[7];
    ASSERT_NE(nullptr, c6);
    ASSERT_NE(nullptr, c7); // not answered: counted as added
    EXPECT_EQ("李", c6->GetName());
    EXPECT_EQ(CECContact::STATUS_FRIEND, c6->m_dwStatus);
    EXPECT_EQ(0, c6->m_nResult);
    EXPECT_EQ(nullptr, request[8]);
    EXPECT_EQ(3, result.GetCount());
    EXPECT_TRUE(result[8].bHasCode);
    EXPECT_EQ(110, result[8].nCode);
    EXPECT_FALSE(result[6].bHasCode);
    delete c6;
    delete c7;
}

TEST_F(ECResponseParserTest, RemoveAndAccessRepliesSetResultCodes) {
    CECContact* other = AddContact(group, 6, "b");
    CECContact* pending = AddContact(group, 7, "c");
    pending->m_dwStatus = CECContact::STATUS_ACCESS_PENDING;
    CECContactMap request;
    request[5] = known;
    request[6] = other;
    request[7] = pending;
    for (CECContact* c : {known, other, pending})
        c->m_nResult = 55;
    CString del("{uid=5&error=notfriend}");
    CECResponseParser(del, 2).ParseDelFriends(request);
    EXPECT_EQ(0, known->m_nResult); // removal knows no "notfriend"
    EXPECT_EQ(0, other->m_nResult);

    for (CECContact* c : {known, other, pending})
        c->m_nResult = 55;
    CString access("{uid=5&error=notfriend}");
    CECResponseParser(access, 6).ParseSetAccess(request);
    EXPECT_EQ(103, known->m_nResult);
    EXPECT_EQ(55, other->m_nResult); // not answered and not pending: untouched
    EXPECT_EQ(0, pending->m_nResult);
}

TEST_F(ECResponseParserTest, OwnCardAddsFieldsAndReplacesDefaultAccess) {
    CECContact card("我");
    card.m_strUserName = "me";
    card.m_strNote = "kept";
    SECAccess defaults;
    defaults[1] = 0x3FF;
    CString text(("username=" + E("我") + "&psn_mobile=1&sta_location=" + E("家") +
                  "|acc_indiv=15&acc_comm=")
                     .c_str());
    CECResponseParser(text, 9).ParseUserInfo(card, defaults);
    EXPECT_EQ("我", card.m_strUserName); // partial: the sent name is taken
    EXPECT_EQ("家", card.m_strLocation);
    EXPECT_EQ("kept", card.m_strNote); // nothing cleared
    EXPECT_EQ(15, defaults[0]);
    EXPECT_EQ(0, defaults[1]);
}

TEST_F(ECResponseParserTest, MessagesGoToTheSendersInboxesAndMakeOneStrangerPerNumber) {
    CECGroup root("", CECGroup::ROLE_ROOT);
    auto* friends = new CECGroup("我的好友", CECGroup::ROLE_FRIENDS);
    auto* strangers = new CECGroup("陌生人", CECGroup::ROLE_STRANGERS);
    root.AddSubgroup(friends, FALSE);
    root.AddSubgroup(strangers, FALSE);
    CECContact* pal = AddContact(*friends, 21, "老朋友");
    pal->m_strUserName = "pal";
    CECContact self("我");
    self.m_strUserName = "me";
    CString text(("{fromuid=21&touid=1&title=" + E("你好") +
                  "&content=hi&sendtime=2022-3-4%205:06:07}{fromuid=33&fromname=" + E("生") +
                  "&content=1}{fromuid=33&content=2&sendtime=bad}{fromuid=0&content=x}"
                  "{fromname=nobody}{fromuid=4294967317&content=wraps to 21}")
                     .c_str());
    CECContactList added;
    CECResponseParser(text, 12).ParseMessages(self, root, *strangers, added);
    ASSERT_EQ(1, added.GetCount());
    CECContact* stranger = added.GetHead();
    EXPECT_EQ("生", stranger->GetName());
    EXPECT_EQ(33u, stranger->m_nUid);
    EXPECT_EQ(2, stranger->GetSmsBox(0)->GetSmsCount());

    ASSERT_EQ(1, pal->GetSmsBox(0)->GetSmsCount());
    POSITION pos = pal->GetSmsBox(0)->GetFirstSmsPosition();
    _CSms* sms = pal->GetSmsBox(0)->GetNextSms(pos);
    EXPECT_EQ(_CSms::STATE_UNREAD, sms->GetState());
    EXPECT_EQ(_CSms::KIND_NOTE, sms->m_nKind);
    EXPECT_EQ("你好", sms->m_strSubject);
    EXPECT_EQ("hi", sms->m_strContent);
    EXPECT_EQ("pal", sms->m_sender.GetName());
    EXPECT_EQ("21", sms->m_sender.GetCode());
    EXPECT_EQ("me", sms->m_recipient.GetName());
    EXPECT_EQ("1", sms->m_recipient.GetCode());
    EXPECT_EQ(CTime(2022, 3, 4, 5, 6, 7), sms->GetTime());
}

TEST_F(ECResponseParserTest, AccountTellsOnlyWhetherSecretsAreSet) {
    SECAccount account;
    account.m_strCertType = "身份证";
    CString text(("username=" + E("王") + "&email=a%40b.cn&secure=email%2Ccert").c_str());
    CECResponseParser(text, -1).ParseAccount(account);
    EXPECT_EQ("王", account.m_strUserName);
    EXPECT_EQ("a@b.cn", account.m_strEmail);
    EXPECT_EQ("1", account.m_strSecureEmail);
    EXPECT_EQ("1", account.m_strCert);
    EXPECT_EQ("身份证", account.m_strCertType);
    CString none("username=x&secure=");
    CECResponseParser(none, -1).ParseAccount(account);
    EXPECT_EQ("", account.m_strSecureEmail);
    EXPECT_EQ("", account.m_strCert);
}

TEST_F(ECResponseParserTest, HostileRepliesLeaveTheContactAlone) {
    const std::string millionEmpty = [] {
        std::string s;
        for (int i = 0; i < 1000000; ++i)
            s += "{}";
        return s;
    }();
    const std::string rows[] = {
        "",
        "{uid=5&psn_name=x",                     // unbalanced: no record
        "{{uid=5&psn_name=x}",                   // the key does not start the record
        "}{uid",                                 //
        "{uid}{uid&psn_name}{=}{&&&|||}",        // keys without "="
        "{uid=18446744073709551621&psn_name=x}", // wraps to 5 in 64 bits
        "{uid=4294967301&psn_name=x}",           // wraps to 5 in 32 bits
        std::string("{uid=\0"
                    "5&psn_name=x}",
                    19),        // a NUL before the digits
        "{uid=%35&psn_name=x}", // numbers are not decoded
        "{uid=-5&psn_name=x}",
        millionEmpty,
    };
    for (const std::string& reply : rows) {
        Contacts(reply);
        EXPECT_EQ("原名", known->GetName()) << reply.substr(0, 40);
        EXPECT_EQ(0x0F, known->m_access[0]);
        EXPECT_EQ(1, known->GetInfo().m_personal.mobiles.GetCount());
    }
}

TEST_F(ECResponseParserTest, UndecodableAndForeignBytesAreSkippedOrKeptAsBytes) {
    std::string reply = "{uid=5&psn_name=%zz&psn_mobile=%00&psn_nickname=\xff\x80\xfe&psn_favor=a";
    reply += '\0';
    reply += "b}";
    Contacts(reply);
    EXPECT_EQ("", known->GetName()); // skipped, then cleared as not named
    EXPECT_EQ(0, known->GetInfo().m_personal.mobiles.GetCount());
    EXPECT_EQ("\xff\x80\xfe", Field(known, PF_NICKNAME));
    EXPECT_EQ("a", Field(known, PF_HOBBY));
}

} // namespace
