// The numbered operations of a logged-in user: the bodies they post, batching, one request at a
// time, replies applied when the window polls, failures that change nothing, the message queue
// with its progress, and two users meeting through the in-memory service.
#include "ecard/tests/ECNetTestSupport.h"

#include <algorithm>
#include <memory>
#include <set>

#include "core/StringUtil.h"
#include "ecard/ECUserDoc.h"
#include "testsupport/ArchiveBytes.h"

using namespace ecard_test;
using test_net::Reply;

namespace {

const char kTime[] = "%Y-%m-%d %H:%M:%S";

std::string Enc(const std::string& text) {
    return UrlEncodeString(text.c_str()).GetString();
}

class ECUserRequestTest : public ECNetTest {
protected:
    void SetUp() override {
        ECNetTest::SetUp();
        user.SetUserNumber(1);
        user.GetAccount().m_strPassword = "pw";
        user.GetAccount().m_strUserName = "我";
        user.SetListener(&log);
    }
    std::vector<std::string> Keys(const std::string& body) {
        std::vector<std::string> keys;
        for (const auto& p : test_net::ParseForm(body))
            keys.push_back(p.first);
        return keys;
    }
    std::vector<std::string> Values(const std::string& body, const std::string& key) {
        std::vector<std::string> values;
        for (const auto& p : test_net::ParseForm(body))
            if (p.first == key)
                values.push_back(p.second);
        return values;
    }

