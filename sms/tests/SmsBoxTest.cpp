#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/MsgAccountBase.h"
#include "sms/SmsBox.h"
#include "sms/tests/SmsTestSupport.h"

using namespace smstest;

namespace {

_CSms* AddSms(_CSmsBox* box, int state, LPCTSTR content = "", int recipients = -1) {
    auto* sms = new _CSms();
    sms->SetState(state);
    sms->m_strContent = content;
    if (recipients >= 0) {
        sms->m_bBatch = TRUE;
        for (int i = 0; i < recipients; ++i)
            sms->m_batchList.AddTail("13800000000");
    }
    box->AddSms(sms);
    return sms;
}

std::vector<std::string> Contents(const _CSmsBox& box) {
    std::vector<std::string> out;
    for (POSITION pos = box.GetFirstSmsPosition(); pos != nullptr;)
        out.push_back(S(box.GetNextSms(pos)->m_strContent));
    return out;
}

// Names and types of a box tree, depth first: "name:type(children)".
std::string Shape(const _CSmsBox& box) {
    std::string out = S(box.GetName()) + ":" + std::to_string(box.GetBoxType());
    out += "[" + std::to_string(box.GetSmsCount()) + "]";
    if (box.GetSubBoxCount() > 0) {
        out += "(";
        for (POSITION pos = box.GetFirstSubBoxPosition(); pos != nullptr;)
            out += Shape(*box.GetNextSubBox(pos)) + ";";
        out += ")";
    }
    return out;
}

// A root with the standard boxes and messages in several states, nested user boxes included.
struct Tree {
    _CSmsBox root{""};
    _CSmsBox* inbox;
    _CSmsBox* inboxUser;
    _CSmsBox* outbox;
    _CSmsBox* recycle;
    _CSmsBox* recycleUser;

    Tree() {
        root.AddStandardSubBoxes();
        inbox = root.GetSubBoxAt(0);
        outbox = root.GetSubBoxAt(1);
        recycle = root.GetSubBoxAt(3);
        inboxUser = inbox->AddSubBox("mine", CMsgBoxBase::BOX_USER);
        recycleUser = recycle->AddSubBox("old", CMsgBoxBase::BOX_USER);
        AddSms(inbox, 5, "in1");
        AddSms(inbox, 5, "in2");
        AddSms(inbox, 4, "in3");
        AddSms(inboxUser, 5, "mine1", 3);
        AddSms(outbox, 2, "out1", 2);
        AddSms(outbox, 2, "out2");
        AddSms(outbox, 0, "draft");
        AddSms(recycle, 5, "bin1");
        AddSms(recycle, 2, "bin2");
        AddSms(recycleUser, 2, "old1", 4);
    }
};

} // namespace

TEST(SmsBoxTest, StandardBoxesInTypeOrder) {
    _CSmsBox root("");
    EXPECT_EQ(root.GetBoxType(), -1);
    root.AddStandardSubBoxes();
    EXPECT_EQ(Shape(root), ":-1[0](收信箱:0[0];发信箱:1[0];已发信箱:2[0];垃圾箱:3[0];)");
    EXPECT_EQ(S(_CSmsBox::GetStandardBoxName(4)), "");
    EXPECT_EQ(root.GetSubBoxAt(-1), nullptr);
    EXPECT_EQ(root.GetSubBoxAt(4), nullptr);
    EXPECT_EQ(root.GetSubBoxAt(3)->GetParentBox(), &root);
    EXPECT_EQ(root.GetParentBox(), nullptr);
}

TEST(SmsBoxTest, StoresNameCountsTypeThenChildren) {
    _CSmsBox root("根");
    _CSmsBox* inbox = root.AddSubBox("收信箱", CMsgBoxBase::BOX_INBOX);
    _CSms* inner = AddSms(inbox, 5, "a");
    _CSms* outer = AddSms(&root, 3, "b");
    Bytes expected = Cat({Str("根"), Dword(1), Dword(1), Dword(0xFFFFFFFF), Str("收信箱"), Dword(0),
                          Dword(1), Dword(0), Store(*inner), Store(*outer)});
    EXPECT_EQ(Store(root), expected);
}

