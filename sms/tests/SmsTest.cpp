#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/MsgAccountBase.h"
#include "sms/Sms.h"
#include "sms/tests/SmsTestSupport.h"

using namespace smstest;

namespace {

// A batch message of two recipients with every stored field set.
std::unique_ptr<_CSms> FullSms() {
    auto sms = std::make_unique<_CSms>("主题");
    sms->m_strContent = "你好";
    sms->m_sender = CNameCodeString("张三", "13800000000");
    sms->m_recipient = CNameCodeString("", "13900000000");
    sms->m_batchList.AddTail("李四\n139");
    sms->m_batchList.AddTail("137");
    sms->m_bBatch = TRUE;
    sms->SetState(_CSms::STATE_PENDING);
    sms->m_nKind = _CSms::KIND_INSTANT;
    sms->SetTime(CTime(1000000000));
    sms->m_nSize = 4;
    return sms;
}

void ExpectSameStoredFields(const _CSms& a, const _CSms& b) {
    EXPECT_EQ(S(a.m_sender.m_str), S(b.m_sender.m_str));
    EXPECT_EQ(S(a.m_strSubject), S(b.m_strSubject));
    EXPECT_EQ(S(a.m_strContent), S(b.m_strContent));
    EXPECT_EQ(S(a.m_recipient.m_str), S(b.m_recipient.m_str));
    EXPECT_EQ(a.m_bBatch, b.m_bBatch);
    EXPECT_EQ(a.GetState(), b.GetState());
    EXPECT_EQ(a.m_nKind, b.m_nKind);
    EXPECT_EQ(a.GetTime(), b.GetTime());
    EXPECT_EQ(a.m_nSize, b.m_nSize);
    ASSERT_EQ(a.m_batchList.GetCount(), b.m_batchList.GetCount());
    for (POSITION pa = a.m_batchList.GetHeadPosition(), pb = b.m_batchList.GetHeadPosition();
         pa != nullptr;)
        EXPECT_EQ(S(a.m_batchList.GetNext(pa)), S(b.m_batchList.GetNext(pb)));
}

} // namespace

TEST(SmsTest, NewMessageIsADraftDatedNow) {
    PinnedNow now(1234567);
    _CSms sms("s");
    EXPECT_EQ(S(sms.m_strSubject), "s");
    EXPECT_EQ(sms.GetState(), _CSms::STATE_DRAFT);
    EXPECT_EQ(sms.m_nKind, _CSms::KIND_MOBILE);
    EXPECT_EQ(sms.m_nSize, 0);
    EXPECT_FALSE(sms.m_bBatch);
    EXPECT_EQ(sms.GetTime().GetTime(), 1234567);
    EXPECT_EQ(sms.GetKey(), -1);
    EXPECT_EQ(sms.GetBox(), nullptr);
    EXPECT_TRUE(sms.IsDetached());
    EXPECT_EQ(sms.GetRecipientCount(), 1);
}

TEST(SmsTest, StoresFieldsInFileOrder) {
    auto sms = FullSms();
    Bytes expected = Cat({Str("张三\n13800000000"), Str("主题"), Str("你好"), Str("13900000000"),
                          Dword(1), Dword(2), Dword(1), Time64(1000000000), Dword(4), Dword(2),
                          Str("李四\n139"), Str("137"), Dword(0xFFFFFFFF)});
    EXPECT_EQ(Store(*sms), expected);
}

TEST(SmsTest, RoundTripsEveryStoredField) {
    auto sms = FullSms();
    _CSms loaded;
    EXPECT_EQ(Load(loaded, Store(*sms)), 0u);
    ExpectSameStoredFields(*sms, loaded);
}

TEST(SmsTest, ReadsTheOlderFourByteTime) {
    Bytes bytes = Cat({Str(""), Str(""), Str(""), Str(""), Dword(0), Dword(5), Dword(0),
                       Dword(86400), Dword(0), Dword(0), Dword(0xFFFFFFFF)});
    _CSms sms;
    EXPECT_EQ(Load(sms, bytes), 0u);
    EXPECT_EQ(sms.GetTime().GetTime(), 86400);
    EXPECT_EQ(sms.GetState(), _CSms::STATE_UNREAD);
}

