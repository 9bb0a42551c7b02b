// Groups: placement of children, removal and moves, counts, passwords, paths and their lookup,
// copies, and the stored form of the two child lists.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Group.h"
#include "core/tests/GroupTestRecords.h"
#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "testsupport/ArchiveBytes.h"

namespace {

using Names = std::vector<std::string>;

Names ContentNames(const CGroup& g) {
    Names names;
    for (POSITION pos = g.GetFirstContentPosition(); pos != nullptr;)
        names.emplace_back(g.GetNextContent(pos)->GetName());
    return names;
}

Names SubgroupNames(const CGroup& g) {
    Names names;
    for (POSITION pos = g.GetFirstSubgroupPosition(); pos != nullptr;)
        names.emplace_back(g.GetNextSubgroup(pos)->GetName());
    return names;
}

TEST(Group, SortedInsertionKeepsNameOrderAndPutsEqualNamesAfter) {
    struct Row {
        BOOL after;
        Names input;
        Names expected;
    } rows[] = {
        {TRUE, {"b", "a", "c"}, {"a", "b", "c"}},
        {FALSE, {"b", "a", "c"}, {"c", "b", "a"}},
        {TRUE, {"张三", "李四", "亍"}, {"亍", "李四", "张三"}},
    };
    for (const Row& row : rows) {
        CTestFolder g("g");
        for (const std::string& name : row.input)
            g.AddContent(new CTestCard(name.c_str()), TRUE, nullptr, row.after);
        EXPECT_EQ(ContentNames(g), row.expected);
    }
    // A second "b" goes after the first one.
    CTestFolder g("g");
    auto* first = new CTestCard("b");
    g.AddContent(new CTestCard("a"));
    g.AddContent(first);
    g.AddContent(new CTestCard("c"));
    auto* second = new CTestCard("b");
    POSITION pos = g.AddContent(second);
    EXPECT_EQ(g.GetContentList().GetAt(pos), second);
    EXPECT_EQ(first->GetSibling(TRUE), second);
    EXPECT_EQ(second->GetParent(), &g);
}

TEST(Group, SortedInsertionFindsItsPlaceAmongRunsOfEqualNames) {
    // The list is laid out as given (not necessarily sorted); each sorted insertion then goes
    // before the first name that sorts after it, even when that one ends or starts a run.
    struct Row {
        Names laidOut;
        const char* inserted;
        Names expected;
    } rows[] = {
        {{"", "", "问候", "问候"}, "", {"", "", "", "问候", "问候"}},
        {{"", "", "问候", "问候"}, "问候", {"", "", "问候", "问候", "问候"}},
        {{"", "", "问候", "问候"}, "啊", {"", "", "啊", "问候", "问候"}},
        {{"b", "b", "a", "a", "c"}, "a", {"a", "b", "b", "a", "a", "c"}},
        {{"a", "a", "c", "c", "b", "b"}, "b", {"a", "a", "b", "c", "c", "b", "b"}},
        // Lower case sorts first: a run of "b" ends at "B".
        {{"b", "b", "B"}, "b", {"b", "b", "b", "B"}},
    };
    for (const Row& row : rows) {
        CTestFolder g("g");
        for (const std::string& name : row.laidOut)
            g.AddContent(new CTestCard(name.c_str()), FALSE);
        auto* added = new CTestCard(row.inserted);
        POSITION pos = g.AddContent(added);
        EXPECT_EQ(ContentNames(g), row.expected) << row.inserted;
        EXPECT_EQ(g.GetContentList().GetAt(pos), added);
    }
}

// Index of the entry at pos in the contents list, -1 for none.
int EntryIndex(const CGroup& g, POSITION pos) {
    int i = 0;
    for (POSITION p = g.GetFirstContentPosition(); p != nullptr; g.GetNextContent(p), ++i)
        if (p == pos)
            return i;
    return -1;
}

// A content run changes no outcome: the same insertions, removals and changes of the list made
// behind the group's back give the same list, and every content is found at the same entry, as
// in a group without a run.
TEST(Group, ARunPlacesAndFindsContentsAsTheWalkDoes) {
    const char* kNames[] = {"", "问候", "a", "b", "B", "张三", "啊"};
    CTestFolder plain("plain"), running("running");
    auto run = std::make_unique<CGroup::CContentRun>(&running);
    CGroup::CContentRun nested(&running);
    // Laid out unsorted, as a box read from a file may be.
    for (int i = 0; i < 20; ++i)
        for (CGroup* g : {static_cast<CGroup*>(&plain), static_cast<CGroup*>(&running)})
            g->AddContent(new CTestCard(kNames[(i * 5) % 7]), FALSE);
    auto nth = [](CGroup& g, int i) {
        return static_cast<CContent*>(g.GetContentList().GetAt(g.GetContentList().FindIndex(i)));
    };
    unsigned seed = 7;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int step = 0; step < 400; ++step) {
        const unsigned op = next(10);
        const char* name = kNames[next(7)];
        const int count = plain.GetContentList().GetCount();
        const int at = count > 0 ? (int)next((unsigned)count) : 0;
        for (CGroup* g : {static_cast<CGroup*>(&plain), static_cast<CGroup*>(&running)}) {
            if (op < 5 || count == 0) {
                g->AddContent(new CTestCard(name)); // in name order
            } else if (op == 5) {
                g->AddContent(new CTestCard(name), TRUE, nullptr, FALSE);
            } else if (op == 6) {
                g->AddContent(new CTestCard(name), FALSE, nullptr, at % 2 == 0);
            } else if (op == 7) {
                EXPECT_TRUE(g->RemoveContent(nth(*g, at), TRUE));
            } else if (op == 8) {
                delete g->RemoveContentAt(g->GetContentList().FindIndex(at), FALSE);
            } else {
                // Behind the group's back.
                CObList& list = g->GetContentList();
                list.AddTail(list.RemoveHead());
            }
        }
        ASSERT_EQ(ContentNames(plain), ContentNames(running)) << "step " << step;
        for (int i = 0; i < plain.GetContentList().GetCount(); ++i)
            ASSERT_EQ(EntryIndex(running, running.FindContent(nth(running, i))),
                      EntryIndex(plain, plain.FindContent(nth(plain, i))))
                << "step " << step << " entry " << i;
    }
    // A content listed twice is found at its first entry, also once that entry has gone.
    CContent* twice = nth(running, 3);
    running.GetContentList().AddHead(twice);
    EXPECT_EQ(0, EntryIndex(running, running.FindContent(twice)));
    running.GetContentList().RemoveAt(running.FindContent(twice));
    EXPECT_EQ(3, EntryIndex(running, running.FindContent(twice)));
    CTestCard stranger("stranger");
    EXPECT_EQ(nullptr, running.FindContent(&stranger));