    EventLog log;
    CECUser user;
};

TEST_F(ECUserRequestTest, SetOperationsPostTheirForms) {
    CECContact* five = AddContact(user.GetFriends(), 5, "五");
    five->m_timeGoAccessModify = CTime(2001, 2, 3, 4, 5, 6);
    five->m_dwStatus = CECContact::STATUS_ACCESS_PENDING;
    user.m_pendingAccess[0] = 15;
    user.m_pendingMasks[0] = -1;
    const std::string times = std::string(five->GetModifiedTime().Format(kTime)) +
                              ",2001-02-03 04:05:06," + CTime(0).Format(kTime).GetString();
    struct Row {
        int op;
        const char* page;
        std::string rest;
    } rows[] = {
        {EC_OP_ADD_FRIENDS, "addfriends.asp",
         "&Contacts=6%7cflags%3dallinfo&Contacts=" + Enc("5|flags=allinfo|" + times)},
        {EC_OP_ADD_CONTACTS, "addcontacts.asp",
         "&Contacts=6%7cflags%3dallinfo&Contacts=" + Enc("5|flags=allinfo|" + times)},
        // The set's own order: 6 comes first.
        {EC_OP_REMOVE_FRIENDS, "delfriends.asp", "&Contacts=6,5"},
        {EC_OP_DOWNLOAD, "downcontacts.asp", "&Contact=6&Contact=" + Enc("5," + times)},
        {EC_OP_SYNC_FRIENDS, "syncallfriends.asp", "&Contact=6&Contact=" + Enc("5," + times)},
        // Only the contacts whose access is pending are listed.
        {EC_OP_SET_ACCESS, "setcntaccess.asp",
         "&Contacts=5%7cindiv%3d15%2c-1%3bfamily%3d0%2c0%3bwork%3d0%2c0%3bcomm%3d0%2c0"
         "%3bother%3d0%2c0%3bstate%3d0%2c0"},
    };
    for (const Row& r : rows) {
        user.BeginRequest(&log);
        user.AddToRequest(five, TRUE);
        user.AddNumberToRequest(6);
        server.SetReply(std::string("ecard/") + r.page, Reply::Text("0"));
        log.events.clear();
        user.StartOperation(r.op);
        Run(user);
        EXPECT_EQ(std::string("ecard/") + r.page, Last().page);
        EXPECT_EQ("N=n&UserID=1&Password=pw" + r.rest, Last().body) << r.page;
        EXPECT_EQ(
            (std::vector<std::string>{"begin", "result 0", "owner result 0", "end", "owner end"}),
            log.events);
        EXPECT_EQ(r.op, user.GetOperation());
    }
}

TEST_F(ECUserRequestTest, CardAccessAndMessageOperationsPostTheirForms) {
    CECContact& card = user.GetUploadCard();
    card.SetName("张三");
    card.SetFieldText(PF_SEX, "1", TRUE, 0, "\n", "-");
    card.SetFieldText(PF_BIRTHDAY, "1990-5-3", TRUE, 0, "\n", "-");
    card.SetFieldText(PF_MOBILE, "139\n137", TRUE, 0, "\n", "-");
    card.GetInfo().m_personal.mobiles.SetCurrentIndex(1);
    card.SetFieldText(PF_QQ, "1-2", TRUE, 0, "\n", "-");
    card.m_strLocation = "家";
    user.BeginRequest(&log);
    EXPECT_EQ(0, user.StartUserInfoOperation(EC_OP_UPLOAD_CARD));
    Run(user);
    const std::string body = Last().body;
    EXPECT_EQ("ecard/uploaduserinfo.asp", Last().page);
    const std::vector<std::string> keys = Keys(body);
    ASSERT_GE(keys.size(), 12u);
    EXPECT_EQ((std::vector<std::string>{"N", "UserID", "Password", "psn_name", "psn_sex",
                                        "psn_nickname", "psn_birthday", "psn_bp", "psn_mobile",
                                        "psn_mobile", "psn_phone"}),
              std::vector<std::string>(keys.begin(), keys.begin() + 11));
    EXPECT_EQ((std::vector<std::string>{"oth_note", "modifytime", "psn_portrait", "uid", "username",
                                        "sta_location", "sta_action", "sta_note", "cursels"}),
              std::vector<std::string>(keys.end() - 9, keys.end()));
    EXPECT_NE(std::string::npos, body.find("&psn_name=%d5%c5%c8%fd&psn_sex=1&"));
    EXPECT_NE(std::string::npos, body.find("&psn_birthday=1990-5-3&"));
    EXPECT_NE(std::string::npos, body.find("&psn_mobile=139&psn_mobile=137&psn_phone=&"));
    EXPECT_EQ((std::vector<std::string>{"1^~`@2"}), Values(body, "psn_qq"));
    EXPECT_EQ((std::vector<std::string>{"psn_mobile=1"}), Values(body, "cursels"));
    EXPECT_EQ((std::vector<std::string>{"家"}), Values(body, "sta_location"));

    user.m_pendingAccess.SetAll(7);
    user.BeginRequest(&log);
    log.events.clear();
    user.StartUserInfoOperation(EC_OP_SET_DEFAULT_ACCESS);
    Run(user);
    EXPECT_EQ("ecard/setcntaccess.asp", Last().page);
    EXPECT_EQ((std::vector<std::string>{"0|indiv=7,0;family=7,0;work=7,0;comm=7,0;other=7,0;"
                                        "state=7,0"}),
              Values(Last().body, "Contacts"));
    EXPECT_EQ((std::vector<std::string>{"begin", "owner begin", "result 0", "owner result 0", "end",
                                        "owner end"}),
              log.events);

    for (int op : {EC_OP_DOWNLOAD_CARD}) {
        user.BeginRequest(&log);
        user.StartUserInfoOperation(op);
        Run(user);
        EXPECT_EQ("N=n&UserID=1&Password=pw", Last().body);
    }
    user.ReceiveMessages(&log);
    Run(user);
    EXPECT_EQ("ecard/recvmessage.asp", Last().page);
    EXPECT_EQ("N=n&UserID=1&Password=pw", Last().body);

    // Synchronising with an empty set still asks, with only the user's own part.
    user.BeginRequest(&log);
    user.AddToRequest(static_cast<CECContact*>(nullptr), TRUE);
    user.StartOperation(EC_OP_SYNC_FRIENDS);
    Run(user);
    EXPECT_EQ("ecard/syncallfriends.asp", Last().page);
    EXPECT_EQ("N=n&UserID=1&Password=pw", Last().body);
    // Other operations need a set.
    const size_t before = Requests().size();
    user.StartOperation(EC_OP_DOWNLOAD);
    user.StartOperation(EC_OP_ADD_FRIENDS);
    EXPECT_FALSE(user.IsBusy());
    EXPECT_EQ(before, Requests().size());
}

TEST_F(ECUserRequestTest, LargeDownloadsGoInBatchesOfOneSession) {
    server.SetReply("ecard/downcontacts.asp", Reply::Text("0"));
    for (int total : {12000, 5000}) {
        const size_t before = Requests().size();
        user.BeginRequest(&log);
        user.AddNumberToRequest(1, TRUE);
        for (int i = 2; i <= total; ++i)
            user.AddNumberToRequest((UINT)i);
        log.events.clear();
        user.StartOperation(EC_OP_DOWNLOAD);
        Run(user);
        auto all = Requests();
        std::vector<size_t> sizes;
        std::set<std::string> seen;
        for (size_t i = before; i < all.size(); ++i) {
            auto items = Values(all[i].body, "Contact");
            sizes.push_back(items.size());
            seen.insert(items.begin(), items.end());
        }
        EXPECT_EQ((size_t)total, seen.size());
        if (total == 12000) {
            EXPECT_EQ((std::vector<size_t>{5000, 5000, 2000}), sizes);
            EXPECT_EQ((std::vector<std::string>{"begin", "result 0", "owner result 0", "result 0",
                                                "owner result 0", "result 0", "owner result 0",
                                                "end", "owner end"}),
                      log.events);
        } else {
            EXPECT_EQ((std::vector<size_t>{5000}), sizes);
        }
    }
}

TEST_F(ECUserRequestTest, OneRequestAtATimeAndAUserMayGoWhileItRuns) {
    server.SetReply("ecard/downuserinfo.asp", Reply::Of(Reply::Kind::Silent));
    auto* doomed = new CECUser;
    doomed->SetUserNumber(2);
    doomed->SetListener(&log);
    AddContact(doomed->GetFriends(), 5, "五");
    doomed->BeginRequest(&log);
    EXPECT_EQ(0, doomed->StartUserInfoOperation(EC_OP_DOWNLOAD_CARD));
    ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(5)));
    EXPECT_TRUE(doomed->IsBusy());
    doomed->AddToRequest(&doomed->GetFriends(), TRUE);
    log.events.clear();
    doomed->StartOperation(EC_OP_DOWNLOAD);
    EXPECT_EQ(EC_RESULT_BUSY, doomed->StartUserInfoOperation(EC_OP_UPLOAD_CARD));
    EXPECT_EQ(EC_RESULT_BUSY, doomed->ReceiveMessages(&log));
    EXPECT_EQ(EC_OP_DOWNLOAD_CARD, doomed->GetOperation());
    EXPECT_FALSE(doomed->PollRequest());
    delete doomed;
    EXPECT_TRUE(server.WaitForAbandoned(1, std::chrono::seconds(10)));
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(1u, Requests().size());
}

