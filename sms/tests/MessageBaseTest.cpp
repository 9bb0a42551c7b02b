#include <memory>

#include <gtest/gtest.h>

#include "core/FieldValue.h"
#include "sms/MessageBase.h"
#include "sms/SmsBox.h"

namespace {

// A box that takes nothing, to see what a refused move leaves behind.
class RefusingBox : public _CSmsBox {
public:
    BOOL AddMessage(CContent*) override { return FALSE; }
};

} // namespace

TEST(MessageBaseTest, ReadMarkReadsBackAsSet) {
    CMessageBase msg;
    EXPECT_TRUE(msg.IsRead());
    msg.SetRead(FALSE);
    EXPECT_FALSE(msg.IsRead());
    EXPECT_EQ(msg.GetFlags(), 0x100u);
    msg.SetRead(TRUE);
    EXPECT_TRUE(msg.IsRead());
    EXPECT_EQ(msg.GetFlags(), 0u);
    // The list's flag column toggles the same bit.
    msg.ToggleFlags(0x100 | 0x200);
    EXPECT_FALSE(msg.IsRead());
    EXPECT_EQ(msg.GetFlags(), 0x300u);
}

TEST(MessageBaseTest, BaseAnswers) {
    CMessageBase a, b;
    const std::pair<int, int> stateHome[] = {{0, 1}, {1, 1}, {2, 2}, {3, 0}, {4, 5}, {-1, 5}};
    for (const auto& [state, home] : stateHome) {
        a.SetState(state);
        EXPECT_EQ(a.GetStateImage(), home) << state;
    }
    EXPECT_EQ(a.GetImportance(), 2);
    a.SetImportance(1);
    EXPECT_EQ(a.GetImportance(), 2);
    EXPECT_EQ(a.GetAttachmentCount(), 0);
    EXPECT_EQ(a.GetTextLength(), 0);
    EXPECT_TRUE(a.IsValid());

    a.SetKey(INT_MIN);
    b.SetKey(INT_MAX);
    EXPECT_LT(a.CompareTo(&b, 0), 0);
    EXPECT_GT(b.CompareTo(&a, 3), 0);
    EXPECT_EQ(a.CompareTo(&a, 0), 0);
}

TEST(MessageBaseTest, FieldsZeroAndNine) {
    CMessageBase msg;
    msg.SetState(3);
    msg.SetFlags(0x200);
    int kind = 0;
    void* state = msg.GetFieldData(0, kind);
    EXPECT_EQ(kind, FIELD_INT);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(*static_cast<int*>(state), 3);
    void* flags = msg.GetFieldData(9, kind);
    EXPECT_EQ(kind, FIELD_FLAGS);
    ASSERT_NE(flags, nullptr);
    EXPECT_EQ(*static_cast<DWORD*>(flags), 0x200u);
    for (int field : {-1, 1, 8, 10}) {
        EXPECT_EQ(msg.GetFieldData(field, kind), nullptr);
        EXPECT_EQ(kind, FIELD_NONE);
    }
}

TEST(MessageBaseTest, DetachOnlyFromTheOwnBox) {
    _CSmsBox box, other;
    auto* sms = new _CSms();
    box.AddSms(sms);
    EXPECT_EQ(sms->DetachFromBox(&other), &box);
    EXPECT_EQ(sms->GetParent(), &box);
    EXPECT_EQ(sms->DetachFromBox(&box), &box);
    EXPECT_TRUE(sms->IsDetached());
    // The list entry is the caller's business; put the link back so the box frees it.
    sms->SetParent(&box);
}

TEST(MessageBaseTest, MoveToBoxChangesOwner) {
    _CSmsBox from, to;
    auto* sms = new _CSms();
    EXPECT_FALSE(sms->MoveToBox(nullptr));
    from.AddSms(sms);
    EXPECT_FALSE(sms->MoveToBox(nullptr));
    EXPECT_EQ(sms->GetBox(), &from);

    EXPECT_TRUE(sms->MoveToBox(&to));
    EXPECT_EQ(sms->GetBox(), &to);
    EXPECT_EQ(from.GetSmsCount(), 0);
    EXPECT_EQ(to.GetSmsCount(), 1);

    // A message in no box is simply filed.
    auto* loose = new _CSms();
    EXPECT_TRUE(loose->MoveToBox(&from));
    EXPECT_EQ(loose->GetBox(), &from);
}

TEST(MessageBaseTest, RefusedMoveLeavesTheMessageInPlace) {
    _CSmsBox from;
    RefusingBox to;
    _CSms* middle = nullptr;
    for (int i = 0; i < 3; ++i) {
        auto* sms = new _CSms();
        sms->m_nSize = i;
        from.AddSms(sms);
        if (i == 1)
            middle = sms;
    }
    EXPECT_FALSE(middle->MoveToBox(&to));
    EXPECT_EQ(middle->GetBox(), &from);
    ASSERT_EQ(from.GetSmsCount(), 3);
    POSITION pos = from.GetFirstSmsPosition();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(from.GetNextSms(pos)->m_nSize, i);
}
