#include "core/MsgAccountBase.h"

#include "core/tests/MsgTestTypes.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using msgtest::TestAccount;
using msgtest::TestMessage;

// Pins "now" for one test.
class PinnedNow {
public:
    explicit PinnedNow(__time64_t now) { CTime::SetNowForTesting(now); }
    ~PinnedNow() { CTime::ResetNowForTesting(); }
};

TEST(MsgAccountBase, LockedOnlyWithPasswordAndLockBits) {
    struct Row {
        DWORD flags;
        bool locked;
    };
    const Row rows[] = {
        {0, false},     {0x8000, false}, {0x4000, false},
        {0xC000, true}, {0xFFFF, true},  {0xFFFFBFFF, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags);
        CMsgAccountBase account;
        account.ModifyFlags(0, row.flags);
        EXPECT_EQ(account.IsLocked() != FALSE, row.locked);
    }
    // Unlocking clears only the lock bit.
    CMsgAccountBase account;
    account.ModifyFlags(0, CMsgAccountBase::FLAG_PASSWORD | CMsgAccountBase::FLAG_LOCKED | 1);
    account.ModifyFlags(CMsgAccountBase::FLAG_LOCKED, 0);
    EXPECT_FALSE(account.IsLocked());
    EXPECT_EQ(account.GetFlags(), (DWORD)(CMsgAccountBase::FLAG_PASSWORD | 1));
}

TEST(MsgAccountBase, BareAccountHasNoBoxNoNameAndZeroFields) {
    std::unique_ptr<CObject> object(CRuntimeClass::CreateObject("CMsgAccountBase"));
    auto* account = DYNAMIC_DOWNCAST(CMsgAccountBase, object.get());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(account->GetRootBox(), nullptr);
    EXPECT_EQ(account->GetFlags(), 0u);
    EXPECT_EQ(account->GetPasswordChecksum(), 0u);
    EXPECT_EQ(account->GetFileNumber(), 0u);
    EXPECT_TRUE(account->GetName().IsEmpty());

    // A rename of one bare account must not show up as the name of another.
    account->GetName() = "张三";
    CMsgAccountBase other;
    EXPECT_TRUE(other.GetName().IsEmpty());
    EXPECT_TRUE(account->GetName().IsEmpty());
}

TEST(MsgAccountBase, MessageCopyIsDatedNowAndInNoBox) {
    const PinnedNow now(1700000000);
    TestAccount account;
    CMsgBoxBase* inbox = account.GetRootBox();
    auto* original = new TestMessage(CMsgBoxBase::BOX_ANY, "msg", CTime(1000));
    ASSERT_TRUE(inbox->AddMessage(original));

    std::unique_ptr<CContent> copy(account.CreateMessageCopy(original));
    auto* message = dynamic_cast<TestMessage*>(copy.get());
    ASSERT_NE(message, nullptr);
    EXPECT_NE(message, original);
    EXPECT_EQ(message->m_time.GetTime(), 1700000000);
    EXPECT_EQ(message->m_nStateBox, CMsgBoxBase::BOX_ANY);
    EXPECT_STREQ((LPCTSTR)message->GetName(), "msg");
    EXPECT_EQ(message->GetParent(), nullptr);
    EXPECT_EQ(original->m_time.GetTime(), 1000);
    EXPECT_EQ(inbox->GetContentCount(FALSE, FALSE), 1);
}

TEST(MsgAccountBase, MessageCopyOfSomethingElseIsNull) {
    TestAccount account;
    CContent notAMessage("x");
    EXPECT_EQ(account.CreateMessageCopy(nullptr), nullptr);
    EXPECT_EQ(account.CreateMessageCopy(&notAMessage), nullptr);
    msgtest::UncloneableMessage uncloneable;
    EXPECT_EQ(account.CreateMessageCopy(&uncloneable), nullptr);
    // A clone that is no message is dropped (the sanitizer would report it leaked).
    msgtest::OddCloneMessage odd;
    EXPECT_EQ(account.CreateMessageCopy(&odd), nullptr);
}

TEST(MsgAccountBase, MessageCopyNeverClaimsTheSourceBox) {
    TestAccount account;
    CMsgBoxBase* root = account.GetRootBox();
    auto* original = new msgtest::ParentKeepingMessage();
    ASSERT_TRUE(root->AddMessage(original));
    std::unique_ptr<CContent> copy(account.CreateMessageCopy(original));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetParent(), nullptr);
    // So it can be filed, and the box then owns it.
    ASSERT_TRUE(root->AddMessage(copy.release()));
    EXPECT_EQ(root->GetContentCount(FALSE, FALSE), 2);
}

} // namespace