TEST(SmsBoxTest, NestedTreeRoundTripsInOrder) {
    Tree tree;
    tree.inboxUser->AddSubBox("deeper", CMsgBoxBase::BOX_ANY);
    tree.root.ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    Bytes bytes = Store(tree.root);

    _CSmsBox loaded("stale");
    loaded.AddSubBox("stale box", 4);
    AddSms(&loaded, 0, "stale message");
    EXPECT_EQ(Load(loaded, bytes), 0u);
    // Loading replaces the box; the group flags are not part of a box's layout.
    EXPECT_EQ(Shape(loaded), Shape(tree.root));
    EXPECT_EQ(loaded.GetFlags(), 0u);
    EXPECT_EQ(Contents(*loaded.GetSubBoxAt(1)),
              (std::vector<std::string>{"out1", "out2", "draft"}));
    EXPECT_EQ(loaded.CountSmsByState(-1, TRUE), tree.root.CountSmsByState(-1, TRUE));
    EXPECT_EQ(loaded.TotalRecipientCount(TRUE), tree.root.TotalRecipientCount(TRUE));
    EXPECT_EQ(Store(loaded), bytes);
    _CSmsBox* loadedInbox = loaded.GetSubBoxAt(0);
    POSITION pos = loadedInbox->GetFirstSmsPosition();
    EXPECT_EQ(loadedInbox->GetNextSms(pos)->GetBox(), loadedInbox);
}

TEST(SmsBoxTest, RefusesDamagedFiles) {
    struct Row {
        const char* what;
        Bytes bytes;
        int cause;
    };
    // A chain of boxes, each holding the next.
    auto chain = [](int depth) {
        Bytes out;
        for (int i = 0; i < depth; ++i)
            out = Cat({out, Str(""), Dword(i + 1 < depth ? 1 : 0), Dword(0), Dword(4)});
        return out;
    };
    const Row rows[] = {
        {"sub-box count beyond the file", Cat({Str(""), Dword(0xFFFFFFFF), Dword(0), Dword(0)}),
         CArchiveException::endOfFile},
        {"message count beyond the file", Cat({Str(""), Dword(0), Dword(0x10000000), Dword(0)}),
         CArchiveException::endOfFile},
        {"counts that overflow together",
         Cat({Str(""), Dword(0xFFFFFFFF), Dword(0xFFFFFFFF), Dword(0)}),
         CArchiveException::endOfFile},
        {"truncated message", Cat({Str(""), Dword(0), Dword(1), Dword(0), Bytes(31, 0)}),
         CArchiveException::endOfFile},
        {"nesting too deep", chain(_CSmsBox::kMaxLoadDepth + 1), CArchiveException::badIndex},
    };
    for (const Row& row : rows) {
        _CSmsBox box("");
        EXPECT_EQ(LoadFailure(box, row.bytes), row.cause) << row.what;
    }
    _CSmsBox deepest("");
    EXPECT_EQ(LoadFailure(deepest, chain(_CSmsBox::kMaxLoadDepth)), -1);
}

TEST(SmsBoxTest, CountsDescendIntoEveryBox) {
    Tree tree;
    EXPECT_EQ(tree.root.CountSmsByState(5, TRUE), 4);
    EXPECT_EQ(tree.root.CountSmsByState(5, FALSE), 0);
    EXPECT_EQ(tree.inbox->CountSmsByState(5, FALSE), 2);
    EXPECT_EQ(tree.inbox->CountSmsByState(5, TRUE), 3);
    EXPECT_EQ(tree.root.CountSmsByState(), 10);
    // Pending: out1 (2), out2 (1), bin2 (1) and old1 (4) in the recycle box.
    EXPECT_EQ(tree.root.CountRecipientsByState(2, TRUE), 8);
    EXPECT_EQ(tree.outbox->CountRecipientsByState(2, FALSE), 3);
    EXPECT_EQ(tree.root.TotalRecipientCount(TRUE), 16);
    EXPECT_EQ(tree.inbox->TotalRecipientCount(FALSE), 3);
}

TEST(SmsBoxTest, CollectingSkipsRecycleBoxes) {
    Tree tree;
    CObList list;
    EXPECT_EQ(tree.root.CollectSmsByState(list, 2), 2);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(S(static_cast<_CSms*>(list.GetHead())->m_strContent), "out1");
    EXPECT_EQ(S(static_cast<_CSms*>(list.GetTail())->m_strContent), "out2");
    // Asked of the recycle box itself it collects its own and those of its user box.
    EXPECT_EQ(tree.recycle->CollectSmsByState(list, 2), 2);
    EXPECT_EQ(list.GetCount(), 4);
}

