// The intrusive doubly linked list: links stay consistent through every way a node leaves.
#include <gtest/gtest.h>

#include <vector>

#include "core/BiLinkList.h"

namespace {

class CountingList : public CBiLinkList {
public:
    void OnEmpty() override { ++emptied; }
    int emptied = 0;
};

class CountingNode : public CBiLinkListNode {
public:
    CountingNode(int value, int* deaths)
        : CBiLinkListNode(&m_value), m_value(value), m_deaths(deaths) {}
    ~CountingNode() override { ++*m_deaths; }

private:
    int m_value;
    int* m_deaths;
};

int Value(const CBiLinkListNode* node) {
    return *static_cast<const int*>(node->GetData());
}

// The values from head to tail, checked against the walk from tail to head and the count.
std::vector<int> Walk(const CBiLinkList& list) {
    std::vector<int> forward, backward;
    for (const CBiLinkListNode* n = list.GetHead(); n != nullptr; n = n->GetNext()) {
        EXPECT_EQ(n->GetOwner(), &list);
        forward.push_back(Value(n));
    }
    for (const CBiLinkListNode* n = list.GetTail(); n != nullptr; n = n->GetPrev())
        backward.insert(backward.begin(), Value(n));
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(static_cast<int>(forward.size()), list.GetCount());
    return forward;
}

void ExpectUnlinked(const CBiLinkListNode& node) {
    EXPECT_EQ(node.GetOwner(), nullptr);
    EXPECT_EQ(node.GetNext(), nullptr);
    EXPECT_EQ(node.GetPrev(), nullptr);
}

} // namespace

TEST(BiLinkList, RemovingFromAnyPlaceKeepsTheLinks) {
    int values[4] = {1, 2, 3, 4};
    // Which node leaves, and what is left.
    const struct {
        int index;
        std::vector<int> left;
    } cases[] = {{0, {2, 3, 4}}, {1, {1, 3, 4}}, {3, {1, 2, 3}}};
    for (const auto& c : cases) {
        CountingList list;
        CBiLinkListNode nodes[4] = {CBiLinkListNode(&values[0]), CBiLinkListNode(&values[1]),
                                    CBiLinkListNode(&values[2]), CBiLinkListNode(&values[3])};
        for (CBiLinkListNode& n : nodes)
            list.AddTail(&n);
        EXPECT_EQ(Walk(list), (std::vector<int>{1, 2, 3, 4}));
        nodes[c.index].Remove();
        ExpectUnlinked(nodes[c.index]);
        EXPECT_EQ(Walk(list), c.left) << c.index;
        nodes[c.index].Remove(); // a second remove does nothing
        EXPECT_EQ(list.GetCount(), 3);
        EXPECT_EQ(list.emptied, 0);
        list.RemoveAll(FALSE);
    }
}

TEST(BiLinkList, OnEmptyWhenTheLastNodeIsRemoved) {
    int v1 = 1, v2 = 2;
    CountingList list;
    CBiLinkListNode a(&v1), b(&v2);
    list.AddTail(&a);
    list.AddTail(&b);
    b.Remove();
    EXPECT_EQ(list.emptied, 0);
    a.Remove();
    EXPECT_EQ(list.emptied, 1);
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetTail(), nullptr);
    EXPECT_TRUE(list.IsEmpty());

    // Emptying the whole list at once is not a removal of nodes one by one.
    list.AddTail(&a);
    list.RemoveAll(FALSE);
    EXPECT_EQ(list.emptied, 1);
    ExpectUnlinked(a);
}

TEST(BiLinkList, RemoveAllDeletesOrUnlinks) {
    int deaths = 0;
    {
        CountingList list;
        for (int i = 0; i < 3; ++i)
            list.AddTail(new CountingNode(i, &deaths));
        list.RemoveAll(TRUE);
        EXPECT_EQ(deaths, 3);
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(list.GetHead(), nullptr);
        EXPECT_EQ(list.emptied, 0);
    }

    CountingNode kept(7, &deaths);
    {
        CountingList list;
        list.AddTail(&kept);
    } // a list that goes away leaves its nodes unlinked, not dangling
    ExpectUnlinked(kept);
}

TEST(BiLinkList, DeletedNodeUnlinksItselfAndAddTailMovesANode) {
    int deaths = 0;
    CountingList first, second;
    auto* a = new CountingNode(1, &deaths);
    auto* b = new CountingNode(2, &deaths);
    first.AddTail(a);
    first.AddTail(b);
    delete a;
    EXPECT_EQ(Walk(first), (std::vector<int>{2}));

    second.AddTail(b); // leaves the first list on the way
    EXPECT_EQ(Walk(first), (std::vector<int>{}));
    EXPECT_EQ(first.emptied, 1);
    EXPECT_EQ(Walk(second), (std::vector<int>{2}));
    second.RemoveAll(TRUE);
    EXPECT_EQ(deaths, 2);
}