TEST_F(ECUserRequestTest, FailedRepliesChangeNothingAndKeepTheirText) {
    test_net::ScopedInternetDefault receive(INTERNET_OPTION_RECEIVE_TIMEOUT, 300);
    CECContact* five = AddContact(user.GetFriends(), 5, "五");
    five->m_access[0] = 3;
    const Reply rows[] = {
        Reply::Of(Reply::Kind::Close),
        Reply::Of(Reply::Kind::CutShort, "0#{uid=5&psn_name=x|||acc_indiv=0}"),
        Reply::Text("abc{uid=5&psn_name=x}"),
        Reply::Text("990#服务器忙"),
    };
    const int codes[] = {3, 3, 101, 990};
    for (int i = 0; i < 4; ++i) {
        server.SetReply("ecard/downcontacts.asp", rows[i]);
        user.BeginRequest(&log);
        user.AddToRequest(&user.GetFriends(), TRUE);
        log.events.clear();
        user.StartOperation(EC_OP_DOWNLOAD);
        Run(user);
        EXPECT_EQ(codes[i], user.GetLastResult());
        EXPECT_EQ("五", five->GetName());
        EXPECT_EQ(3, five->m_access[0]);
        EXPECT_EQ((std::vector<std::string>{"end", "owner end"}),
                  std::vector<std::string>(log.events.end() - 2, log.events.end()));
    }
    EXPECT_EQ("服务器忙", user.GetErrorText(990));
}

