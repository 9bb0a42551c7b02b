#include "core/MsgBoxBase.h"

#include "core/tests/MsgTestTypes.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

namespace {

using msgtest::AccountTrees;
using msgtest::TestBox;
using msgtest::TestMessage;

constexpr int kUntyped = CMsgBoxBase::BOX_UNTYPED;

TEST(MsgBoxBase, TypeNamesAndStandardTypes) {
    struct Row {
        int type;
        const char* name;
        bool standard;
    };
    const Row rows[] = {
        {INT_MIN, "", false},
        {-1, "", false},
        {0, "收信箱", true},
        {1, "待发信箱", true},
        {2, "已发信箱", true},
        {3, "垃圾箱", true},
        {4, "用户自定义信箱", false},
        {5, "可存放任何类型短信或信箱的信箱", false},
        {6, "", false},
        {INT_MAX, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        EXPECT_STREQ((LPCTSTR)CMsgBoxBase::GetTypeName(row.type), row.name);
        EXPECT_EQ(CMsgBoxBase::IsStandardBoxType(row.type) != FALSE, row.standard);
    }
}

TEST(MsgBoxBase, DynamicCreationMakesAnUntypedUnownedBox) {
    std::unique_ptr<CObject> object(CRuntimeClass::CreateObject("CMsgBoxBase"));
    auto* box = DYNAMIC_DOWNCAST(CMsgBoxBase, object.get());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsKindOf(RUNTIME_CLASS(CGroup)));
    EXPECT_EQ(box->GetBoxType(), kUntyped);
    EXPECT_EQ(box->GetOwner(), nullptr);
    EXPECT_EQ(box->GetParent(), nullptr);
    EXPECT_TRUE(box->GetName().IsEmpty());
    EXPECT_TRUE(box->IsEmpty());
    EXPECT_EQ(box->GetTopLevelType(), kUntyped);
}

TEST(MsgBoxBase, GoverningTypeAndAncestorTypes) {
    AccountTrees trees;
    struct Row {
        const char* box;
        int governing;
        std::vector<int> inTypes; // IsInBoxOfType answers TRUE exactly for these
    };
    const Row rows[] = {
        {"A", -1, {-1}},
        {"A/inbox", 0, {-1, 0}},
        {"A/inbox/inner", 0, {-1, 0, 4}}, // a user box inside the inbox is governed by it
        {"A/outbox", 1, {-1, 1}},
        {"A/recycle/binned", 3, {-1, 3, 4}},
        {"A/mine", 4, {-1, 4}},
        {"A/mine/mine2", 4, {-1, 4}},
        {"A/any", 5, {-1, 5}},
        {"A/any/anyin", 4, {-1, 4, 5}}, // type 5 governs only itself and ends the climb
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.box);
        const TestBox* box = trees.Box(row.box);
        EXPECT_EQ(box->GetTopLevelType(), row.governing);
        for (int type = -2; type <= 6; ++type) {
            bool expected = false;
            for (int in : row.inTypes) {
                expected = expected || in == type;
            }
            EXPECT_EQ(box->IsInBoxOfType(type) != FALSE, expected) << "type " << type;
        }
    }
}

TEST(MsgBoxBase, ClimbStopsAtAGroupThatIsNotABox) {
    CGroup top("top");
    auto* outer = new TestBox("outer", CMsgBoxBase::BOX_INBOX);
    top.AddSubgroup(outer);
    TestBox* inner = outer->Add("inner", CMsgBoxBase::BOX_USER);
    EXPECT_EQ(inner->GetTopLevelType(), CMsgBoxBase::BOX_INBOX);
    EXPECT_TRUE(inner->IsInBoxOfType(CMsgBoxBase::BOX_INBOX));
    EXPECT_FALSE(inner->IsInBoxOfType(kUntyped));
}