TEST(SmsTest, TruncatedRecordFailsAtEveryLength) {
    ExpectEveryTruncationFails<_CSms>(Store(*FullSms()), [] { return std::make_unique<_CSms>(); });
}

TEST(SmsTest, CopiesKeepTheTimeAndEveryStoredField) {
    auto src = FullSms();
    src->SetFlags(0x200);
    src->SetKey(7);

    _CSms copied(*src);
    ExpectSameStoredFields(*src, copied);

    _CSms assigned("other");
    assigned.CopyFrom(src.get());
    ExpectSameStoredFields(*src, assigned);
    // The flags word and the key are not message data that copies carry.
    EXPECT_EQ(assigned.GetFlags(), 0u);
    EXPECT_EQ(assigned.GetKey(), -1);

    std::unique_ptr<CContent> clone(src->Clone());
    auto* cloned = DYNAMIC_DOWNCAST(_CSms, clone.get());
    ASSERT_NE(cloned, nullptr);
    ExpectSameStoredFields(*src, *cloned);
    EXPECT_EQ(cloned->GetParent(), nullptr);

    // Some other leaf is no source for a short message.
    CContent foreign("x");
    assigned.CopyFrom(&foreign);
    EXPECT_EQ(S(assigned.m_strSubject), "主题");
}

TEST(SmsTest, MessageCopyForAnotherBoxIsDatedNow) {
    auto src = FullSms();
    PinnedNow now(2000000000);
    CMsgAccountBase account;
    std::unique_ptr<CContent> copy(account.CreateMessageCopy(src.get()));
    auto* sms = DYNAMIC_DOWNCAST(_CSms, copy.get());
    ASSERT_NE(sms, nullptr);
    EXPECT_EQ(sms->GetTime().GetTime(), 2000000000);
    EXPECT_EQ(S(sms->m_strContent), "你好");
    EXPECT_EQ(src->GetTime().GetTime(), 1000000000);
}

TEST(SmsTest, StateKindAndReadTexts) {
    struct Row {
        int state;
        const char* shortText;
        const char* longText;
        bool read;
        int home; // the box type the state belongs in
    };
    const Row rows[] = {
        {0, "草稿", "草稿", true, 1},
        {1, "立即发送", "准备立即发送的短信", true, 1},
        {2, "待发", "待发短信", true, 1},
        {3, "已发送", "已发短信", true, 2},
        {4, "已读", "已读短信", true, 0},
        {5, "未读", "未读短信", false, 0},
        {6, "徘徊", "已被程序接收但没有放入相应的信箱的短信", true, 5},
        {7, "已丢弃", "被舍弃的短信", true, 5},
        {8, "未知", "", true, 5},
        {-1, "未知", "", true, 5},
    };
    for (const Row& row : rows) {
        _CSms sms;
        sms.SetState(row.state);
        EXPECT_EQ(S(sms.GetStateText()), row.shortText) << row.state;
        EXPECT_EQ(S(_CSms::GetStateDescription(row.state)), row.longText) << row.state;
        EXPECT_EQ(!!sms.IsRead(), row.read) << row.state;
        EXPECT_EQ(sms.GetStateImage(), row.home) << row.state;
    }

    const std::pair<int, const char*> kinds[] = {{-1, "未设定"}, {0, "手机短信"}, {1, "即时消息"},
                                                 {2, "留言"},    {3, "error"},    {5, "error"}};
    for (const auto& [kind, text] : kinds)
        EXPECT_EQ(S(_CSms::GetKindText(kind)), text) << kind;
}

TEST(SmsTest, SetReadGivesReadOrUnreadWhateverTheState) {
    for (int state = -1; state <= 8; ++state) {
        _CSms sms;
        sms.SetState(state);
        sms.SetRead(FALSE);
        EXPECT_EQ(sms.GetState(), _CSms::STATE_UNREAD);
        EXPECT_FALSE(sms.IsRead());
        sms.SetRead(TRUE);
        EXPECT_EQ(sms.GetState(), _CSms::STATE_READ);
        // A short message never uses the base's flag mark.
        EXPECT_EQ(sms.GetFlags(), 0u);
    }
}