TEST(SmsBoxTest, CopyModesAndOrder) {
    enum Mode { COPY, MOVE, SHARE };
    for (Mode mode : {COPY, MOVE, SHARE}) {
        auto src = std::make_unique<_CSmsBox>("src");
        for (const char* text : {"a", "b", "c"})
            AddSms(src.get(), 4, text);
        std::vector<_CSms*> originals;
        for (POSITION pos = src->GetFirstSmsPosition(); pos != nullptr;)
            originals.push_back(src->GetNextSms(pos));

        auto dest = std::make_unique<_CSmsBox>("dest");
        AddSms(dest.get(), 4, "x");
        AddSms(dest.get(), 4, "y");
        // Placed before "y": the source's order is kept.
        POSITION y = dest->GetFirstSmsPosition();
        dest->GetNextSms(y);
        dest->CopySmsFrom(src.get(), FALSE, y, FALSE, mode == MOVE, mode == SHARE);
        EXPECT_EQ(Contents(*dest), (std::vector<std::string>{"x", "a", "b", "c", "y"})) << mode;

        POSITION pos = dest->GetFirstSmsPosition();
        dest->GetNextSms(pos);
        for (_CSms* original : originals) {
            _CSms* added = dest->GetNextSms(pos);
            EXPECT_EQ(added == original, mode != COPY) << mode;
            EXPECT_EQ(added->GetParent(), mode == SHARE ? src.get() : dest.get()) << mode;
        }
        EXPECT_EQ(src->GetSmsCount(), mode == MOVE ? 0 : 3) << mode;

        // A box that only borrowed messages leaves them to their owner.
        dest.reset();
        EXPECT_EQ(Contents(*src), mode == MOVE ? std::vector<std::string>{}
                                               : (std::vector<std::string>{"a", "b", "c"}));
    }
}

TEST(SmsBoxTest, BorrowingBoxNeverDeletesSharedMessages) {
    _CSmsBox owner("owner");
    _CSms* sms = AddSms(&owner, 5, "shared");
    {
        _CSmsBox view("view");
        view.CopySmsFrom(&owner, FALSE, nullptr, TRUE, FALSE, TRUE);
        EXPECT_TRUE(view.RemoveMessage(sms, TRUE));
        EXPECT_EQ(view.GetSmsCount(), 0);
        view.CopySmsFrom(&owner, FALSE, nullptr, TRUE, FALSE, TRUE);
        view.DeleteAllSms();
        view.CopySmsFrom(&owner, FALSE, nullptr, TRUE, FALSE, TRUE);
        // Moving on from the borrowing box keeps the real owner.
        _CSmsBox next("next");
        next.CopySmsFrom(&view, FALSE, nullptr, TRUE, TRUE, FALSE);
        EXPECT_EQ(next.GetSmsCount(), 1);
        EXPECT_EQ(sms->GetParent(), &owner);
    }
    EXPECT_EQ(S(sms->m_strContent), "shared");
    EXPECT_EQ(owner.GetSmsCount(), 1);
}

TEST(SmsBoxTest, DeleteAllSmsKeepsSubBoxes) {
    Tree tree;
    tree.inbox->DeleteAllSms();
    EXPECT_EQ(tree.inbox->GetSmsCount(), 0);
    EXPECT_TRUE(tree.inbox->IsSmsListEmpty());
    EXPECT_EQ(tree.inboxUser->GetSmsCount(), 1);
}

TEST(SmsBoxTest, ContainsAndMoveToBoxOfType) {
    Tree tree;
    POSITION pos = tree.inboxUser->GetFirstSmsPosition();
    _CSms* sms = tree.inboxUser->GetNextSms(pos);
    EXPECT_TRUE(tree.inboxUser->Contains(sms, FALSE));
    EXPECT_FALSE(tree.inbox->Contains(sms, FALSE));
    EXPECT_TRUE(tree.inbox->Contains(sms, TRUE));
    EXPECT_TRUE(tree.root.Contains(sms, TRUE));
    EXPECT_FALSE(tree.outbox->Contains(sms, TRUE));

    // Not directly here; no box of the type below the root.
    EXPECT_FALSE(tree.inbox->MoveSmsToBoxOfType(sms, CMsgBoxBase::BOX_RECYCLE));
    EXPECT_FALSE(tree.inboxUser->MoveSmsToBoxOfType(sms, CMsgBoxBase::BOX_USER));
    EXPECT_EQ(sms->GetBox(), tree.inboxUser);

    EXPECT_TRUE(tree.inboxUser->MoveSmsToBoxOfType(sms, CMsgBoxBase::BOX_RECYCLE));
    EXPECT_EQ(sms->GetBox(), tree.recycle);
    EXPECT_EQ(tree.inboxUser->GetSmsCount(), 0);
    EXPECT_EQ(tree.recycle->GetSmsCount(), 3);
}