// A progress window that records what it is told.
class RecordingProgress : public CIECSendProgress {
public:
    void Start(LPCTSTR caption, int n) override {
        events.push_back(std::string("start ") + caption + " " + std::to_string(n));
    }
    void ReportResult(int code, LPCTSTR text) override {
        events.push_back("result " + std::to_string(code) + " " + text);
        if (cancelAfterFirst)
            cancelled = TRUE;
    }
    void Step() override { events.push_back("step"); }
    BOOL IsCancelled() const override { return cancelled; }
    void ClearBusy() override { events.push_back("idle"); }

    std::vector<std::string> events;
    BOOL cancelled = FALSE;
    bool cancelAfterFirst = false;
};

class ECServiceTest : public ECUserRequestTest {
protected:
    void SetUp() override {
        ECUserRequestTest::SetUp();
        service.Attach(server);
    }
    // Registers a user on the service and makes it the user's account.
    void Register(CECUser& u, const char* name, const char* password) {
        UINT uid = 0;
        int second = 0;
        ASSERT_EQ(0, AssignECUid(uid, second));
        ASSERT_EQ(0, CheckECUid(uid));
        u.SetUserNumber(uid);
        u.GetAccount().m_strUserName = name;
        u.GetAccount().m_strPassword = password;
        CString text;
        ASSERT_EQ(0, RegisterECUser(u.GetAccount(), text));
        EXPECT_EQ("注册成功", text);
        EXPECT_EQ(210, CheckECUid(uid));
        EXPECT_EQ(0, CheckECPassword(uid, password));
    }
    // What the window does with the contacts an add made: they join the friends.
    static void PlaceNewFriends(CECUser& u) {
        for (POSITION pos = u.GetRequestSet().GetStartPosition(); pos != nullptr;) {
            UINT uid = 0;
            CECContact* c = nullptr;
            u.GetRequestSet().GetNextAssoc(pos, uid, c);
            if (c != nullptr && c->GetParent() == nullptr)
                u.GetFriends().InsertPerson(c);
        }
    }
    // me adds them as a friend; answers them among me's friends (null when the add failed).
    CECContact* AddFriend(CECUser& me, CECUser& them) {
        me.BeginRequest(nullptr);
        me.AddNumberToRequest(them.m_nUid, TRUE);
        me.StartOperation(EC_OP_ADD_FRIENDS);
        Run(me);
        PlaceNewFriends(me);
        return me.GetFriends().FindByNumber(them.m_nUid);
    }
    // me lets the friend read what one category's value grants (the other categories nothing),
    // and sends it to the service.
    void GrantAccess(CECUser& me, CECContact* pal, int category, int value) {
        me.m_pendingAccess.Clear();
        me.m_pendingAccess[category] = value;
        me.m_pendingMasks.SetAll(-1);
        pal->m_dwStatus |= CECContact::STATUS_ACCESS_PENDING;
        me.BeginRequest(nullptr);
        me.AddToRequest(pal, TRUE);
        me.StartOperation(EC_OP_SET_ACCESS);
        Run(me);
    }
    static _CSms* Message(CECContact& to, const char* title, const char* text) {
        auto* sms = new _CSms(title);
        sms->m_strContent = text;
        CString code;
        code.Format("%u", to.m_nUid);
        sms->m_recipient.Set(to.GetName(), code);
        sms->SetFlags(1);
        return sms;
    }