TEST(MsgBoxBase, FindsOnlyDirectSubBoxesByType) {
    AccountTrees trees;
    TestBox* root = trees.Box("A");
    EXPECT_EQ(root->FindSubBoxByType(0), trees.Box("A/inbox"));
    EXPECT_EQ(root->FindSubBoxByType(3), trees.Box("A/recycle"));
    EXPECT_EQ(root->FindSubBoxByType(4), trees.Box("A/mine")); // the first of several
    EXPECT_EQ(root->FindSubBoxByType(5), trees.Box("A/any"));
    EXPECT_EQ(root->FindSubBoxByType(6), nullptr);
    EXPECT_EQ(root->FindSubBoxByType(kUntyped), nullptr);
    EXPECT_EQ(trees.Box("A/inbox")->FindSubBoxByType(0), nullptr); // not itself
    EXPECT_EQ(trees.Box("A/inbox")->FindSubBoxByType(4), trees.Box("A/inbox/inner"));

    // A plain group among the sub-groups is no box of any type.
    root->AddSubgroup(new CGroup("plain"), FALSE, nullptr, FALSE);
    EXPECT_EQ(root->FindSubBoxByType(0), trees.Box("A/inbox"));
}

TEST(MsgBoxBase, MoveRulesForBoxes) {
    struct Row {
        const char* box;
        const char* dest; // "" for no destination
        bool allowed;
    };
    const Row rows[] = {
        // Standard boxes never move.
        {"A/inbox", "A/mine", false},
        {"A/recycle", "A/any", false},
        // Into the account root, the recycle box, user boxes and boxes of type 5.
        {"A/inbox/inner", "A", true},
        {"A/inbox/inner", "A/recycle", true},
        {"A/inbox/inner", "A/recycle/binned", true},
        {"A/inbox/inner", "A/mine", true},
        {"A/inbox/inner", "A/any", true},
        {"A/mine", "A/any/anyin", true},
        // Elsewhere only where the governing type is the box's own.
        {"A/inbox/inner", "A/inbox/inner2", true},
        {"A/inbox/inner", "A/outbox", false},
        {"A/inbox/inner", "A/sent", false},
        {"A/mine/mine2", "A/inbox", false},
        {"A/mine/mine2", "A/inbox/inner", false},
        {"A/recycle/binned", "A/inbox", false},
        {"A/any/anyin", "A/inbox", false},
        {"A/mine", "A/inbox/inner", false},
        // Not where it already is, not into itself or below itself.
        {"A/inbox/inner", "A/inbox", false},
        {"A/mine/mine2", "A/mine", false},
        {"A/mine", "A/mine", false},
        {"A/mine", "A/mine/mine2", false},
        {"A/mine/mine2", "A", true},
        // Never into another account, nor nowhere.
        {"A/mine", "B/mine", false},
        {"A/mine", "B", false},
        {"B/mine", "A", false},
        {"A/mine", "", false},
    };
    AccountTrees trees;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.box) + " -> " + row.dest);
        EXPECT_EQ(trees.Box(row.box)->CanMoveTo(trees.Box(row.dest)) != FALSE, row.allowed);
    }
}