TEST(SmsBoxTest, FindNextSubBoxByTypeEndsAfterTheLast) {
    _CSmsBox root("");
    root.AddSubBox("u1", CMsgBoxBase::BOX_USER);
    root.AddSubBox("in", CMsgBoxBase::BOX_INBOX);
    root.AddSubBox("u2", CMsgBoxBase::BOX_USER);
    std::vector<std::string> found;
    POSITION pos = root.GetFirstSubBoxPosition();
    while (_CSmsBox* box = root.FindNextSubBoxByType(CMsgBoxBase::BOX_USER, pos)) {
        found.push_back(S(box->GetName()));
        ASSERT_LE(found.size(), 2u);
    }
    EXPECT_EQ(found, (std::vector<std::string>{"u1", "u2"}));
    pos = root.GetFirstSubBoxPosition();
    EXPECT_EQ(root.FindNextSubBoxByType(CMsgBoxBase::BOX_SENT, pos), nullptr);
    EXPECT_EQ(pos, nullptr);
}

TEST(SmsBoxTest, PathReinsertAndPlacement) {
    Tree tree;
    EXPECT_EQ(S(tree.inboxUser->GetBoxPath()), "\\收信箱\\mine");
    EXPECT_EQ(S(tree.root.GetBoxPath()), "");

    // The head goes to the tail; a message placed next to itself stays.
    _CSmsBox* outbox = tree.outbox;
    POSITION head = outbox->GetFirstSmsPosition();
    outbox->ReinsertSms(head, FALSE, nullptr, TRUE);
    EXPECT_EQ(Contents(*outbox), (std::vector<std::string>{"out2", "draft", "out1"}));
    head = outbox->GetFirstSmsPosition();
    outbox->ReinsertSms(head, FALSE, head, TRUE);
    EXPECT_EQ(Contents(*outbox), (std::vector<std::string>{"out2", "draft", "out1"}));

    // A new sub-box can go first.
    tree.root.AddSubBox("first", CMsgBoxBase::BOX_USER, FALSE, nullptr, FALSE);
    EXPECT_EQ(S(tree.root.GetSubBoxAt(0)->GetName()), "first");
}

TEST(SmsBoxTest, CopyTakesNameTypeAndTree) {
    Tree tree;
    tree.inbox->ModifyFlags(0, 0x800);
    _CSmsBox copy(*tree.inbox);
    EXPECT_EQ(Shape(copy), Shape(*tree.inbox));
    EXPECT_EQ(copy.GetParent(), nullptr);
    EXPECT_EQ(Contents(copy), Contents(*tree.inbox));
    POSITION pos = copy.GetFirstSmsPosition();
    _CSms* first = copy.GetNextSms(pos);
    EXPECT_EQ(first->GetBox(), &copy);
    pos = tree.inbox->GetFirstSmsPosition();
    EXPECT_NE(first, tree.inbox->GetNextSms(pos));

    // CopyFrom replaces what the box held.
    _CSmsBox other("other");
    AddSms(&other, 0, "gone");
    other.AddSubBox("gone", 4);
    other.CopyFrom(tree.outbox);
    EXPECT_EQ(Shape(other), Shape(*tree.outbox));
    EXPECT_EQ(Contents(other), Contents(*tree.outbox));
}

TEST(SmsBoxTest, SubBoxesBelongToTheRootsAccount) {
    CMsgAccountBase account;
    _CSmsBox root("");
    root.SetOwner(&account);
    _CSmsBox* inbox = root.AddSubBox("in", 0);
    _CSmsBox* inner = inbox->AddSubBox("inner", 4);
    EXPECT_EQ(inner->GetOwner(), &account);

    // A tree brought in from elsewhere takes the owner too.
    auto* loose = new _CSmsBox("loose");
    _CSmsBox* looseChild = loose->AddSubBox("child", 4);
    EXPECT_EQ(looseChild->GetOwner(), nullptr);
    root.AddSubgroup(loose, FALSE);
    EXPECT_EQ(looseChild->GetOwner(), &account);

    _CSmsBox loaded("");
    loaded.SetOwner(&account);
    Load(loaded, Store(root));
    EXPECT_EQ(loaded.GetSubBoxAt(0)->GetSubBoxAt(0)->GetOwner(), &account);
}