    test_net::ECardService service;
};

TEST_F(ECServiceTest, MessagesLeaveOneByOneWithTheirProgress) {
    CECUser other;
    Register(user, "甲", "abcd");
    Register(other, "乙", "efgh");
    RecordingProgress progress;
    user.SetSendProgress(&progress);
    CECContact* friendB = AddContact(user.GetFriends(), other.m_nUid, "乙");
    CECContact* nobody = AddContact(user.GetFriends(), 99999999, "无");
    _CSmsBox* outbox = friendB->GetSmsBox(1);
    CObList messages;
    for (auto* sms : {Message(*friendB, "一", "1"), Message(*nobody, "二", "2"),
                      Message(*friendB, "三", "3")}) {
        outbox->AddSms(sms);
        messages.AddTail(sms);
    }
    log.events.clear();
    EXPECT_EQ(0, user.LeaveMessages(&log, messages));
    Run(user);
    EXPECT_EQ((std::vector<std::string>{"start \"甲\"发送短信 3", "result 0 ", "step",
                                        "result 990 无此用户：99999999", "step", "result 0 ",
                                        "step", "idle"}),
              progress.events);
    EXPECT_EQ(2, friendB->GetSmsBox(2)->GetSmsCount()); // the sent ones moved to the sent box
    EXPECT_EQ(1, outbox->GetSmsCount());
    for (POSITION pos = friendB->GetSmsBox(2)->GetFirstSmsPosition(); pos != nullptr;)
        EXPECT_EQ(_CSms::STATE_SENT, friendB->GetSmsBox(2)->GetNextSms(pos)->GetState());
    {
        std::lock_guard<std::mutex> guard(service.lock);
        auto& inbox = service.users[other.m_nUid].inbox;
        ASSERT_EQ(2u, inbox.size());
        EXPECT_EQ("一", inbox[0].title);
    }
    EXPECT_EQ("end", log.events[log.events.size() - 2]);

    // Cancelled after the first: the rest stay queued no more.
    progress.events.clear();
    progress.cancelAfterFirst = true;
    CObList again;
    again.AddTail(Message(*friendB, "四", "4"));
    again.AddTail(Message(*friendB, "五", "5"));
    outbox->AddSms(static_cast<_CSms*>(again.GetHead()));
    outbox->AddSms(static_cast<_CSms*>(again.GetTail()));
    user.LeaveMessages(&log, again);
    Run(user);
    EXPECT_EQ((std::vector<std::string>{"start \"甲\"发送短信 2", "result 0 ", "step", "idle"}),
              progress.events);
}

