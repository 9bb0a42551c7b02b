#include "platform/base/Collections.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class CItem : public CObject {
public:
    explicit CItem(int n) : m_n(n) {}
    int m_n;
};

template <class LIST> std::vector<std::string> Forward(const LIST& list) {
    std::vector<std::string> out;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        out.emplace_back((LPCTSTR)list.GetNext(pos));
    return out;
}

template <class LIST> std::vector<std::string> Backward(const LIST& list) {
    std::vector<std::string> out;
    for (POSITION pos = list.GetTailPosition(); pos != nullptr;)
        out.emplace_back((LPCTSTR)list.GetPrev(pos));
    return out;
}

template <class LIST> std::vector<int> Ints(const LIST& list) {
    std::vector<int> out;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        out.push_back(list.GetNext(pos));
    return out;
}

template <class ARRAY> std::vector<int> Elements(const ARRAY& array) {
    std::vector<int> out;
    for (int i = 0; i < array.GetSize(); ++i)
        out.push_back((int)array[i]);
    return out;
}

// What project(key, value) makes of each entry, in iteration order.
template <class MAP, class PROJECT> auto Walk(const MAP& map, PROJECT project) {
    std::vector<decltype(project(std::declval<typename MAP::BASE_KEY&>(),
                                 std::declval<typename MAP::BASE_VALUE&>()))>
        out;
    typename MAP::BASE_KEY key{};
    typename MAP::BASE_VALUE value{};
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        map.GetNextAssoc(pos, key, value);
        out.push_back(project(key, value));
    }
    return out;
}

template <class MAP> std::vector<int> IntKeys(const MAP& map) {
    return Walk(map, [](auto& key, auto&) { return (int)key; });
}
template <class MAP> std::vector<int> IntValues(const MAP& map) {
    return Walk(map, [](auto&, auto& value) { return (int)value; });
}
template <class MAP> std::vector<std::string> StringKeys(const MAP& map) {
    return Walk(map, [](const CString& key, auto&) { return std::string((LPCTSTR)key); });
}

typedef std::vector<std::string> Strings;
typedef std::vector<int> IntVec;

} // namespace

// ---------------------------------------------------------------------------------------------
// Lists

TEST(List, AddsInsertsAndWalksBothWays) {
    CStringList list;
    EXPECT_TRUE(list.IsEmpty());
    POSITION b = list.AddTail("b");
    list.AddHead("a");
    POSITION d = list.AddTail("d");
    list.InsertBefore(d, "c");
    list.InsertAfter(d, "e");
    list.InsertAfter(b, "b2");
    list.InsertBefore(nullptr, "head"); // null position: at the head
    list.InsertAfter(nullptr, "tail");  // null position: at the tail
    const Strings expected = {"head", "a", "b", "b2", "c", "d", "e", "tail"};
    EXPECT_EQ(Forward(list), expected);
    EXPECT_EQ(Backward(list), Strings(expected.rbegin(), expected.rend()));
    EXPECT_EQ(list.GetCount(), 8);
    EXPECT_STREQ(list.GetHead(), "head");
    EXPECT_STREQ(list.GetTail(), "tail");
    EXPECT_STREQ(list.GetAt(b), "b");
    list.SetAt(b, "B");
    EXPECT_STREQ(list.GetAt(b), "B");
}

TEST(List, RemovesAtEitherEndAndInTheMiddle) {
    CList<int, int> list;
    for (int i = 1; i <= 5; ++i)
        list.AddTail(i);
    EXPECT_EQ(list.RemoveHead(), 1);
    EXPECT_EQ(list.RemoveTail(), 5);
    list.RemoveAt(list.Find(3));
    EXPECT_EQ(Ints(list), (IntVec{2, 4}));
    list.RemoveAt(list.GetHeadPosition());
    list.RemoveAt(list.GetTailPosition());
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(list.GetTailPosition(), nullptr);
    list.AddHead(9); // the emptied list links up again
    EXPECT_EQ(Ints(list), (IntVec{9}));
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(List, RemovingTheElementJustVisitedKeepsTheWalkGoing) {
    CList<int, int> list;
    for (int i = 0; i < 6; ++i)
        list.AddTail(i);
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        POSITION current = pos;
        if (list.GetNext(pos) % 2 == 0)
            list.RemoveAt(current);
    }
    EXPECT_EQ(Ints(list), (IntVec{1, 3, 5}));
}