TEST(SmsTest, PartyTexts) {
    _CSms sms;
    EXPECT_EQ(S(sms.GetSenderText()), "?");
    EXPECT_EQ(S(sms.GetRecipientsText()), "?");
    sms.m_sender = CNameCodeString("", "13800000000");
    EXPECT_EQ(S(sms.GetSenderText()), "13800000000");
    sms.m_sender = CNameCodeString("张三", "13800000000");
    EXPECT_EQ(S(sms.GetSenderText()), "张三<13800000000>");
    sms.m_recipient = CNameCodeString("李四", "139");
    EXPECT_EQ(S(sms.GetRecipientsText()), "李四<139>");

    sms.m_bBatch = TRUE;
    EXPECT_EQ(S(sms.GetRecipientsText()), "(无)");
    EXPECT_EQ(sms.GetRecipientCount(), 0);
    sms.m_batchList.AddTail("王五\n137");
    sms.m_batchList.AddTail("136");
    EXPECT_EQ(S(sms.GetRecipientsText()), "王五<137>,136,共2人");
    EXPECT_EQ(sms.GetRecipientCount(), 2);
}

TEST(SmsTest, TimeTextIsLocalDateAndTime) {
    _CSms sms;
    sms.SetTime(CTime(2024, 3, 5, 7, 8, 9));
    EXPECT_EQ(S(sms.GetTimeText()), "2024-03-05 07:08:09");
    sms.m_strContent = "你好ab";
    EXPECT_EQ(sms.GetTextLength(), 6);
}

TEST(SmsTest, CompareToOrdersByColumn) {
    struct Row {
        int column;
        std::function<void(_CSms&)> smaller;
        std::function<void(_CSms&)> larger;
    };
    const Row rows[] = {
        {_CSms::COLUMN_STATE, [](_CSms& m) { m.SetState(2); }, [](_CSms& m) { m.SetState(5); }},
        // A sender without a name sorts by its number; names compare as bytes ("B" < "a").
        {_CSms::COLUMN_SENDER, [](_CSms& m) { m.m_sender = CNameCodeString("", "B"); },
         [](_CSms& m) { m.m_sender = CNameCodeString("a", "A"); }},
        // The head of a batch against a single recipient.
        {_CSms::COLUMN_RECIPIENT,
         [](_CSms& m) {
             m.m_bBatch = TRUE;
             m.m_batchList.AddTail("\n100");
             m.m_batchList.AddTail("zz\n1");
         },
         [](_CSms& m) { m.m_recipient = CNameCodeString("", "200"); }},
        {_CSms::COLUMN_KIND, [](_CSms& m) { m.m_nKind = -1; }, [](_CSms& m) { m.m_nKind = 2; }},
        {_CSms::COLUMN_BATCH, [](_CSms&) {}, [](_CSms& m) { m.m_bBatch = TRUE; }},
        // The content stands in for an empty subject.
        {_CSms::COLUMN_SUBJECT, [](_CSms& m) { m.m_strContent = "abc"; },
         [](_CSms& m) {
             m.m_strSubject = "b";
             m.m_strContent = "a";
         }},
        {_CSms::COLUMN_TIME, [](_CSms& m) { m.SetTime(CTime(-5)); },
         [](_CSms& m) { m.SetTime(CTime(0x100000000LL)); }},
        {_CSms::COLUMN_SIZE, [](_CSms& m) { m.m_nSize = -3; }, [](_CSms& m) { m.m_nSize = 70; }},
    };
    for (const Row& row : rows) {
        _CSms a, b;
        a.SetTime(CTime(100));
        b.SetTime(CTime(100));
        row.smaller(a);
        row.larger(b);
        EXPECT_EQ(a.CompareTo(&b, row.column), -1) << "column " << row.column;
        EXPECT_EQ(b.CompareTo(&a, row.column), 1) << "column " << row.column;
        EXPECT_EQ(a.CompareTo(&a, row.column), 0) << "column " << row.column;
        // Columns beyond the list's compare equal.
        EXPECT_EQ(a.CompareTo(&b, 8), 0);
    }
}