// The user stops the wait for a server that never answers: the request ends at once, the run
// goes no further, nothing of the user changes, and the session's owner hears of no failure (the
// window's listener is told the stop); the session ends as any other.
TEST_F(ECUserRequestTest, StoppingTheWaitEndsTheRunWithoutAFailure) {
    server.SetReply("ecard/leavemessage.asp", Reply::Of(Reply::Kind::Silent));
    RecordingProgress progress;
    user.SetSendProgress(&progress);
    CECContact* five = AddContact(user.GetFriends(), 5, "五");
    _CSmsBox* outbox = five->GetSmsBox(1);
    CObList messages;
    for (const char* title : {"一", "二"}) {
        auto* sms = new _CSms(title);
        sms->m_strContent = title;
        sms->m_recipient.Set("五", "5");
        outbox->AddSms(sms);
        messages.AddTail(sms);
    }
    log.events.clear();
    ASSERT_EQ(0, user.LeaveMessages(&log, messages));
    ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(5)));
    EXPECT_FALSE(user.PollRequest());
    const auto stopped = std::chrono::steady_clock::now();
    user.CancelRequest();
    Run(user);
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(5));
    EXPECT_EQ((std::vector<std::string>{"begin", "owner begin", "result 40", "end", "owner end"}),
              log.events);
    EXPECT_EQ((std::vector<std::string>{"start \"我\"发送短信 2", "result 40 操作被用户终止", "step",
                                        "idle"}),
              progress.events);
    EXPECT_EQ(2, outbox->GetSmsCount());
    EXPECT_EQ(1u, Requests().size());
    EXPECT_EQ(EC_RESULT_STOPPED, user.GetLastResult());

    // The next session is not stopped by the last one's stop.
    server.SetReply("ecard/leavemessage.asp", Reply::Text("0"));
    progress.events.clear();
    CObList again;
    POSITION first = outbox->GetFirstSmsPosition();
    again.AddTail(outbox->GetNextSms(first));
    ASSERT_EQ(0, user.LeaveMessages(&log, again));
    Run(user);
    EXPECT_EQ((std::vector<std::string>{"start \"我\"发送短信 1", "result 0 ", "step", "idle"}),
              progress.events);
}

TEST_F(ECServiceTest, TheProgressCaptionNamesTheUserEvenWithoutAnAccountName) {
    // account's user name, own card's user name -> the name in the caption
    struct Case {
        const char* account;
        const char* card;
        const char* caption;
    } cases[] = {
        {"甲", "卡片名", "\"甲\"发送短信"},
        {"", "卡片名", "\"卡片名\"发送短信"},
        {"", "", nullptr}, // the number
    };
    CECUser other;
    Register(user, "甲", "abcd");
    Register(other, "乙", "efgh");
    RecordingProgress progress;
    user.SetSendProgress(&progress);
    CECContact* friendB = AddContact(user.GetFriends(), other.m_nUid, "乙");
    for (const Case& c : cases) {
        user.GetAccount().m_strUserName = c.account;
        user.m_strUserName = c.card;
        CString expected = c.caption;
        if (c.caption == nullptr)
            expected.Format("\"%u\"发送短信", user.m_nUid);
        EXPECT_EQ(expected.Mid(1, expected.Find('"', 1) - 1), user.GetSenderName());
        _CSms* sms = Message(*friendB, "一", "1");
        friendB->GetSmsBox(1)->AddSms(sms);
        CObList messages;
        messages.AddTail(sms);
        progress.events.clear();
        ASSERT_EQ(0, user.LeaveMessages(&log, messages));
        Run(user);
        ASSERT_FALSE(progress.events.empty());
        EXPECT_EQ(std::string(expected) + " 1", progress.events[0].substr(6)) << c.account;
    }
}