TEST(MsgBoxBase, MoveRulesForMessages) {
    // Message states, by the box type each belongs in.
    enum {
        RECEIVED = CMsgBoxBase::BOX_INBOX,
        DRAFT = CMsgBoxBase::BOX_OUTBOX,
        SENT = CMsgBoxBase::BOX_SENT,
        OTHER = CMsgBoxBase::BOX_ANY,
    };
    struct Row {
        const char* from; // "" for a message in no box
        int state;
        const char* to;
        bool accepted;
    };
    const Row rows[] = {
        // Out of the inbox: into the recycle box and user boxes, and within the inbox.
        {"A/inbox", RECEIVED, "A/recycle", true},
        {"A/inbox", RECEIVED, "A/recycle/binned", true},
        {"A/inbox", RECEIVED, "A/mine", true},
        {"A/inbox", RECEIVED, "A/mine/mine2", true},
        {"A/inbox", RECEIVED, "A/inbox/inner", true},
        {"A/inbox", RECEIVED, "A/outbox", false},
        {"A/inbox", RECEIVED, "A/sent", false},
        {"A/inbox", RECEIVED, "A/any", false},
        {"A/inbox", RECEIVED, "A", false},
        {"A/inbox", RECEIVED, "A/inbox", false},
        {"A/inbox/inner", RECEIVED, "A/inbox", true},
        // Out of the recycle box only to the box its state belongs in.
        {"A/recycle", RECEIVED, "A/inbox", true},
        {"A/recycle", RECEIVED, "A/inbox/inner", true},
        {"A/recycle", RECEIVED, "A/outbox", false},
        {"A/recycle", SENT, "A/sent", true},
        {"A/recycle", SENT, "A/inbox", false},
        {"A/recycle", DRAFT, "A/outbox", true},
        {"A/recycle", OTHER, "A/inbox", false},
        {"A/recycle/binned", RECEIVED, "A/inbox", true},
        {"A/recycle/binned", RECEIVED, "A/recycle", true},
        // Out of a user box likewise, wherever the user box lies.
        {"A/mine", DRAFT, "A/outbox", true},
        {"A/mine", DRAFT, "A/inbox", false},
        {"A/mine/mine2", SENT, "A/sent", true},
        {"A/mine/mine2", SENT, "A/mine", true},
        {"A/any/anyin", RECEIVED, "A/inbox", true},
        {"A/inbox/inner", DRAFT, "A/outbox", true},
        // Between standard boxes and out of a box of type 5: only where the governing type
        // matches.
        {"A/sent", SENT, "A/outbox", false},
        {"A/outbox", DRAFT, "A/sent", false},
        {"A/outbox", DRAFT, "A/any", false},
        {"A/any", RECEIVED, "A/inbox", false},
        {"A/any", RECEIVED, "A/recycle", true},
        // A message in no box goes only into the recycle box or a user box.
        {"", RECEIVED, "A/inbox", false},
        {"", RECEIVED, "A/recycle", true},
        {"", RECEIVED, "A/mine", true},
        {"", RECEIVED, "A/any", false},
        // Never into another account.
        {"A/inbox", RECEIVED, "B/inbox", false},
        {"A/inbox", RECEIVED, "B/mine", false},
        {"B/mine", RECEIVED, "A/recycle", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.from) + " -> " + row.to + ", state " +
                     std::to_string(row.state));
        AccountTrees trees;
        auto* message = new TestMessage(row.state);
        std::unique_ptr<TestMessage> unfiled;
        if (TestBox* from = trees.Box(row.from)) {
            ASSERT_TRUE(from->AddMessage(message));
        } else {
            unfiled.reset(message);
        }
        EXPECT_EQ(trees.Box(row.to)->CanAcceptMessage(message) != FALSE, row.accepted);
    }
}

TEST(MsgBoxBase, AcceptsNothingThatIsNotAMessage) {
    AccountTrees trees;
    TestBox* recycle = trees.Box("A/recycle");
    EXPECT_FALSE(recycle->CanAcceptMessage(nullptr));
    auto* plain = new CContent("plain");
    trees.Box("A/inbox")->AddContent(plain);
    EXPECT_FALSE(recycle->CanAcceptMessage(plain));
}

