#include "platform/base/CString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// GBK characters whose trail byte looks like ASCII: the traps of byte-wise string code.
// 癨 = B0 5C ('\\'), 癆 = B0 41 ('A'), 碼 = B4 61 ('a'), 皘 = B0 7C ('|').
const char kBackslashTrail[] = "癨";
const char kUpperATrail[] = "癆";
const char kLowerATrail[] = "碼";

std::string Bytes(const CString& s) {
    return std::string(s.GetString(), s.GetLength());
}

TEST(CStringSource, LiteralsAreGbkWithAsciiLookingTrailBytes) {
    EXPECT_EQ(Bytes("张三"), "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(Bytes(kBackslashTrail), "\xB0\x5C");
    EXPECT_EQ(Bytes(kUpperATrail), "\xB0\x41");
    EXPECT_EQ(Bytes(kLowerATrail), "\xB4\x61");
}

TEST(CStringConstruct, BuildsFromEveryKindOfSource) {
    EXPECT_EQ(Bytes(CString(static_cast<const char*>(nullptr))), "");
    EXPECT_EQ(Bytes(CString("abc", 2)), "ab");
    EXPECT_EQ(Bytes(CString("abc", -1)), "");
    EXPECT_EQ(Bytes(CString('x', 3)), "xxx");
    EXPECT_EQ(Bytes(CString('x', 0)), "");
    EXPECT_EQ(Bytes(CString(u"张三")), "\xD5\xC5\xC8\xFD");
    CString s = "ab";
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = 'q';
    EXPECT_EQ(Bytes(s), "q");
}

TEST(CStringAccess, OutOfRangeIndexReadsZeroAndWritesNothing) {
    CString s = "ab";
    EXPECT_EQ(s[1], 'b');
    EXPECT_EQ(s[size_t{1}], 'b');
    EXPECT_EQ(s[2], '\0');
    EXPECT_EQ(s.GetAt(-1), '\0');
    s.SetAt(5, 'x');
    s.SetAt(-1, 'x');
    s.SetAt(0, 'z');
    EXPECT_EQ(Bytes(s), "zb");
}

struct ExtractCase {
    const char* op;
    int first;
    int count; // kRest: the one-argument form of Mid
    const char* expected;
};
const int kRest = -999;

TEST(CStringExtract, LeftMidRightClampOutOfRangeArguments) {
    const ExtractCase cases[] = {
        {"Left", 2, 0, "he"},        {"Left", 99, 0, "hello"},  {"Left", -3, 0, ""},
        {"Right", 2, 0, "lo"},       {"Right", 99, 0, "hello"}, {"Right", -1, 0, ""},
        {"Mid", 1, kRest, "ello"},   {"Mid", 5, kRest, ""},     {"Mid", 9, kRest, ""},
        {"Mid", -4, kRest, "hello"}, {"Mid", 1, 2, "el"},       {"Mid", 3, 99, "lo"},
        {"Mid", 2, -5, ""},          {"Mid", -2, 3, "hel"},     {"Mid", 1, 0x7FFFFFFF, "ello"},
    };
    const CString s = "hello";
    for (const auto& c : cases) {
        std::string op = c.op;
        CString r = op == "Left"       ? s.Left(c.first)
                    : op == "Right"    ? s.Right(c.first)
                    : c.count == kRest ? s.Mid(c.first)
                                       : s.Mid(c.first, c.count);
        EXPECT_EQ(Bytes(r), c.expected) << op << "(" << c.first << ", " << c.count << ")";
    }
}

struct FindCase {
    const char* text;
    const char* what; // one byte: the char form of Find; otherwise the substring form
    int start;
    int find;
    int reverseFind; // ReverseFind of what when it is one byte
};

TEST(CStringFind, NeverMatchesATrailByteNorSplitsACharacter) {
    const FindCase cases[] = {
        {"C:\\癨\\x", "\\", 0, 2, 5},   {"C:\\癨\\x", "\\", 3, 5, 5},
        {"C:\\癨\\x", "\\", 4, 5, 5}, // a start on the trail byte moves to the next character
        {"癨", "\\", 0, -1, -1},        {"癆A", "A", 0, 2, 2},
        {"癆", "A", 0, -1, -1},         {"碼a", "a", 0, 2, 2},
        {"皘|", "|", 0, 2, 2},          {"x癆Ay", "Ay", 0, 3, -1},
        {"癨", "\xB0", 0, -1, -1},   // the lead half alone is not a character of this text
        {"ab\xB0", "\xB0", 0, 2, 2}, // a lone lead byte at the end is a character of its own
        {"\xB0\x0A", "\n", 0, 1, 1}, // a byte that cannot be a trail is never swallowed
        {"张三张三", "张三", 1, 4, -1}, {"abc", "", 1, 1, -1},
        {"abc", "", 4, -1, -1},         {"abc", "c", 9, -1, 2},
        {"abc", "a", -5, 0, 0},
    };
    for (const auto& c : cases) {
        CString s = c.text;
        std::string what = c.what;
        int found = what.size() == 1 ? s.Find(what[0], c.start) : s.Find(c.what, c.start);
        EXPECT_EQ(found, c.find) << c.text << " / " << c.what << " from " << c.start;
        if (what.size() == 1) {
            EXPECT_EQ(s.Find(c.what, c.start), c.find) << "substring form of " << c.what;
            EXPECT_EQ(s.ReverseFind(what[0]), c.reverseFind) << c.text;
        }
    }
}

TEST(CStringFind, FindFromAnyStartAgreesWithAWalkFromTheBeginning) {
    // Runs of bytes that could all be lead bytes (鞍 = B0 B0, 张三) are where a search that starts
    // in the middle of the text must find the character boundaries again.
    const CString text = "x鞍鞍\\张三A\\癨\\鞍\xB0\nA癆A";
    std::vector<int> starts; // character boundaries, found by walking from the start
    for (int pos = 0; pos < text.GetLength();) {
        starts.push_back(pos);
        bool pair = static_cast<unsigned char>(text[pos]) >= 0x81 && pos + 1 < text.GetLength() &&
                    static_cast<unsigned char>(text[pos + 1]) >= 0x40 && text[pos + 1] != 0x7F &&
                    static_cast<unsigned char>(text[pos + 1]) != 0xFF;
        pos += pair ? 2 : 1;
    }
    for (char ch : {'\\', 'A', '\n'}) {
        for (int from = 0; from <= text.GetLength(); ++from) {
            int expected = -1;
            for (int b : starts) {
                if (b >= from && text[b] == ch) {
                    expected = b;
                    break;
                }
            }
            EXPECT_EQ(text.Find(ch, from), expected) << "'" << ch << "' from " << from;
            EXPECT_EQ(text.Find(CString(ch), from), expected) << "\"" << ch << "\" from " << from;
        }
    }
}

TEST(CStringFind, CharacterSetsMatchWholeCharacters) {
    CString path = "D:\\癨癆\\a|b";
    EXPECT_EQ(path.FindOneOf("\\|"), 2);
    EXPECT_EQ(CString("癨癆A").FindOneOf("\\A"), 4);
    EXPECT_EQ(CString("癨癆").FindOneOf("\\A"), -1);
    EXPECT_EQ(CString("ab癆").FindOneOf("癆"), 2);
    EXPECT_EQ(CString("abc").FindOneOf(""), -1);

    EXPECT_EQ(Bytes(CString("癨\\x").SpanExcluding("\\")), "癨");
    EXPECT_EQ(Bytes(CString("癨\\x").SpanExcluding("/")), "癨\\x");
    EXPECT_EQ(Bytes(CString("123abc").SpanIncluding("0123456789")), "123");
    EXPECT_EQ(Bytes(CString("癆AAb").SpanIncluding("癆A")), "癆AA");
    EXPECT_EQ(Bytes(CString("癆A").SpanIncluding("A")), "");
}

TEST(CStringCase, ChangesOnlyAsciiLettersThatAreWholeCharacters) {
    CString s = "碼abc癆Xyz";
    s.MakeUpper();
    EXPECT_EQ(Bytes(s), "碼ABC癆XYZ");
    s.MakeLower();
    EXPECT_EQ(Bytes(s), "碼abc癆xyz");
    CString t = "\xB0"; // a lone lead byte at the end changes nothing either
    EXPECT_EQ(Bytes(t.MakeUpper()), "\xB0");
}

TEST(CStringCase, CompareNoCaseDoesNotFoldTrailBytes) {
    EXPECT_EQ(CString("Hello").CompareNoCase("hELLO"), 0);
    EXPECT_NE(CString(kUpperATrail).CompareNoCase("\xB0\x61"), 0); // 癆 is not 癮
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    EXPECT_GT(CString("b").CompareNoCase(nullptr), 0);
}

struct TrimCase {
    const char* text;
    const char* how; // "ws", "char", "set"
    const char* targets;
    const char* both;
    const char* left;
    const char* right;
};

TEST(CStringTrim, CutsOnlyWholeCharactersAtTheEnds) {
    const TrimCase cases[] = {
        {" \t a b \r\n", "ws", "", "a b", "a b \r\n", " \t a b"},
        {"   ", "ws", "", "", "", ""},
        {"", "ws", "", "", "", ""},
        {"\\dir\\\\", "char", "\\", "dir", "dir\\\\", "\\dir"},
        {"目录癨", "char", "\\", "目录癨", "目录癨", "目录癨"},
        {"\\癨", "char", "\\", "癨", "癨", "\\癨"},
        {"A癆", "char", "A", "癆", "癆", "A癆"},
        {"\" 张三 \"", "set", "\" ", "张三", "张三 \"", "\" 张三"},
        {"癨\\ ", "set", "\\ ", "癨", "癨\\ ", "癨"},
        {"#癆A#", "set", "#A", "癆", "癆A#", "#癆"},
        {"癨x癨", "set", "癨", "x", "x癨", "癨x"},
        {"+,\"", "set", " \"+,", "", "", ""},
    };
    for (const auto& c : cases) {
        std::string how = c.how;
        CString both = c.text, left = c.text, right = c.text;
        if (how == "ws") {
            both.Trim(), left.TrimLeft(), right.TrimRight();
        } else if (how == "char") {
            both.Trim(c.targets[0]), left.TrimLeft(c.targets[0]), right.TrimRight(c.targets[0]);
        } else {
            both.Trim(c.targets), left.TrimLeft(c.targets), right.TrimRight(c.targets);
        }
        EXPECT_EQ(Bytes(both), c.both) << "Trim " << how << " of " << c.text;
        EXPECT_EQ(Bytes(left), c.left) << "TrimLeft " << how << " of " << c.text;
        EXPECT_EQ(Bytes(right), c.right) << "TrimRight " << how << " of " << c.text;
    }
}

TEST(CStringEdit, ReplaceAndRemoveSkipTrailBytesAndCount) {
    CString path = "C:\\癨\\a";
    EXPECT_EQ(path.Replace('\\', '/'), 2);
    EXPECT_EQ(Bytes(path), "C:/癨/a");

    struct {
        const char* text;
        const char* from;
        const char* to;
        int count;
        const char* result;
    } cases[] = {
        {"癆A", "A", "B", 1, "癆B"}, // only the A that stands alone
        {"a\r\n.b\r\n.\r\n", "\r\n.", "\r\n..", 2, "a\r\n..b\r\n..\r\n"},
        {"a\r\n..b\r\n", "\r\n", "\n", 2, "a\n..b\n"},
        {"say \"\"hi\"\"", "\"\"", "\"", 2, "say \"hi\""},
        {"aaa", "aa", "a", 1, "aa"}, // left to right, no overlaps
        {"abc", "", "x", 0, "abc"},
        {"abc", "zz", "x", 0, "abc"},
        {"abc", "b", nullptr, 1, "ac"},
        {"张三张", "张", "李", 2, "李三李"},
    };
    for (const auto& c : cases) {
        CString s = c.text;
        EXPECT_EQ(s.Replace(c.from, c.to), c.count) << c.text;
        EXPECT_EQ(Bytes(s), c.result) << c.text;
    }

    CString uuid = "{12-34}碼-";
    EXPECT_EQ(uuid.Remove('-'), 2);
    EXPECT_EQ(uuid.Remove('a'), 0);
    EXPECT_EQ(uuid.Remove('{') + uuid.Remove('}'), 2);
    EXPECT_EQ(Bytes(uuid), "1234碼");
}

TEST(CStringEdit, InsertAndDeleteClampPositions) {
    CString s = "ace";
    EXPECT_EQ(s.Insert(1, 'b'), 4);
    EXPECT_EQ(s.Insert(99, "f"), 5);
    EXPECT_EQ(s.Insert(-3, "_"), 6);
    EXPECT_EQ(Bytes(s), "_abcef");
    EXPECT_EQ(s.Insert(4, nullptr), 6);
    EXPECT_EQ(s.Delete(4), 5);
    EXPECT_EQ(s.Delete(0, 2), 3);
    EXPECT_EQ(s.Delete(2, 99), 2);
    EXPECT_EQ(s.Delete(9, 1), 2);
    EXPECT_EQ(s.Delete(-1, 1), 1);
    EXPECT_EQ(s.Delete(0, -4), 1);
    EXPECT_EQ(Bytes(s), "c");
}

TEST(CStringEdit, ArgumentsMayPointIntoTheStringItself) {
    CString s = "abcabc";
    s = s.GetString() + 3;
    EXPECT_EQ(Bytes(s), "abc");
    s += s.GetString();
    EXPECT_EQ(Bytes(s), "abcabc");
    s.Insert(3, s.GetString());
    EXPECT_EQ(Bytes(s), "abcabcabcabc");
    EXPECT_EQ(s.Replace(s.GetString() + 9, s.GetString() + 10), 4);
    EXPECT_EQ(Bytes(s), "bcbcbcbc");
    s.TrimRight(s.GetString() + 7);
    EXPECT_EQ(Bytes(s), "bcbcbcb");
}

TEST(CStringEdit, MakeReverseKeepsDoubleByteCharactersWhole) {
    CString s = "ab张三癨";
    EXPECT_EQ(Bytes(s.MakeReverse()), "癨三张ba");
    CString broken = "x\xB0"; // the lone lead byte moves as one character
    EXPECT_EQ(Bytes(broken.MakeReverse()), "\xB0x");
}

template <class... A> std::string Fmt(const char* fmt, const A&... args) {
    CString s;
    s.Format(fmt, args...);
    return Bytes(s);
}

TEST(CStringFormat, PrintsEachArgumentByItsRealType) {
    CString name = "张三", code = "13800138000";
    EXPECT_EQ(Fmt("%s<%s>", name, code), "张三<13800138000>");
    EXPECT_EQ(Fmt("%s\n%s", name, "x"), "张三\nx");
    EXPECT_EQ(Fmt("%s%d%s", "a", 7, CString("b")), "a7b");
    EXPECT_EQ(Fmt("%4d-%2d-%.2d", 2024, 3, 5), "2024- 3-05");
    EXPECT_EQ(Fmt("%+.2d%.2d", 8, 0), "+0800");
    EXPECT_EQ(Fmt("%+.2d%.2d", -5, 30), "-0530");
    EXPECT_EQ(Fmt("%.1f%%", 12.345), "12.3%");
    EXPECT_EQ(Fmt("baud=%d parity=%c", 9600, 'N'), "baud=9600 parity=N");
    EXPECT_EQ(Fmt("%x %X %08x", 255u, 0xABCDu, 0x1234), "ff ABCD 00001234");
    EXPECT_EQ(Fmt("%-5s|%5s", "ab", "cd"), "ab   |   cd");
    EXPECT_EQ(Fmt("%*d|%.*s", 4, 7, 2, "xyz"), "   7|xy");
    // long was 32 bits where the program comes from; %ld of a LONG and %d of a 64-bit value
    // must both print the number.
    EXPECT_EQ(Fmt("%ld %lu", LONG(-7), DWORD(4000000000u)), "-7 4000000000");
    EXPECT_EQ(Fmt("%d", 5000000000LL), "5000000000");
    EXPECT_EQ(Fmt("%lld %I64d", -5000000000LL, 6000000000LL), "-5000000000 6000000000");
    EXPECT_EQ(Fmt("%u %d", -1, 0xFFFFFFFFu), "4294967295 -1");
    EXPECT_EQ(Fmt("%hd %hhu", 70000, 300), "4464 44");
    EXPECT_EQ(Fmt("%d %s", true, static_cast<const char*>(nullptr)), "1 (null)");
    EXPECT_EQ(Fmt("%.2f", 3), "3.00");
}

TEST(CStringFormat, MissingOrMismatchedArgumentsNeverReadTheStack) {
    EXPECT_EQ(Fmt("a%db%sc"), "abc");
    EXPECT_EQ(Fmt("%d-%d", 1), "1-");
    EXPECT_EQ(Fmt("%s", 42), "");
    int written = 5;
    EXPECT_EQ(Fmt("x%ny", &written), "xy");
    EXPECT_EQ(written, 5);
    EXPECT_EQ(Fmt("100%"), "100%");
    EXPECT_EQ(Fmt("%w%d", 3), "%w3");
    EXPECT_EQ(Fmt(nullptr, 1), "");
}

TEST(CStringFormat, MayUseItsOwnTextAsArgumentAndAppends) {
    CString s = "abc";
    s.Format("[%s|%s]", s, s.GetString());
    EXPECT_EQ(Bytes(s), "[abc|abc]");
    s.AppendFormat("%d%s", 1, CString("张"));
    EXPECT_EQ(Bytes(s), "[abc|abc]1张");

    auto viaV = [](CString& out, const char* fmt, ...) {
        va_list ap;
        va_start(ap, fmt);
        out.FormatV(fmt, ap);
        va_end(ap);
    };
    viaV(s, "%s=%d", "n", 42);
    EXPECT_EQ(Bytes(s), "n=42");
}

TEST(CStringCompare, OrdersBytesUnsignedAndComparesWithPointers) {
    EXPECT_GT(CString("3.00").Compare("10.00"), 0); // plain bytes: "3" > "1"
    EXPECT_GT(CString("张").Compare("z"), 0);       // high bytes sort after ASCII
    EXPECT_EQ(CString("abc").Compare("abc"), 0);
    EXPECT_LT(CString("").Compare("a"), 0);

    CString a = "abc";
    const char* p = "abd";
    EXPECT_TRUE(a == "abc" && "abc" == a && a == CString("abc"));
    EXPECT_TRUE(a != p && p != a && a < p && p > a && a <= p && p >= a);
    EXPECT_TRUE(a <= "abc" && a >= "abc" && !(a < "abc") && !(a > "abc"));
    EXPECT_TRUE(a == a && !(a != a) && CString("b") > a && a < CString("b"));

    std::map<CString, int> m{{"b", 2}, {"a", 1}, {"张", 3}};
    EXPECT_EQ(Bytes(m.begin()->first), "a");
    EXPECT_EQ(Bytes(m.rbegin()->first), "张");
}

TEST(CStringConcat, JoinsStringsPointersAndChars) {
    CString s = CString("a") + "b" + 'c';
    s = "<" + s + CString(">");
    s = '[' + s;
    s += CString("]");
    s += "!";
    s += '?';
    s += static_cast<const char*>(nullptr);
    EXPECT_EQ(Bytes(s), "[<abc>]!?");
    s += s;
    EXPECT_EQ(s.GetLength(), 18);
}

TEST(CStringBuffer, ReleaseBufferTakesTheWrittenLength) {
    CString s = "abc";
    char* p = s.GetBuffer(100);
    EXPECT_EQ(std::string(p), "abc");
    std::snprintf(p, 101, "%s", "a longer text");
    s.ReleaseBuffer();
    EXPECT_EQ(Bytes(s), "a longer text");

    p = s.GetBuffer(4); // smaller than the text: nothing is lost
    s.ReleaseBuffer(8);
    EXPECT_EQ(Bytes(s), "a longer");
    s.ReleaseBuffer(99);
    EXPECT_EQ(Bytes(s), "a longer");

    p = s.GetBufferSetLength(3);
    p[2] = 'Z';
    s.ReleaseBuffer();
    EXPECT_EQ(Bytes(s), "a Z");
    s.GetBufferSetLength(-1);
    EXPECT_TRUE(s.IsEmpty());
}

// A string table for the loader hook: ids 1..3.
BOOL TestStrings(UINT id, CString& text) {
    switch (id) {
    case 1:
        text = "是否保存对 %1 的更改?";
        return TRUE;
    case 2:
        text = "%2 和 %1, %3, 100%";
        return TRUE;
    case 3:
        text = "第%d条: %s";
        return TRUE;
    }
    return FALSE;
}

class CStringResources : public ::testing::Test {
protected:
    void SetUp() override { m_previous = CString::SetResourceLoader(TestStrings); }
    void TearDown() override { CString::SetResourceLoader(m_previous); }
    CString::ResourceLoader m_previous = nullptr;
};

TEST_F(CStringResources, LoadStringAnswersFalseForUnknownIds) {
    CString s = "kept";
    EXPECT_FALSE(s.LoadString(99));
    EXPECT_EQ(Bytes(s), "kept");
    EXPECT_TRUE(s.LoadString(3));
    EXPECT_EQ(Bytes(s), "第%d条: %s");

    CString::SetResourceLoader(nullptr);
    EXPECT_FALSE(s.LoadString(3));
}

TEST_F(CStringResources, FormatsFromTheStringTable) {
    CString s;
    s.Format(3u, 7, CString("张三"));
    EXPECT_EQ(Bytes(s), "第7条: 张三");
    s.Format(99u, 7);
    EXPECT_TRUE(s.IsEmpty());

    AfxFormatString1(s, 1, "通讯录.qab");
    EXPECT_EQ(Bytes(s), "是否保存对 通讯录.qab 的更改?");
    AfxFormatString2(s, 2, "甲", "乙");
    EXPECT_EQ(Bytes(s), "乙 和 甲, %3, 100%");
    AfxFormatString1(s, 2, "甲");
    EXPECT_EQ(Bytes(s), "%2 和 甲, %3, 100%");
    AfxFormatString1(s, 99, "甲");
    EXPECT_TRUE(s.IsEmpty());

    const char* args[] = {"x", nullptr};
    AfxFormatStrings(s, "%1%2%1%", args, 2);
    EXPECT_EQ(Bytes(s), "xx%");
}

} // namespace
