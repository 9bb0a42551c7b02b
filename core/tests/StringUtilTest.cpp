#include "core/StringUtil.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/StringListXString.h"
#include "platform/base/Gbk.h"

namespace {

std::vector<std::string> Entries(const CStringList& list) {
    std::vector<std::string> out;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        out.emplace_back(list.GetNext(pos));
    return out;
}

using Strings = std::vector<std::string>;

TEST(PercentCoding, EncodeKeepsUnreservedBytes) {
    struct Row {
        const char* text;
        const char* encoded;
    };
    const Row rows[] = {
        {"abcXYZ019/~", "abcXYZ019/~"},
        {"!'()*-.:_", "!'()*-.:_"},
        {"a b&c=d+e%f?g#", "a%20b%26c%3dd%2be%25f%3fg%23"},
        {"\n", "%0a"},
        {"张", "%d5%c5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(UrlEncodeString(row.text), CString(row.encoded));
        CString decoded;
        EXPECT_TRUE(UrlDecodeString(row.encoded, decoded));
        EXPECT_EQ(decoded, CString(row.text));
    }
    for (int c = 1; c < 256; ++c) {
        bool plain =
            std::isalnum(c) || std::string("!'()*-./:_~").find(char(c)) != std::string::npos;
        EXPECT_EQ(NeedsPercentEncoding(static_cast<BYTE>(c)), plain ? FALSE : TRUE) << c;
    }
}

TEST(PercentCoding, DecodeAcceptsEitherCaseAndRefusesBrokenEscapes) {
    struct Row {
        const char* text;
        BOOL ok;
        const char* decoded;
    };
    const Row rows[] = {
        {"%D5%c5", TRUE, "张"}, {"a+b", TRUE, "a+b"}, {"100%", FALSE, ""},  {"%4", FALSE, ""},
        {"%zz", FALSE, ""},     {"%4g", FALSE, ""},   {"a%00b", FALSE, ""}, {"", TRUE, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        CString out("previous");
        EXPECT_EQ(UrlDecodeString(row.text, out), row.ok);
        EXPECT_EQ(out, CString(row.decoded));
    }
}

TEST(StringEx, ScanIntWalksTheNumbersOfAReply) {
    CStringEx reply(CString("abc12def7"));
    int pos = 0, value = 0;
    EXPECT_TRUE(reply.ScanInt(pos, value));
    EXPECT_EQ(value, 12);
    EXPECT_EQ(pos, 5);
    EXPECT_TRUE(reply.ScanInt(pos, value));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(pos, -1); // the run ended the text
    EXPECT_FALSE(reply.ScanInt(pos, value));
    EXPECT_EQ(value, -1);

    CStringEx none(CString("no digits"));
    pos = 0;
    CString digits("x");
    EXPECT_EQ(none.ScanDigits(pos, digits), 0);
    EXPECT_EQ(pos, -1);
    EXPECT_EQ(digits, CString(""));
    EXPECT_EQ(none.FindDigit(0), -1);
    EXPECT_EQ(reply.FindDigit(4), 4);
    EXPECT_EQ(reply.FindDigit(5), 8);

    CStringEx huge(CString("99999999999999999999 5"));
    pos = 0;
    EXPECT_TRUE(huge.ScanInt(pos, value));
    EXPECT_EQ(value, INT_MAX);
}

TEST(StringEx, ScanAllNumbers) {
    CStringEx text(CString("id=7;ids=10,20,4294967296;"));
    CList<UINT, UINT> list;
    EXPECT_EQ(text.ScanInts(list), 4);
    std::vector<UINT> got;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        got.push_back(list.GetNext(pos));
    EXPECT_EQ(got, (std::vector<UINT>{7, 10, 20, 4294967295u}));
    CDWordArray words;
    EXPECT_EQ(text.ScanDWords(words), 4);
    EXPECT_EQ(words[1], 10u);
    CStringEx empty;
    EXPECT_EQ(empty.ScanDWords(words), 0);
}

TEST(Split, SplitStringKeepsEveryPiece) {
    struct Row {
        const char* text;
        const char* separator;
        BOOL anyChar;
        Strings entries;
    };
    const Row rows[] = {
        {"a,,b,", ",", FALSE, {"a", "", "b", ""}},
        {"a, b", "", FALSE, {"a, b"}},
        {"", ",", FALSE, {""}},
        {"a::b:c", "::", FALSE, {"a", "b:c"}},
        {"a;b,c", ",;", TRUE, {"a", "b", "c"}},
        {"a,;b", ",;", FALSE, {"a", "b"}},
        {"x皘y|z", "|", FALSE, {"x皘y", "z"}}, // 皘 ends in the byte of "|"
        {"甲，乙，丙", "，", FALSE, {"甲", "乙", "丙"}},
        {"甲，乙、丙", "、，", TRUE, {"甲", "乙", "丙"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        CStringList list;
        list.AddTail("old");
        EXPECT_EQ(SplitString(row.text, list, row.separator, row.anyChar, TRUE),
                  static_cast<int>(row.entries.size()));
        EXPECT_EQ(Entries(list), row.entries);
    }
    CStringList list;
    list.AddTail("old");
    EXPECT_EQ(SplitString("a\nb", list, "\n", FALSE, FALSE), 2);
    EXPECT_EQ(Entries(list), (Strings{"old", "a", "b"}));
}

Strings AllTokens(const char* text, const char* separator, BOOL anyChar, BOOL keepEmpty) {
    Strings out;
    int pos = 0;
    CString token;
    while (GetNextToken(text, pos, token, separator, anyChar, keepEmpty))
        out.emplace_back(token);
    EXPECT_EQ(pos, -1);
    EXPECT_EQ(token, CString(""));
    return out;
}

TEST(Split, GetNextToken) {
    EXPECT_EQ(AllTokens(",,a,,b,", ",", FALSE, FALSE), (Strings{"a", "b"}));
    EXPECT_EQ(AllTokens("a,,b,", ",", FALSE, TRUE), (Strings{"a", "", "b"}));
    EXPECT_EQ(AllTokens("k=v; x=y", "; =", TRUE, FALSE), (Strings{"k", "v", "x", "y"}));
    EXPECT_EQ(AllTokens("a<>b<>", "<>", FALSE, FALSE), (Strings{"a", "b"}));
    EXPECT_EQ(AllTokens("", ",", FALSE, FALSE), Strings{});
    EXPECT_EQ(AllTokens("x皘y|z", "|", FALSE, FALSE), (Strings{"x皘y", "z"}));
    int pos = -1;
    CString token;
    EXPECT_FALSE(GetNextToken("abc", pos, token, ",", FALSE, FALSE));
}

TEST(Split, GetNextTokenEx) {
    STokenState state;
    EXPECT_EQ(GetNextTokenEx("a\r\nb\r\n", state, "\r\n"), CString("a"));
    EXPECT_EQ(state.nPos, 3);
    EXPECT_EQ(GetNextTokenEx("a\r\nb\r\n", state, "\r\n"), CString("b"));
    EXPECT_EQ(state.nPos, -1); // the separator ended the text
    EXPECT_EQ(GetNextTokenEx("a\r\nb\r\n", state, "\r\n"), CString(""));
    state.nPos = 2;
    EXPECT_EQ(GetNextTokenEx("a,bc", state, ","), CString("bc"));
    EXPECT_EQ(state.nPos, -1);
}

TEST(Split, SplitFirstAndSplitAndTrim) {
    CString first, rest;
    EXPECT_TRUE(SplitFirst("  cmd  arg one  ", " ", first, rest));
    EXPECT_EQ(first, CString("cmd"));
    EXPECT_EQ(rest, CString("arg one"));
    EXPECT_TRUE(SplitFirst("key=", "=", first, rest));
    EXPECT_EQ(first, CString("key"));
    EXPECT_EQ(rest, CString(""));
    EXPECT_FALSE(SplitFirst(" = ", "= ", first, rest));
    EXPECT_EQ(first, CString(""));

    struct Row {
        const char* text;
        Strings entries;
    };
    const Row rows[] = {
        {" a , b ;;c ", {"a", "b", "c"}},
        {",,a", {"a"}},
        {"a,   ,b", {"a", "", "b"}}, // spaces only give an empty entry
        {"", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        CStringList list;
        list.AddTail("old");
        EXPECT_EQ(SplitAndTrim(row.text, ",;", list), static_cast<int>(row.entries.size()));
        EXPECT_EQ(Entries(list), row.entries);
    }
}

TEST(Split, SplitToXStringFillsUntilTheStringsAreUsed) {
    CXString value(2);
    EXPECT_EQ(SplitToXString(" 北京 , 100000, 010", ",", value), 2);
    EXPECT_EQ(value.GetStringAt(0), CString("北京"));
    EXPECT_EQ(value.GetStringAt(1), CString("100000"));
    CXString three(3);
    three.ElementAt(2) = "kept";
    EXPECT_EQ(SplitToXString("a", ",", three), 1);
    EXPECT_EQ(three.GetStringAt(2), CString("kept"));
}

TEST(Split, JoinAndRepeat) {
    CStringList list;
    EXPECT_EQ(JoinStringList(list, ","), CString(""));
    list.AddTail("a");
    list.AddTail("");
    list.AddTail("b");
    EXPECT_EQ(JoinStringList(list, ", "), CString("a, , b"));
    CString text("x");
    AppendRepeated(text, "ab", 3);
    EXPECT_EQ(text, CString("xababab"));
    AppendRepeated(text, "ab", 0);
    EXPECT_EQ(text, CString("xababab"));
}

TEST(Search, FindFunctions) {
    EXPECT_EQ(FindOneOf("ab;c,d", ",;", 0), 2);
    EXPECT_EQ(FindOneOf("ab;c,d", ",;", 3), 4);
    EXPECT_EQ(FindOneOf("abc", ",;", 0), -1);
    EXPECT_EQ(FindOneOf("皘|", "|", 0), 2);
    EXPECT_EQ(FindEndOf("GET /?from=138&x", "from=", 0), 11);
    EXPECT_EQ(FindEndOf("abc", "x", 0), -1);
    EXPECT_EQ(FindNoCase("Hello World", "WORLD", 0, TRUE), 6);
    EXPECT_EQ(FindNoCase("Hello World", "world", 0, FALSE), 6);
    EXPECT_EQ(FindNoCase("Hello World", "o", 5, TRUE), 7);
    // 癆 and 癮 end in the bytes of "A" and "a": case folding leaves them alone.
    EXPECT_EQ(FindNoCase("癆", "a", 0, TRUE), -1);
    EXPECT_EQ(FindNoCase("x癮", "A", 0, FALSE), -1);
}

TEST(Search, TextBetweenMarkers) {
    const char* reply = "<a>1</a><b>2</b>";
    int end = 0;
    EXPECT_EQ(GetTextBetween(reply, "<a>", "</a>", 0, end), CString("1"));
    EXPECT_EQ(end, 8);
    EXPECT_EQ(GetTextBetween(reply, "<b>", "</b>", end, end), CString("2"));
    EXPECT_EQ(end, -1); // the end marker ends the text
    EXPECT_EQ(GetTextBetween(reply, "<c>", "</c>", 0, end), CString(""));
    EXPECT_EQ(end, -1);
    EXPECT_EQ(GetTextBetween(reply, "<a>", "</c>", 0, end), CString(""));
    EXPECT_EQ(end, -1);
    EXPECT_EQ(GetTextBetween(reply, "<a>", "</a>", -1, end), CString(""));
    EXPECT_EQ(GetKeyedValue("name=\"x\" id=\"7\"", "id=", "\"", "\""), CString("7"));
    EXPECT_EQ(GetKeyedValue("name=\"x\"", "id=", "\"", "\""), CString(""));
}

TEST(Search, CutAtMarkerOutsideQuotes) {
    struct Row {
        const char* line;
        BOOL cut;
        const char* result;
    };
    const Row rows[] = {
        {"a=1 // note", TRUE, "a=1 "},
        {"a=\"x//y\"", FALSE, "a=\"x//y\""},
        {"url=\"http://x.cn\" // home", TRUE, "url=\"http://x.cn\" "},
        {"a=\"q\\\"//\" // c", TRUE, "a=\"q\\\"//\" "}, // an escaped quote stays inside
        {"// all", TRUE, ""},
        {"none", FALSE, "none"},
        {"癨\"//", FALSE, "癨\"//"}, // 癨 ends in the byte of "\": it escapes nothing
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        CString text(row.line);
        EXPECT_EQ(CutAtMarkerOutsideQuotes(text, 0, "//"), row.cut);
        EXPECT_EQ(text, CString(row.result));
    }
}

// A fresh folder per test, removed afterwards.
class TempDir : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "stringutil-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }
    // Writes bytes to a file named by UTF-8 text; answers its GBK program path.
    CString Write(const std::string& utf8Name, const std::string& bytes) {
        std::ofstream(m_dir + "/" + utf8Name, std::ios::binary) << bytes;
        return Utf8ToGbk(m_dir + "/" + utf8Name);
    }
    std::string m_dir;
};

using ReadFiles = TempDir;

TEST_F(ReadFiles, LinesSkipEmptyOnes) {
    CString path = Write(reinterpret_cast<const char*>(u8"省份.inf"),
                         "北京,100000\r\n\r\n上海,200000\n  \nlast");
    CStringList list;
    list.AddTail("old");
    ASSERT_TRUE(ReadFileLines(path, list));
    EXPECT_EQ(Entries(list), (Strings{"北京,100000", "上海,200000", "  ", "last"}));
    EXPECT_FALSE(ReadFileLines(Utf8ToGbk(m_dir + "/missing.inf"), list));
    EXPECT_TRUE(list.IsEmpty());
}

TEST_F(ReadFiles, TextDropsZeroBytes) {
    CString path = Write("t.txt", std::string("a\0b\r\nc\0", 7));
    CString text;
    ASSERT_TRUE(ReadFileText(path, text));
    EXPECT_EQ(text, CString("ab\r\nc"));
    EXPECT_FALSE(ReadFileText(Utf8ToGbk(m_dir + "/none.txt"), text));
}

// Reads one line the way the CSV reader drives the tokenizer, extracting each field.
Strings Fields(QuotedFieldTokenizer& t, const CString& line) {
    Strings out;
    t.m_nPos = 0;
    t.m_nFieldStart = 0;
    t.m_nFieldEnd = -1;
    t.m_bAfterClosingQuote = FALSE;
    while (t.Step(line, ',', '"', "\"\"", "\"")) {
        out.emplace_back(t.m_strToken);
        t.m_nFieldStart = t.m_nPos;
        t.m_nFieldEnd = -1;
    }
    return out;
}

TEST(QuotedFields, OneLine) {
    struct Row {
        const char* line;
        Strings fields;
    };
    const Row rows[] = {
        {"a,\"b,\"\"c\"\"\",d", {"a", "b,\"c\"", "d"}},
        {"a,b,", {"a", "b"}}, // no empty last field
        {"", {}},
        {"a,,b", {"a", "", "b"}},
        {"\"a\"x,b", {"a", "b"}},  // bytes after the closing quote are skipped
        {"a\"b,c", {"a\"b", "c"}}, // a quote inside a field is a plain byte
        {"\"\",x", {"", "x"}},
        {"\"a\",", {"a"}},
        {"张三,\"李,四\"", {"张三", "李,四"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        QuotedFieldTokenizer t;
        t.m_bExtract = TRUE;
        EXPECT_EQ(Fields(t, row.line), row.fields);
        EXPECT_TRUE(t.m_bComplete);
    }
}

TEST(QuotedFields, FieldWithoutExtractLeavesTheBoundsToTheCaller) {
    QuotedFieldTokenizer t;
    const CString line = "ab,\"c\"";
    ASSERT_TRUE(t.Step(line, ',', '"', "\"\"", "\""));
    EXPECT_EQ(t.m_nFieldStart, 0);
    EXPECT_EQ(t.m_nFieldEnd, 2);
    EXPECT_EQ(t.m_strToken, CString(""));
    t.m_nFieldStart = t.m_nPos;
    t.m_nFieldEnd = -1;
    ASSERT_TRUE(t.Step(line, ',', '"', "\"\"", "\""));
    EXPECT_EQ(line.Mid(t.m_nFieldStart, t.m_nFieldEnd - t.m_nFieldStart), CString("c"));
}

TEST(QuotedFields, QuotedFieldGoesOnOverTheNextLine) {
    QuotedFieldTokenizer t;
    t.m_bExtract = TRUE;
    EXPECT_EQ(Fields(t, "a,\"first \"\"line"), Strings{"a"});
    EXPECT_FALSE(t.m_bComplete);
    EXPECT_TRUE(t.m_bInQuotes);
    EXPECT_EQ(t.m_strToken, CString("first \"\"line"));

    // The reader puts the line break back in front of the next line.
    const CString next = "\r\nsecond\",b";
    t.m_nPos = 0;
    t.m_nFieldStart = 0;
    t.m_nFieldEnd = -1;
    ASSERT_TRUE(t.Step(next, ',', '"', "\"\"", "\""));
    EXPECT_EQ(t.m_strToken, CString("first \"line\r\nsecond"));
    EXPECT_FALSE(t.m_bComplete); // the reader takes the token and sets it again
}

TEST(QuotedFields, OpeningQuoteAtTheEndOfTheLine) {
    QuotedFieldTokenizer t;
    t.m_bExtract = TRUE;
    EXPECT_EQ(Fields(t, "a,\""), Strings{"a"});
    EXPECT_FALSE(t.m_bComplete);
    EXPECT_EQ(t.m_strToken, CString(""));
}

TEST(QuotedFields, DamagedLinesEndEveryStep) {
    std::mt19937 random(7);
    const char alphabet[] = {',', '"', 'a', ' ', '\xB0', '\xA1'};
    for (int round = 0; round < 2000; ++round) {
        CString line;
        for (int n = random() % 12; n > 0; --n)
            line += alphabet[random() % sizeof alphabet];
        QuotedFieldTokenizer t;
        t.m_bExtract = round % 2;
        int steps = 0;
        while (t.Step(line, ',', '"', "\"\"", "\"")) {
            ASSERT_LE(t.m_nFieldStart, t.m_nFieldEnd) << line;
            ASSERT_LE(t.m_nFieldEnd, line.GetLength()) << line;
            ASSERT_LE(++steps, line.GetLength()) << line;
            t.m_nFieldStart = t.m_nPos;
            t.m_nFieldEnd = -1;
        }
    }
}

} // namespace