    // A run may outlive its group.
    auto* gone = new CTestFolder("gone");
    CGroup::CContentRun late(gone);
    gone->AddContent(new CTestCard("a"));
    delete gone;
}

TEST(Group, UnsortedInsertionUsesTheReferenceOrTheEnds) {
    CTestFolder g("g");
    POSITION posM = g.AddSubgroup(new CTestFolder("m"), FALSE, nullptr, TRUE);
    g.AddSubgroup(new CTestFolder("tail"), FALSE, nullptr, TRUE);
    g.AddSubgroup(new CTestFolder("head"), FALSE, nullptr, FALSE);
    g.AddSubgroup(new CTestFolder("after-m"), FALSE, posM, TRUE);
    g.AddSubgroup(new CTestFolder("before-m"), FALSE, posM, FALSE);
    EXPECT_EQ(SubgroupNames(g), (Names{"head", "before-m", "m", "after-m", "tail"}));
    // Without the set-parent flag the child keeps its parent link.
    auto* orphan = new CTestFolder("orphan");
    g.AddSubgroup(orphan, FALSE, nullptr, TRUE, FALSE);
    EXPECT_EQ(orphan->GetParent(), nullptr);
    EXPECT_EQ(g.GetLastSubGroup(), orphan);
}

TEST(Group, RemovalDetachesOrDeletesAndRefusesStrangers) {
    CTestFolder g("g"), other("other");
    auto* kept = new CTestCard("kept");
    auto* gone = new CTestCard("gone");
    g.AddContent(kept);
    g.AddContent(gone);
    CTestCard stranger("stranger");
    EXPECT_FALSE(g.RemoveContent(&stranger, TRUE));
    EXPECT_FALSE(g.RemoveSubgroup(&other, TRUE));
    EXPECT_TRUE(g.RemoveContent(kept, FALSE));
    EXPECT_EQ(kept->GetParent(), nullptr);
    EXPECT_TRUE(g.RemoveContent(gone, TRUE)); // the sanitizer sees a leak or a double free
    EXPECT_TRUE(g.IsEmpty());
    delete kept;

    g.AddContent(new CTestCard("a"));
    auto* b = new CTestCard("b");
    g.AddContent(b);
    POSITION pos = g.FindContentNode("b");
    EXPECT_EQ(g.RemoveContentAt(pos, FALSE), b);
    EXPECT_EQ(b->GetParent(), &g); // left as it was
    delete b;
    EXPECT_EQ(g.RemoveContentAt(g.FindContentNode("a"), TRUE), nullptr);
    EXPECT_TRUE(g.IsEmpty());
}

