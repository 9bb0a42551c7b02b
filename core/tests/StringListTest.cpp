#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/StringListCertificate.h"
#include "core/StringListEx.h"
#include "core/StringListXString.h"
#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "testsupport/ArchiveBytes.h"

namespace {

using archive_bytes::Bytes;
using archive_bytes::Load;
using archive_bytes::Store;
using Strings = std::vector<std::string>;

// True when loading the bytes ends in an archive exception.
template <class T> bool LoadFails(T& object, const Bytes& bytes) {
    return archive_bytes::LoadFailure(object, bytes) != -1;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes Dword(DWORD v) {
    return {Bytes::value_type(v), Bytes::value_type(v >> 8), Bytes::value_type(v >> 16),
            Bytes::value_type(v >> 24)};
}
Bytes Str(const char* s) {
    Bytes out{static_cast<unsigned char>(std::string(s).size())};
    out.insert(out.end(), s, s + std::string(s).size());
    return out;
}

Strings Entries(const CStringList& list) {
    Strings out;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        out.emplace_back(list.GetNext(pos));
    return out;
}

// ---- CStringListEx ----------------------------------------------------------------------------

CStringListEx MakeList(Strings entries, int current) {
    CStringListEx list;
    for (const std::string& e : entries)
        list.AddTail(e.c_str());
    list.SetCurrentIndex(current);
    return list;
}

TEST(StringListEx, InsertAtKeepsTheCurrentEntry) {
    struct Row {
        int index;
        int currentBefore;
        Strings entries;
        int currentAfter;
    };
    const Row rows[] = {
        {-1, 1, {"n", "a", "b", "c"}, 2}, {0, 0, {"n", "a", "b", "c"}, 1},
        {1, 1, {"a", "n", "b", "c"}, 2},  {2, 1, {"a", "b", "n", "c"}, 1},
        {3, 2, {"a", "b", "c", "n"}, 2},  {9, -1, {"a", "b", "c", "n"}, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        CStringListEx list = MakeList({"a", "b", "c"}, row.currentBefore);
        list.InsertAt(row.index, "n");
        EXPECT_EQ(Entries(list), row.entries);
        EXPECT_EQ(list.GetCurrentIndex(), row.currentAfter);
    }
}

TEST(StringListEx, RemoveAndSetByIndex) {
    CStringListEx list = MakeList({"a", "b", "c", "d"}, 2);
    EXPECT_FALSE(list.RemoveAt(4));
    EXPECT_FALSE(list.RemoveAt(-1));
    EXPECT_TRUE(list.RemoveAt(0));
    EXPECT_EQ(list.GetCurrentIndex(), 1); // still "c"
    EXPECT_TRUE(list.SetAt(2, "D"));
    EXPECT_FALSE(list.SetAt(3, "x"));
    EXPECT_EQ(Entries(list), (Strings{"b", "c", "D"}));

    // Indexes name the entries as they were, in whatever order they come.
    CStringListEx rows = MakeList({"r0", "r1", "r2", "r3", "r4"}, -1);
    CArray<int, int> remove;
    for (int i : {1, 3, 3, 9, 0})
        remove.Add(i);
    rows.RemoveList(remove);
    EXPECT_EQ(Entries(rows), (Strings{"r2", "r4"}));
}

TEST(StringListEx, CopyTakesEntriesAndCurrentIndex) {
    CStringListEx list = MakeList({"a", "b"}, 1);
    CStringListEx copy(list);
    CStringListEx assigned;
    assigned = list;
    for (const CStringListEx* l : {&copy, &assigned}) {
        EXPECT_EQ(Entries(*l), (Strings{"a", "b"}));
        EXPECT_EQ(l->GetCurrentIndex(), 1);
    }
}

TEST(StringListEx, StoredForm) {
    CStringListEx list = MakeList({"张三", ""}, 1);
    const Bytes expected = Cat({Dword(2), Str("张三"), Str(""), Dword(1)});
    EXPECT_EQ(Store(list), expected);
    CStringListEx loaded = MakeList({"old"}, 0);
    Load(loaded, expected);
    EXPECT_EQ(Entries(loaded), (Strings{"张三", ""}));
    EXPECT_EQ(loaded.GetCurrentIndex(), 1);
}

// ---- CXString ---------------------------------------------------------------------------------

TEST(XString, ValuesAndNotes) {
    CXString x(2);
    x.SetAt(0, "138");
    x.SetAt(1, "工作");
    EXPECT_EQ(x.GetNote(), CString(""));
    x.SetNote("备注");
    EXPECT_EQ(x.GetStringAt(1), CString("工作\n备注"));
    EXPECT_EQ(x.GetValue(1), CString("工作"));
    EXPECT_EQ(x.GetNote(), CString("备注"));
    x.SetAt(1, "家");
    EXPECT_EQ(x.GetStringAt(1), CString("家\n备注")); // the note stays
    x.SetNote("新");
    EXPECT_EQ(x.GetStringAt(1), CString("家\n新"));
    EXPECT_EQ(x.JoinStrings(", "), CString("138, 家(注:新)"));
    EXPECT_EQ(x.JoinValues("|"), CString("138|家"));
    x.SetNote("");
    EXPECT_EQ(x.GetStringAt(1), CString("家"));
    EXPECT_EQ(x.GetStringAt(5), CString(""));
    EXPECT_THROW(x.ElementAt(2), std::out_of_range);
}

TEST(XString, JoinSkipsEmptyParts) {
    CXString x(3);
    x.SetAt(1, "b");
    EXPECT_EQ(x.JoinValues(","), CString("b"));
    x.SetAt(2, "c");
    EXPECT_EQ(x.JoinStrings(","), CString("b,c"));
    x.SetAt(0, "a");
    x.SetAt(1, "");
    EXPECT_EQ(x.JoinValues(","), CString("a,c"));
}

TEST(XString, CurrentValueDropsTheNote) {
    CXString single(CString("13800138000\n工作"));
    EXPECT_EQ(single.GetCount(), 1);
    EXPECT_EQ(single.GetCurrentValue(), CString("13800138000"));
    CXString pair(2);
    pair.SetAt(0, "q");
    EXPECT_EQ(pair.GetCurrentValue(), CString(""));
    pair.SetCursor(0);
    EXPECT_EQ(pair.GetCurrentValue(), CString("q"));
    CXString copy;
    copy = pair;
    EXPECT_EQ(copy.GetCurrentValue(), CString("q"));
    pair.SetCursor(2);
    EXPECT_EQ(pair.GetCurrentValue(), CString(""));
}

TEST(XString, SetFromTextPutsSurplusInTheLastString) {
    struct Row {
        int count;
        const char* text;
        int filled;
        Strings strings;
    };
    const Row rows[] = {
        {3, "a-b-c-d", 3, {"a", "b", "c-d"}},
        {3, "a-b", 2, {"a", "b", ""}},
        {1, "a-b-c", 1, {"a-b-c"}},
        {2, "", 1, {"", ""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        CXString x(row.count);
        x.SetAt(row.count - 1, "old");
        EXPECT_EQ(x.SetFromText(row.text, "-"), row.filled);
        Strings got;
        for (int i = 0; i < x.GetCount(); ++i)
            got.emplace_back(x.GetStringAt(i));
        EXPECT_EQ(got, row.strings);
    }
}

TEST(XString, FindAndContains) {
    CXString x(3);
    x.SetAt(0, "Alpha");
    x.SetAt(1, "beta");
    x.SetAt(2, "Gamma");
    EXPECT_TRUE(x.Contains("beta"));
    EXPECT_FALSE(x.Contains("bet"));
    int index = 0, pos = -1;
    EXPECT_TRUE(x.FindFrom("ta", index, pos, TRUE));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(pos, 2);
    index = 0;
    EXPECT_FALSE(x.FindFrom("ALPHA", index, pos, TRUE));
    EXPECT_EQ(index, -1);
    index = 0;
    EXPECT_TRUE(x.FindFrom("MM", index, pos, FALSE));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(pos, 2);
    index = 1;
    EXPECT_FALSE(x.FindFrom("alp", index, pos, FALSE));
}

// ---- CXStringList -----------------------------------------------------------------------------

CXString Value(Strings strings) {
    CXString x(static_cast<int>(strings.size()));
    for (size_t i = 0; i < strings.size(); ++i)
        x.ElementAt(static_cast<int>(i)) = strings[i].c_str();
    return x;
}

TEST(XStringList, CurrentValue) {
    CXStringList phones(1);
    EXPECT_EQ(phones.GetCurrentValue(), CString(""));
    EXPECT_EQ(phones.GetCurrent(), nullptr);
    phones.AddTail(Value({"111\n家"}));
    phones.AddTail(Value({"222"}));
    EXPECT_EQ(phones.GetCurrentValue(), CString("111")); // the first when none is current
    phones.SetCurrentIndex(1);
    EXPECT_EQ(phones.GetCurrentValue(), CString("222"));
    phones.SetCurrentIndex(2);
    EXPECT_EQ(phones.GetCurrentIndex(), -1);
    phones.SetCurrentIndex(1);
    phones.RemoveAll();
    EXPECT_EQ(phones.GetCurrentIndex(), -1);
}

TEST(XStringList, ItemsGetTheListsSize) {
    CXStringList list(2);
    list.AddTail(Value({"a"}));
    list.AddTail(Value({"b", "c", "d"}));
    EXPECT_EQ(list.GetHead().GetCount(), 2);
    EXPECT_EQ(list.GetTail().GetCount(), 2);
    EXPECT_EQ(list.GetValue(1, 1), CString("c"));
    EXPECT_EQ(list.GetValue(5, 0), CString(""));
    list.ElementAt(0, 1) = "x\nnote";
    EXPECT_EQ(list.GetValue(0, 1), CString("x"));
    EXPECT_EQ(list.JoinValues(";"), CString("a;x;b;c"));
}

TEST(XStringList, FindFromAPosition) {
    CXStringList list(2);
    list.AddTail(Value({"abc", "xyz"}));
    list.AddTail(Value({"ABX", "q"}));
    int item = 0, string = 0, pos = -1;
    ASSERT_TRUE(list.Find("x", item, string, pos));
    EXPECT_EQ(item, 0);
    EXPECT_EQ(string, 1);
    EXPECT_EQ(pos, 0);
    string = 2; // go on after the hit: the next value starts at its first string
    ASSERT_TRUE(list.Find("X", item, string, pos));
    EXPECT_EQ(item, 1);
    EXPECT_EQ(string, 0);
    EXPECT_EQ(pos, 2);
    item = 1, string = 1;
    EXPECT_FALSE(list.Find("X", item, string, pos));
    EXPECT_EQ(item, -1);
    item = 0, string = 0;
    ASSERT_TRUE(list.Find("abx", item, string, pos, FALSE));
    EXPECT_EQ(item, 1);
    EXPECT_TRUE(list.ContainsValue("q"));
    EXPECT_FALSE(list.ContainsValue("ab"));
}

TEST(XStringList, AppendAndAssign) {
    CXStringList from(1), to(1), other(2);
    from.AddTail(Value({"a"}));
    from.AddTail(Value({"b"}));
    from.SetCurrentIndex(1);
    EXPECT_EQ(to.Append(from), 2);
    EXPECT_EQ(to.GetCurrentIndex(), 1); // taken over by the empty list
    to.SetCurrentIndex(0);
    EXPECT_EQ(to.Append(from), 2);
    EXPECT_EQ(to.GetCurrentIndex(), 0);
    EXPECT_EQ(to.GetCount(), 4);
    EXPECT_EQ(other.Append(from), 0);
    EXPECT_TRUE(other.IsEmpty());
    other = from;
    EXPECT_EQ(other.GetItemSize(), 1);
    EXPECT_EQ(other.GetCount(), 2);
    EXPECT_EQ(other.GetCurrentIndex(), 1);
}

TEST(XStringList, StoredForm) {
    CXStringList list(2);
    list.AddTail(Value({"QQ", "小张\n同学"}));
    list.AddTail(Value({"", "x"}));
    list.SetCurrentIndex(0);
    const Bytes expected =
        Cat({Dword(2), Str("QQ"), Str("小张\n同学"), Str(""), Str("x"), Dword(0)});
    EXPECT_EQ(Store(list), expected);
    CXStringList loaded(2);
    loaded.AddTail(Value({"old", "old"}));
    Load(loaded, expected);
    EXPECT_EQ(Store(loaded), expected);
}

TEST(StoredLists, RefuseCountsTheFileCannotHold) {
    CStringListEx list;
    CXStringList values(3);
    CCertificateList certificates;
    const Bytes hugeCount = Cat({Dword(0x7FFFFFFF), Str("a")});
    EXPECT_TRUE(LoadFails(list, hugeCount));
    EXPECT_TRUE(LoadFails(values, hugeCount));
    EXPECT_TRUE(LoadFails(certificates, hugeCount));
    // Cut short anywhere, a stored list fails instead of loading part of itself silently.
    CStringListEx full = MakeList({"一", "two"}, 0);
    const Bytes bytes = Store(full);
    for (size_t n = 0; n < bytes.size(); ++n) {
        CStringListEx part;
        EXPECT_TRUE(LoadFails(part, Bytes(bytes.begin(), bytes.begin() + n))) << n;
    }
    CXStringList empty(0);
    EXPECT_TRUE(LoadFails(empty, Cat({Dword(5), Dword(0)})));
}

TEST(StoredLists, DamagedBytesLoadOrFailCleanly) {
    CStringListEx strings = MakeList({"张三", "", "x"}, 1);
    CXStringList values(2);
    values.AddTail(Value({"138", "手机\n备注"}));
    CCertificateList certificates;
    certificates.AddTail({"身份证", "1101", ""});
    const Bytes seeds[] = {Store(strings), Store(values), Store(certificates)};
    std::mt19937 random(20261209);
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = seeds[round % 3];
        for (int edits = 1 + random() % 3; edits > 0; --edits) {
            size_t at = random() % (bytes.size() + 1);
            switch (random() % 3) {
            case 0:
                if (at < bytes.size())
                    bytes[at] = static_cast<unsigned char>(random());
                break;
            case 1:
                bytes.resize(at);
                break;
            default:
                bytes.insert(bytes.begin() + at, static_cast<unsigned char>(random()));
            }
        }
        // Any exception but the archive's fails the test, and so does any memory error.
        CStringListEx a;
        CXStringList b(2);
        CCertificateList c;
        LoadFails(a, bytes);
        LoadFails(b, bytes);
        LoadFails(c, bytes);
    }
}

// ---- Certificates -----------------------------------------------------------------------------

TEST(CertificateList, ConversionsAndStoredForm) {
    CCertificateList list;
    list.AddTail({"身份证", "110101", "本人"});
    list.AddTail({"护照", "G123", ""});

    CXStringList& shared = list.ToXStringList();
    EXPECT_EQ(shared.GetItemSize(), 3);
    EXPECT_EQ(shared.GetCount(), 2);
    EXPECT_EQ(shared.GetValue(1, 1), CString("G123"));

    CCertificateList back;
    back.FromXStringList(shared);
    EXPECT_EQ(back.GetCount(), 2);
    EXPECT_EQ(back.GetTail().strType, CString("护照"));

    int item = 0, string = 0, pos = -1;
    ASSERT_TRUE(list.Find("123", item, string, pos));
    EXPECT_EQ(item, 1);
    EXPECT_EQ(string, 1);
    EXPECT_EQ(pos, 1);

    EXPECT_EQ(back.Append(list), 2);
    EXPECT_EQ(back.Append(back), 4);
    EXPECT_EQ(back.GetCount(), 8);
    back = list;
    EXPECT_EQ(back.GetCount(), 2);

    const Bytes expected = Cat(
        {Dword(2), Str("身份证"), Str("110101"), Str("本人"), Str("护照"), Str("G123"), Str("")});
    EXPECT_EQ(Store(list), expected);
    CCertificateList loaded;
    loaded.AddTail({"x", "y", "z"});
    Load(loaded, expected);
    EXPECT_EQ(Store(loaded), expected);
}

} // namespace