TEST_F(ECServiceTest, TwoUsersMeetExchangeCardsAndMessagesAndPart) {
    CECUser& a = user;
    CECUser b;
    EventLog logB;
    b.SetListener(&logB);
    Register(a, "小甲", "abcd1");
    Register(b, "小乙", "efgh2");

    // Each publishes a card and lets everyone read everything.
    for (CECUser* u : {&a, &b}) {
        u->GetUploadCard().SetName(u == &a ? "甲某" : "乙某");
        u->GetUploadCard().SetFieldText(PF_MOBILE, u == &a ? "13900000001" : "13900000002", TRUE, 0,
                                        "\n", "-");
        u->GetUploadCard().m_strLocation = "北京";
        u->BeginRequest(nullptr);
        u->StartUserInfoOperation(EC_OP_UPLOAD_CARD);
        Run(*u);
        u->m_pendingAccess.SetAll(-1);
        u->BeginRequest(nullptr);
        u->StartUserInfoOperation(EC_OP_SET_DEFAULT_ACCESS);
        Run(*u);
        EXPECT_EQ(0, u->GetLastResult());
        u->BeginRequest(nullptr);
        u->StartUserInfoOperation(EC_OP_DOWNLOAD_CARD);
        Run(*u);
        EXPECT_EQ("北京", u->m_strLocation);
        EXPECT_EQ(-1 & 0x3FFCF, u->m_access[0]);
    }

    // They add each other.
    for (auto [me, them] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
        CECContact* pal = AddFriend(*me, *them);
        ASSERT_NE(nullptr, pal);
        EXPECT_EQ(them == &a ? "甲某" : "乙某", pal->GetName());
        EXPECT_EQ(0, pal->m_nResult);
    }
    CECContact* bAtA = a.GetFriends().FindByNumber(b.m_nUid);
    CECContact* aAtB = b.GetFriends().FindByNumber(a.m_nUid);

    // A narrows what B may read to the personal fields.
    GrantAccess(a, bAtA, 0, -1);
    EXPECT_EQ(0, bAtA->m_nResult);
    b.BeginRequest(nullptr);
    b.AddToRequest(&b.GetFriends(), TRUE);
    b.StartOperation(EC_OP_DOWNLOAD);
    Run(b);
    EXPECT_EQ("13900000001", aAtB->GetInfo().m_personal.mobiles.GetValue(0, 0));
    EXPECT_EQ("", aAtB->m_strLocation); // the status category is closed to B now
    EXPECT_TRUE(aAtB->m_dwStatus & CECContact::STATUS_FRIEND);

    // Synchronising all friends from an empty set hands the friends back as new contacts; one
    // the window does not place is let go when the next request begins.
    a.BeginRequest(nullptr);
    a.AddToRequest(static_cast<CECContact*>(nullptr), TRUE);
    a.StartOperation(EC_OP_SYNC_FRIENDS);
    Run(a);
    ASSERT_EQ(1, a.GetResultSet().GetCount());
    ASSERT_NE(nullptr, a.GetResultSet()[b.m_nUid].pNew);
    EXPECT_EQ("乙某", a.GetResultSet()[b.m_nUid].pNew->GetName());

    // 12 000 contacts download in one session of three requests.
    const size_t before = Requests().size();
    a.BeginRequest(nullptr);
    EXPECT_EQ(nullptr, a.GetResultSet()[b.m_nUid].pNew);
    a.AddToRequest(bAtA, TRUE);
    for (UINT i = 1; i < 12000; ++i)
        a.AddNumberToRequest(30000000 + i);
    log.events.clear();
    a.StartOperation(EC_OP_DOWNLOAD);
    Run(a);
    EXPECT_EQ(before + 3, Requests().size());
    EXPECT_EQ(1, std::count(log.events.begin(), log.events.end(), "end"));
    EXPECT_EQ("乙某", bAtA->GetName());

    // A leaves a message; B receives it under A.
    CString text;
    CDWordArray to;
    to.Add(b.m_nUid);
    EXPECT_EQ(0, LeaveECMessage(a.m_nUid, "abcd1", to, "问候", "你好", 0, text));
    b.ReceiveMessages(nullptr);
    Run(b);
    ASSERT_EQ(1, aAtB->GetSmsBox(0)->GetSmsCount());
    POSITION pos = aAtB->GetSmsBox(0)->GetFirstSmsPosition();
    _CSms* got = aAtB->GetSmsBox(0)->GetNextSms(pos);
    EXPECT_EQ("问候", got->m_strSubject);
    EXPECT_EQ("你好", got->m_strContent);
    EXPECT_EQ(_CSms::STATE_UNREAD, got->GetState());
    EXPECT_TRUE(b.GetNewStrangers().IsEmpty());

    // A changes the password, reads its account and keeps its file.
    EXPECT_EQ(0, ChangeECPassword(a.m_nUid, "abcd1", "zzzz9"));
    EXPECT_EQ(990, CheckECPassword(a.m_nUid, "abcd1"));
    a.GetAccount().m_strPassword = "zzzz9";
    a.GetAccount().m_strUserName = "";
    EXPECT_EQ(0, a.DownAccount());
    EXPECT_EQ("小甲", a.GetAccount().m_strUserName);
    {
        CECUserDoc doc;
        archive_bytes::Load(doc.GetUser(), archive_bytes::Store(a));
        ASSERT_TRUE(doc.SaveUser());
        CECUserDoc loaded;
        ASSERT_TRUE(loaded.LoadUser(a.m_nUid));
        EXPECT_EQ(archive_bytes::Store(a), archive_bytes::Store(loaded.GetUser()));
    }

    // B leaves the service; A learns it on the next download.
    EXPECT_EQ(0, DeregisterECUser(b.m_nUid, "efgh2", "8888"));
    a.BeginRequest(nullptr);
    a.AddToRequest(bAtA, TRUE);
    a.StartOperation(EC_OP_DOWNLOAD);
    Run(a);
    EXPECT_EQ(0, bAtA->m_nExists);
    EXPECT_TRUE(bAtA->m_dwStatus & CECContact::STATUS_DEREGISTERED);
    EXPECT_EQ("乙某", bAtA->GetName());
}