TEST(Group, MovesKeepEveryChildListedOnce) {
    CTestFolder top("top");
    auto* a = new CTestFolder("a");
    auto* b = new CTestFolder("b");
    top.AddSubgroup(a);
    top.AddSubgroup(b);
    auto* card = new CTestCard("card");
    a->AddContent(card);

    EXPECT_NE(CGroup::MoveContent(card, b), nullptr);
    EXPECT_EQ(card->GetParent(), b);
    EXPECT_FALSE(a->HasContents(FALSE));
    EXPECT_TRUE(top.HasContents(TRUE));
    EXPECT_FALSE(top.HasContents(FALSE));

    EXPECT_TRUE(a->MoveTo(b));
    EXPECT_EQ(a->GetParent(), b);
    EXPECT_EQ(SubgroupNames(top), (Names{"b"}));
    EXPECT_EQ(SubgroupNames(*b), (Names{"a"}));
    // Into itself or below itself: refused, nothing changes.
    EXPECT_FALSE(b->MoveTo(a));
    EXPECT_FALSE(b->MoveTo(b));
    EXPECT_EQ(b->GetParent(), &top);
    // Within the same parent: moved, not doubled.
    auto* c = new CTestFolder("c");
    top.AddSubgroup(c);
    EXPECT_TRUE(c->MoveTo(&top, FALSE, nullptr, FALSE));
    EXPECT_EQ(SubgroupNames(top), (Names{"c", "b"}));

    // MoveAllFrom sorts everything of the source in and leaves it empty.
    CTestFolder target("target");
    target.AddContent(new CTestCard("m"));
    target.MoveAllFrom(&top);
    EXPECT_TRUE(top.IsEmpty());
    EXPECT_EQ(SubgroupNames(target), (Names{"b", "c"}));
    EXPECT_EQ(b->GetParent(), &target);

    // Without a destination the content is deleted.
    auto* doomed = new CTestCard("doomed");
    target.AddContent(doomed);
    EXPECT_EQ(CGroup::MoveContent(doomed, nullptr), nullptr);
    EXPECT_EQ(ContentNames(target), (Names{"m"}));

    // RemoveFromParent deletes through the parent.
    c->RemoveFromParent(TRUE);
    EXPECT_EQ(SubgroupNames(target), (Names{"b"}));
}

TEST(Group, ContentCountSkipsLockedSubgroupsUnlessAsked) {
    CTestFolder top("top");
    auto* open = new CTestFolder("open");
    auto* locked = new CTestFolder("locked");
    auto* inner = new CTestFolder("inner");
    top.AddSubgroup(open);
    top.AddSubgroup(locked);
    locked->AddSubgroup(inner);
    top.AddContent(new CTestCard("1"));
    open->AddContent(new CTestCard("2"));
    locked->AddContent(new CTestCard("3"));
    inner->AddContent(new CTestCard("4"));
    locked->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    EXPECT_EQ(top.GetContentCount(FALSE, FALSE), 1);
    EXPECT_EQ(top.GetContentCount(TRUE, FALSE), 2);
    EXPECT_EQ(top.GetContentCount(TRUE, TRUE), 4);
}