TEST(MsgBoxBase, FilesMessagesSortedByNameAndIteratesThem) {
    TestBox box("box", CMsgBoxBase::BOX_INBOX);
    for (const char* name : {"b", "a", "c", ""}) {
        ASSERT_TRUE(box.AddMessage(new TestMessage(0, name)));
    }
    std::vector<CString> names;
    for (POSITION pos = box.GetFirstMessagePosition(); pos != nullptr;) {
        CContent* message = box.GetNextMessage(pos);
        EXPECT_EQ(message->GetParent(), &box);
        names.push_back(message->GetName());
    }
    EXPECT_EQ(names, (std::vector<CString>{"", "a", "b", "c"}));

    // Messages without names (as SMS have) keep the order they were filed in.
    TestBox unnamed("unnamed", CMsgBoxBase::BOX_INBOX);
    std::vector<CContent*> filed;
    for (int stateBox : {0, 1, 2}) {
        filed.push_back(new TestMessage(stateBox));
        ASSERT_TRUE(unnamed.AddMessage(filed.back()));
    }
    std::vector<CContent*> listed;
    for (POSITION pos = unnamed.GetFirstMessagePosition(); pos != nullptr;) {
        listed.push_back(unnamed.GetNextMessage(pos));
    }
    EXPECT_EQ(listed, filed);
}

TEST(MsgBoxBase, AMessageHasOneBoxAtATime) {
    AccountTrees trees;
    TestBox* inbox = trees.Box("A/inbox");
    TestBox* recycle = trees.Box("A/recycle");
    auto* message = new TestMessage();
    EXPECT_FALSE(inbox->AddMessage(nullptr));
    ASSERT_TRUE(inbox->AddMessage(message));

    // Filing it again, here or elsewhere, would give it two owners.
    EXPECT_FALSE(inbox->AddMessage(message));
    EXPECT_FALSE(recycle->AddMessage(message));
    EXPECT_EQ(inbox->GetContentCount(FALSE, FALSE), 1);
    EXPECT_EQ(recycle->GetContentCount(FALSE, FALSE), 0);
    EXPECT_EQ(CIMessage::GetBox(message), inbox);

    // Removed without deleting, it may be filed elsewhere.
    EXPECT_FALSE(recycle->RemoveMessage(message, FALSE));
    ASSERT_TRUE(inbox->RemoveMessage(message, FALSE));
    EXPECT_EQ(CIMessage::GetBox(message), nullptr);
    ASSERT_TRUE(recycle->AddMessage(message));
    EXPECT_EQ(CIMessage::GetBox(message), recycle);

    // A parent link left behind by a removal that kept it is no owner.
    CContent* taken = recycle->RemoveContentAt(recycle->GetFirstContentPosition(), FALSE);
    ASSERT_EQ(taken, message);
    ASSERT_EQ(message->GetParent(), recycle);
    ASSERT_TRUE(inbox->AddMessage(message));
    EXPECT_EQ(CIMessage::GetBox(message), inbox);

    // Removing with the delete flag deletes it (the sanitizer sees a leak or a double delete).
    ASSERT_TRUE(inbox->RemoveMessage(message, TRUE));
    EXPECT_EQ(inbox->GetFirstMessagePosition(), nullptr);
    EXPECT_FALSE(inbox->RemoveMessage(nullptr, TRUE));
}

TEST(MsgBoxBase, MessageBoxIsTheParentOnlyWhenThatIsABox) {
    CGroup plain("plain");
    auto* message = new TestMessage();
    plain.AddContent(message);
    EXPECT_EQ(CIMessage::GetBox(message), nullptr);
    EXPECT_EQ(CIMessage::GetBox(nullptr), nullptr);
    EXPECT_EQ(CIMessage::FromContent(message), static_cast<CIMessage*>(message));
    CContent notAMessage("x");
    EXPECT_EQ(CIMessage::FromContent(&notAMessage), nullptr);
    EXPECT_EQ(CIMessage::FromContent(static_cast<CContent*>(nullptr)), nullptr);
}

TEST(MsgBoxBase, OwnerIsTheAccount) {
    AccountTrees trees;
    EXPECT_EQ(trees.Box("A")->GetOwner(), &trees.m_a);
    EXPECT_EQ(trees.Box("A/inbox/inner")->GetOwner(), &trees.m_a);
    EXPECT_EQ(trees.Box("B/mine")->GetOwner(), &trees.m_b);
    EXPECT_EQ(trees.m_a.GetRootBox(), trees.Box("A"));
}

} // namespace