// What a friend may read is granted field by field: one field of a category granted alone
// reaches the friend, and its neighbour in the same category, held by the card too, does not.
TEST_F(ECServiceTest, AFieldGrantedAloneReachesAFriendAndItsNeighbourDoesNot) {
    CECUser& a = user;
    CECUser b;
    Register(a, "小甲", "abcd1");
    Register(b, "小乙", "efgh2");
    CECContact& card = a.GetUploadCard();
    card.SetName("甲某");
    card.SetFieldText(PF_MOBILE, "13900000001", TRUE, 0, "\n", "-");
    card.SetFieldText(PF_PAGER, "96000", TRUE, 0, "\n", "-");
    card.SetFieldText(PF_HOME_PHONE, "010-1111", TRUE, 0, "\n", "-");
    card.SetFieldText(PF_HOME_FAX, "010-2222", TRUE, 0, "\n", "-");
    card.m_strLocation = "北京";
    card.m_strAction = "开会";
    a.BeginRequest(nullptr);
    a.StartUserInfoOperation(EC_OP_UPLOAD_CARD);
    Run(a);
    ASSERT_EQ(0, a.GetLastResult());
    CECContact* bAtA = AddFriend(a, b);
    CECContact* aAtB = AddFriend(b, a);
    ASSERT_NE(nullptr, bAtA);
    ASSERT_NE(nullptr, aAtB);

    const struct {
        int category;
        DWORD bit;
        int granted, withheld;
    } kCases[] = {
        {0, 0x80, PF_MOBILE, PF_PAGER},        {0, 0x40, PF_PAGER, PF_MOBILE},
        {1, 0x20, PF_HOME_PHONE, PF_HOME_FAX}, {1, 0x40, PF_HOME_FAX, PF_HOME_PHONE},
        {5, 0x1, ECF_LOCATION, ECF_ACTION},    {5, 0x2, ECF_ACTION, ECF_LOCATION},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.granted);
        GrantAccess(a, bAtA, c.category, (int)c.bit);
        ASSERT_EQ(0, bAtA->m_nResult);
        b.BeginRequest(nullptr);
        b.AddToRequest(aAtB, TRUE);
        b.StartOperation(EC_OP_DOWNLOAD);
        Run(b);
        CString granted, withheld;
        aAtB->GetFieldText(granted, c.granted);
        aAtB->GetFieldText(withheld, c.withheld);
        EXPECT_FALSE(granted.IsEmpty());
        EXPECT_TRUE(withheld.IsEmpty()) << (LPCTSTR)withheld;
        EXPECT_TRUE(IsECFieldReadable(*aAtB, c.granted, EC_RECORD_RECEIVED));
        EXPECT_FALSE(IsECFieldReadable(*aAtB, c.withheld, EC_RECORD_RECEIVED));
    }
}

} // namespace