TEST(Group, PasswordsAreKeptAsChecksumsAndTheLockNeedsBothFlags) {
    CTestFolder g("g");
    struct Row {
        const char* text;
        DWORD checksum;
    } rows[] = {{"", 0}, {"x", 0}, {"ab", 98}, {"abc", 98 + 2 * 99}, {"\xB0\xA1", 0xA1}};
    for (const Row& row : rows) {
        g.SetPassword(row.text);
        EXPECT_EQ(g.GetPasswordChecksum(), row.checksum) << row.text;
        EXPECT_TRUE(g.CheckPassword(row.text));
    }
    g.SetPassword("ab");
    EXPECT_FALSE(g.CheckPassword("ba"));
    // One-character passwords all equal the empty one.
    g.SetPassword("");
    EXPECT_TRUE(g.CheckPassword("z"));

    g.ModifyFlags(0, CGroup::FLAG_LOCKED);
    EXPECT_FALSE(g.IsLocked());
    g.ModifyFlags(0, CGroup::FLAG_PASSWORD);
    EXPECT_TRUE(g.IsLocked());
    g.SetFlag800(TRUE);
    EXPECT_TRUE(g.IsFlag800Set());
    g.SetFlag800(FALSE);
    EXPECT_FALSE(g.IsFlag800Set());
    EXPECT_EQ(g.GetFlags(), (DWORD)(CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED));
}