TEST(List, StringFindMatchesWholeStringsExactly) {
    CStringList list;
    list.AddTail("张三");
    list.AddTail("abc");
    list.AddTail("ab");
    list.AddTail("ABC");
    list.AddTail("abc");
    struct Row {
        const char* value;
        int expectedIndex; // -1: not found
    };
    const Row rows[] = {
        {"abc", 1},   {"ab", 2},   {"ABC", 3}, {"a", -1},
        {"abcd", -1}, {"张三", 0}, {"张", -1}, {"", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(list.Find(row.value), list.FindIndex(row.expectedIndex));
    }
    EXPECT_EQ(list.Find(CString("ab")), list.FindIndex(2));
}

TEST(List, FindStartsAfterTheGivenPosition) {
    CList<int, int> list;
    for (int v : {7, 8, 7, 9, 7})
        list.AddTail(v);
    POSITION first = list.Find(7);
    POSITION second = list.Find(7, first);
    POSITION third = list.Find(7, second);
    EXPECT_EQ(first, list.FindIndex(0));
    EXPECT_EQ(second, list.FindIndex(2));
    EXPECT_EQ(third, list.FindIndex(4));
    EXPECT_EQ(list.Find(7, third), nullptr);
    EXPECT_EQ(list.Find(10), nullptr);
}

TEST(List, FindIndexIsNullOutOfRange) {
    CList<int, int> list;
    for (int v : {10, 11, 12})
        list.AddTail(v);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(list.GetAt(list.FindIndex(i)), 10 + i);
    EXPECT_EQ(list.FindIndex(3), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
}

TEST(List, AddsWholeListsInOrderIncludingItself) {
    CStringList list, other;
    list.AddTail("m");
    other.AddTail("x");
    other.AddTail("y");
    list.AddHead(&other);
    list.AddTail(&other);
    EXPECT_EQ(Forward(list), (Strings{"x", "y", "m", "x", "y"}));
    CList<int, int> self;
    self.AddTail(1);
    self.AddTail(2);
    self.AddTail(&self);
    self.AddHead(&self);
    EXPECT_EQ(Ints(self), (IntVec{1, 2, 1, 2, 1, 2, 1, 2}));
    // A pointer list handed another pointer list takes its elements, not the list's address.
    int a = 1, b = 2;
    CPtrList ptrs, morePtrs;
    morePtrs.AddTail(&a);
    morePtrs.AddTail(&b);
    ptrs.AddTail(&morePtrs);
    ASSERT_EQ(ptrs.GetCount(), 2);
    EXPECT_EQ(ptrs.GetHead(), &a);
}

TEST(List, TypedPointerListsHandBackTheirType) {
    CItem one(1), two(2), three(3);
    CTypedPtrList<CPtrList, CItem*> ptrs;
    ptrs.AddTail(&two);
    ptrs.AddHead(&one);
    ptrs.InsertAfter(ptrs.Find(&two), &three);
    std::vector<int> seen;
    for (POSITION pos = ptrs.GetHeadPosition(); pos != nullptr;)
        seen.push_back(ptrs.GetNext(pos)->m_n);
    EXPECT_EQ(seen, (IntVec{1, 2, 3}));
    EXPECT_EQ(ptrs.RemoveTail(), &three);
    ptrs.GetHead() = &three;
    EXPECT_EQ(ptrs.GetHead()->m_n, 3);

    CTypedPtrList<CObList, CItem*> obs;
    obs.AddTail(&one);
    obs.AddTail(&two);
    EXPECT_EQ(obs.Find(&two), obs.GetTailPosition());
    POSITION pos = obs.GetTailPosition();
    EXPECT_EQ(obs.GetPrev(pos)->m_n, 2);
    EXPECT_EQ(obs.GetPrev(pos)->m_n, 1);
    EXPECT_EQ(pos, nullptr);
}

// Nodes come from blocks and go back on a free list: random adds, inserts and removals, checked
// against a model as they go, must keep every handed-out position on its own element.
TEST(List, PositionsStayOnTheirElementsWhileNodesAreReused) {
    for (int nBlockSize : {1, 3, 10, 64}) {
        SCOPED_TRACE(nBlockSize);
        CList<int, int> list(nBlockSize);
        std::vector<std::pair<POSITION, int>> model; // in list order
        std::mt19937 rng(7 + nBlockSize);
        int next = 0;
        for (int step = 0; step < 600; ++step) {
            const int op = (int)(rng() % 6);
            const size_t at = model.empty() ? 0 : rng() % model.size();
            const int value = next++;
            if (op == 0 || model.empty()) {
                model.insert(model.begin(), {list.AddHead(value), value});
            } else if (op == 1) {
                model.push_back({list.AddTail(value), value});
            } else if (op == 2) {
                POSITION pos = list.InsertBefore(model[at].first, value);
                model.insert(model.begin() + (long)at, {pos, value});
            } else if (op == 3) {
                POSITION pos = list.InsertAfter(model[at].first, value);
                model.insert(model.begin() + (long)at + 1, {pos, value});
            } else {
                list.RemoveAt(model[at].first);
                model.erase(model.begin() + (long)at);
            }
            ASSERT_EQ(list.GetCount(), (int)model.size());
            if (step % 50 == 0 || model.size() < 3) {
                std::vector<int> expected;
                for (const auto& [pos, v] : model) {
                    ASSERT_EQ(list.GetAt(pos), v);
                    expected.push_back(v);
                }
                ASSERT_EQ(Ints(list), expected);
                std::vector<int> backward;
                for (POSITION pos = list.GetTailPosition(); pos != nullptr;)
                    backward.push_back(list.GetPrev(pos));
                ASSERT_EQ(backward, IntVec(expected.rbegin(), expected.rend()));
            }
            if (step == 300) { // emptied half way: the list starts again from nothing
                list.RemoveAll();
                model.clear();
                EXPECT_EQ(list.GetHeadPosition(), nullptr);
            }
        }
    }
}

namespace {

// Counts live copies, and refuses to be copied while copies are refused.
struct CCounted {
    static inline int s_nLive = 0;
    static inline bool s_bRefuseCopies = false;
    int n;
    explicit CCounted(int value) : n(value) { ++s_nLive; }
    CCounted(const CCounted& other) : n(other.n) {
        if (s_bRefuseCopies)
            throw std::runtime_error("copy refused");
        ++s_nLive;
    }
    CCounted& operator=(const CCounted&) = default;
    ~CCounted() { --s_nLive; }
};

} // namespace

TEST(List, DestroysEveryElementOnceWhateverRemovesIt) {
    {
        CList<CCounted, const CCounted&> list(4);
        for (int i = 0; i < 10; ++i)
            list.AddTail(CCounted(i));
        EXPECT_EQ(CCounted::s_nLive, 10);
        list.RemoveAt(list.FindIndex(3));
        EXPECT_EQ(list.RemoveHead().n, 0);
        EXPECT_EQ(list.RemoveTail().n, 9);
        EXPECT_EQ(CCounted::s_nLive, 7);
        // A copy that throws leaves the list as it was, and usable.
        CCounted::s_bRefuseCopies = true;
        EXPECT_THROW(list.AddTail(CCounted(99)), std::runtime_error);
        EXPECT_THROW(list.InsertAfter(list.GetHeadPosition(), CCounted(98)), std::runtime_error);
        CCounted::s_bRefuseCopies = false;
        EXPECT_EQ(list.GetCount(), 7);
        EXPECT_EQ(CCounted::s_nLive, 7);
        list.AddTail(CCounted(10));
        std::vector<int> values;
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
            values.push_back(list.GetNext(pos).n);
        EXPECT_EQ(values, (IntVec{1, 2, 4, 5, 6, 7, 8, 10}));
        list.RemoveAll();
        EXPECT_EQ(CCounted::s_nLive, 0);
        list.AddTail(CCounted(1));
        list.AddTail(CCounted(2));
        // An empty list whose first copy throws holds nothing afterwards either.
        CList<CCounted, const CCounted&> other;
        CCounted::s_bRefuseCopies = true;
        EXPECT_THROW(other.AddHead(CCounted(5)), std::runtime_error);
        CCounted::s_bRefuseCopies = false;
        EXPECT_TRUE(other.IsEmpty());
    }
    EXPECT_EQ(CCounted::s_nLive, 0); // the rest went with the list
}

// ---------------------------------------------------------------------------------------------
// Arrays

TEST(Array, SetSizeGrowsWithZeroesAndShrinks) {
    CArray<int, int> array;
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(array.GetUpperBound(), -1);
    EXPECT_EQ(array.GetData(), nullptr);
    array.Add(5);
    array.SetSize(4, 10);
    EXPECT_EQ(Elements(array), (IntVec{5, 0, 0, 0}));
    EXPECT_EQ(array.GetUpperBound(), 3);
    array.SetSize(2);
    EXPECT_EQ(Elements(array), (IntVec{5, 0}));
    array.FreeExtra();
    EXPECT_EQ(array.GetCount(), 2);

    CPtrArray ptrs;
    ptrs.SetSize(3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ptrs[i], nullptr);
}

TEST(Array, InsertsElementsAndArrays) {
    struct Row {
        const char* name;
        IntVec start;
        int index;
        int value;
        int count;
        IntVec expected;
    };
    const Row rows[] = {
        {"front", {1, 2}, 0, 9, 1, {9, 1, 2}},
        {"middle, repeated", {1, 2}, 1, 9, 3, {1, 9, 9, 9, 2}},
        {"at the end", {1, 2}, 2, 9, 1, {1, 2, 9}},
        {"past the end grows", {1, 2}, 4, 9, 2, {1, 2, 0, 0, 9, 9}},
        {"into an empty array", {}, 0, 9, 1, {9}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CUIntArray array;
        for (int v : row.start)
            array.Add(v);
        array.InsertAt(row.index, row.value, row.count);
        EXPECT_EQ(Elements(array), row.expected);
    }

    CDWordArray target, source;
    for (DWORD v : {1u, 2u, 3u})
        target.Add(v);
    for (DWORD v : {7u, 8u})
        source.Add(v);
    target.InsertAt(1, &source);
    EXPECT_EQ(Elements(target), (IntVec{1, 7, 8, 2, 3}));
    target.InsertAt(0, &target); // an array inserted into itself copies what it held before
    EXPECT_EQ(Elements(target), (IntVec{1, 7, 8, 2, 3, 1, 7, 8, 2, 3}));
}

TEST(Array, RemovesRanges) {
    struct Row {
        int index;
        int count;
        IntVec expected;
    };
    const Row rows[] = {
        {0, 1, {1, 2, 3, 4}},
        {1, 2, {0, 3, 4}},
        {4, 1, {0, 1, 2, 3}},
        {0, 5, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.index << "+" << row.count);
        CWordArray array;
        for (int i = 0; i < 5; ++i)
            array.Add((WORD)i);
        array.RemoveAt(row.index, row.count);
        EXPECT_EQ(Elements(array), row.expected);
    }
}

TEST(Array, SetAtGrowAppendAndCopy) {
    CByteArray array;
    array.SetAtGrow(3, 0xAB);
    EXPECT_EQ(Elements(array), (IntVec{0, 0, 0, 0xAB}));
    array.SetAtGrow(0, 1);
    array.SetAtGrow(5, array[3]); // the source element lives in the array being grown
    EXPECT_EQ(Elements(array), (IntVec{1, 0, 0, 0xAB, 0, 0xAB}));

    CArray<int, int> a, b;
    a.Add(1);
    a.Add(2);
    b.Add(3);
    EXPECT_EQ(a.Append(b), 2);
    EXPECT_EQ(a.Append(a), 3);
    EXPECT_EQ(Elements(a), (IntVec{1, 2, 3, 1, 2, 3}));
    b.Copy(a);
    EXPECT_EQ(Elements(b), Elements(a));
    b.ElementAt(0) = 42;
    b.GetData()[1] = 43;
    EXPECT_EQ(b.GetAt(0), 42);
    EXPECT_EQ(b[1], 43);
    EXPECT_EQ(a[0], 1); // a copy, not shared storage
    a.RemoveAll();
    EXPECT_TRUE(a.IsEmpty());
}

TEST(Array, StringAndTypedPointerArrays) {
    CStringArray strings;
    strings.Add("甲");
    strings.Add(CString("乙"));
    strings.InsertAt(1, "丙");
    strings.SetAt(0, "丁");
    EXPECT_STREQ(strings[0], "丁");
    EXPECT_STREQ(strings[1], "丙");
    EXPECT_STREQ(strings.GetAt(2), "乙");
    strings.Add(strings[0]);
    EXPECT_STREQ(strings[3], "丁");

    CItem one(1), two(2);
    CTypedPtrArray<CObArray, CItem*> items;
    items.Add(&one);
    items.SetAtGrow(2, &two);
    EXPECT_EQ(items.GetAt(1), nullptr);
    items[1] = &two;
    items.ElementAt(0) = &two;
    EXPECT_EQ(items[0]->m_n, 2);
    EXPECT_EQ(items.GetAt(1)->m_n, 2);
    EXPECT_EQ(items.GetSize(), 3);
}

// ---------------------------------------------------------------------------------------------
// Maps. The expected orders below are worked out from the bucket rule: integer key k lands in
// bucket ((UINT)k >> 4) % size; a string's hash is h = h * 33 + c over its bytes taken as signed
// chars; a new key goes to the head of its bucket; iteration walks buckets 0, 1, 2, ...

TEST(Map, IntegerKeysIterateInBucketOrder) {
    struct Row {
        const char* name;
        UINT tableSize;
        IntVec inserted;
        IntVec expected;
    };
    const Row rows[] = {
        // buckets (size 17): 1, 272, 0, 5 -> 0; 16, 17, 300 -> 1; 32 -> 2
        {"collisions", 17, {1, 16, 17, 32, 300, 272, 0, 5}, {5, 0, 272, 1, 300, 17, 16, 32}},
        // -1 is 0xFFFFFFFF: 0x0FFFFFFF % 17 = 15, the bucket of 240
        {"negative key", 17, {-1, 240, 16}, {16, 240, -1}},
        // size 7: 16 -> 1, 112 -> 0, 48 -> 3, 1 -> 0
        {"smaller table", 7, {16, 112, 48, 1}, {1, 112, 16, 48}},
        {"single bucket", 1, {3, 1, 2}, {2, 1, 3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CMap<int, int, int, int> map;
        map.InitHashTable(row.tableSize);
        for (int key : row.inserted)
            map[key] = key * 10;
        EXPECT_EQ(IntKeys(map), row.expected);
        EXPECT_EQ(map.GetCount(), (int)row.inserted.size());
        for (int key : row.inserted) {
            int value = 0;
            EXPECT_TRUE(map.Lookup(key, value));
            EXPECT_EQ(value, key * 10);
        }
    }
}

TEST(Map, EveryIntegerKeyTypeSharesTheOrder) {
    const IntVec inserted = {1, 16, 17, 32, 300, 272, 0, 5};
    const IntVec expected = {5, 0, 272, 1, 300, 17, 16, 32};
    CMap<UINT, UINT, int, int> uints;
    CMap<DWORD, DWORD, CString, LPCTSTR> dwords;
    CMapWordToPtr words;
    CMapWordToOb wordObs;
    for (int key : inserted) {
        uints.SetAt(key, key);
        dwords.SetAt(key, "x");
        words.SetAt((WORD)key, nullptr);
        wordObs.SetAt((WORD)key, nullptr);
    }
    EXPECT_EQ(IntKeys(uints), expected);
    EXPECT_EQ(IntKeys(dwords), expected);
    EXPECT_EQ(IntKeys(words), expected);
    EXPECT_EQ(IntKeys(wordObs), expected);
}

TEST(Map, StringKeysIterateInBucketOrderWithSignedBytes) {
    // Buckets (size 17): "ab" 1; "F" 2; "张" (D5 C5) 2; "三" (C8 FD) 3; "张三" 4; "a" 12;
    // "b" 13; "ba" 16. Taking GBK bytes as unsigned would put "张" in bucket 1 instead.
    const Strings inserted = {"F", "ab", "a", "张三", "张", "三", "b", "ba"};
    const Strings expected = {"ab", "张", "F", "三", "张三", "a", "b", "ba"};

    CMapStringToPtr toPtr;
    CMapStringToString toString;
    CMapStringToOb toOb;
    CMap<CString, LPCTSTR, int, int> byPointer;
    CMap<CString, const CString&, int, int> byReference;
    CMap<CString, CString, int, int> byValue;
    for (const std::string& key : inserted) {
        toPtr.SetAt(key.c_str(), nullptr);
        toString.SetAt(key.c_str(), key.c_str());
        toOb.SetAt(key.c_str(), nullptr);
        byPointer[key.c_str()] = 1;
        byReference[CString(key.c_str())] = 1;
        byValue[CString(key.c_str())] = 1;
    }
    EXPECT_EQ(StringKeys(toPtr), expected);
    EXPECT_EQ(StringKeys(toString), expected);
    EXPECT_EQ(StringKeys(toOb), expected);
    EXPECT_EQ(StringKeys(byPointer), expected);
    EXPECT_EQ(StringKeys(byReference), expected);
    EXPECT_EQ(StringKeys(byValue), expected);

    CString value;
    EXPECT_TRUE(toString.Lookup("张三", value));
    EXPECT_STREQ(value, "张三");
    EXPECT_FALSE(toString.Lookup("张三 ", value));
    EXPECT_FALSE(toString.Lookup("AB", value));
}

TEST(Map, ReAddingAKeyMovesItToTheHeadOfItsBucket) {
    CMap<int, int, int, int> map;
    for (int key : {1, 272, 0}) // all in bucket 0
        map[key] = key;
    EXPECT_EQ(IntKeys(map), (IntVec{0, 272, 1}));
    map.SetAt(1, 100); // an existing key keeps its place
    EXPECT_EQ(IntKeys(map), (IntVec{0, 272, 1}));
    EXPECT_TRUE(map.RemoveKey(272));
    EXPECT_FALSE(map.RemoveKey(272));
    EXPECT_EQ(IntKeys(map), (IntVec{0, 1}));
    map[272] = 5;
    EXPECT_EQ(IntKeys(map), (IntVec{272, 0, 1}));
    EXPECT_TRUE(map.RemoveKey(1));   // the tail of a chain
    EXPECT_TRUE(map.RemoveKey(272)); // the head of a chain
    EXPECT_EQ(IntKeys(map), (IntVec{0}));
    int value = -1;
    EXPECT_FALSE(map.Lookup(272, value));
    EXPECT_EQ(value, -1);
}

TEST(Map, HashTableSizeChangesOnlyWhileEmpty) {
    CMap<int, int, int, int> map;
    EXPECT_EQ(map.GetHashTableSize(), 17u);
    map.InitHashTable(7);
    EXPECT_EQ(map.GetHashTableSize(), 7u);
    map.InitHashTable(0); // would leave no bucket to put anything in
    EXPECT_EQ(map.GetHashTableSize(), 7u);
    map[16] = 1;
    map[112] = 2;
    map.InitHashTable(31); // not empty: the entries stay where they are
    EXPECT_EQ(map.GetHashTableSize(), 7u);
    EXPECT_EQ(IntKeys(map), (IntVec{112, 16}));
    EXPECT_EQ(map[16], 1);
    map.RemoveAll();
    EXPECT_EQ(map.GetHashTableSize(), 7u); // RemoveAll keeps the size
    EXPECT_EQ(map.GetStartPosition(), nullptr);
    map.InitHashTable(31, FALSE);
    map[16] = 1;
    map[112] = 2; // size 31: 16 -> 1, 112 -> 7
    EXPECT_EQ(IntKeys(map), (IntVec{16, 112}));
}

// A map allowed to grow keeps every entry findable, visits each once, and lets the entry just
// visited be removed; one that is not keeps its table (and so its order) however full it gets.
TEST(Map, GrowingTableKeepsEveryEntry) {
    for (BOOL grow : {FALSE, TRUE}) {
        SCOPED_TRACE(grow ? "growing" : "fixed");
        CMap<DWORD, DWORD, int, int> map;
        map.SetGrowth(grow);
        const int count = 5000;
        for (int i = 0; i < count; ++i)
            map[(DWORD)(i * 7)] = i;
        EXPECT_EQ(map.GetCount(), count);
        if (grow) {
            EXPECT_GE(map.GetHashTableSize(), (UINT)count / 2);
        } else {
            EXPECT_EQ(map.GetHashTableSize(), 17u);
        }
        for (int i = 0; i < count; ++i) {
            int value = -1;
            ASSERT_TRUE(map.Lookup((DWORD)(i * 7), value)) << i;
            EXPECT_EQ(value, i);
        }
        std::set<DWORD> seen;
        for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
            DWORD key;
            int value;
            map.GetNextAssoc(pos, key, value);
            EXPECT_TRUE(seen.insert(key).second);
            if (value % 2 == 0)
                map.RemoveKey(key);
        }
        EXPECT_EQ((int)seen.size(), count);
        EXPECT_EQ(map.GetCount(), count / 2);
        int value = -1;
        EXPECT_FALSE(map.Lookup(0, value));
        EXPECT_TRUE(map.Lookup(7, value));
        EXPECT_EQ(value, 1);
    }
}

TEST(Map, NewValuesStartEmptyAndLookupLeavesTheMapAlone) {
    CMapStringToString strings;
    EXPECT_TRUE(strings["新"].IsEmpty());
    EXPECT_EQ(strings.GetCount(), 1);
    CMap<int, int, void*, void*> pointers;
    EXPECT_EQ(pointers[3], nullptr);
    void* found = &found;
    EXPECT_FALSE(pointers.Lookup(4, found));
    EXPECT_EQ(pointers.GetCount(), 1);
    EXPECT_EQ(pointers.PLookup(4), nullptr);
    ASSERT_NE(pointers.PLookup(3), nullptr);
    EXPECT_EQ(pointers.PLookup(3)->key, 3);
}

TEST(Map, RemovingEachEntryAsItIsVisitedEmptiesTheMap) {
    CMap<int, int, int, int> map;
    for (int key = 0; key < 100; key += 3)
        map[key] = key;
    int visited = 0;
    int key, value;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr; ++visited) {
        map.GetNextAssoc(pos, key, value);
        EXPECT_TRUE(map.RemoveKey(key));
    }
    EXPECT_EQ(visited, 34);
    EXPECT_TRUE(map.IsEmpty());
}

TEST(Map, PairWalkMatchesPositionWalk) {
    CMap<int, int, int, int> map;
    for (int key : {1, 16, 17, 32, 300, 272, 0, 5})
        map[key] = -key;
    IntVec keys;
    for (auto* pPair = map.PGetFirstAssoc(); pPair != nullptr; pPair = map.PGetNextAssoc(pPair)) {
        keys.push_back(pPair->key);
        EXPECT_EQ(pPair->value, -pPair->key);
    }
    EXPECT_EQ(keys, IntKeys(map));
}

TEST(Map, TypedPointerMaps) {
    CItem one(1), two(2);
    CTypedPtrMap<CMapStringToOb, CString, CItem*> byName;
    byName.SetAt("一", &one);
    byName["二"] = &two;
    CItem* found = nullptr;
    EXPECT_TRUE(byName.Lookup("一", found));
    EXPECT_EQ(found, &one);
    EXPECT_TRUE(byName.RemoveKey("一"));
    EXPECT_FALSE(byName.Lookup("一", found));
    CString name;
    POSITION pos = byName.GetStartPosition();
    byName.GetNextAssoc(pos, name, found);
    EXPECT_STREQ(name, "二");
    EXPECT_EQ(found->m_n, 2);
    EXPECT_EQ(pos, nullptr);

    CTypedPtrMap<CMapPtrToPtr, CItem*, CItem*> partner;
    partner[&one] = &two;
    partner[&two] = &one;
    EXPECT_TRUE(partner.Lookup(&one, found));
    EXPECT_EQ(found, &two);
    EXPECT_EQ(partner.GetCount(), 2);
}

namespace {
struct SDay {
    int y, m, d;
    bool operator==(const SDay& o) const { return y == o.y && m == o.m && d == o.d; }
};
} // namespace

// A key class brings its own hash, as dates do for the per-date maps.
template <> inline UINT HashKey<SDay>(SDay key) {
    return (UINT)(key.y ^ key.m ^ key.d);
}

TEST(Map, KeyClassHashServesValueAndReferenceArguments) {
    // 2024^1^1 = 2024 -> bucket 1; 2024^1^2 = 2027 -> 4; 2024^2^3 = 2025 -> 2
    const SDay inserted[] = {{2024, 1, 2}, {2024, 1, 1}, {2024, 2, 3}};
    CMap<SDay, SDay, int, int> byValue;
    CMap<SDay, const SDay&, int, int> byReference;
    for (const SDay& day : inserted) {
        byValue[day] = day.d;
        byReference[day] = day.d;
    }
    EXPECT_EQ(IntValues(byValue), (IntVec{1, 3, 2}));
    EXPECT_EQ(IntValues(byReference), (IntVec{1, 3, 2}));
    int value = 0;
    EXPECT_TRUE(byReference.Lookup(SDay{2024, 2, 3}, value));
    EXPECT_EQ(value, 3);
}

// ---------------------------------------------------------------------------------------------

namespace {
class CNameList : public CStringList {
    DECLARE_SERIAL(CNameList)
};
IMPLEMENT_SERIAL(CNameList, CStringList, 1)
} // namespace

TEST(Collections, AreRuntimeClassesThatDerivedClassesCanBuildOn) {
    for (const char* name : {"CObList", "CPtrList", "CStringList", "CByteArray", "CWordArray",
                             "CDWordArray", "CUIntArray", "CPtrArray", "CObArray", "CStringArray",
                             "CMapStringToPtr", "CMapStringToString", "CMapStringToOb",
                             "CMapPtrToPtr", "CMapWordToPtr", "CMapWordToOb"}) {
        SCOPED_TRACE(name);
        CRuntimeClass* cls = CRuntimeClass::FromName(name);
        ASSERT_NE(cls, nullptr);
        EXPECT_TRUE(cls->IsDerivedFrom(RUNTIME_CLASS(CObject)));
    }
    std::unique_ptr<CObject> names(CRuntimeClass::CreateObject("CNameList"));
    ASSERT_NE(names, nullptr);
    EXPECT_TRUE(names->IsKindOf(RUNTIME_CLASS(CStringList)));
    EXPECT_FALSE(names->IsKindOf(RUNTIME_CLASS(CObList)));
    std::unique_ptr<CObject> strings(CRuntimeClass::CreateObject("CStringArray"));
    ASSERT_NE(strings, nullptr);
    EXPECT_TRUE(strings->IsSerializable());
}