TEST(Group, PathsQuoteAwkwardNamesAndLookupReadsThemBack) {
    CTestFolder top("top");
    auto* awkward = new CTestFolder("a\\b");
    auto* quoted = new CTestFolder("x\"y");
    top.AddSubgroup(awkward);
    awkward->AddSubgroup(quoted);
    auto* c = new CTestCard("c");
    quoted->AddContent(c);
    auto* slash = new CTestCard("d\\e");
    awkward->AddContent(slash);

    CString path;
    awkward->GetPath(path);
    EXPECT_STREQ(path, "\"a\\b\"");
    quoted->GetPath(path);
    EXPECT_STREQ(path, "\"a\\b\"\\\"x\"\"y\"");
    quoted->GetPath(path, nullptr, TRUE);
    EXPECT_STREQ(path, "top\\\"a\\b\"\\\"x\"\"y\"");
    top.GetPath(path);
    EXPECT_STREQ(path, "");

    c->GetPath(path);
    EXPECT_EQ(top.FindItemByPath(path, FALSE), c);
    // A leaf name is not quoted, so a backslash in it cannot be found.
    slash->GetPath(path);
    EXPECT_STREQ(path, "\"a\\b\"\\d\\e");
    EXPECT_EQ(top.FindItemByPath(path, FALSE), nullptr);

    struct Row {
        const char* path;
        bool found;
    } rows[] = {
        {"\"a\\b\"junk\\\"x\"\"y\"\\c", true}, // text after a closing quote is ignored
        {"\"a\\b\"\\x\"y\\c", true},           // an unquoted component with a quote
        {"", false},
        {"\"a\\b\"\\nothing\\c", false},
        {"\"a\\b", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(top.FindItemByPath(row.path, FALSE) == c, row.found) << row.path;

    // Locked on the way, or locked at the start: nothing.
    c->GetPath(path);
    quoted->ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    EXPECT_EQ(top.FindItemByPath(path, FALSE), nullptr);
    top.ModifyFlags(0, CGroup::FLAG_PASSWORD | CGroup::FLAG_LOCKED);
    EXPECT_EQ(top.FindItemByPath("x", FALSE), nullptr);
}

TEST(Group, LookupByPathAndNameSkipsLinksUnlessAsked) {
    CTestFolder top("top");
    auto* sub = new CTestFolder("sub");
    top.AddSubgroup(sub);
    auto* real = new CTestCard("张三");
    top.AddContent(real);
    auto* link = static_cast<CTestCard*>(real->CreateVirtualCopy());
    sub->AddContent(link);
    EXPECT_EQ(top.FindItemByPath("sub\\张三", FALSE), nullptr);
    EXPECT_EQ(top.FindItemByPath("sub\\张三", TRUE), link);
    EXPECT_EQ(sub->FindByName("张三", FALSE, FALSE, TRUE), nullptr);
    EXPECT_EQ(top.FindByName("张三", FALSE, FALSE, TRUE), real);
    EXPECT_EQ(sub->FindByName("张三", FALSE, TRUE, FALSE), link);
    EXPECT_EQ(top.FindByName("sub", TRUE, FALSE, FALSE), sub);
    EXPECT_EQ(top.FindByName("none", TRUE, FALSE, TRUE), nullptr);
}

TEST(Group, FindOrCreateMakesMissingGroupsSortedAndSaysWhetherTheLastWasNew) {
    CTestFolder top("top");
    top.AddSubgroup(new CTestFolder("Z"));
    BOOL create = TRUE;
    CGroup* b = top.FindOrCreateSubgroupByPath("\\\\A\\B", create);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(create);
    EXPECT_STREQ(b->GetName(), "B");
    EXPECT_EQ(SubgroupNames(top), (Names{"A", "Z"}));
    EXPECT_EQ(b->GetParent()->GetParent(), &top);

    create = TRUE;
    EXPECT_EQ(top.FindOrCreateSubgroupByPath("A\\\\B\\", create), b);
    EXPECT_FALSE(create);
    create = FALSE;
    EXPECT_EQ(top.FindOrCreateSubgroupByPath("A\\C", create), nullptr);
    EXPECT_EQ(top.FindOrCreateSubgroupByPath("\\", create), &top);
    // A group kind that cannot make sub-groups creates nothing.
    CGroup base("base");
    create = TRUE;
    EXPECT_EQ(base.FindOrCreateSubgroupByPath("A", create), nullptr);
}

TEST(Group, CopyFromCopiesTheTreeAndCopyAttributesDetaches) {
    CTestFolder top("top");
    auto* src = new CTestFolder("src");
    top.AddSubgroup(src);
    src->SetTreeItem(77);
    src->SetPassword("secret");
    src->ModifyFlags(0, 0x8000 | 0x2FF | 0x800);
    auto* sub = new CTestFolder("sub");
    src->AddSubgroup(sub);
    sub->AddContent(MakeFullCard("张三", 5));
    src->AddContent(MakeFullCard("李四", 6));

    auto* copy = new CTestFolder("old");
    copy->AddContent(new CTestCard("dropped"));
    top.AddSubgroup(copy);
    copy->CopyFrom(src);
    EXPECT_EQ(copy->GetParent(), nullptr); // even though it sits in a tree
    EXPECT_EQ(copy->GetTreeItem(), 0u);
    EXPECT_EQ(copy->GetFlags(), (DWORD)(0x8000 | 0x800));
    EXPECT_TRUE(copy->CheckPassword("secret"));
    EXPECT_STREQ(copy->GetName(), "src"); // the derived group copies its name
    EXPECT_EQ(ChildNames(*copy), (Names{"sub", "李四"}));
    CGroup* subCopy = copy->GetLastSubGroup();
    ASSERT_NE(subCopy, nullptr);
    EXPECT_NE(subCopy, sub);
    EXPECT_EQ(subCopy->GetParent(), copy);
    POSITION pos = subCopy->GetFirstContentPosition();
    auto* cardCopy = static_cast<CTestCard*>(subCopy->GetNextContent(pos));
    EXPECT_EQ(cardCopy->m_nAge, 5);
    top.RemoveSubgroup(copy, FALSE);
    delete copy;
}

TEST(Group, TreeQuestions) {
    CTestFolder top("top");
    auto* a = new CTestFolder("a");
    auto* b = new CTestFolder("b");
    top.AddSubgroup(a);
    a->AddSubgroup(b);
    auto* a2 = new CTestFolder("a2");
    top.AddSubgroup(a2);
    EXPECT_EQ(b->GetRootGroup(), &top);
    EXPECT_TRUE(b->IsSelfOrDescendantOf(a));
    EXPECT_TRUE(b->IsSelfOrDescendantOf(b));
    EXPECT_FALSE(a->IsSelfOrDescendantOf(b));
    EXPECT_EQ(a->GetSiblingGroup(TRUE), a2);
    EXPECT_EQ(a2->GetPrevSiblingGroup(), a);
    EXPECT_EQ(a->GetPrevSiblingGroup(), nullptr);
    EXPECT_EQ(top.GetSiblingGroup(TRUE), nullptr);
    top.SetTreeItem(1);
    a->SetTreeItem(2);
    b->SetTreeItem(3);
    top.ClearTreeItems(FALSE);
    EXPECT_EQ(a->GetTreeItem(), 2u);
    top.ClearTreeItems(TRUE);
    EXPECT_EQ(b->GetTreeItem(), 0u);
    CTestFolder named("张三");
    EXPECT_STREQ(named.GetNameInitials(), "ZS");
    EXPECT_EQ(top.GetFocusRow(), -1);
}

// ---- Stored form -------------------------------------------------------------------------------

std::string Store(CGroup& g) {
    const archive_bytes::Bytes bytes = archive_bytes::Store(g);
    return std::string(bytes.begin(), bytes.end());
}

// Loads bytes into the group; the archive exception's cause, or -1 when it loaded.
int Load(CGroup& g, const std::string& bytes) {
    return archive_bytes::LoadFailure(g, archive_bytes::Bytes(bytes.begin(), bytes.end()));
}

std::string Dword(DWORD v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

TEST(GroupStorage, BothCountsComeFirstThenSubgroupsThenContents) {
    CBareFolder top;
    auto* sub = new CBareFolder;
    top.AddSubgroup(sub, FALSE);
    sub->AddSubgroup(new CBareFolder, FALSE);
    std::string bytes = Store(top);
    // top: 1 sub-group, 0 contents; sub: 1, 0; its child: 0, 0.
    EXPECT_EQ(bytes, Dword(1) + Dword(0) + Dword(1) + Dword(0) + Dword(0) + Dword(0));

    CTestFolder named("名");
    named.ModifyFlags(0, 0x8000);
    named.SetPassword("ab");
    named.AddContent(new CTestCard("c"), FALSE);
    named.AddSubgroup(new CTestFolder("s"), FALSE);
    bytes = Store(named);
    std::string head = std::string("\x02", 1) + "名" + Dword(0x8000) + Dword(98) + Dword(1) +
                       Dword(1) + std::string("\x01s", 2) + Dword(0) + Dword(0) + Dword(0) +
                       Dword(0) +
                       std::string("\x01"
                                   "c",
                                   2);
    EXPECT_EQ(bytes.substr(0, head.size()), head);
}

TEST(GroupStorage, LoadAppendsChildrenInFileOrderWithParents) {
    CTestFolder top("top");
    top.AddSubgroup(new CTestFolder("z"), FALSE);
    top.AddSubgroup(new CTestFolder("a"), FALSE);
    top.AddContent(MakeFullCard("张三", 1), FALSE);
    top.AddContent(MakeFullCard("李四", 2), FALSE);
    std::string bytes = Store(top);
    CTestFolder loaded;
    ASSERT_EQ(Load(loaded, bytes), -1);
    EXPECT_EQ(ChildNames(loaded), (Names{"z", "a", "张三", "李四"}));
    for (POSITION pos = loaded.GetFirstContentPosition(); pos != nullptr;)
        EXPECT_EQ(loaded.GetNextContent(pos)->GetParent(), &loaded);
    EXPECT_EQ(Store(loaded), bytes);
}

TEST(GroupStorage, RefusesCountsTheFileCannotHoldAndDeepNesting) {
    // Counts far beyond the bytes that follow.
    for (DWORD n : {0xFFFFFFFFu, 0x10000000u, 3u}) {
        CBareFolder g;
        EXPECT_EQ(Load(g, Dword(n) + Dword(0) + Dword(0) + Dword(0)), CArchiveException::endOfFile)
            << n;
        CBareFolder h;
        EXPECT_EQ(Load(h, Dword(0) + Dword(n) + "xy"), CArchiveException::endOfFile) << n;
    }
    // Nesting: the limit itself loads, one more level is refused.
    for (int depth : {CGroup::kMaxLoadDepth, CGroup::kMaxLoadDepth + 1, 100000}) {
        std::string bytes;
        for (int i = 1; i < depth; ++i)
            bytes += Dword(1) + Dword(0);
        bytes += Dword(0) + Dword(0);
        CBareFolder g;
        int cause = Load(g, bytes);
        EXPECT_EQ(cause, depth <= CGroup::kMaxLoadDepth ? -1 : (int)CArchiveException::badIndex)
            << depth;
    }
    // A group kind without a content class cannot read contents.
    CGroup base;
    EXPECT_EQ(Load(base, Dword(0) + Dword(1) + "x"), CArchiveException::badClass);
}

} // namespace
